#include "platform/desktop/PlatformSelection.h"

#include <QByteArray>
#include <QtGlobal>

namespace gaugelet {

void PlatformSelection::preferPlaceableWindows()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

} // namespace gaugelet
