#include "menubar/TagPosition.h"

namespace gaugelet {

QString rawValue(TagPosition position)
{
    switch (position) {
    case TagPosition::leading:
        return QStringLiteral("leading");
    case TagPosition::trailing:
        return QStringLiteral("trailing");
    case TagPosition::behind:
        break;
    }
    return QStringLiteral("behind");
}

std::optional<TagPosition> tagPositionFromRaw(QStringView raw)
{
    if (raw == QLatin1String("leading"))
        return TagPosition::leading;
    if (raw == QLatin1String("trailing"))
        return TagPosition::trailing;
    if (raw == QLatin1String("behind"))
        return TagPosition::behind;
    return std::nullopt;
}

} // namespace gaugelet
