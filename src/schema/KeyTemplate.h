#pragma once

#include "schema/SettingKey.h"

#include <QLatin1String>
#include <QString>
#include <QStringView>

namespace gaugelet {

// A family of settings keys built from an id: prefix + id + suffix
// ("provider." + "cpu.total" + ".enabled"). Every key of the family has the
// same change groups; the type and default are the reader's (a visualizer's
// own size, a label field's own type).
class KeyTemplate {
public:
    constexpr KeyTemplate(const char* prefix, const char* suffix, unsigned groups = SettingKey::noGroup)
        : m_prefix(prefix), m_suffix(suffix), m_groups(groups)
    {
    }

    QString key(QStringView id) const
    {
        QString k;
        k.reserve(m_prefix.size() + id.size() + m_suffix.size());
        k.append(m_prefix).append(id).append(m_suffix);
        return k;
    }
    // Whether the key is one of the family (an id of at least one character).
    bool matches(QStringView key) const
    {
        return key.size() > m_prefix.size() + m_suffix.size() && key.startsWith(m_prefix) && key.endsWith(m_suffix);
    }
    // The id of a key of the family, else an empty string.
    QString id(QStringView key) const
    {
        return matches(key) ? key.mid(m_prefix.size(), key.size() - m_prefix.size() - m_suffix.size()).toString()
                            : QString();
    }

    constexpr QLatin1String prefix() const { return m_prefix; }
    constexpr QLatin1String suffix() const { return m_suffix; }
    constexpr unsigned groups() const { return m_groups; }

private:
    QLatin1String m_prefix;
    QLatin1String m_suffix;
    unsigned m_groups;
};

} // namespace gaugelet
