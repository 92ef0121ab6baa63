#pragma once

#include <QFuture>
#include <QString>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <utility>

namespace gaugelet {

// An actor's executor: one worker thread that runs submitted jobs one at a
// time, in order. Callers on the main thread `co_await executor.run(job)`
// (QCoro resumes them on the main thread).
class SerialExecutor {
public:
    explicit SerialExecutor(const QString& label)
    {
        m_pool.setObjectName(label);
        m_pool.setMaxThreadCount(1);
        m_pool.setExpiryTimeout(-1);
    }
    ~SerialExecutor() { m_pool.waitForDone(); }

    SerialExecutor(const SerialExecutor&) = delete;
    SerialExecutor& operator=(const SerialExecutor&) = delete;

    template <typename Job>
    auto run(Job&& job)
    {
        return QtConcurrent::run(&m_pool, std::forward<Job>(job));
    }

private:
    QThreadPool m_pool;
};

} // namespace gaugelet
