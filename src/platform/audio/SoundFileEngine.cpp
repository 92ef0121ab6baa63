#include "platform/audio/SoundFileEngine.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QFile>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <sndfile.h>
#include <vector>

namespace gaugelet {

namespace {

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

// A QAudioSink on the default output, a child of the output so that
// deleting the output (here or later on its own thread) ends the sound.
class SinkOutput : public AudioOutput {
public:
    SinkOutput(const QAudioDevice& device, const QAudioFormat& format, std::function<void()> onIdle)
        : m_sink(new QAudioSink(device, format, this)), m_onIdle(std::move(onIdle))
    {
        QObject::connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::IdleState && m_onIdle)
                m_onIdle(); // may delete this output later, never now
        });
    }
    void start(QIODevice* stream) override { m_sink->start(stream); }
    void stop() override { m_sink->stop(); }
    bool isActive() const override { return m_sink->state() == QAudio::ActiveState; }
    void detach() override
    {
        QObject::disconnect(m_sink, nullptr, this, nullptr);
        m_onIdle = nullptr;
    }

private:
    QAudioSink* m_sink;
    std::function<void()> m_onIdle;
};

} // namespace

std::unique_ptr<QIODevice> SoundFileEngine::openStream(const QString& path, int channels, qint64 startFrame,
                                                       qint64 endFrame)
{
    return SoundFileStream::open(path, channels, startFrame, endFrame);
}

bool SoundFileEngine::hasOutputDevice()
{
    return !QMediaDevices::defaultAudioOutput().isNull();
}

std::unique_ptr<AudioOutput> SoundFileEngine::makeOutput(int sampleRate, int channels, std::function<void()> onIdle)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    return std::make_unique<SinkOutput>(device, format, std::move(onIdle));
}

} // namespace gaugelet

extern "C" Q_DECL_EXPORT gaugelet::AudioEngine* gaugelet_audio_engine()
{
    static gaugelet::SoundFileEngine engine;
    return &engine;
}
