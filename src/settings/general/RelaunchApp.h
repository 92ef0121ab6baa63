#pragma once

#include "platform/core/Result.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace gaugelet {

// Starts a new instance of the program and quits this one. The settings store
// is flushed first and then stops saving, so the new instance reads exactly
// what was flushed and this one's exit cannot overwrite it. When the flush
// fails nothing is started and the reason is returned; otherwise this
// instance quits (from the event loop's next turn) whatever the start
// reported. Main thread.
Result<void, QString> relaunchApp();

// The arguments the new instance gets, given this one's (program first): the
// same, less the program, a start by the login item (the new copy is started
// by the user's load, and must put its window up where nothing shows the
// row) and any earlier wait, then the wait for this copy to quit.
QStringList relaunchArguments(const QStringList& arguments);

// Test seam: replaces starting the new instance (program, arguments; returns
// whether it started) and quitting. nullopt restores the real ones.
struct RelaunchHooks {
    std::function<bool(const QString& program, const QStringList& arguments)> start;
    std::function<void()> quit;
};
void setRelaunchHooksForTesting(std::optional<RelaunchHooks> hooks);

} // namespace gaugelet
