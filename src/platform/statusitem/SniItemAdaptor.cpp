#include "platform/statusitem/SniItemAdaptor.h"

#include "platform/statusitem/SniStatusItem.h"

namespace gaugelet {

SniItemAdaptor::SniItemAdaptor(QObject* exported, SniStatusItem* owner) : QDBusAbstractAdaptor(exported), m_owner(owner)
{
    setAutoRelaySignals(false);
}

QString SniItemAdaptor::category() const
{
    return QStringLiteral("ApplicationStatus");
}

QString SniItemAdaptor::id() const
{
    return QStringLiteral("gaugelet");
}

QString SniItemAdaptor::title() const
{
    return m_owner->title();
}

QString SniItemAdaptor::status() const
{
    return m_owner->status();
}

SniIconPixmapList SniItemAdaptor::iconPixmap() const
{
    return m_owner->iconPixmap();
}

SniToolTip SniItemAdaptor::toolTip() const
{
    return m_owner->toolTip();
}

void SniItemAdaptor::Activate(int x, int y)
{
    m_owner->activate(QPoint(x, y));
}

void SniItemAdaptor::SecondaryActivate(int x, int y)
{
    m_owner->activate(QPoint(x, y));
}

void SniItemAdaptor::ContextMenu(int x, int y)
{
    // No menu: a right click toggles like a left click.
    m_owner->activate(QPoint(x, y));
}

void SniItemAdaptor::Scroll(int, const QString&) {}

} // namespace gaugelet
