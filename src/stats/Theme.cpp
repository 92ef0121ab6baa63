#include "stats/Theme.h"

#include "platform/style/Appearance.h"

#include <QCoreApplication>

namespace gaugelet {

Theme currentTheme()
{
    if (!QCoreApplication::instance())
        return Theme::light;
    const Appearance* appearance = Appearance::instance();
    return panelTheme(appearance->isPanelDark(), appearance->isPanelShadeKnown());
}

} // namespace gaugelet
