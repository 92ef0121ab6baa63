#include "update/SparkleUpdaterDelegate.h"

#include "update/SparkleUpdater.h"

#include <QCoreApplication>

namespace gaugelet {

SparkleUpdaterDelegate::SparkleUpdaterDelegate(QObject* parent) : QObject(parent) {}

void SparkleUpdaterDelegate::updaterDidFinishUpdateCycle(const std::optional<QString>&)
{
    QPointer<SparkleUpdaterDelegate> weak(this);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [weak] {
            if (!weak || !weak->owner)
                return;
            std::function<void()> callback = weak->owner->takeOnUpdateCycleEnded();
            if (callback)
                callback();
        },
        Qt::QueuedConnection);
}

} // namespace gaugelet
