#include "platform/desktop/AudioPlayer.h"

#include "platform/core/PlatformLog.h"
#include "platform/desktop/AudioEngine.h"
#include "platform/desktop/AudioModule.h"
#include "platform/desktop/SoundFileCheck.h"

#include <QIODevice>
#include <QThread>
#include <algorithm>

namespace gaugelet {

namespace {

// Longest sound we play (10 minutes); longer files are cut there.
constexpr qint64 maxSeconds = 600;

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
    case Kind::libraryMissing:
        return QStringLiteral("The file \u201C%1\u201D couldn\u2019t be decoded: libsndfile couldn\u2019t be loaded: %2")
            .arg(path, detail);
    }
    return {};
}

Result<std::shared_ptr<AudioPlayer>, AudioPlayer::Error> AudioPlayer::create(const QString& path)
{
    const SoundFileCheck checked = SoundFileCheck::run(path, maxSeconds);
    switch (checked.outcome) {
    case SoundFileCheck::Outcome::openFailed:
        return fail(Error{Error::Kind::openFailed, path, checked.detail});
    case SoundFileCheck::Outcome::decodeFailed:
        return fail(Error{Error::Kind::decodeFailed, path, checked.detail});
    case SoundFileCheck::Outcome::empty:
        return fail(Error{Error::Kind::empty, path, {}});
    case SoundFileCheck::Outcome::libraryMissing:
        return fail(Error{Error::Kind::libraryMissing, path, checked.detail});
    case SoundFileCheck::Outcome::ok:
        break;
    }
    return std::shared_ptr<AudioPlayer>(new AudioPlayer(path, checked.sampleRate, checked.channels, checked.frames));
}

AudioPlayer::AudioPlayer(QString path, int sampleRate, int channels, qint64 frames)
    : m_path(std::move(path)), m_sampleRate(sampleRate), m_channels(channels), m_frames(frames)
{
}

AudioPlayer::~AudioPlayer()
{
    if (!m_output)
        return;
    if (QThread::currentThread() == m_output->thread()) {
        m_output->stop();
        return;
    }
    // The last owner let go on another thread (a player build that finished
    // after a newer one): the output and the stream it reads belong to the
    // thread that made them, so they are handed back to it to be deleted
    // there, output first. The output's callback refers to this player and
    // goes now.
    m_output->detach();
    m_output.release()->deleteLater();
    if (m_stream)
        m_stream.release()->deleteLater();
}

qint64 AudioPlayer::frameCount() const
{
    return m_frames;
}

std::unique_ptr<QIODevice> AudioPlayer::openStream() const
{
    AudioEngine* engine = AudioModule::engine();
    if (!engine)
        return nullptr;
    const qint64 start = std::min(qint64(m_currentTime * m_sampleRate), m_frames);
    return engine->openStream(m_path, m_channels, start, m_frames);
}

double AudioPlayer::duration() const
{
    return m_sampleRate > 0 ? double(frameCount()) / m_sampleRate : 0;
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
    AudioEngine* engine = AudioModule::engine();
    if (!engine || !engine->hasOutputDevice())
        return; // no module (logged when loading it) or no output device: nothing to play on
    stop();
    m_stream = openStream();
    if (!m_stream) {
        logWarning(lcPlatform, "audio: cannot open %s to play it", qUtf8Printable(m_path));
        return;
    }
    // Once every sample has been played the output goes idle; close it then,
    // so a sound that has finished does not hold an audio stream open all day.
    const int play = ++m_plays;
    m_output = engine->makeOutput(m_sampleRate, m_channels, [this, play] {
        if (play != m_plays || !m_output)
            return;
        m_output->stop();
        m_output.release()->deleteLater();
    });
    if (m_output)
        m_output->start(m_stream.get());
}

void AudioPlayer::stop()
{
    if (m_output) {
        m_output->stop();
        m_output.reset();
    }
}

bool AudioPlayer::isPlaying() const
{
    return m_output && m_output->isActive();
}

} // namespace gaugelet
