#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace gaugelet {

// Saving and loading settings backups, as the General tab offers them: what
// the save and open panels ask for, writing the standard settings store to a
// file, loading one and relaunching, and the alert each outcome raises. A
// load whose relaunch cannot be prepared is undone. Main thread.
class BackupFlowModel : public QObject {
    Q_OBJECT
public:
    struct Alert {
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

    explicit BackupFlowModel(QObject* parent = nullptr);

    // "Gaugelet settings 2026-12-06.gaugeletbackup": the local date of now,
    // with ASCII digits in the Gregorian calendar whatever the user's locale.
    static QString defaultBackupFileName(const QDateTime& now);
    static PanelRequest saveRequest(const QDateTime& now);
    static PanelRequest openRequest();

    // Writes the standard settings store to path; says how it went.
    void exportTo(const QString& path);
    // Replaces the carried settings with the file's and relaunches; says why
    // when it cannot, leaving the settings as they were.
    void importFrom(const QString& path);

    // The alert on screen, until it is dismissed.
    const std::optional<Alert>& alert() const { return m_alert; }
    // The alert with this id was dismissed (a newer one stays).
    void dismissAlert(const QUuid& id);

Q_SIGNALS:
    // A new alert to show; its id is the one to dismiss it with.
    void alertRaised(const gaugelet::BackupFlowModel::Alert& alert);

private:
    void raise(Alert::Kind kind, const QString& title, const QString& message);

    std::optional<Alert> m_alert;
};

} // namespace gaugelet
