#pragma once

#include <QObject>
#include <type_traits>
#include <utility>

namespace gaugelet {

// The one way an observable object stores a published field, in the order
// subscribers rely on:
//   1. objectWillChange(), when the owner has that change notice;
//   2. the field's own "will change" signal with the new value, when given;
//   3. the store;
//   4. the field's "changed" signal, with the new value when it takes one.
//
//   void PinManager::setPins(const QList<Pin>& pins)
//   {
//       publish(this, m_pins, pins, &PinManager::pinsWillChange, &PinManager::pinsChanged);
//   }
//
// publishIfChanged does all of it only when the value differs from the
// stored one, and says whether it did.

namespace publish_detail {

template <typename Owner>
void objectWillChange(Owner* owner)
{
    if constexpr (requires { owner->objectWillChange(); })
        Q_EMIT owner->objectWillChange();
}

// Emits `signal` with `value` when it takes an argument, bare otherwise.
template <typename Owner, typename Signal, typename T>
void emitWith(Owner* owner, Signal signal, const T& value)
{
    if constexpr (std::is_invocable_v<Signal, Owner*, const T&>)
        Q_EMIT(owner->*signal)(value);
    else
        Q_EMIT(owner->*signal)();
}

} // namespace publish_detail

template <typename Owner, typename T, typename U, typename Changed>
void publish(Owner* owner, T& field, U&& value, Changed changed)
{
    publish_detail::objectWillChange(owner);
    field = std::forward<U>(value);
    publish_detail::emitWith(owner, changed, field);
}

template <typename Owner, typename T, typename U, typename WillChange, typename Changed>
void publish(Owner* owner, T& field, U&& value, WillChange willChange, Changed changed)
{
    publish_detail::objectWillChange(owner);
    publish_detail::emitWith(owner, willChange, std::as_const(value));
    field = std::forward<U>(value);
    publish_detail::emitWith(owner, changed, field);
}

template <typename Owner, typename T, typename U, typename... Signals>
bool publishIfChanged(Owner* owner, T& field, U&& value, Signals... signals)
{
    if (field == value)
        return false;
    publish(owner, field, std::forward<U>(value), signals...);
    return true;
}

} // namespace gaugelet
