#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QIODevice;

namespace gaugelet {

class AudioOutput;

// A prepared sound (with libsndfile, so MP3, WAV, FLAC and Ogg), played as
// 16-bit PCM through a QAudioSink on the default output; playing lives in the
// audio module (AudioModule), loaded when the first sound plays. Without the
// module play() does nothing (logged once). create() decodes the
// whole file once to check it and measure it, keeping none of it; play()
// streams the samples from the file while they play, so a long sound costs
// a few kilobytes, not its length in PCM. Sounds are cut at ten minutes.
// create() may run on any thread; every other member belongs to the thread
// that plays it (the main thread). Without an audio output device play()
// does nothing and reports no error.
class AudioPlayer {
public:
    struct Error {
        enum class Kind { openFailed, decodeFailed, empty, libraryMissing };
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
    int sampleRate() const { return m_sampleRate; }
    int channelCount() const { return m_channels; }
    double duration() const;
    qint64 frameCount() const;

    // Nothing left to do: the file was checked at creation. Kept so the
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

    // The PCM that play() hands the sink, from the current time to the end,
    // read from the file as it is consumed; nullptr when the file can no
    // longer be opened.
    std::unique_ptr<QIODevice> openStream() const;

private:
    AudioPlayer(QString path, int sampleRate, int channels, qint64 frames);

    QString m_path;
    int m_sampleRate = 0;
    int m_channels = 0;
    qint64 m_frames = 0;
    double m_currentTime = 0;
    int m_playRequests = 0;
    int m_plays = 0; // which play() an idle output's callback belongs to
    std::unique_ptr<QIODevice> m_stream;
    std::unique_ptr<AudioOutput> m_output;
};

} // namespace gaugelet
