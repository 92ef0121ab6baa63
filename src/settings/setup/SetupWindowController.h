#pragma once

#include "settings/setup/SetupWindowView.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace gaugelet {

class SetupWindowView;

// Owner of the optional first-run setup window. Creates no window until
// showIfNeeded() decides one is needed. Main thread.
class SetupWindowController : public QObject {
    Q_OBJECT
public:
    // Set once the user has closed the setup window; from then on it never
    // opens by itself again.

    explicit SetupWindowController(QObject* parent = nullptr);
    ~SetupWindowController() override;

    // Called once after launch: opens the setup window unless the user has
    // closed it before, or notifications are allowed and the program starts
    // at login. The notification answer arrives asynchronously (bounded by
    // the notification centre's reply time-out).
    void showIfNeeded();
    // Builds the window on first use, then brings it to the front.
    void present();

    // The window while it is open; null before and after.
    SetupWindowView* window() const { return m_window.data(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void windowWillClose();

    QPointer<SetupWindowView> m_window;
};

} // namespace gaugelet
