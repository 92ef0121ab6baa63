#pragma once

#include <QFuture>
#include <QString>
#include <type_traits>
#include <utility>

namespace gaugelet {

// An actor's executor: runs submitted jobs one at a time, in order, on the
// main thread, where every caller is. A sampler's job is a few reads of
// kernel files through kept descriptors (tens of microseconds), less than a
// hop to a worker thread and back costs, so the actors share the main thread
// instead of keeping a sleeping thread each. Callers still
// `co_await executor.run(job)`; the future is ready when run() returns.
class SerialExecutor {
public:
    explicit SerialExecutor(QString label) : m_label(std::move(label)) {}

    SerialExecutor(const SerialExecutor&) = delete;
    SerialExecutor& operator=(const SerialExecutor&) = delete;

    const QString& label() const { return m_label; }

    template <typename Job>
    auto run(Job&& job) -> QFuture<std::invoke_result_t<Job>>
    {
        using Value = std::invoke_result_t<Job>;
        if constexpr (std::is_void_v<Value>) {
            std::forward<Job>(job)();
            return QtFuture::makeReadyFuture();
        } else {
            return QtFuture::makeReadyFuture(std::forward<Job>(job)());
        }
    }

private:
    QString m_label;
};

} // namespace gaugelet
