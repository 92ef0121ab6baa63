#pragma once

#include <QObject>

class QWidget;

namespace gaugelet {

// Keeps the mouse wheel from changing a control (slider, spin box, combo box)
// that the user has not chosen: the control takes keyboard focus by tab or by
// click only, and while it lacks focus a wheel turned over it goes on to the
// widgets beneath, so the page's scroll area scrolls instead of a setting
// changing behind the user's back. Lives as a child of its control.
class WheelGuard : public QObject {
    Q_OBJECT
public:
    // Guards one control.
    static void install(QWidget* control);
    // Whether a widget is a control the wheel would change: a slider (not a
    // scroll bar), a spin box or a combo box.
    static bool isWheelControl(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WheelGuard(QWidget* control);
};

} // namespace gaugelet
