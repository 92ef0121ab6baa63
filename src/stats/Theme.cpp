#include "stats/Theme.h"

#include "platform/core/RawValueTable.h"
#include "platform/style/Appearance.h"

#include <QCoreApplication>

namespace gaugelet {

namespace {
constexpr auto names = makeRawValueTable<Theme>({{Theme::light, u"light"}, {Theme::dark, u"dark"}}, Theme::light);
} // namespace

QString rawValue(Theme theme)
{
    return names.rawValue(theme);
}

std::optional<Theme> themeFromRaw(QStringView raw)
{
    return names.fromRaw(raw);
}

Theme currentTheme()
{
    if (!QCoreApplication::instance())
        return Theme::light;
    return Appearance::instance()->isPanelDark() ? Theme::dark : Theme::light;
}

} // namespace gaugelet
