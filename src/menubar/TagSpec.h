#pragma once

#include "menubar/TagOrientation.h"
#include "menubar/TagPosition.h"

#include <QHashFunctions>
#include <QString>
#include <QStringList>
#include <optional>

namespace gaugelet {

// The styling of one of a pin's two labels (the tag, the statistic's badge
// text, or the value), stored per pin in the user defaults under
// "pin.<pin id>.<namespace>.<field>".
struct TagSpec {
    // Which of a pin's two labels.
    enum class Namespace { tag, value };

    bool shown = false;
    QString text;
    TagPosition position = TagPosition::behind;
    TagOrientation orientation = TagOrientation::horizontal;
    QString fgHex;   // empty: the theme's default
    QString bgHex;   // empty: the theme's default
    bool showBg = false;
    double yOffset = 0; // points

    bool operator==(const TagSpec&) const = default;

    // 0 unless behind; behind: 20 vertical, 10 horizontal, plus for the value
    // and minus for the tag.
    static double defaultYOffset(TagPosition position, Namespace ns, TagOrientation orientation);

    // Never fails: a missing or mistyped value takes its default. The tag's
    // text is the non-empty "tag.override.<statKey>", else defaultText; the
    // value's text is always defaultText.
    static TagSpec load(const QString& pinId, const QString& statKey, const QString& defaultText, Namespace ns);
    // Writes shown (only when writeShown), position, orientation, fgHex,
    // bgHex, showBg and yOffset; never the text.
    static void save(const TagSpec& spec, const QString& pinId, Namespace ns, bool writeShown);
    static void savePlacement(const TagSpec& spec, const QString& pinId, Namespace ns);
    static void resetPlacement(const QString& pinId, Namespace ns);
    // Carries both labels' stored styling from one pin id to another: the new
    // pin gets exactly the old pin's keys, the old pin keeps none.
    static void move(const QString& fromPinId, const QString& toPinId);

    // The eight stored field names, in key order.
    static const QStringList& fieldNames();
    static QString key(const QString& pinId, Namespace ns, QStringView field);
};

constexpr auto rawValueTable(TagSpec::Namespace)
{
    using enum TagSpec::Namespace;
    return makeRawValueTable<TagSpec::Namespace>({{tag, u"tag"}, {value, u"value"}}, value);
}
inline std::optional<TagSpec::Namespace> tagSpecNamespaceFromRaw(QStringView raw)
{
    return enumFromRaw<TagSpec::Namespace>(raw);
}

inline size_t qHash(const TagSpec& spec, size_t seed = 0)
{
    // +0 and -0 compare equal, so they hash alike.
    const double offset = spec.yOffset == 0 ? 0.0 : spec.yOffset;
    return qHashMulti(seed, spec.shown, spec.text, spec.position, spec.orientation, spec.fgHex, spec.bgHex,
                      spec.showBg, offset);
}

} // namespace gaugelet
