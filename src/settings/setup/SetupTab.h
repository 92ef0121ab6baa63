#pragma once

#include <QWidget>

namespace gaugelet {

class SetupChecklist;

// The settings window's "Setup" tab: the setup checklist in a scroll view,
// the way back to the permissions after the setup window has been closed.
class SetupTab : public QWidget {
    Q_OBJECT
public:
    explicit SetupTab(QWidget* parent = nullptr);

    SetupChecklist* checklist() const { return m_checklist; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SetupChecklist* m_checklist = nullptr;
};

} // namespace gaugelet
