#include "update/UpdateDialog.h"

#include <QPushButton>

namespace gaugelet {

UpdateDialog::UpdateDialog(QWidget* parent) : QMessageBox(parent)
{
    setWindowTitle(tr("Software Update"));
    setWindowModality(Qt::NonModal);
    setTextFormat(Qt::PlainText);
    showChecking();
}

void UpdateDialog::resetButtons()
{
    const auto old = buttons();
    for (QAbstractButton* button : old) {
        removeButton(button);
        button->deleteLater();
    }
    m_download = nullptr;
    m_dismiss = nullptr;
}

void UpdateDialog::showChecking()
{
    resetButtons();
    m_state = State::checking;
    setIcon(QMessageBox::Information);
    setText(tr("Checking for updates…"));
    setInformativeText(QString());
    m_dismiss = addButton(tr("Cancel"), QMessageBox::RejectRole);
    setEscapeButton(m_dismiss);
}

void UpdateDialog::showUpdateAvailable(const QString& version, const QString& currentVersion, bool canDownload)
{
    resetButtons();
    m_state = State::updateAvailable;
    setIcon(QMessageBox::Information);
    setText(tr("A new version of Gaugelet is available!"));
    if (canDownload) {
        setInformativeText(tr("Gaugelet %1 is now available—you have %2. Would you like to download it now?")
                               .arg(version, currentVersion));
        m_download = addButton(tr("Download"), QMessageBox::AcceptRole);
        m_dismiss = addButton(tr("Later"), QMessageBox::RejectRole);
        setDefaultButton(qobject_cast<QPushButton*>(m_download));
    } else {
        setInformativeText(tr("Gaugelet %1 is now available—you have %2.").arg(version, currentVersion));
        m_dismiss = addButton(tr("OK"), QMessageBox::RejectRole);
    }
    setEscapeButton(m_dismiss);
}

void UpdateDialog::showUpToDate(const QString& currentVersion)
{
    resetButtons();
    m_state = State::upToDate;
    setIcon(QMessageBox::Information);
    setText(tr("You're up to date!"));
    setInformativeText(tr("Gaugelet %1 is currently the newest version available.").arg(currentVersion));
    m_dismiss = addButton(tr("OK"), QMessageBox::RejectRole);
    setEscapeButton(m_dismiss);
}

void UpdateDialog::showError(const QString& errorText)
{
    resetButtons();
    m_state = State::failed;
    setIcon(QMessageBox::Warning);
    setText(tr("Update Error!"));
    setInformativeText(errorText);
    m_dismiss = addButton(tr("OK"), QMessageBox::RejectRole);
    setEscapeButton(m_dismiss);
}

} // namespace gaugelet
