#pragma once

#include <QObject>
#include <utility>

namespace gaugelet {

// Subscribes to a published value the way our publishers behave: the
// subscriber gets the current value at once, then every later one.
//   subscribeWithCurrent(clock, &RenderClock::tick, &RenderClock::tickChanged, this, [](int t) {...});
template <typename Sender, typename Getter, typename Signal, typename Context, typename Slot>
QMetaObject::Connection subscribeWithCurrent(Sender* sender, Getter getter, Signal signal, Context* context, Slot slot)
{
    slot((sender->*getter)());
    return QObject::connect(sender, signal, context, std::move(slot));
}

} // namespace gaugelet
