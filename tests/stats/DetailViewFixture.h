#pragma once

#include "TestSupport.h"
#include "stats/StatHistoryStore.h"
#include "stats/StatSnapshot.h"
#include "stats/ThemeStore.h"
#include "views/ViewEnvironment.h"

#include <QCoreApplication>
#include <any>

namespace gaugelet::test {

// A real history store and theme store, an in-memory settings store and a
// hand-moved wall clock: what a detail view reads from its environment.
struct DetailViewFixture {
    ScopedDefaults defaults;
    ManualWallClock clock;
    StatHistoryStore history;
    ThemeStore theme{QStringLiteral("gum.dark")};
    ViewEnvironment env;

    DetailViewFixture()
    {
        env.history = &history;
        env.theme = &theme;
    }

    static StatSnapshot snapshot(const QString& providerId, QList<Series> breakdown,
                                 QHash<QString, std::any> extras = {}, const QString& label = QString())
    {
        StatSnapshot s;
        s.providerId = providerId;
        s.label = label;
        s.breakdown = std::move(breakdown);
        s.extras = std::move(extras);
        return s;
    }

    // Records a snapshot one second after the previous one and returns it.
    StatSnapshot record(StatSnapshot s)
    {
        clock.advanceSecs(1);
        s.asOf = clock.now();
        history.record(s);
        return s;
    }

    static void settle() { QCoreApplication::processEvents(); }
};

inline Series series(const QString& id, double value)
{
    return Series{id, id, value, std::nullopt};
}

} // namespace gaugelet::test
