#include "platform/AudioPlayer.h"

#include "platform/PlatformLog.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QThread>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>
#include <algorithm>
#include <sndfile.h>

namespace gaugelet {

namespace {

// Longest sound we keep in memory (10 minutes); longer files are cut there.
constexpr sf_count_t maxSeconds = 600;

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
    // libsndfile's frame count for MP3 is an estimate; read until the end.
    const sf_count_t limit = maxSeconds * info.samplerate;
    std::vector<qint16> samples;
    std::vector<qint16> chunk(size_t(4096) * size_t(info.channels));
    sf_count_t total = 0;
    while (total < limit) {
        const sf_count_t want = std::min<sf_count_t>(4096, limit - total);
        const sf_count_t got = sf_readf_short(file, chunk.data(), want);
        if (got <= 0)
            break;
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + got * info.channels);
        total += got;
    }
    const int err = sf_error(file);
    const QString errText = QString::fromUtf8(sf_strerror(file));
    sf_close(file);
    if (err != SF_ERR_NO_ERROR)
        return fail(Error{Error::Kind::decodeFailed, path, errText});
    if (samples.empty())
        return fail(Error{Error::Kind::empty, path, {}});

    QAudioFormat format;
    format.setSampleRate(info.samplerate);
    format.setChannelCount(info.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    QByteArray pcm(reinterpret_cast<const char*>(samples.data()), qsizetype(samples.size() * sizeof(qint16)));
    return std::shared_ptr<AudioPlayer>(new AudioPlayer(path, format, std::move(pcm)));
}

AudioPlayer::AudioPlayer(QString path, QAudioFormat format, QByteArray pcm)
    : m_path(std::move(path)), m_format(format), m_pcm(std::move(pcm))
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
    if (m_buffer)
        m_buffer.release()->deleteLater();
}

qint64 AudioPlayer::frameCount() const
{
    const int bytesPerFrame = m_format.bytesPerFrame();
    return bytesPerFrame > 0 ? m_pcm.size() / bytesPerFrame : 0;
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
    if (!m_buffer) {
        m_buffer = std::make_unique<QBuffer>();
        m_buffer->setData(m_pcm);
        m_buffer->open(QIODevice::ReadOnly);
    }
    const qint64 frame = qint64(m_currentTime * m_format.sampleRate());
    m_buffer->seek(std::min<qint64>(frame * m_format.bytesPerFrame(), m_pcm.size()));
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
    m_sink->start(m_buffer.get());
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
