#include "RunnerTestSupport.h"
#include "menubar/RunnerFrames.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::runner;

TEST(RunnerFramesLoading, LoadsEveryFrameOfAShippedPack)
{
    for (const QString& id : {QStringLiteral("fox"), QStringLiteral("hare"), QStringLiteral("piglet")}) {
        ShippedPack pack(id);
        ASSERT_TRUE(pack.ok) << id.toStdString();
        const RunnerFrames frames(pack.kind());
        ASSERT_EQ(frames.cached().size(), 8) << id.toStdString();
        ASSERT_EQ(frames.croppedCG().size(), 8);
        QSize first;
        for (int i = 0; i < 8; ++i) {
            ASSERT_TRUE(frames.cached()[i].has_value()) << id.toStdString() << " frame " << i;
            EXPECT_EQ(frames.cached()[i]->size(), QSize(96, 72));
            ASSERT_TRUE(frames.croppedCG()[i].has_value());
            const QSize cropped = frames.croppedCG()[i]->size();
            if (i == 0)
                first = cropped;
            EXPECT_EQ(cropped, first) << "every frame is cropped to the one box";
        }
        // The drawing leaves a margin, so the crop takes something off.
        EXPECT_LE(first.width(), 96);
        EXPECT_LE(first.height(), 72);
        EXPECT_LT(first.width() * first.height(), 96 * 72);
        EXPECT_LT(std::abs(frames.verticalBias()), 0.5);
        EXPECT_EQ(frames.fallbackSymbols(), RunnerKind::sharedFallbackSymbols());
    }
}

TEST(RunnerFramesLoading, MissingAndUndecodableFramesLeaveEmptySlots)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {10, 10}, {2, 2, 4, 4});
    folder.writeFrame(QStringLiteral("r"), 2, {10, 10}, {2, 2, 4, 4});
    writeFile(folder.dir.filePath(QStringLiteral("assets/r_3.png")), "not a png");
    folder.writeFrame(QStringLiteral("r"), 4, {10, 10}, {2, 2, 4, 4});
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), 6));
    ASSERT_EQ(frames.cached().size(), 5); // frame 5 is missing: nothing past frame 4
    EXPECT_TRUE(frames.cached()[0]);
    EXPECT_FALSE(frames.cached()[1]);
    EXPECT_TRUE(frames.cached()[2]);
    EXPECT_FALSE(frames.cached()[3]);
    EXPECT_TRUE(frames.cached()[4]);
    EXPECT_FALSE(frames.croppedCG()[1]);
    EXPECT_FALSE(frames.croppedCG()[3]);
}

TEST(RunnerFramesLoading, ANameWithALeadingZeroIsNotAFrame)
{
    BundleFolder folder;
    writeFile(folder.dir.filePath(QStringLiteral("assets/r_01.png")), framePng({8, 8}, {0, 0, 8, 8}));
    folder.writeFrame(QStringLiteral("r"), 0, {8, 8}, {0, 0, 8, 8});
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), 4));
    EXPECT_EQ(frames.cached().size(), 1);
}

TEST(RunnerFramesLoading, AHugeFrameCountReadsOnlyTheFilesThatExist)
{
    BundleFolder folder;
    for (int i = 0; i < 3; ++i)
        folder.writeFrame(QStringLiteral("r"), i, {8, 8}, {1, 1, 6, 6});
    QElapsedTimer timer;
    timer.start();
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), qint64(1) << 50));
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(frames.cached().size(), 3);
    EXPECT_FALSE(frames.image(3).isNull()); // a fallback symbol for the frames not there
    EXPECT_EQ(frames.image((qint64(1) << 50) + 1).size(), QSize(8, 8));
}

TEST(RunnerFramesLoading, AFrameWithAHugeNumberDoesNotSizeTheFrameList)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {8, 8}, {1, 1, 6, 6});
    folder.writeFrame(QStringLiteral("r"), 1000000000, {8, 8}, {1, 1, 6, 6});
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), qint64(1) << 40));
    EXPECT_EQ(frames.cached().size(), 1);
    EXPECT_EQ(frames.croppedCG().size(), 1);
}

