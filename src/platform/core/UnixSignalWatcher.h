#pragma once

#include <QList>
#include <QObject>

class QSocketNotifier;

namespace gaugelet {

// Turns Unix signals (SIGTERM, SIGINT, SIGHUP at logout) into a Qt signal on
// the main thread: the handler only writes the signal number into a pipe.
// One watcher per process.
class UnixSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalWatcher(const QList<int>& signalNumbers, QObject* parent = nullptr);
    ~UnixSignalWatcher() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPipe();
    QList<int> m_signals;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace gaugelet
