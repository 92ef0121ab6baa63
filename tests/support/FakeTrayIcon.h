#pragma once

#include "platform/statusitem/TrayIcon.h"

#include <QIcon>

namespace gaugelet::test {

// The tray icon the application installs, as far as the status item can see
// it: where its tray put it (empty: no tray holds it), clicked by the test.
class FakeTrayIcon final : public TrayIcon {
public:
    explicit FakeTrayIcon(bool inTray = true) : place(inTray ? QRect(0, 0, 22, 24) : QRect()) { }
    void setIcon(const QIcon& icon) override { this->icon = icon; }
    void setToolTip(const QString& text) override { toolTip = text; }
    void show() override { visible = true; }
    void hide() override { visible = false; }
    QRect geometry() const override { return visible ? place : QRect(); }
    void click() { Q_EMIT activated(); }
    void setTray(bool present)
    {
        place = present ? QRect(0, 0, 22, 24) : QRect();
        Q_EMIT trayChanged();
    }

    QIcon icon;
    QString toolTip;
    bool visible = false;
    QRect place;
};

} // namespace gaugelet::test
