#pragma once

#include <QCoreApplication>
#include <QThread>

namespace gaugelet {

// True on the GUI thread (the program's main actor). Without an application
// object there is only one thread of interest, so it counts as main.
inline bool isMainThread()
{
    auto* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

} // namespace gaugelet

// Every main-thread entry point starts with this. A call from another thread
// is a programming error and stops the program with the function's name.
#define GAUGELET_ASSERT_MAIN_THREAD()                                                 \
    do {                                                                              \
        if (!::gaugelet::isMainThread())                                              \
            qFatal("%s must run on the main thread", static_cast<const char*>(Q_FUNC_INFO)); \
    } while (false)
