#pragma once

#include "ProcbenchFigures.h"
#include "platform/core/MainThreadObserver.h"
#include "settings/general/BackupFlowModel.h"
#include "views/TurnCoalescer.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class QVBoxLayout;

namespace gaugelet {

class GroupedSection;
class SparkleUpdater;
class UpdateStatusModel;

// The settings window's first tab: launch at login, the About block with the
// version and the program's figures, the Updates block over the update bridge,
// and saving and loading settings backups. Opening it writes nothing.
// Main thread.
class GeneralTab : public QWidget {
    Q_OBJECT
public:
    // The figures of the About block other than the measured size, kept in
    // one place: the runtime libraries the program links (Qt, QCoro,
    // libsodium, libplist, libsndfile), and the whole process's resident
    // memory and CPU at rest, from the committed output of its benchmark.
    static constexpr int runtimeDependencyCount = 5;
    static constexpr int idleMemoryMB = procbench::idleResidentWholeMB;
    static constexpr double idleCPUPercent = procbench::idleCPUPercent;

    using BackupAlert = BackupFlowModel::Alert;
    using PanelRequest = BackupFlowModel::PanelRequest;
    using PanelRunner = std::function<void(QWidget* parent, const PanelRequest& request,
                                           std::function<void(std::optional<QString> path)> done)>;
    using AlertPresenter = std::function<void(QWidget* parent, const BackupAlert& alert, std::function<void()> dismissed)>;

    // updater: the update bridge (not owned). launchAtLogin: the login item's
    // state when the tab is built; it is read again whenever the tab is shown
    // and when another view changes it.
    GeneralTab(SparkleUpdater* updater, bool launchAtLogin, QWidget* parent = nullptr);

    bool launchAtLogin() const { return m_launchAtLogin; }
    // The backup alert on screen, until it is dismissed.
    const std::optional<BackupAlert>& backupAlert() const;
    int bundleMB() const { return m_bundleMB; }

    // The "Backup & restore" actions.
    void saveSettings();
    void loadSettings();

    // The running build's version, "dev" when it has none.
    static QString versionText();

    // Test seams: the panels, the alerts and the bundle measurement.
    void setPanelRunnerForTesting(PanelRunner runner) { m_panelRunner = std::move(runner); }
    void setAlertPresenterForTesting(AlertPresenter presenter) { m_alertPresenter = std::move(presenter); }
    void setBundleSizeForTesting(std::function<int()> measure) { m_measureBundle = std::move(measure); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void buildLaunchAtLogin(QWidget* form, QVBoxLayout* column);
    void buildAbout(QWidget* form, QVBoxLayout* column);
    void buildUpdates(QWidget* form, QVBoxLayout* column);
    void buildBackup(QWidget* form, QVBoxLayout* column);
    // A secondary, wrapping note under a section's rows; gives the label.
    QLabel* addCaption(GroupedSection* section, const QString& text);
    void refreshUpdates();
    void refreshColours();
    // The toggle shows the login item's state as it is now.
    void refreshLaunchAtLogin();
    void presentAlert(const BackupAlert& alert);
    // Asks the panel runner; done runs with the chosen path while the tab exists.
    void runPanel(const PanelRequest& request, std::function<void(QString)> done);

    UpdateStatusModel* m_updates = nullptr;
    BackupFlowModel* m_backup = nullptr;
    bool m_launchAtLogin = false;
    int m_bundleMB = 0;

    QCheckBox* m_launchToggle = nullptr;
    QLabel* m_bundleValue = nullptr;
    QList<QLabel*> m_secondaryLabels;
    QLabel* m_statusLabel = nullptr;
    QLabel* m_checkedLabel = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_installButton = nullptr;
    QLabel* m_updateCaption = nullptr;
    QTimer* m_spinner = nullptr;
    QTimer* m_checkedTicker = nullptr;
    int m_spinnerStep = 0;
    TurnCoalescer m_refreshTurn{this, [this] { refreshUpdates(); }};

    PanelRunner m_panelRunner;
    AlertPresenter m_alertPresenter;
    std::function<int()> m_measureBundle;
    // Another view (the Setup tab, the setup window) changed the login item.
    // Last, so it stops before anything its handler reaches goes.
    MainThreadObserver m_loginObserver;
};

} // namespace gaugelet
