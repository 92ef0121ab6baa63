#include "stats/Theme.h"

#include "platform/style/Appearance.h"

#include <QCoreApplication>

namespace gaugelet {

QString rawValue(Theme theme)
{
    return theme == Theme::dark ? QStringLiteral("dark") : QStringLiteral("light");
}

std::optional<Theme> themeFromRaw(QStringView raw)
{
    if (raw == QLatin1String("light"))
        return Theme::light;
    if (raw == QLatin1String("dark"))
        return Theme::dark;
    return std::nullopt;
}

Theme currentTheme()
{
    if (!QCoreApplication::instance())
        return Theme::light;
    return Appearance::instance()->isPanelDark() ? Theme::dark : Theme::light;
}

} // namespace gaugelet
