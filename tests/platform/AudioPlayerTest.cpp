#include "platform/AudioPlayer.h"

#include "TestSupport.h"

#include <QDir>
#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

QString shippedSound(const QString& name)
{
    return QStringLiteral(GAUGELET_SOURCE_DIR "/resources/Sounds/") + name;
}

} // namespace

TEST(AudioPlayer, DecodesEveryShippedSound)
{
    const QStringList files = QDir(QStringLiteral(GAUGELET_SOURCE_DIR "/resources/Sounds"))
                                  .entryList({"*.mp3"}, QDir::Files);
    ASSERT_GE(files.size(), 3);
    ASSERT_TRUE(files.contains("bird-sound.mp3"));
    for (const QString& file : files) {
        auto player = AudioPlayer::create(shippedSound(file));
        ASSERT_TRUE(player.hasValue()) << player.error().describe().toStdString();
        EXPECT_GT((*player)->duration(), 0.3) << file.toStdString();
        EXPECT_LT((*player)->duration(), 3.0) << file.toStdString();
        EXPECT_EQ((*player)->format().sampleRate(), 44100);
        EXPECT_LT(QFileInfo(shippedSound(file)).size(), 100 * 1024);
    }
}

TEST(AudioPlayer, DecodesOnAWorkerThread)
{
    auto future = QtConcurrent::run([] {
        auto player = AudioPlayer::create(shippedSound("bird-sound.mp3"));
        return player.hasValue() && QThread::currentThread() != QCoreApplication::instance()->thread();
    });
    future.waitForFinished();
    EXPECT_TRUE(future.result());
}

TEST(AudioPlayer, DamagedOrMissingFilesFailAtCreationWithTheirError)
{
    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.mp3");
    test::writeFile(damaged, "this is a text file, not a sound\n");
    auto player = AudioPlayer::create(damaged);
    ASSERT_FALSE(player.hasValue());
    EXPECT_TRUE(player.error().describe().contains("damaged.mp3"));
    EXPECT_FALSE(player.error().detail.isEmpty());

    auto missing = AudioPlayer::create(dir.filePath("gone.mp3"));
    ASSERT_FALSE(missing.hasValue());
    EXPECT_EQ(missing.error().kind, AudioPlayer::Error::Kind::openFailed);
}

TEST(AudioPlayer, PlayWithoutAnOutputDeviceDoesNothingAndReportsNoError)
{
    auto player = AudioPlayer::create(shippedSound("bird-sound.mp3"));
    ASSERT_TRUE(player.hasValue());
    (*player)->setCurrentTime(0.5);
    EXPECT_DOUBLE_EQ((*player)->currentTime(), 0.5);
    (*player)->setCurrentTime(1e9);
    EXPECT_DOUBLE_EQ((*player)->currentTime(), (*player)->duration());
    (*player)->setCurrentTime(std::nan(""));
    EXPECT_DOUBLE_EQ((*player)->currentTime(), 0.0);
    (*player)->play();
    (*player)->play();
    EXPECT_EQ((*player)->playRequests(), 2);
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        EXPECT_FALSE((*player)->isPlaying());
    }
    (*player)->stop();
    EXPECT_FALSE((*player)->isPlaying());
}
