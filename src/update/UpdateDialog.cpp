#include "update/UpdateDialog.h"

#include <QLabel>
#include <QPushButton>

namespace gaugelet {

namespace {

// Versions come from the feed: a long one is cut rather than stretching the window.
QString shortened(const QString& version)
{
    constexpr qsizetype limit = 40;
    return version.size() <= limit ? version : version.left(limit) + QStringLiteral("…");
}

} // namespace

UpdateDialog::UpdateDialog(QWidget* parent) : QMessageBox(parent)
{
    setWindowTitle(tr("Software Update"));
    setWindowModality(Qt::NonModal);
    setTextFormat(Qt::PlainText);
    showChecking();
}

void UpdateDialog::setDetail(const QString& text)
{
    setInformativeText(text);
    // Texts from the feed are never rich text, and never carry clickable links.
    if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        label->setTextFormat(Qt::PlainText);
        label->setOpenExternalLinks(false);
        label->setText(text);
    }
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
    setDetail(QString());
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
        setDetail(tr("Gaugelet %1 is now available—you have %2. Would you like to download it now?")
                      .arg(shortened(version), shortened(currentVersion)));
        m_download = addButton(tr("Download"), QMessageBox::AcceptRole);
        m_dismiss = addButton(tr("Later"), QMessageBox::RejectRole);
        setDefaultButton(qobject_cast<QPushButton*>(m_download));
    } else {
        setDetail(tr("Gaugelet %1 is now available—you have %2.").arg(shortened(version), shortened(currentVersion)));
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
    setDetail(tr("Gaugelet %1 is currently the newest version available.").arg(shortened(currentVersion)));
    m_dismiss = addButton(tr("OK"), QMessageBox::RejectRole);
    setEscapeButton(m_dismiss);
}

void UpdateDialog::showError(const QString& errorText)
{
    resetButtons();
    m_state = State::failed;
    setIcon(QMessageBox::Warning);
    setText(tr("Update Error!"));
    setDetail(errorText);
    m_dismiss = addButton(tr("OK"), QMessageBox::RejectRole);
    setEscapeButton(m_dismiss);
}

} // namespace gaugelet
