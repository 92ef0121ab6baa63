#include "platform/desktop/SoundFileCheck.h"

#include <QFile>
#include <QScopeGuard>
#include <algorithm>
#include <dlfcn.h>
#include <sndfile.h>
#include <vector>

namespace gaugelet {

SoundFileCheck SoundFileCheck::run(const QString& path, qint64 maxSeconds)
{
    SoundFileCheck checked;
    // A handle of its own (dlopen counts every one), let go after the check:
    // still mapped while a sound plays (the audio module links it), else
    // unmapped. Checks run on several threads at once.
    void* library = ::dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        checked.outcome = Outcome::libraryMissing;
        checked.detail = QString::fromLocal8Bit(::dlerror());
        return checked;
    }
    const auto unload = qScopeGuard([library] { ::dlclose(library); });
    const auto open = reinterpret_cast<decltype(&sf_open)>(::dlsym(library, "sf_open"));
    const auto readShort = reinterpret_cast<decltype(&sf_readf_short)>(::dlsym(library, "sf_readf_short"));
    const auto error = reinterpret_cast<decltype(&sf_error)>(::dlsym(library, "sf_error"));
    const auto errorText = reinterpret_cast<decltype(&sf_strerror)>(::dlsym(library, "sf_strerror"));
    const auto close = reinterpret_cast<decltype(&sf_close)>(::dlsym(library, "sf_close"));
    if (!open || !readShort || !error || !errorText || !close) {
        checked.outcome = Outcome::libraryMissing;
        checked.detail = QStringLiteral("libsndfile.so.1 lacks the functions it should have");
        return checked;
    }
    SF_INFO info{};
    SNDFILE* file = open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) {
        checked.detail = QString::fromUtf8(errorText(nullptr));
        return checked;
    }
    checked.outcome = Outcome::decodeFailed;
    if (info.channels < 1 || info.channels > 8 || info.samplerate < 1 || info.samplerate > 768000) {
        close(file);
        checked.detail = QStringLiteral("unsupported channel count or rate");
        return checked;
    }
    // libsndfile's frame count for MP3 is an estimate; decode to the end
    // (or the cut) to check every frame and count them.
    const sf_count_t limit = sf_count_t(maxSeconds) * info.samplerate;
    std::vector<qint16> chunk(size_t(4096) * size_t(info.channels));
    sf_count_t total = 0;
    while (total < limit) {
        const sf_count_t got = readShort(file, chunk.data(), std::min<sf_count_t>(4096, limit - total));
        if (got <= 0)
            break;
        total += got;
    }
    const int err = error(file);
    const QString text = QString::fromUtf8(errorText(file));
    close(file);
    if (err != SF_ERR_NO_ERROR) {
        checked.detail = text;
        return checked;
    }
    checked.outcome = total == 0 ? Outcome::empty : Outcome::ok;
    checked.sampleRate = info.samplerate;
    checked.channels = info.channels;
    checked.frames = total;
    return checked;
}

} // namespace gaugelet
