#include "platform/style/SystemSymbol.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

int inkedPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0;
    return n;
}

} // namespace

TEST(SystemSymbol, OurDrawnSymbolsComeAtTheAskedSide)
{
    for (const QString& name : {QStringLiteral("figure.walk"), QStringLiteral("figure.run"),
                                QStringLiteral("info.circle"), QStringLiteral("externaldrive.fill"),
                                QStringLiteral("checkmark"), QStringLiteral("gauge.with.dots.needle.67percent")}) {
        EXPECT_TRUE(SystemSymbol::isKnown(name));
        const QImage image = SystemSymbol::image(name, 30);
        ASSERT_EQ(image.size(), QSize(30, 30)) << name.toStdString();
        const int ink = inkedPixels(image);
        EXPECT_GT(ink, 30) << name.toStdString();
        EXPECT_LT(ink, 30 * 30 / 2) << "a symbol, not a filled square";
    }
    EXPECT_NE(SystemSymbol::image(QStringLiteral("figure.walk")), SystemSymbol::image(QStringLiteral("figure.run")));
}

TEST(SystemSymbol, TheStoreSymbolsAreDrawnWithTheirCutOutMarks)
{
    for (const QString& name : {QStringLiteral("speaker.wave.2"), QStringLiteral("exclamationmark.triangle.fill"),
                                QStringLiteral("checkmark.seal.fill")}) {
        EXPECT_TRUE(SystemSymbol::isKnown(name));
        const QImage image = SystemSymbol::image(name, 48);
        ASSERT_EQ(image.size(), QSize(48, 48)) << name.toStdString();
        EXPECT_GT(inkedPixels(image), 48 * 48 / 6) << name.toStdString();
    }
    // The filled symbols leave their mark clear: the triangle's exclamation
    // point and the seal's check stroke.
    EXPECT_EQ(qAlpha(SystemSymbol::image(QStringLiteral("exclamationmark.triangle.fill"), 48).pixel(24, 22)), 0);
    EXPECT_EQ(qAlpha(SystemSymbol::image(QStringLiteral("checkmark.seal.fill"), 48).pixel(21, 30)), 0);
    EXPECT_GT(qAlpha(SystemSymbol::image(QStringLiteral("checkmark.seal.fill"), 48).pixel(24, 8)), 0);
}

TEST(SystemSymbol, UnknownNamesAndUnusableSidesGiveANullImage)
{
    EXPECT_FALSE(SystemSymbol::isKnown(QStringLiteral("figure.fly")));
    EXPECT_TRUE(SystemSymbol::image(QStringLiteral("figure.fly")).isNull());
    EXPECT_TRUE(SystemSymbol::image(QStringLiteral("figure.run"), 0).isNull());
    EXPECT_TRUE(SystemSymbol::image(QStringLiteral("figure.run"), -4).isNull());
    EXPECT_TRUE(SystemSymbol::image(QStringLiteral("figure.run"), 100000).isNull());
}

// The settings' ring, check mark and paw print: the ring is hollow, the check
// mark is a disc with the mark cut out, the paw print has separate toes.
TEST(SystemSymbol, TheSettingsSymbolsHaveTheirShapes)
{
    const QImage ring = SystemSymbol::image(QStringLiteral("circle"), 48);
    ASSERT_FALSE(ring.isNull());
    EXPECT_EQ(qAlpha(ring.pixel(24, 24)), 0);
    EXPECT_GT(qAlpha(ring.pixel(24, 2)), 0);

    const QImage check = SystemSymbol::image(QStringLiteral("checkmark.circle.fill"), 48);
    ASSERT_FALSE(check.isNull());
    EXPECT_GT(qAlpha(check.pixel(24, 6)), 200);   // the disc
    EXPECT_EQ(qAlpha(check.pixel(21, 32)), 0);    // the cut-out mark, at its corner
    EXPECT_GT(inkedPixels(check), 48 * 48 / 2);

    const QImage paw = SystemSymbol::image(QStringLiteral("pawprint"), 48);
    ASSERT_FALSE(paw.isNull());
    EXPECT_GT(qAlpha(paw.pixel(24, 34)), 200);    // the pad
    EXPECT_EQ(qAlpha(paw.pixel(24, 12)), 0);      // between the middle toes
    EXPECT_GT(qAlpha(paw.pixel(17, 11)), 200);    // a toe
}
