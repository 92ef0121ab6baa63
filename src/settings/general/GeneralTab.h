#pragma once

#include "platform/core/NotificationCenter.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QWidget>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace gaugelet {

class SparkleUpdater;

// The settings window's first tab: launch at login, the About block with the
// version and the program's figures, the Updates block over the update bridge,
// and saving and loading settings backups. Opening it writes nothing.
// Main thread.
class GeneralTab : public QWidget {
    Q_OBJECT
public:
    // The figures of the About block other than the measured size, kept in
    // one place: the runtime libraries the program links (Qt, QCoro,
    // libsodium, libplist, libsndfile), and the whole process's idle memory
    // and CPU as its benchmark measures them.
    static constexpr int runtimeDependencyCount = 5;
    static constexpr int idleMemoryMB = 45;
    static constexpr double idleCPUPercent = 0.1;

    struct BackupAlert {
        enum class Kind { info, error };
        QUuid id;
        Kind kind = Kind::info;
        QString title;
        QString message;
    };

    // What a save or open panel is asked for; the answer is a path, or
    // nothing when the user cancels.
    struct PanelRequest {
        enum class Mode { save, open };
        Mode mode = Mode::save;
        QString title;
        QString prompt;
        QStringList nameFilters;
        QString proposedFileName; // save only
    };
    using PanelRunner = std::function<void(QWidget* parent, const PanelRequest& request,
                                           std::function<void(std::optional<QString> path)> done)>;
    using AlertPresenter = std::function<void(QWidget* parent, const BackupAlert& alert, std::function<void()> dismissed)>;

    // updater: the update bridge (not owned). launchAtLogin: the login item's
    // state when the tab is built; it is read again whenever the tab is shown
    // and when another view changes it.
    GeneralTab(SparkleUpdater* updater, bool launchAtLogin, QWidget* parent = nullptr);
    ~GeneralTab() override;

    bool launchAtLogin() const { return m_launchAtLogin; }
    const std::optional<BackupAlert>& backupAlert() const { return m_backupAlert; }
    int bundleMB() const { return m_bundleMB; }

    // The "Backup & restore" actions.
    void saveSettings();
    void loadSettings();

    // "Gaugelet settings 2026-12-06.gaugeletbackup": the local date of now,
    // with ASCII digits in the Gregorian calendar whatever the user's locale.
    static QString defaultBackupFileName(const QDateTime& now);
    // The running build's version, "dev" when it has none.
    static QString versionText();

    // Test seams: the panels, the alerts and the bundle measurement.
    void setPanelRunnerForTesting(PanelRunner runner) { m_panelRunner = std::move(runner); }
    void setAlertPresenterForTesting(AlertPresenter presenter) { m_alertPresenter = std::move(presenter); }
    void setBundleSizeForTesting(std::function<int()> measure) { m_measureBundle = std::move(measure); }
    void dismissBackupAlert();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void scheduleRefresh();
    void refreshUpdates();
    void refreshColours();
    // The toggle shows the login item's state as it is now.
    void refreshLaunchAtLogin();
    void setBackupAlert(BackupAlert alert);
    void runPanel(const PanelRequest& request, std::function<void(std::optional<QString>)> done);
    void exportTo(const QString& path);
    void importFrom(const QString& path);

    QPointer<SparkleUpdater> m_updater;
    bool m_launchAtLogin = false;
    std::optional<BackupAlert> m_backupAlert;
    int m_bundleMB = 0;

    QCheckBox* m_launchToggle = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_bundleValue = nullptr;
    QList<QLabel*> m_secondaryLabels;
    QList<QLabel*> m_figureValues;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_checkedLabel = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_installButton = nullptr;
    QLabel* m_updateCaption = nullptr;
    QWidget* m_updateCaptionRule = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_loadButton = nullptr;
    QTimer* m_spinner = nullptr;
    QTimer* m_checkedTicker = nullptr;
    int m_spinnerStep = 0;
    bool m_refreshQueued = false;
    NotificationCenter::Token m_loginObserver = 0;

    PanelRunner m_panelRunner;
    AlertPresenter m_alertPresenter;
    std::function<int()> m_measureBundle;
};

} // namespace gaugelet
