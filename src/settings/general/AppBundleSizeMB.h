#pragma once

#include <QStringList>

namespace gaugelet {

// What the installed program occupies, in whole decimal megabytes (rounded
// down): the blocks allocated to the executable and to the resources folder.
// Unreadable files count 0; never fails. Synchronous.
int appBundleSizeMB();
// The same over the given files and folders.
int appBundleSizeMB(const QStringList& roots);

} // namespace gaugelet
