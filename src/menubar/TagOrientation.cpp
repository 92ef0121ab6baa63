#include "menubar/TagOrientation.h"

namespace gaugelet {

QString rawValue(TagOrientation orientation)
{
    return orientation == TagOrientation::vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal");
}

std::optional<TagOrientation> tagOrientationFromRaw(QStringView raw)
{
    if (raw == QLatin1String("horizontal"))
        return TagOrientation::horizontal;
    if (raw == QLatin1String("vertical"))
        return TagOrientation::vertical;
    return std::nullopt;
}

} // namespace gaugelet
