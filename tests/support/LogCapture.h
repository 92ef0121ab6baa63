#pragma once

// Collects the log lines of one category (from any thread) while alive.

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace gaugelet::test {

class LogCapture {
public:
    explicit LogCapture(QString category) : m_category(std::move(category))
    {
        current() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }
    // How many lines equal text exactly.
    int count(const QString& text) const { return int(lines().count(text)); }
    // How many lines start with prefix.
    int countPrefix(const QString& prefix) const
    {
        int n = 0;
        for (const QString& line : lines())
            n += line.startsWith(prefix) ? 1 : 0;
        return n;
    }

private:
    static LogCapture*& current()
    {
        static LogCapture* instance = nullptr;
        return instance;
    }

    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        LogCapture* self = current();
        if (self && context.category && self->m_category == QLatin1String(context.category)) {
            QMutexLocker lock(&self->m_mutex);
            self->m_lines.append(message);
        }
        if (self && self->m_previous)
            self->m_previous(type, context, message);
    }

    QString m_category;
    mutable QMutex m_mutex;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace gaugelet::test
