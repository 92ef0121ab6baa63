#pragma once

#include <QAbstractButton>
#include <QMessageBox>

namespace gaugelet {

// The updater's one window: says that it is checking, that a newer version
// exists (and offers to download it), that this build is up to date, or what
// went wrong. It never blocks: it is shown modeless and reports its end with
// finished(); downloadChosen() tells whether the download button closed it.
class UpdateDialog : public QMessageBox {
    Q_OBJECT
public:
    enum class State { checking, updateAvailable, upToDate, failed };

    explicit UpdateDialog(QWidget* parent = nullptr);

    void showChecking();
    // canDownload: whether a download link exists to offer.
    void showUpdateAvailable(const QString& version, const QString& currentVersion, bool canDownload);
    void showUpToDate(const QString& currentVersion);
    void showError(const QString& errorText);

    State state() const { return m_state; }
    QAbstractButton* downloadButton() const { return m_download; }
    // The button that dismisses the dialog in the current state ("Cancel", "Later" or "OK").
    QAbstractButton* dismissButton() const { return m_dismiss; }
    bool downloadChosen() const { return m_download && clickedButton() == m_download; }

private:
    void resetButtons();
    // Empties the buttons and shows `state` with its icon and texts.
    void present(State state, QMessageBox::Icon icon, const QString& text, const QString& detail);
    // The button that closes the dialog, also taken by Escape.
    void addDismissButton(const QString& title);
    void setDetail(const QString& text);

    State m_state = State::checking;
    QAbstractButton* m_download = nullptr;
    QAbstractButton* m_dismiss = nullptr;
};

} // namespace gaugelet
