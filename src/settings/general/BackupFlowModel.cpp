#include "settings/general/BackupFlowModel.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "settings/general/ConfigBackup.h"
#include "settings/general/RelaunchApp.h"

#include <QFileInfo>
#include <QLocale>

namespace gaugelet {

namespace {

QStringList backupNameFilters(BackupFlowModel::PanelRequest::Mode mode)
{
    const QString backup = BackupFlowModel::tr("Gaugelet settings backup (*.%1)").arg(ConfigBackup::fileExtension);
    const QString plist = BackupFlowModel::tr("Property list (*.plist)");
    if (mode == BackupFlowModel::PanelRequest::Mode::open)
        return {BackupFlowModel::tr("Gaugelet settings backup or property list (*.%1 *.plist)")
                    .arg(ConfigBackup::fileExtension),
                backup, plist};
    return {backup, plist};
}

} // namespace

BackupFlowModel::BackupFlowModel(QObject* parent) : QObject(parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

QString BackupFlowModel::defaultBackupFileName(const QDateTime& now)
{
    // QDate is always the Gregorian calendar; the C locale writes ASCII digits.
    static const QLocale posix = QLocale::c();
    return QStringLiteral("Gaugelet settings ") + posix.toString(now.toLocalTime().date(), u"yyyy-MM-dd")
        + QStringLiteral(".") + ConfigBackup::fileExtension;
}

BackupFlowModel::PanelRequest BackupFlowModel::saveRequest(const QDateTime& now)
{
    PanelRequest request;
    request.mode = PanelRequest::Mode::save;
    request.title = tr("Save Gaugelet settings");
    request.prompt = tr("Save");
    request.nameFilters = backupNameFilters(request.mode);
    request.proposedFileName = defaultBackupFileName(now);
    return request;
}

BackupFlowModel::PanelRequest BackupFlowModel::openRequest()
{
    PanelRequest request;
    request.mode = PanelRequest::Mode::open;
    request.title = tr("Load Gaugelet settings");
    request.prompt = tr("Load");
    request.nameFilters = backupNameFilters(request.mode);
    return request;
}

void BackupFlowModel::raise(Alert::Kind kind, const QString& title, const QString& message)
{
    m_alert = Alert{QUuid::createUuid(), kind, title, message};
    const Alert alert = *m_alert;
    Q_EMIT alertRaised(alert);
}

void BackupFlowModel::dismissAlert(const QUuid& id)
{
    if (m_alert && m_alert->id == id)
        m_alert.reset();
}

void BackupFlowModel::exportTo(const QString& path)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto result = ConfigBackup::exportTo(*Defaults::standard(), path);
    if (result)
        raise(Alert::Kind::info, tr("Settings saved"), tr("Wrote settings to %1.").arg(QFileInfo(path).fileName()));
    else
        raise(Alert::Kind::error, tr("Save failed"), result.error().describe());
}

void BackupFlowModel::importFrom(const QString& path)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults& defaults = *Defaults::standard();
    // A load that cannot be handed to a new instance is undone: the values it
    // replaced must not stay in this one, to be saved later as if it had worked.
    const QVariantMap before = defaults.userValues();
    auto result = ConfigBackup::importFrom(path, defaults);
    if (!result) {
        raise(Alert::Kind::error, tr("Load failed"), result.error().describe());
        return;
    }
    auto relaunched = relaunchApp();
    if (!relaunched) {
        defaults.replaceUserValues(ConfigBackup::isCarried, before);
        raise(Alert::Kind::error, tr("Load failed"), relaunched.error());
    }
}

} // namespace gaugelet
