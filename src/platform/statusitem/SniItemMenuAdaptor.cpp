#include "platform/statusitem/SniItemMenuAdaptor.h"

#include "platform/statusitem/SniItem.h"
#include "platform/statusitem/StatusItemLog.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace gaugelet {

const QString SniItemMenuAdaptor::cancelledError =
    QStringLiteral("org.gtk.GDBus.UnmappedGError.Quark._g_2dio_2derror_2dquark.Code19");

SniItemMenuAdaptor::SniItemMenuAdaptor(QObject* exported, SniItem* owner) : SniItemAdaptor(exported, owner) { }

QDBusObjectPath SniItemMenuAdaptor::menu() const
{
    return QDBusObjectPath(item()->menuPath());
}

void SniItemMenuAdaptor::activated(const QPoint& position, const QDBusMessage& message)
{
    message.setDelayedReply(true);
    item()->send(message.createErrorReply(cancelledError, QStringLiteral("Handled as a single click")));
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const int doubleClickMs = app ? QGuiApplication::styleHints()->mouseDoubleClickInterval() : 400;
    if (m_lastActivate.isValid() && !m_lastActivate.hasExpired(doubleClickMs)) {
        logInfo(lcStatusItem, "sni.doubleClick item=%s ms=%lld", qUtf8Printable(item()->key()),
                qlonglong(m_lastActivate.elapsed()));
        return;
    }
    m_lastActivate.start();
    item()->click("Activate", position);
}

} // namespace gaugelet
