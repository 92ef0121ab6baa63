#include "platform/desktop/AudioModule.h"

#include "platform/core/PlatformLog.h"
#include "platform/desktop/AudioEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QList>
#include <QMutex>
#include <QMutexLocker>

namespace gaugelet {

namespace {

struct State {
    QMutex mutex;
    bool tried = false;
    AudioEngine* engine = nullptr;
    QString error;
    QString overridePath;
    // Every module loaded, kept for the life of the process: players hold
    // its objects.
    QList<QLibrary*> libraries;
};

State& state()
{
    // Never destroyed: the modules it holds stay loaded until the process
    // ends, and so does what it points to.
    static State* const s = new State;
    return *s;
}

} // namespace

QString AudioModule::path()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                           + QStringLiteral(GAUGELET_AUDIO_MODULE_FROM_BINDIR));
}

AudioEngine* AudioModule::engine()
{
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    if (s.tried)
        return s.engine;
    s.tried = true;
    const QString file = s.overridePath.isEmpty() ? path() : s.overridePath;
    auto* library = new QLibrary(file);
    auto entry = reinterpret_cast<AudioEngineEntry>(library->resolve(audioEngineEntryName));
    s.engine = entry ? entry() : nullptr;
    if (s.engine) {
        s.libraries.append(library);
    } else {
        s.error = library->errorString();
        delete library;
        logError(lcPlatform, "audio: the audio module %s could not be loaded, so no sound plays: %s",
                 qUtf8Printable(file), qUtf8Printable(s.error));
    }
    return s.engine;
}

QString AudioModule::loadError()
{
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    return s.error;
}

void AudioModule::useForTesting(const QString& file)
{
    State& s = state();
    const QMutexLocker lock(&s.mutex);
    s.tried = false;
    s.engine = nullptr;
    s.error.clear();
    s.overridePath = file;
}

} // namespace gaugelet
