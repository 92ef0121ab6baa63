#include "settings/general/BackupPanels.h"

#include "settings/general/ConfigBackup.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <memory>

namespace gaugelet {

// The panels: non-native file dialogs, modal to the settings window, answered
// asynchronously (no nested event loop).
void BackupPanels::runFileDialog(QWidget* parent, const BackupFlowModel::PanelRequest& request,
                                 std::function<void(std::optional<QString>)> done)
{
    auto* dialog = new QFileDialog(parent ? parent->window() : nullptr, request.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setNameFilters(request.nameFilters);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    dialog->setDirectory(folder);
    if (request.mode == BackupFlowModel::PanelRequest::Mode::save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(ConfigBackup::fileExtension);
        QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& filter) {
            dialog->setDefaultSuffix(filter.contains(QStringLiteral("*.plist")) ? QStringLiteral("plist")
                                                                                : ConfigBackup::fileExtension);
        });
        dialog->selectFile(request.proposedFileName);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done, answered](int result) {
        if (*answered)
            return;
        *answered = true;
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty() || files.first().isEmpty())
            done(std::nullopt);
        else
            done(files.first());
    });
    dialog->open();
}

// The alerts: a window-modal message box with one "OK" button. Both texts are
// plain: file names and error descriptions come from outside.
void BackupPanels::showAlert(QWidget* parent, const BackupFlowModel::Alert& alert, std::function<void()> dismissed)
{
    auto* box = new QMessageBox(parent ? parent->window() : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->setIcon(alert.kind == BackupFlowModel::Alert::Kind::error ? QMessageBox::Warning : QMessageBox::Information);
    box->setWindowTitle(alert.title);
    box->setTextFormat(Qt::PlainText);
    box->setText(alert.title);
    box->setInformativeText(alert.message);
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    box->setStandardButtons(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(tr("OK"));
    box->setDefaultButton(QMessageBox::Ok);
    QObject::connect(box, &QMessageBox::finished, box, [dismissed] { dismissed(); });
    box->open();
}

} // namespace gaugelet
