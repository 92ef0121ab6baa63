#pragma once

#include "platform/Result.h"

#include <QAudioFormat>
#include <QByteArray>
#include <QString>
#include <memory>

class QAudioSink;
class QBuffer;

namespace gaugelet {

// A prepared sound: the whole file decoded to 16-bit PCM at creation (with
// libsndfile, so MP3, WAV, FLAC and Ogg), played through a QAudioSink on the
// default output. create() may run on any thread; every other member belongs
// to the thread that plays it (the main thread). Without an audio output
// device play() does nothing and reports no error.
class AudioPlayer {
public:
    struct Error {
        enum class Kind { openFailed, decodeFailed, empty };
        Kind kind = Kind::openFailed;
        QString path;
        QString detail; // libsndfile's own message
        QString describe() const;
    };

    // Decodes the file at path synchronously.
    static Result<std::shared_ptr<AudioPlayer>, Error> create(const QString& path);

    ~AudioPlayer();
    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    QString path() const { return m_path; }
    QAudioFormat format() const { return m_format; }
    double duration() const;
    qint64 frameCount() const;

    // Nothing left to do: the samples are decoded at creation. Kept so the
    // callers read like the audio player they stand in for.
    bool prepareToPlay() { return true; }
    // Starts playing from the current time (restarting a sound that plays).
    void play();
    void stop();
    bool isPlaying() const;
    double currentTime() const { return m_currentTime; }
    // Seconds from the start; clamped to the sound's length.
    void setCurrentTime(double seconds);
    // How often play() was asked for, with or without an output device.
    int playRequests() const { return m_playRequests; }

private:
    AudioPlayer(QString path, QAudioFormat format, QByteArray pcm);

    QString m_path;
    QAudioFormat m_format;
    QByteArray m_pcm;
    double m_currentTime = 0;
    int m_playRequests = 0;
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
};

} // namespace gaugelet
