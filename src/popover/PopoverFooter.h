#pragma once

#include "popover/PopoverActions.h"
#include "views/ViewEnvironment.h"

#include <QWidget>

class QPushButton;

namespace gaugelet {

class UpdateBadge;

// The popover's last row: "Settings…", the update badge while the update
// probe has found a newer version, and "Quit" at the trailing edge.
class PopoverFooter : public QWidget {
    Q_OBJECT
public:
    PopoverFooter(const ViewEnvironment& env, PopoverActions actions, QWidget* parent = nullptr);

    // Follows the updater's published values.
    void refresh();

    QPushButton* settingsButton() const { return m_settings; }
    UpdateBadge* updateBadge() const { return m_badge; }
    QPushButton* quitButton() const { return m_quit; }
    bool isUpdateBadgeShown() const;

private:
    ViewEnvironment m_env;
    PopoverActions m_actions;
    QPushButton* m_settings = nullptr;
    UpdateBadge* m_badge = nullptr;
    QPushButton* m_quit = nullptr;
};

} // namespace gaugelet
