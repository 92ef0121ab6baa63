#pragma once

#include <QObject>

class QIODevice;

namespace gaugelet {

// One sound playing on the default audio output, made by the audio module
// (AudioEngine). It belongs to the thread that made it; deleting it ends the
// sound.
class AudioOutput : public QObject {
public:
    // Starts reading 16-bit PCM from stream, which must outlive the output.
    virtual void start(QIODevice* stream) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    // Forgets the idle callback: its owner is going away.
    virtual void detach() = 0;
};

} // namespace gaugelet
