#include "views/WheelGuard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

namespace gaugelet {

WheelGuard::WheelGuard(QWidget* control) : QObject(control)
{
    setObjectName(QStringLiteral("wheelGuard"));
}

void WheelGuard::install(QWidget* control)
{
    if (!control || control->findChild<WheelGuard*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(new WheelGuard(control));
}

bool WheelGuard::isWheelControl(const QWidget* widget)
{
    return (qobject_cast<const QAbstractSlider*>(widget) && !qobject_cast<const QScrollBar*>(widget))
        || qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget);
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control || control->hasFocus())
        return false;
    // Hand the wheel to the widgets beneath, nearest first, until one takes it
    // (the scroll area's viewport); the control never sees it.
    const auto* wheel = static_cast<QWheelEvent*>(event);
    bool taken = false;
    for (QWidget* below = control->parentWidget(); below; below = below->parentWidget()) {
        QWheelEvent passed(control->mapTo(below, wheel->position()), wheel->globalPosition(), wheel->pixelDelta(),
                           wheel->angleDelta(), wheel->buttons(), wheel->modifiers(), wheel->phase(),
                           wheel->inverted(), wheel->source(), wheel->pointingDevice());
        passed.setAccepted(false);
        QCoreApplication::sendEvent(below, &passed);
        taken = passed.isAccepted();
        if (taken || below->isWindow())
            break;
    }
    // The wheel counts as used only where a widget beneath used it.
    event->setAccepted(taken);
    return true;
}

} // namespace gaugelet
