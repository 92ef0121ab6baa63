#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <qcoro/qcorotask.h>

namespace gaugelet {

class UpdateDialog;

// Our own small updater, standing in for an update framework's standard
// controller. checkForUpdates() starts one update cycle: the dialog opens,
// the feed is read, and the dialog says whether a newer version exists (or
// the error) and offers to open its download link in the browser. The cycle
// ends when the dialog closes, however it closes; the delegate hears of that
// end exactly once per cycle. There are no scheduled checks.
class FeedUpdaterController : public QObject {
    Q_OBJECT
public:
    class Delegate {
    public:
        virtual ~Delegate() = default;
        // Called on the main thread when an update cycle ends; error is the
        // text the dialog showed when the cycle failed.
        virtual void updaterDidFinishUpdateCycle(const std::optional<QString>& error) = 0;
    };

    static constexpr double feedTimeoutSeconds = 15.0;

    explicit FeedUpdaterController(Delegate* updaterDelegate, QObject* parent = nullptr);
    // Closes an open dialog without ending its cycle: the controller is gone.
    ~FeedUpdaterController() override;

    // Starts a cycle, or brings the running cycle's dialog to the front.
    void checkForUpdates();

    bool isCycleRunning() const { return m_cycleActive; }
    UpdateDialog* dialog() const;
    // The running cycle's download link, once the feed offered one.
    std::optional<QUrl> downloadURL() const { return m_downloadURL; }

    // Test seam: replaces QDesktopServices::openUrl.
    void setUrlOpenerForTesting(std::function<bool(const QUrl&)> opener);

Q_SIGNALS:
    // After the delegate heard of the end of a cycle.
    void updateCycleFinished();

private:
    static QCoro::Task<> runCycle(QPointer<FeedUpdaterController> self, quint64 cycle);
    void dialogClosed(quint64 cycle, bool downloadChosen);
    void showFailure(const QString& text);

    Delegate* m_delegate;
    QPointer<UpdateDialog> m_dialog;
    bool m_cycleActive = false;
    quint64 m_cycle = 0;
    std::optional<QUrl> m_downloadURL;
    std::optional<QString> m_cycleError;
    std::function<bool(const QUrl&)> m_openUrl;
};

} // namespace gaugelet
