#pragma once

#include <QLatin1String>
#include <QString>
#include <QVariant>

namespace gaugelet {

// One settings key of the user defaults: its name, the type its value has,
// the default a read gives when the key is absent or holds another type, and
// the change groups it belongs to. Built with the constexpr helpers:
//   SettingKey::real("global.popupFontSize", 13).registeredAtLaunch().in(SettingKey::popover)
class SettingKey {
public:
    enum class Type {
        boolean,
        integer,
        real,
        string,
        data,
        date,
        array,
    };

    // The change groups (SettingsNotifier): who redraws when the key changes.
    enum Group : unsigned {
        noGroup = 0,
        popover = 1u << 0, // the stats popover's rows, layout and detail views
        menubar = 1u << 1, // the menu-bar tiles
        themes = 1u << 2,  // the settings window's Themes tab
    };

    static constexpr SettingKey boolean(const char* name, bool fallback) { return {name, Type::boolean, fallback ? 1.0 : 0.0, ""}; }
    static constexpr SettingKey integer(const char* name, qint64 fallback) { return {name, Type::integer, double(fallback), ""}; }
    static constexpr SettingKey real(const char* name, double fallback) { return {name, Type::real, fallback, ""}; }
    static constexpr SettingKey string(const char* name, const char* fallback = "") { return {name, Type::string, 0.0, fallback}; }
    static constexpr SettingKey data(const char* name) { return {name, Type::data, 0.0, ""}; }
    static constexpr SettingKey date(const char* name) { return {name, Type::date, 0.0, ""}; }
    static constexpr SettingKey array(const char* name) { return {name, Type::array, 0.0, ""}; }

    // The default is put in the registration domain at launch.
    constexpr SettingKey registeredAtLaunch() const
    {
        SettingKey k = *this;
        k.m_registered = true;
        return k;
    }
    constexpr SettingKey in(unsigned groups) const
    {
        SettingKey k = *this;
        k.m_groups = groups;
        return k;
    }

    QString key() const { return m_name; }
    operator QString() const { return m_name; }
    constexpr QLatin1String name() const { return m_name; }
    constexpr Type type() const { return m_type; }
    constexpr bool isRegisteredAtLaunch() const { return m_registered; }
    constexpr unsigned groups() const { return m_groups; }

    // The default as the value of the key's type (an invalid QVariant for
    // data, dates and arrays, which have none).
    QVariant defaultValue() const;
    constexpr bool defaultBoolean() const { return m_number != 0; }
    constexpr qint64 defaultInteger() const { return qint64(m_number); }
    constexpr double defaultReal() const { return m_number; }
    QString defaultString() const { return m_text; }

    // A value converted to the key's type, as a write stores it; an invalid
    // QVariant for a value that does not convert.
    QVariant normalised(const QVariant& value) const;

private:
    constexpr SettingKey(const char* name, Type type, double number, const char* text)
        : m_name(name), m_type(type), m_number(number), m_text(text)
    {
    }

    QLatin1String m_name;
    Type m_type;
    double m_number;
    QLatin1String m_text;
    bool m_registered = false;
    unsigned m_groups = noGroup;
};

} // namespace gaugelet
