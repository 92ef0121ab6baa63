#include "platform/desktop/AudioPlayer.h"

#include "platform/core/PlatformLog.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QThread>
#include <QFile>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#include <sndfile.h>
#include <vector>

namespace gaugelet {

namespace {

// Longest sound we play (10 minutes); longer files are cut there.
constexpr sf_count_t maxSeconds = 600;

// Interleaved 16-bit frames read from a sound file as they are asked for,
// from a start frame up to an end frame.
class SoundFileStream : public QIODevice {
public:
    static std::unique_ptr<QIODevice> open(const QString& path, int channels, qint64 startFrame, qint64 endFrame)
    {
        SF_INFO info{};
        SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        if (!file)
            return nullptr;
        if (info.channels != channels) {
            sf_close(file);
            return nullptr;
        }
        // MP3 seeking is not exact in every libsndfile build: read up to the
        // start instead when seeking fails.
        if (startFrame > 0 && sf_seek(file, startFrame, SEEK_SET) != startFrame) {
            sf_seek(file, 0, SEEK_SET);
            std::vector<qint16> skip(size_t(4096) * size_t(channels));
            for (qint64 left = startFrame; left > 0;) {
                const sf_count_t got = sf_readf_short(file, skip.data(), std::min<qint64>(left, 4096));
                if (got <= 0)
                    break;
                left -= got;
            }
        }
        auto stream = std::unique_ptr<SoundFileStream>(new SoundFileStream(file, channels, startFrame, endFrame));
        stream->QIODevice::open(QIODevice::ReadOnly);
        return stream;
    }

    ~SoundFileStream() override { sf_close(m_file); }

    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_ended && QIODevice::bytesAvailable() == 0; }
    qint64 bytesAvailable() const override
    {
        return (m_ended ? 0 : (m_end - m_position) * m_bytesPerFrame) + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        // At the end it answers 0 bytes, as a buffer does; the sink then idles.
        if (m_ended)
            return 0;
        if (m_position >= m_end) {
            m_ended = true;
            return 0;
        }
        const qint64 frames = std::min(maxSize / m_bytesPerFrame, m_end - m_position);
        if (frames <= 0)
            return 0;
        const sf_count_t got = sf_readf_short(m_file, reinterpret_cast<short*>(data), frames);
        if (got <= 0) {
            m_ended = true;
            return 0;
        }
        m_position += got;
        return got * m_bytesPerFrame;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    SoundFileStream(SNDFILE* file, int channels, qint64 start, qint64 end)
        : m_file(file), m_bytesPerFrame(qint64(channels) * qint64(sizeof(qint16))), m_position(start), m_end(end)
    {
    }

    SNDFILE* m_file;
    qint64 m_bytesPerFrame;
    qint64 m_position;
    qint64 m_end;
    bool m_ended = false;
};

} // namespace

QString AudioPlayer::Error::describe() const
{
    switch (kind) {
    case Kind::openFailed:
        return QStringLiteral("The file \u201C%1\u201D couldn\u2019t be opened: %2").arg(path, detail);
    case Kind::decodeFailed:
        return QStringLiteral("The file \u201C%1\u201D couldn\u2019t be decoded: %2").arg(path, detail);
    case Kind::empty:
        return QStringLiteral("The file \u201C%1\u201D holds no sound.").arg(path);
    }
    return {};
}

Result<std::shared_ptr<AudioPlayer>, AudioPlayer::Error> AudioPlayer::create(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    SF_INFO info{};
    SNDFILE* file = sf_open(encoded.constData(), SFM_READ, &info);
    if (!file)
        return fail(Error{Error::Kind::openFailed, path, QString::fromUtf8(sf_strerror(nullptr))});

    if (info.channels < 1 || info.channels > 8 || info.samplerate < 1 || info.samplerate > 768000) {
        sf_close(file);
        return fail(Error{Error::Kind::decodeFailed, path, QStringLiteral("unsupported channel count or rate")});
    }
    // libsndfile's frame count for MP3 is an estimate; decode to the end
    // (or the cut) to check every frame and count them, keeping nothing.
    const sf_count_t limit = maxSeconds * info.samplerate;
    std::vector<qint16> chunk(size_t(4096) * size_t(info.channels));
    sf_count_t total = 0;
    while (total < limit) {
        const sf_count_t want = std::min<sf_count_t>(4096, limit - total);
        const sf_count_t got = sf_readf_short(file, chunk.data(), want);
        if (got <= 0)
            break;
        total += got;
    }
    const int err = sf_error(file);
    const QString errText = QString::fromUtf8(sf_strerror(file));
    sf_close(file);
    if (err != SF_ERR_NO_ERROR)
        return fail(Error{Error::Kind::decodeFailed, path, errText});
    if (total == 0)
        return fail(Error{Error::Kind::empty, path, {}});

    QAudioFormat format;
    format.setSampleRate(info.samplerate);
    format.setChannelCount(info.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    return std::shared_ptr<AudioPlayer>(new AudioPlayer(path, format, total));
}

AudioPlayer::AudioPlayer(QString path, QAudioFormat format, qint64 frames)
    : m_path(std::move(path)), m_format(format), m_frames(frames)
{
}

AudioPlayer::~AudioPlayer()
{
    if (!m_sink)
        return;
    if (QThread::currentThread() == m_sink->thread()) {
        m_sink->stop();
        return;
    }
    // The last owner let go on another thread (a player build that finished
    // after a newer one): the sink and the buffer it reads belong to the
    // thread that made them, so they are handed back to it to be deleted
    // there, sink first. The sink's callbacks refer to this player and go now.
    QObject::disconnect(m_sink.get(), nullptr, nullptr, nullptr);
    m_sink.release()->deleteLater();
    if (m_stream)
        m_stream.release()->deleteLater();
}

qint64 AudioPlayer::frameCount() const
{
    return m_frames;
}

std::unique_ptr<QIODevice> AudioPlayer::openStream() const
{
    const qint64 start = std::min(qint64(m_currentTime * m_format.sampleRate()), m_frames);
    return SoundFileStream::open(m_path, m_format.channelCount(), start, m_frames);
}

double AudioPlayer::duration() const
{
    return m_format.sampleRate() > 0 ? double(frameCount()) / m_format.sampleRate() : 0;
}

void AudioPlayer::setCurrentTime(double seconds)
{
    if (!(seconds > 0)) // also NaN
        seconds = 0;
    m_currentTime = std::min(seconds, duration());
}

void AudioPlayer::play()
{
    ++m_playRequests;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return; // no output device: nothing to play on
    stop();
    m_stream = openStream();
    if (!m_stream) {
        logWarning(lcPlatform, "audio: cannot open %s to play it", qUtf8Printable(m_path));
        return;
    }
    m_sink = std::make_unique<QAudioSink>(device, m_format);
    // Once every sample has been played the sink goes idle; close it then, so
    // a sound that has finished does not hold an audio stream open all day.
    QAudioSink* sink = m_sink.get();
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [this, sink](QAudio::State state) {
        if (state != QAudio::IdleState || m_sink.get() != sink)
            return;
        sink->stop();
        m_sink.release()->deleteLater();
    });
    m_sink->start(m_stream.get());
}

void AudioPlayer::stop()
{
    if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
}

bool AudioPlayer::isPlaying() const
{
    return m_sink && m_sink->state() == QAudio::ActiveState;
}

} // namespace gaugelet
