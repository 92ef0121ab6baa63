#include "schema/SettingsNotifier.h"

#include "schema/SettingsSchema.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;
using S = SettingsSchema;

namespace {

struct Spies {
    explicit Spies(SettingsNotifier* n)
        : popover(n, &SettingsNotifier::popoverChanged), menubar(n, &SettingsNotifier::menubarChanged), themes(n, &SettingsNotifier::themesChanged)
    {
    }
    QList<qsizetype> counts() const { return {popover.size(), menubar.size(), themes.size()}; }
    QSignalSpy popover;
    QSignalSpy menubar;
    QSignalSpy themes;
};

} // namespace

// Many changes in one turn give one signal per group that a changed key
// belongs to, at the end of the turn; keys of no group give none.
TEST(SettingsNotifier, OneSignalPerGroupPerTurn)
{
    test::ScopedDefaults defaults;
    SettingsNotifier* notifier = SettingsNotifier::of(defaults.get());
    ASSERT_EQ(SettingsNotifier::of(defaults.get()), notifier) << "one notifier per store";
    Spies spies(notifier);

    S::write(S::popupFontSize, 11, *defaults.get());
    S::write(S::statFgHex, QStringLiteral("#FF0000FF"), *defaults.get());
    defaults->set(S::tagOverride.key(u"cpu.total"), QStringLiteral("PROC"));
    defaults->set(S::providerEnabled.key(u"gpu.total"), false);
    EXPECT_EQ(spies.counts(), (QList<qsizetype>{0, 0, 0})) << "nothing before the turn ends";
    QCoreApplication::processEvents();
    EXPECT_EQ(spies.counts(), (QList<qsizetype>{1, 1, 1}));

    defaults->set(S::alarms, QByteArray("[]"));
    defaults->set(QStringLiteral("unrelated"), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(spies.counts(), (QList<qsizetype>{1, 1, 1})) << "keys of no group";

    S::write(S::spriteYOffset, 3, *defaults.get());
    S::write(S::fpsLimit, 20, *defaults.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(spies.counts(), (QList<qsizetype>{1, 2, 2})) << "a later turn signals again";

    S::write(S::spriteYOffset, 3, *defaults.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(spies.counts(), (QList<qsizetype>{1, 2, 2})) << "an equal value is no change";
}
