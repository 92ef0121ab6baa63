#pragma once

#include "platform/core/Defaults.h"

#include <QByteArray>
#include <QDateTime>
#include <QFont>
#include <QList>
#include <QPalette>
#include <QString>
#include <functional>
#include <memory>
#include <utility>

namespace gaugelet::test {

// An in-memory standard user-defaults store for the length of a test.
class ScopedDefaults {
public:
    ScopedDefaults();
    ~ScopedDefaults();
    Defaults* operator->() { return m_defaults.get(); }
    Defaults* get() { return m_defaults.get(); }

private:
    std::unique_ptr<Defaults> m_defaults;
};

// A media clock the test moves by hand.
class ManualMediaClock {
public:
    explicit ManualMediaClock(double start = 1000.0);
    ~ManualMediaClock();
    void set(double t) { *m_now = t; }
    void advance(double dt) { *m_now += dt; }
    double now() const { return *m_now; }

private:
    std::shared_ptr<double> m_now;
};

// A wall clock the test moves by hand.
class ManualWallClock {
public:
    explicit ManualWallClock(QDateTime start = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC));
    ~ManualWallClock();
    void set(const QDateTime& t) { *m_now = t; }
    void advanceSecs(double s) { *m_now = m_now->addMSecs(qint64(s * 1000)); }
    QDateTime now() const { return *m_now; }

private:
    std::shared_ptr<QDateTime> m_now;
};

// The dark scheme tests draw the dark appearance in (screenshots, and the
// colours that follow the palette).
QPalette darkPalette();

// The application font at a point size for the length of a scope.
class ScopedAppFont {
public:
    explicit ScopedAppFont(int points);
    ~ScopedAppFont();

private:
    QFont m_old;
};

// Runs the event loop until the predicate holds or the time-out passes.
bool waitUntil(const std::function<bool()>& predicate, int timeoutMs = 5000);
// Runs the event loop for a while (for checking that nothing happens).
void spinFor(int ms);

// Reads and writes a whole file (tests build fake trees of real files).
void writeFile(const QString& path, const QByteArray& contents);
QByteArray readFile(const QString& path);

// Every file of a fuzz target's inputs folder (its seeds and the crash
// inputs found so far), by name, for a test to replay through the target's
// check. The folder must hold at least one file.
QList<std::pair<QString, QByteArray>> fuzzInputs(const QString& folder);

} // namespace gaugelet::test
