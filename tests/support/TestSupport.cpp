#include "TestSupport.h"

#include "platform/core/MediaClock.h"
#include "platform/core/WallClock.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>

namespace gaugelet::test {

ScopedDefaults::ScopedDefaults() : m_defaults(std::make_unique<Defaults>())
{
    Defaults::setStandard(m_defaults.get());
}

ScopedDefaults::~ScopedDefaults()
{
    Defaults::setStandard(nullptr);
}

ManualMediaClock::ManualMediaClock(double start) : m_now(std::make_shared<double>(start))
{
    auto now = m_now;
    MediaClock::setSourceForTesting([now] { return *now; });
}

ManualMediaClock::~ManualMediaClock()
{
    MediaClock::setSourceForTesting({});
}

ManualWallClock::ManualWallClock(QDateTime start) : m_now(std::make_shared<QDateTime>(start))
{
    auto now = m_now;
    WallClock::setSourceForTesting([now] { return *now; });
}

ManualWallClock::~ManualWallClock()
{
    WallClock::setSourceForTesting({});
}

bool waitUntil(const std::function<bool()>& predicate, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!predicate()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

ScopedAppFont::ScopedAppFont(int points) : m_old(QApplication::font())
{
    QFont font = m_old;
    font.setPointSize(points);
    QApplication::setFont(font);
}

ScopedAppFont::~ScopedAppFont()
{
    QApplication::setFont(m_old);
}

void spinFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qUtf8Printable(path));
    f.write(contents);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QList<std::pair<QString, QByteArray>> fuzzInputs(const QString& folder)
{
    const QDir dir(folder);
    QList<std::pair<QString, QByteArray>> inputs;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        inputs.append({name, readFile(dir.filePath(name))});
    EXPECT_FALSE(inputs.isEmpty()) << "no inputs in " << folder.toStdString();
    return inputs;
}

QPalette darkPalette()
{
    const QColor text(0xec, 0xec, 0xec), dim(0x78, 0x78, 0x7d), base(0x1e, 0x1e, 0x1e), button(0x3a, 0x3a, 0x3e);
    QPalette p(button, QColor(0x28, 0x28, 0x2a));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
        p.setColor(role, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x32, 0x32, 0x36));
    p.setColor(QPalette::ToolTipBase, button);
    p.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::PlaceholderText, QColor(0x96, 0x96, 0x9b));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    return p;
}

} // namespace gaugelet::test
