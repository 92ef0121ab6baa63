#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <coroutine>
#include <memory>
#include <optional>
#include <utility>

namespace gaugelet {

// Awaits a worker's future on behalf of a context object: resumes with its
// result once it finishes, or with nothing as soon as the context is
// destroyed first. A coroutine awaiting a future alone is never resumed when
// the program quits while the worker runs (the watcher's signal is never
// delivered), and its frame, with the future's result, is never freed.
// Main thread.
template <typename T>
class AwaitedFuture {
public:
    AwaitedFuture(QObject* context, QFuture<T> future) : m_context(context), m_future(std::move(future)) { }

    bool await_ready() const noexcept { return !m_context || m_future.isFinished(); }

    void await_suspend(std::coroutine_handle<> handle)
    {
        auto pending = std::make_shared<std::coroutine_handle<>>(handle);
        auto resume = [pending] {
            if (const std::coroutine_handle<> h = std::exchange(*pending, {}))
                h.resume(); // may end the frame that holds this awaiter: touch nothing after
        };
        // The watcher belongs to the context and goes with it.
        auto* watcher = new QFutureWatcher<T>(m_context);
        QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [watcher, resume] {
            watcher->deleteLater();
            resume();
        });
        QObject::connect(watcher, &QObject::destroyed, resume);
        watcher->setFuture(m_future);
    }

    std::optional<T> await_resume()
    {
        if (!m_context || !m_future.isFinished())
            return std::nullopt;
        return m_future.result();
    }

private:
    QPointer<QObject> m_context;
    QFuture<T> m_future;
};

} // namespace gaugelet
