#include "platform/core/ThreadExit.h"

#include <QApplication>
#include <gtest/gtest.h>

// Every test program runs inside one QApplication (offscreen unless the
// environment says otherwise), so timers, queued calls, D-Bus and widgets work.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Network managers that tests make (and the program's) end their threads
    // before the exit handlers run; added first, this wait runs last.
    gaugelet::ThreadExit::awaitNetworkThreadsAtExit();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
