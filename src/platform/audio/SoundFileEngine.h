#pragma once

#include "platform/desktop/AudioEngine.h"

namespace gaugelet {

// The audio module's engine: sound files read with libsndfile (MP3, WAV,
// FLAC, Ogg) and played as 16-bit PCM through a QAudioSink on the default
// output. The module exports it as gaugelet_audio_engine().
class SoundFileEngine : public AudioEngine {
public:
    std::unique_ptr<QIODevice> openStream(const QString& path, int channels, qint64 startFrame,
                                          qint64 endFrame) override;
    bool hasOutputDevice() override;
    std::unique_ptr<AudioOutput> makeOutput(int sampleRate, int channels, std::function<void()> onIdle) override;
};

} // namespace gaugelet
