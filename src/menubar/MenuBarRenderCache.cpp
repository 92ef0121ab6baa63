#include "menubar/MenuBarRenderCache.h"

#include "platform/core/MainThread.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/style/Appearance.h"

#include <QGuiApplication>

namespace gaugelet {

MenuBarRenderCache::MenuBarRenderCache(QObject* parent)
    : QObject(parent), cachedTheme(currentTheme()), cachedThickness(ScreenInfo::statusBarThickness)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    // Both handlers run on the main thread; `this` as the context object drops
    // them once the cache is gone.
    m_appearanceObserver = connect(Appearance::instance(), &Appearance::changed, this, [this] {
        QMetaObject::invokeMethod(this, [this] { appearanceChanged(); }, Qt::QueuedConnection);
    });
    m_screenObserver = connect(ScreenInfo::instance(), &ScreenInfo::screensChanged, this, [this] {
        QMetaObject::invokeMethod(this, [this] { screenParametersChanged(); }, Qt::QueuedConnection);
    });
}

MenuBarRenderCache::~MenuBarRenderCache()
{
    disconnect(m_appearanceObserver);
    disconnect(m_screenObserver);
}

void MenuBarRenderCache::appearanceChanged()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    cachedTheme = currentTheme();
    pinImages.clear();
    Q_EMIT invalidated();
}

void MenuBarRenderCache::screenParametersChanged()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    cachedThickness = ScreenInfo::statusBarThickness;
    pinImages.clear();
    Q_EMIT invalidated();
}

} // namespace gaugelet
