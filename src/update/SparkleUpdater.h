#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace gaugelet {

class FeedUpdaterController;
class SparkleUpdaterDelegate;

// The update bridge. It starts the program's updater (FeedUpdaterController),
// opens the updater's window on request (user and forced updates), carries the
// forced update's one-shot end-of-cycle callback, and runs its own feed probe,
// whose outcome the settings window and the popover read.
// Main thread only. Every assignment to a published field emits
// objectWillChange() before the store and the field's changed signal after it.
class SparkleUpdater : public QObject {
    Q_OBJECT
public:
    static constexpr double probeTimeoutSeconds = 15.0;

    explicit SparkleUpdater(QObject* parent = nullptr);
    ~SparkleUpdater() override;

    // Published fields.
    bool hasUpdateAvailable() const { return m_hasUpdateAvailable; }
    void setHasUpdateAvailable(bool value);
    std::optional<QString> latestVersion() const { return m_latestVersion; }
    void setLatestVersion(const std::optional<QString>& value);
    std::optional<QDateTime> lastCheckedAt() const { return m_lastCheckedAt; }
    void setLastCheckedAt(const std::optional<QDateTime>& value);
    bool isChecking() const { return m_isChecking; }
    void setIsChecking(bool value);
    std::optional<QString> lastError() const { return m_lastError; }
    void setLastError(const std::optional<QString>& value);

    // The build's update feed, when it names a valid one; a build without
    // one never checks for updates.
    static std::optional<QUrl> feedURL();
    static bool hasFeed() { return feedURL().has_value(); }

    // The running build's short version, "0" when it has none; read at creation.
    QString currentVersion() const { return m_currentVersion; }

    // Run once, and cleared, at the end of the next update cycle.
    const std::function<void()>& onUpdateCycleEnded() const { return m_onUpdateCycleEnded; }
    void setOnUpdateCycleEnded(std::function<void()> callback);
    // Takes the callback out, leaving nothing.
    std::function<void()> takeOnUpdateCycleEnded();

    FeedUpdaterController* controller() const { return m_controller.get(); }
    SparkleUpdaterDelegate* delegate() const { return m_delegate.get(); }

    // Starts one feed probe unless one is running.
    void checkNow();
    void presentUserUpdate();
    void presentForcedUpdate();

Q_SIGNALS:
    void objectWillChange();
    void hasUpdateAvailableChanged();
    void latestVersionChanged();
    void lastCheckedAtChanged();
    void isCheckingChanged();
    void lastErrorChanged();

private:
    static QCoro::Task<> probeAppcast(QPointer<SparkleUpdater> self);
    void finishProbe();
    void presentUpdateUI(const char* line);

    bool m_hasUpdateAvailable = false;
    std::optional<QString> m_latestVersion;
    std::optional<QDateTime> m_lastCheckedAt;
    bool m_isChecking = false;
    std::optional<QString> m_lastError;

    QString m_currentVersion;
    std::function<void()> m_onUpdateCycleEnded;
    // The delegate outlives the controller: members are destroyed in reverse.
    std::unique_ptr<SparkleUpdaterDelegate> m_delegate;
    std::unique_ptr<FeedUpdaterController> m_controller;
};

} // namespace gaugelet
