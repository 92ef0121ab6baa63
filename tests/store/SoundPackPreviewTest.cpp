#include "store/views/SoundPackPreview.h"

#include "TestSupport.h"
#include "platform/core/Resources.h"

#include <QImage>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

QByteArray realMp3()
{
    return test::readFile(Resources::path(QStringLiteral("Sounds/bell-sound.mp3")));
}

} // namespace

TEST(SoundPackPreview, TappingPlaysFromTheStartWithOnePlayer)
{
    SoundPackPreview view("Bell", realMp3());
    view.resize(44, 44);
    view.click();
    auto player = view.box()->player();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->playRequests(), 1);
    EXPECT_NE(view.box()->delegate(), nullptr);
    if (view.box()->isPlaying()) {
        // An audio output exists: the second tap stops.
        EXPECT_EQ(view.symbolName(), QStringLiteral("stop.fill"));
        view.click();
        EXPECT_FALSE(view.box()->isPlaying());
        EXPECT_EQ(view.symbolName(), QStringLiteral("play.fill"));
    } else {
        // No output device: nothing plays, and a tap asks again.
        view.click();
        EXPECT_EQ(view.box()->player(), player);
        EXPECT_EQ(player->playRequests(), 2);
    }
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    view.render(&image);
    image.save(QStringLiteral(GAUGELET_BINARY_DIR "/sound-pack-preview.png"));
    EXPECT_NE(image.pixel(22, 22), QColor(Qt::white).rgb());
}

TEST(SoundPackPreview, UndecodableBytesMakeNoPlayerAndEachTapTriesAgain)
{
    SoundPackPreview view("Broken", "not audio at all");
    view.click();
    EXPECT_EQ(view.box()->player(), nullptr);
    EXPECT_FALSE(view.box()->isPlaying());
    view.click();
    EXPECT_EQ(view.box()->player(), nullptr);
    EXPECT_EQ(view.symbolName(), QStringLiteral("play.fill"));
}

TEST(SoundPackPreview, HidingThePreviewStopsItsSound)
{
    SoundPackPreview view("Bell", realMp3());
    view.resize(44, 44);
    view.show();
    view.click();
    ASSERT_NE(view.box()->player(), nullptr);
    if (!view.box()->isPlaying())
        GTEST_SKIP() << "no audio output on this machine";
    view.hide();
    EXPECT_FALSE(view.box()->isPlaying());
    EXPECT_FALSE(view.box()->player()->isPlaying());
    EXPECT_EQ(view.symbolName(), QStringLiteral("play.fill"));
}

TEST(SoundPackPreview, TheNameIsPlainTextInTheHelpAndTheAccessibleName)
{
    SoundPackPreview view("Bell <i>x</i> & co", "bytes");
    EXPECT_EQ(view.accessibleName(), "Preview Bell <i>x</i> & co");
    QTextDocument shown;
    shown.setHtml(view.toolTip());
    EXPECT_EQ(shown.toPlainText(), "Preview Bell <i>x</i> & co");
}
