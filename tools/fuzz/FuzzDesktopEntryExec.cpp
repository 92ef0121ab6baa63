// The property is checkDesktopEntryExec's (DesktopEntryExecCheck.h).
#include "DesktopEntryExecCheck.h"
#include "FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return gaugelet::fuzz::runCheck(data, size, gaugelet::fuzz::checkDesktopEntryExec);
}