TEST(RunnerFramesLoading, NoFileOutsideTheBundleFolderIsRead)
{
    QTemporaryDir outer;
    const QString bundle = outer.filePath(QStringLiteral("bundle"));
    QDir().mkpath(bundle + QStringLiteral("/assets"));
    writeFile(outer.filePath(QStringLiteral("secret_0.png")), framePng({8, 8}, {0, 0, 8, 8}));
    RunnerKind kind;
    kind.id = QStringLiteral("x");
    kind.frameCount = 1;
    kind.assetPrefix = QStringLiteral("../../secret");
    kind.assetSource = RunnerKind::Source::directory(bundle);
    const RunnerFrames frames(kind);
    EXPECT_TRUE(frames.cached().isEmpty());

    // A frame file that is a symbolic link is not followed either.
    writeFile(outer.filePath(QStringLiteral("elsewhere.png")), framePng({8, 8}, {0, 0, 8, 8}));
    ASSERT_TRUE(QFile::link(outer.filePath(QStringLiteral("elsewhere.png")), bundle + QStringLiteral("/assets/l_0.png")));
    kind.assetPrefix = QStringLiteral("l");
    const RunnerFrames linked(kind);
    EXPECT_TRUE(linked.cached().isEmpty() || !linked.cached()[0]);
}

TEST(RunnerFramesCropping, FramesWhosePixelsShiftShareOneUnionBox)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {40, 30}, QRect(5, 10, 6, 4));
    folder.writeFrame(QStringLiteral("r"), 1, {40, 30}, QRect(20, 3, 4, 4));
    folder.writeFrame(QStringLiteral("r"), 2, {40, 30}, QRect(12, 20, 3, 5));
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), 3));
    // Union: x 5...23, y 3...24.
    for (const auto& bitmap : frames.croppedCG()) {
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(bitmap->size(), QSize(19, 22));
        EXPECT_EQ(bitmap->format(), QImage::Format_ARGB32_Premultiplied);
    }
    // Alignment is kept: frame 1's square sits at the box's top, 15 px in.
    const QImage& f1 = *frames.croppedCG()[1];
    EXPECT_EQ(qAlpha(f1.pixel(15, 0)), 255);
    EXPECT_EQ(qAlpha(f1.pixel(14, 0)), 0);
    EXPECT_EQ(qAlpha(f1.pixel(0, 0)), 0);
}

TEST(RunnerFramesCropping, FramesOfDifferentSizesAreCroppedToOneSize)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {40, 30}, QRect(30, 20, 8, 8));
    folder.writeFrame(QStringLiteral("r"), 1, {12, 12}, QRect(2, 2, 4, 4));
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), 2));
    ASSERT_TRUE(frames.croppedCG()[0] && frames.croppedCG()[1]);
    EXPECT_EQ(frames.croppedCG()[0]->size(), frames.croppedCG()[1]->size());
}

TEST(RunnerFramesCropping, AFullyTransparentSetStaysUncroppedWithNoBias)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {16, 12}, QRect());
    folder.writeFrame(QStringLiteral("r"), 1, {16, 12}, QRect());
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), 2));
    ASSERT_EQ(frames.croppedCG().size(), 2);
    EXPECT_EQ(frames.croppedCG()[0]->size(), QSize(16, 12));
    EXPECT_EQ(frames.verticalBias(), 0.0);
}

