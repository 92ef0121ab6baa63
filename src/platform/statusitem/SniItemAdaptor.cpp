#include "platform/statusitem/SniItemAdaptor.h"

#include "platform/statusitem/SniItem.h"

namespace gaugelet {

SniItemAdaptor::SniItemAdaptor(QObject* exported, SniItem* owner) : QDBusAbstractAdaptor(exported), m_owner(owner)
{
    setAutoRelaySignals(false);
}

QString SniItemAdaptor::category() const
{
    return QStringLiteral("ApplicationStatus");
}

QString SniItemAdaptor::id() const
{
    return m_owner->id();
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
    m_owner->noteRead();
    return m_owner->iconPixmap();
}

SniToolTip SniItemAdaptor::toolTip() const
{
    return m_owner->toolTip();
}

QString SniItemAdaptor::accessibleDesc() const
{
    return m_owner->toolTip().title;
}

void SniItemAdaptor::Activate(int x, int y, const QDBusMessage& message)
{
    activated(QPoint(x, y), message);
}

void SniItemAdaptor::activated(const QPoint& position, const QDBusMessage&)
{
    m_owner->click("Activate", position);
}

void SniItemAdaptor::SecondaryActivate(int x, int y)
{
    m_owner->click("SecondaryActivate", QPoint(x, y));
}

void SniItemAdaptor::ContextMenu(int x, int y)
{
    // No menu: a right click toggles like a left click.
    m_owner->click("ContextMenu", QPoint(x, y));
}

void SniItemAdaptor::Scroll(int, const QString&) {}

} // namespace gaugelet
