#pragma once

#include "update/FeedUpdaterController.h"

#include <QObject>
#include <QPointer>

namespace gaugelet {

class SparkleUpdater;

// The updater's delegate: hears the end of every update cycle and runs the
// owner's one-shot callback on the main thread. Holds its owner weakly.
class SparkleUpdaterDelegate : public QObject, public FeedUpdaterController::Delegate {
    Q_OBJECT
public:
    explicit SparkleUpdaterDelegate(QObject* parent = nullptr);

    // Starts a main-thread task that takes the owner's onUpdateCycleEnded,
    // clears it and calls it. Nothing happens when the delegate or its owner
    // is gone by then, or when no callback is set. The arguments are ignored.
    void updaterDidFinishUpdateCycle(const std::optional<QString>& error) override;

    QPointer<SparkleUpdater> owner;
};

} // namespace gaugelet
