#include "settings/general/AppBundleSizeMB.h"

#include "platform/core/Resources.h"
#include "platform/desktop/DiskUsage.h"

#include <QCoreApplication>

namespace gaugelet {

int appBundleSizeMB()
{
    return appBundleSizeMB({QCoreApplication::applicationFilePath(), Resources::dir()});
}

int appBundleSizeMB(const QStringList& roots)
{
    qint64 total = 0;
    for (const QString& root : roots)
        total += DiskUsage::allocatedBytes(root);
    return int(total / 1'000'000);
}

} // namespace gaugelet
