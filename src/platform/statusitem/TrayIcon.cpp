#include "platform/statusitem/TrayIcon.h"

#include "platform/core/MainThread.h"

namespace gaugelet {

namespace {

TrayIcon::Factory& installedFactory()
{
    static TrayIcon::Factory factory;
    return factory;
}

} // namespace

void TrayIcon::setFactory(Factory factory)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    installedFactory() = std::move(factory);
}

TrayIcon* TrayIcon::create()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    return installedFactory() ? installedFactory()() : nullptr;
}

} // namespace gaugelet
