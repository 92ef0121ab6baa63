#include "platform/desktop/AudioPlayer.h"

#include "LogCapture.h"
#include "TestSupport.h"
#include "platform/desktop/AudioEngine.h"
#include "platform/desktop/AudioModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <malloc.h>
#include <vector>

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
        EXPECT_EQ((*player)->sampleRate(), 44100);
        EXPECT_LT(QFileInfo(shippedSound(file)).size(), 100 * 1024);
    }
}

TEST(AudioPlayer, DecodesOnWorkerThreadsAtOnce)
{
    // Each check loads and lets go of the decoder: several at once must not
    // pull it from under each other.
    QList<QFuture<bool>> futures;
    for (int i = 0; i < 32; ++i)
        futures.append(QtConcurrent::run([] {
            auto player = AudioPlayer::create(shippedSound("bird-sound.mp3"));
            return player.hasValue() && QThread::currentThread() != QCoreApplication::instance()->thread();
        }));
    // Waited for by condition: result() on a task still queued runs it here.
    ASSERT_TRUE(test::waitUntil(
        [&futures] { return std::all_of(futures.begin(), futures.end(), [](auto& f) { return f.isFinished(); }); },
        60'000));
    for (QFuture<bool>& future : futures)
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
    if (!AudioModule::engine()->hasOutputDevice()) {
        EXPECT_FALSE((*player)->isPlaying());
    }
    (*player)->stop();
    EXPECT_FALSE((*player)->isPlaying());
}

namespace {

// A 16-bit PCM WAV file whose sample i is sample(i) (interleaved).
void writeWav(const QString& path, int rate, int channels, qint64 frames, qint16 (*sample)(qint64))
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const quint32 dataBytes = quint32(frames * channels * 2);
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    file.write("RIFF" + le32(36 + dataBytes) + "WAVEfmt " + le32(16) + le16(1) + le16(quint16(channels))
               + le32(quint32(rate)) + le32(quint32(rate * channels * 2)) + le16(quint16(channels * 2)) + le16(16)
               + "data" + le32(dataBytes));
    std::vector<qint16> chunk;
    for (qint64 at = 0; at < frames * channels;) {
        chunk.clear();
        for (int i = 0; i < 65536 && at < frames * channels; ++i, ++at)
            chunk.push_back(sample(at));
        file.write(reinterpret_cast<const char*>(chunk.data()), qint64(chunk.size()) * 2);
    }
}

qint16 ramp(qint64 i)
{
    return qint16(i % 30011 - 15000);
}

} // namespace

TEST(AudioPlayer, StreamsTheSamplesOfTheFileFromTheCurrentTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ramp.wav");
    writeWav(path, 8000, 2, 24000, ramp); // 3 s of stereo
    auto player = AudioPlayer::create(path);
    ASSERT_TRUE(player) << player.error().describe().toStdString();
    EXPECT_EQ((*player)->frameCount(), 24000);

    auto readAll = [](QIODevice& stream) {
        QByteArray all;
        for (int i = 0; i < 1000000 && !stream.atEnd(); ++i)
            all += stream.read(1000 + i % 7); // odd sizes: never half a frame
        return all;
    };
    auto whole = (*player)->openStream();
    ASSERT_TRUE(whole);
    const QByteArray pcm = readAll(*whole);
    ASSERT_EQ(pcm.size(), 24000 * 4);
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    for (qint64 i = 0; i < 48000; i += 997)
        ASSERT_EQ(samples[i], ramp(i)) << i;

    (*player)->setCurrentTime(1.0);
    auto tail = (*player)->openStream();
    ASSERT_TRUE(tail);
    const QByteArray rest = readAll(*tail);
    ASSERT_EQ(rest.size(), 16000 * 4);
    EXPECT_EQ(rest, pcm.mid(8000 * 4));
}

TEST(AudioPlayer, ATenMinuteSoundHoldsNoDecodedSamplesAndIsCutThere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("long.wav");
    writeWav(path, 44100, 1, 44100 * 610, ramp); // ten minutes and ten seconds
    const auto heapInUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return qint64(info.uordblks) + qint64(info.hblkhd);
    };
    const qint64 before = heapInUse();
    auto player = AudioPlayer::create(path);
    ASSERT_TRUE(player);
    const qint64 held = heapInUse() - before;
    EXPECT_LT(held, 1024 * 1024) << "bytes held after creating the player: " << held;
    EXPECT_EQ((*player)->frameCount(), qint64(44100) * 600);
    EXPECT_DOUBLE_EQ((*player)->duration(), 600.0);

    (*player)->setCurrentTime(599.5);
    auto stream = (*player)->openStream();
    ASSERT_TRUE(stream);
    const QByteArray last = stream->readAll();
    EXPECT_EQ(last.size(), 22050 * 2);
    EXPECT_EQ(reinterpret_cast<const qint16*>(last.constData())[0], ramp(qint64(44100) * 599 + 22050));
}

TEST(AudioPlayer, WithoutTheAudioModuleNothingPlaysAndTheReasonIsLogged)
{
    // Found beside the program as installed: the build tree mirrors it.
    EXPECT_TRUE(QFile::exists(AudioModule::path())) << AudioModule::path().toStdString();
    test::LogCapture log(QStringLiteral("dev.gaugelet.platform"));
    QTemporaryDir dir;
    AudioModule::useForTesting(dir.filePath(QStringLiteral("gaugelet-audio.so")));
    // Preparing needs no module; playing finds none and does nothing.
    auto player = AudioPlayer::create(shippedSound("bird-sound.mp3"));
    ASSERT_TRUE(player.hasValue()) << player.error().describe().toStdString();
    (*player)->play();
    (*player)->play();
    EXPECT_EQ((*player)->playRequests(), 2);
    EXPECT_FALSE((*player)->isPlaying());
    EXPECT_EQ((*player)->openStream(), nullptr);
    EXPECT_TRUE(AudioModule::loadError().contains("gaugelet-audio.so")) << AudioModule::loadError().toStdString();
    EXPECT_EQ(log.countPrefix(QStringLiteral("audio: the audio module ")), 1); // once, not per play
    AudioModule::useForTesting({});
    EXPECT_NE((*player)->openStream(), nullptr);
}