TEST(RunnerFramesBias, WeightInTheLowerHalfGivesAPositiveBias)
{
    QImage low(10, 20, QImage::Format_ARGB32_Premultiplied);
    low.fill(Qt::transparent);
    QPainter(&low).fillRect(QRect(0, 14, 10, 6), Qt::black);
    const double bias = RunnerFrames::measureVerticalBias({low});
    // Rows 14...19: mean 16.5; (16.5 - 10) / 20.
    EXPECT_NEAR(bias, 0.325, 1e-9);

    QImage high(10, 20, QImage::Format_ARGB32_Premultiplied);
    high.fill(Qt::transparent);
    QPainter(&high).fillRect(QRect(0, 0, 10, 4), Qt::black);
    EXPECT_LT(RunnerFrames::measureVerticalBias({high}), 0.0);
}

TEST(RunnerFramesBias, AWeightCentredOnTheMiddleRowGivesNoBias)
{
    // Rows 1 and 3 of 4 weigh the same: the weighted row is 2 = 4 / 2.
    QImage image(6, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(QRect(0, 1, 6, 1), Qt::black);
    p.fillRect(QRect(0, 3, 6, 1), Qt::black);
    p.end();
    EXPECT_EQ(RunnerFrames::measureVerticalBias({image}), 0.0);
}

TEST(RunnerFramesBias, TheLargerSideScalesTheBiasAndEmptyFramesAddNothing)
{
    QImage wide(40, 10, QImage::Format_ARGB32_Premultiplied);
    wide.fill(Qt::transparent);
    QPainter(&wide).fillRect(QRect(0, 9, 40, 1), Qt::black);
    QImage empty(5, 5, QImage::Format_ARGB32_Premultiplied);
    empty.fill(Qt::transparent);
    // Mean row 9; (9 - 5) / 40. The empty frame after it is not the "last" one.
    EXPECT_NEAR(RunnerFrames::measureVerticalBias({wide, std::nullopt, empty}), 0.1, 1e-9);
    EXPECT_EQ(RunnerFrames::measureVerticalBias({}), 0.0);
}

TEST(RunnerFramesImage, FrameNumbersWrapAroundTheFrameCount)
{
    BundleFolder folder;
    for (int i = 0; i < 6; ++i)
        folder.writeFrame(QStringLiteral("r"), i, {10 + i, 10}, {0, 0, 4, 4});
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), 6));
    EXPECT_EQ(frames.image(7).width(), 11); // frame 1
    EXPECT_EQ(frames.image(0).width(), 10);
    EXPECT_EQ(frames.image(12).width(), 10);
}

TEST(RunnerFramesImage, AMissingFrameShowsItsFallbackSymbol)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {10, 10}, {0, 0, 4, 4});
    const RunnerFrames frames(folder.kind(QStringLiteral("r"), 4));
    const QImage symbol = frames.image(3); // "figure.run" (3 mod 2)
    ASSERT_FALSE(symbol.isNull());
    EXPECT_EQ(symbol.width(), symbol.height());
    EXPECT_TRUE(RunnerFrames::opaqueBox(symbol).has_value());
    EXPECT_NE(symbol, frames.image(2)); // "figure.walk"
}

TEST(RunnerFramesImage, NoFramesOrANegativeNumberGiveABlankImage)
{
    BundleFolder folder;
    folder.writeFrame(QStringLiteral("r"), 0, {10, 10}, {0, 0, 4, 4});
    const RunnerFrames none(folder.kind(QStringLiteral("r"), 0));
    EXPECT_TRUE(none.cached().isEmpty());
    EXPECT_TRUE(none.image(0).isNull());
    EXPECT_TRUE(none.image(5).isNull());

    const RunnerFrames negativeKind(folder.kind(QStringLiteral("r"), -4));
    EXPECT_TRUE(negativeKind.image(1).isNull());

    const RunnerFrames frames(folder.kind(QStringLiteral("r"), 2));
    EXPECT_TRUE(frames.image(-1).isNull());
    EXPECT_TRUE(frames.image(std::numeric_limits<qint64>::min()).isNull());

    RunnerKind noSymbols = folder.kind(QStringLiteral("r"), 2);
    noSymbols.fallbackSymbols.clear();
    EXPECT_TRUE(RunnerFrames(noSymbols).image(1).isNull());
}
