#pragma once

#include <type_traits>
#include <utility>
#include <variant>

namespace gaugelet {

// The failing side of a Result, built with fail(error).
template <typename E>
struct Failure {
    E error;
};

template <typename E>
Failure<std::decay_t<E>> fail(E&& error)
{
    return Failure<std::decay_t<E>>{std::forward<E>(error)};
}

// The outcome of an operation that can fail: a value, or the owner's nested
// error type. Used instead of exceptions across module boundaries.
template <typename T, typename E>
class [[nodiscard]] Result {
public:
    Result(const T& value) : m_state(std::in_place_index<0>, value) {}
    Result(T&& value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure<E> failure) : m_state(std::in_place_index<1>, std::move(failure.error)) {}

    bool hasValue() const { return m_state.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    const E& error() const { return std::get<1>(m_state); }

    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

private:
    std::variant<T, E> m_state;
};

// A Result with no value: success, or an error.
template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(Failure<E> failure) : m_error(std::move(failure.error)), m_failed(true) {}

    bool hasValue() const { return !m_failed; }
    explicit operator bool() const { return hasValue(); }
    const E& error() const { return m_error; }

private:
    E m_error{};
    bool m_failed = false;
};

} // namespace gaugelet
