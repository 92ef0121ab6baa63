#pragma once

#include "settings/general/BackupFlowModel.h"

#include <QCoreApplication>
#include <functional>
#include <optional>

class QWidget;

namespace gaugelet {

// The backup flow's panels and alerts on screen, modal to the settings window
// and answered asynchronously (no nested event loop).
class BackupPanels {
    Q_DECLARE_TR_FUNCTIONS(BackupPanels)
public:
    // A non-native file dialog for the request; done gets the chosen path, or
    // nothing when the user cancels.
    static void runFileDialog(QWidget* parent, const BackupFlowModel::PanelRequest& request,
                              std::function<void(std::optional<QString>)> done);
    // A message box with one "OK" button; both texts plain.
    static void showAlert(QWidget* parent, const BackupFlowModel::Alert& alert, std::function<void()> dismissed);
};

} // namespace gaugelet
