#include "platform/statusitem/SniItemMenuAdaptor.h"

#include "platform/statusitem/SniItem.h"

namespace gaugelet {

SniItemMenuAdaptor::SniItemMenuAdaptor(QObject* exported, SniItem* owner) : SniItemAdaptor(exported, owner) { }

QDBusObjectPath SniItemMenuAdaptor::menu() const
{
    return QDBusObjectPath(item()->menuPath());
}

} // namespace gaugelet
