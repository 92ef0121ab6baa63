#pragma once

#include "platform/desktop/AudioOutput.h"

#include <QString>
#include <functional>
#include <memory>

class QIODevice;

namespace gaugelet {

// What the audio module does for AudioPlayer: streaming a sound file with
// libsndfile through Qt Multimedia. The module is loaded when the first sound
// plays (AudioModule), so the program maps neither library before.
// openStream() may run on any thread.
class AudioEngine {
public:
    virtual ~AudioEngine() = default;
    // Interleaved 16-bit PCM of the file from startFrame to endFrame, read
    // as it is consumed; nullptr when the file cannot be opened with that
    // channel count.
    virtual std::unique_ptr<QIODevice> openStream(const QString& path, int channels, qint64 startFrame,
                                                  qint64 endFrame) = 0;
    virtual bool hasOutputDevice() = 0;
    // An output on the default device, not yet started; onIdle is called
    // once every sample has been played. nullptr without a device.
    virtual std::unique_ptr<AudioOutput> makeOutput(int sampleRate, int channels, std::function<void()> onIdle) = 0;
};

// The module's one exported function.
using AudioEngineEntry = AudioEngine* (*)();
inline constexpr char audioEngineEntryName[] = "gaugelet_audio_engine";

} // namespace gaugelet
