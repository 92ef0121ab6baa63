#pragma once

#include <QString>

namespace gaugelet {

// Decodes a whole sound file with libsndfile to check every frame and count
// them, keeping nothing. libsndfile is loaded for the check and let go after
// it, so preparing sounds (every alarm's, at start) leaves it unmapped until
// a sound plays (AudioModule). Any thread.
class SoundFileCheck {
public:
    enum class Outcome { ok, openFailed, decodeFailed, empty, libraryMissing };
    Outcome outcome = Outcome::openFailed;
    QString detail; // libsndfile's own message, or why it could not be loaded
    int sampleRate = 0;
    int channels = 0;
    qint64 frames = 0;

    // Up to maxSeconds of sound; longer files are counted to there.
    static SoundFileCheck run(const QString& path, qint64 maxSeconds);
};

} // namespace gaugelet
