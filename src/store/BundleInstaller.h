#pragma once

#include "platform/core/Result.h"
#include "store/BundleManifest.h"
#include "store/BundleVerifier.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

#include <QCoro/QCoroTask>

namespace gaugelet {

class InstalledBundleRegistry;

// Turns a bundle archive into an installed bundle folder and records it in
// the registry. Nothing unverified is installed; the new folder is assembled
// under a private staging name beside the installed ones and swapped into
// place in one step, so a failed install never leaves a half-written bundle
// under the bundle's own name. What was under that name is replaced only
// when it verifies as a bundle of ours; anything else there (a folder of the
// user's, a plain file, a link) is set aside under a name of its own and the
// bundle installed beside it. Called on the main thread; the verifying and
// writing run on a worker, one install at a time.
class BundleInstaller : public QObject {
    Q_OBJECT

public:
    struct InstallError {
        enum class Kind {
            verifyFailed, // nothing on disk was touched
            writeFailed,  // a file step failed after verification; staging removed
        };
        Kind kind = Kind::writeFailed;
        // The verifier's, archive reader's or file system's error.
        BundleVerifier::Error underlying;

        QString describe() const;
        // The sentence the user reads: what went wrong, in the user's terms.
        QString localizedDescription() const;
        bool operator==(const InstallError&) const = default;
    };

    explicit BundleInstaller(InstalledBundleRegistry* registry, QObject* parent = nullptr);

    InstalledBundleRegistry* registry() const { return m_registry; }

    // Verifies with the store key, stages, writes and swaps into place on a
    // worker thread, then records the bundle; returns its manifest. The file
    // work of two installs never interleaves.
    QCoro::Task<Result<BundleManifest, InstallError>> install(QByteArray archive);
    // The same, as one synchronous step on the calling (main) thread; it
    // fails rather than wait while the bundles are busy.
    Result<BundleManifest, InstallError> installNow(const QByteArray& archive);

    // Everything of an install but the recording, under the given root (none:
    // no Application Support folder). Any thread.
    static Result<BundleManifest, InstallError> installFiles(const QByteArray& archive,
                                                             const std::optional<QString>& root);

    // Writes "manifest.json" and "manifest.sig", byte for byte as in the
    // archive, into the staging folder.
    static Result<void, BundleVerifier::Error> writeFiles(const QString& stagingDir, const QByteArray& archive);

private:
    QPointer<InstalledBundleRegistry> m_registry;
};

} // namespace gaugelet
