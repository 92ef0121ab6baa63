#include "stats/Theme.h"

#include "platform/style/Appearance.h"

#include <QCoreApplication>

namespace gaugelet {

Theme currentTheme()
{
    if (!QCoreApplication::instance())
        return Theme::light;
    return Appearance::instance()->isPanelDark() ? Theme::dark : Theme::light;
}

} // namespace gaugelet
