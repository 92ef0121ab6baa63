#include "update/UpdateLog.h"

namespace gaugelet {
GAUGELET_DEFINE_LOG(lcKillSwitch, "killswitch")
GAUGELET_DEFINE_LOG(lcAppUpdater, "app-updater")

QString logPrintable(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'?';
    }
    return text;
}
} // namespace gaugelet
