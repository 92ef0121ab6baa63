#include "platform/statusitem/ScreenInfo.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace gaugelet {

ScreenInfo* ScreenInfo::instance()
{
    static ScreenInfo* shared = new ScreenInfo(QCoreApplication::instance());
    return shared;
}

ScreenInfo::ScreenInfo(QObject* parent) : QObject(parent)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
        watch(s);
        Q_EMIT screensChanged();
    });
    connect(app, &QGuiApplication::screenRemoved, this, [this] { Q_EMIT screensChanged(); });
    connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { Q_EMIT screensChanged(); });
    for (QScreen* s : QGuiApplication::screens())
        watch(s);
}

void ScreenInfo::watch(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, [this] { Q_EMIT screensChanged(); });
    connect(screen, &QScreen::availableGeometryChanged, this, [this] { Q_EMIT screensChanged(); });
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, [this] { Q_EMIT screensChanged(); });
}

ScreenFacts ScreenInfo::factsOf(const QScreen* screen)
{
    ScreenFacts facts;
    facts.frame = screen->geometry();
    facts.visibleFrame = screen->availableGeometry();
    facts.backingScaleFactor = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
    return facts;
}

std::optional<ScreenFacts> ScreenInfo::mainScreen() const
{
    if (m_overridden)
        return m_override;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return factsOf(screen);
}

std::optional<ScreenFacts> ScreenInfo::screenAt(const QPoint& point) const
{
    if (m_overridden) {
        if (m_override && m_override->frame.contains(point))
            return m_override;
        return std::nullopt;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        return std::nullopt;
    return factsOf(screen);
}

double ScreenInfo::mainBackingScaleFactor() const
{
    const auto main = mainScreen();
    return main ? main->backingScaleFactor : 2.0;
}

void ScreenInfo::setMainScreenForTesting(std::optional<ScreenFacts> facts)
{
    m_overridden = true;
    m_override = std::move(facts);
    Q_EMIT screensChanged();
}

void ScreenInfo::resetOverrideForTesting()
{
    m_overridden = false;
    m_override.reset();
    Q_EMIT screensChanged();
}

} // namespace gaugelet
