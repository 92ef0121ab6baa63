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

void UpdateDialog::present(State state, QMessageBox::Icon icon, const QString& text, const QString& detail)
{
    resetButtons();
    m_state = state;
    setIcon(icon);
    setText(text);
    setDetail(detail);
}

void UpdateDialog::addDismissButton(const QString& title)
{
    m_dismiss = addButton(title, QMessageBox::RejectRole);
    setEscapeButton(m_dismiss);
}

void UpdateDialog::showChecking()
{
    present(State::checking, QMessageBox::Information, tr("Checking for updates…"), QString());
    addDismissButton(tr("Cancel"));
}

void UpdateDialog::showUpdateAvailable(const QString& version, const QString& currentVersion, bool canDownload)
{
    const QString detail = canDownload
                               ? tr("Gaugelet %1 is now available—you have %2. Would you like to download it now?")
                               : tr("Gaugelet %1 is now available—you have %2.");
    present(State::updateAvailable, QMessageBox::Information, tr("A new version of Gaugelet is available!"),
            detail.arg(shortened(version), shortened(currentVersion)));
    if (canDownload) {
        m_download = addButton(tr("Download"), QMessageBox::AcceptRole);
        addDismissButton(tr("Later"));
        setDefaultButton(qobject_cast<QPushButton*>(m_download));
    } else {
        addDismissButton(tr("OK"));
    }
}

void UpdateDialog::showUpToDate(const QString& currentVersion)
{
    present(State::upToDate, QMessageBox::Information, tr("You're up to date!"),
            tr("Gaugelet %1 is currently the newest version available.").arg(shortened(currentVersion)));
    addDismissButton(tr("OK"));
}

void UpdateDialog::showError(const QString& errorText)
{
    present(State::failed, QMessageBox::Warning, tr("Update Error!"), errorText);
    addDismissButton(tr("OK"));
}

} // namespace gaugelet
