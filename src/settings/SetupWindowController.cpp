#include "settings/SetupWindowController.h"

namespace gaugelet {

SetupWindowController::SetupWindowController(QObject* parent) : QObject(parent) {}

void SetupWindowController::showIfNeeded() {}

} // namespace gaugelet
