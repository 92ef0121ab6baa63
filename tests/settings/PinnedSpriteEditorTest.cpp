#include "SettingsTestSupport.h"

#include "menubar/TagSpec.h"
#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"
#include "settings/stats/PinnedSpriteEditor.h"
#include "settings/stats/SharedTagColorRows.h"
#include "settings/stats/TagStylingRows.h"
#include "stats/StatRegistry.h"
#include "views/ToolTip.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

const QString cpu = QStringLiteral("cpu.total");
const QString overrideKey = SettingsSchema::tagOverride.key(u"cpu.total");
const Pin foxPin{cpu, QStringLiteral("viz.runner.fox")};

QString repeated(const QString& unit, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += unit;
    return s;
}

} // namespace

TEST(PinnedSpriteEditor, CountsAndCutsUserPerceivedCharacters)
{
    const QString face = QString::fromUcs4(U"\U0001F600");
    const QString family = QString::fromUcs4(U"\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const QString accented = QStringLiteral("e\u0301");
    EXPECT_EQ(PinnedSpriteEditor::graphemeCount(repeated(face, 11)), 11);
    EXPECT_EQ(PinnedSpriteEditor::leadingGraphemes(repeated(face, 11), 10), repeated(face, 10));
    EXPECT_EQ(PinnedSpriteEditor::graphemeCount(repeated(family, 3)), 3);
    EXPECT_EQ(PinnedSpriteEditor::graphemeCount(accented + accented), 2);
    EXPECT_EQ(PinnedSpriteEditor::leadingGraphemes(QStringLiteral("abc"), 10), QStringLiteral("abc"));
    EXPECT_EQ(PinnedSpriteEditor::graphemeCount(QString()), 0);
    EXPECT_EQ(PinnedSpriteEditor::trimmedSpacesAndTabs(QStringLiteral(" \t\u00A0ab c\u3000\t ")), QStringLiteral("ab c"));
    EXPECT_EQ(PinnedSpriteEditor::trimmedSpacesAndTabs(QStringLiteral("\nab\n")), QStringLiteral("\nab\n"));
}

struct TagTextCase {
    QString typed;
    std::optional<QString> stored; // none: the key is removed
    QString field;
};

TEST(PinnedSpriteEditor, TagTextStoresTheTrimmedCutOverrideOrRemovesIt)
{
    const QString face = QString::fromUcs4(U"\U0001F600");
    const TagTextCase cases[] = {
        {QStringLiteral("Core"), QStringLiteral("Core"), QStringLiteral("Core")},
        {QStringLiteral("  Core\t"), QStringLiteral("Core"), QStringLiteral("  Core\t")},
        {QStringLiteral("   "), std::nullopt, QStringLiteral("   ")},
        {QString(), std::nullopt, QString()},
        {QStringLiteral("CPU"), std::nullopt, QStringLiteral("CPU")},
        {QStringLiteral(" \tCPU  "), std::nullopt, QStringLiteral(" \tCPU  ")},
        {QStringLiteral("cpu"), QStringLiteral("cpu"), QStringLiteral("cpu")},
        {QStringLiteral("ABCDEFGHIJK"), QStringLiteral("ABCDEFGHIJ"), QStringLiteral("ABCDEFGHIJ")},
        {QStringLiteral("  ABCDEFGHIJ"), QStringLiteral("ABCDEFGH"), QStringLiteral("  ABCDEFGH")},
        {repeated(face, 11), repeated(face, 10), repeated(face, 10)},
        {QStringLiteral("A\n"), QStringLiteral("A\n"), QStringLiteral("A\n")},
    };
    for (const TagTextCase& c : cases) {
        test::SettingsWorld world;
        world.defaults()->set(overrideKey, QStringLiteral("old"));
        PinnedSpriteEditor editor(foxPin, *world.registry->provider(cpu));
        EXPECT_EQ(editor.tagField()->text(), QStringLiteral("old"));
        editor.tagField()->setText(c.typed);
        editor.applyTagText(c.typed);
        EXPECT_EQ(world.defaults()->string(overrideKey), c.stored) << c.typed.toStdString();
        EXPECT_EQ(editor.tagField()->text(), c.field) << c.typed.toStdString();
    }
}

TEST(PinnedSpriteEditor, TypingInTheFieldGoesThroughTheSameRule)
{
    test::SettingsWorld world;
    PinnedSpriteEditor editor(foxPin, *world.registry->provider(cpu));
    EXPECT_EQ(editor.tagField()->text(), QStringLiteral("CPU"));
    EXPECT_EQ(editor.tagField()->placeholderText(), QStringLiteral("CPU"));
    EXPECT_EQ(editor.tagField()->toolTip(),
              ToolTip::fromPlainText(QStringLiteral("Panel tag for this provider (max 10 characters). Leave blank to "
                                                    "use the default (CPU).")));
    editor.tagField()->clear();
    QTest::keyClicks(editor.tagField(), QStringLiteral("abcdefghijkl"));
    EXPECT_EQ(editor.tagField()->text(), QStringLiteral("abcdefghij"));
    EXPECT_EQ(world.defaults()->string(overrideKey), QStringLiteral("abcdefghij"));
}

TEST(PinnedSpriteEditor, LabelSwitchesWriteShownAndShowTheirBlocks)
{
    test::SettingsWorld world;
    world.defaults()->set(TagSpec::key(foxPin.id(), TagSpec::Namespace::tag, u"shown"), true);
    test::WriteCounter writes(world.defaults());
    PinnedSpriteEditor editor(foxPin, *world.registry->provider(cpu));
    EXPECT_EQ(writes.count(), 0);
    EXPECT_TRUE(editor.nameToggle()->isChecked());
    EXPECT_FALSE(editor.valueToggle()->isChecked());
    EXPECT_FALSE(editor.customizeOpen());
    EXPECT_NE(editor.colorRows(), nullptr);
    EXPECT_NE(editor.nameRows(), nullptr);
    EXPECT_EQ(editor.valueRows(), nullptr);

    QTest::mouseClick(editor.valueToggle(), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->boolean(TagSpec::key(foxPin.id(), TagSpec::Namespace::value, u"shown")), true);
    ASSERT_NE(editor.valueRows(), nullptr);
    EXPECT_EQ(editor.valueRows()->titleLabel()->text(), QStringLiteral("Value (%)"));
    EXPECT_EQ(editor.nameRows()->titleLabel()->text(), QStringLiteral("Name tag"));

    QTest::mouseClick(editor.valueToggle(), Qt::LeftButton);
    QTest::mouseClick(editor.nameToggle(), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->boolean(TagSpec::key(foxPin.id(), TagSpec::Namespace::tag, u"shown")), false);
    EXPECT_EQ(editor.colorRows(), nullptr);
    EXPECT_EQ(editor.nameRows(), nullptr);
    EXPECT_EQ(editor.valueRows(), nullptr);
    ASSERT_NE(editor.styleHint(), nullptr);
    EXPECT_EQ(editor.styleHint()->text(), QStringLiteral("Turn on the name tag or value above to style them."));

    editor.customizeButton()->click();
    EXPECT_TRUE(editor.customizeOpen());
}
