#include "store/BundleInstaller.h"

#include "platform/core/AwaitedFuture.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "store/InstalledBundleRegistry.h"
#include "store/SigningKeys.h"
#include "store/ZipReader.h"

#include <QCoreApplication>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>
#include <cerrno>
#include <cstring>


namespace gaugelet {

namespace {

BundleInstaller::InstallError writeFailed(BundleVerifier::Error error)
{
    return BundleInstaller::InstallError{BundleInstaller::InstallError::Kind::writeFailed, std::move(error)};
}

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? path : path.left(slash);
}

} // namespace

QString BundleInstaller::InstallError::describe() const
{
    switch (kind) {
    case Kind::verifyFailed:
        return QStringLiteral("verifyFailed(%1)").arg(underlying.describe());
    case Kind::writeFailed:
        return QStringLiteral("writeFailed(%1)").arg(underlying.describe());
    }
    return {};
}

QString BundleInstaller::InstallError::localizedDescription() const
{
    auto text = [](const char* source) { return QCoreApplication::translate("BundleInstaller", source); };
    if (kind == Kind::writeFailed) {
        const FileSystem::Error* file = underlying.fileError();
        if (file && file->operation == QLatin1String("lock") && file->code == EBUSY)
            return text("Couldn't save the bundle: another copy of Gaugelet is changing the installed bundles.");
        if (file && file->operation == QLatin1String("lock"))
            return text("Couldn't save the bundle: cannot lock %1: %2.")
                .arg(file->path, QString::fromLocal8Bit(std::strerror(file->code)));
        if (file && file->code != 0)
            return text("Couldn't save the bundle: %1.").arg(QString::fromLocal8Bit(std::strerror(file->code)));
        return text("Couldn't save the bundle.");
    }
    if (const BundleVerifier::VerifyError* verify = underlying.verifyError()) {
        using VerifyKind = BundleVerifier::VerifyError::Kind;
        switch (verify->kind) {
        case VerifyKind::missingSignature:
        case VerifyKind::malformedSignature:
        case VerifyKind::signatureRejected:
            return text("The bundle's signature could not be verified, so nothing was installed.");
        case VerifyKind::schemaUnsupported:
            return text("The bundle needs a newer version of Gaugelet, so nothing was installed.");
        default:
            break;
        }
    }
    return text("The bundle is damaged or incomplete, so nothing was installed.");
}

BundleInstaller::BundleInstaller(InstalledBundleRegistry* registry, QObject* parent)
    : QObject(parent), m_registry(registry)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_registry && !m_registry->rootDir())
        qInfo("BundleInstaller: no Application Support folder; installing is disabled");
}

QCoro::Task<Result<BundleManifest, BundleInstaller::InstallError>> BundleInstaller::install(QByteArray archive)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPointer<BundleInstaller> self(this);
    const std::optional<QString> root = m_registry ? m_registry->rootDir() : std::nullopt;
    // The future is named: GCC 12 may destroy a temporary in a co_await
    // expression twice.
    QFuture<Result<BundleManifest, InstallError>> installing =
        QtConcurrent::run(&BundleInstaller::installFiles, std::move(archive), root);
    // Ends as the installer goes too (a quit mid-install), so that the frame,
    // with the archive, is never left behind; the worker finishes its files.
    AwaitedFuture<Result<BundleManifest, InstallError>> awaiting(this, std::move(installing));
    std::optional<Result<BundleManifest, InstallError>> installed = co_await awaiting;
    if (!installed)
        co_return fail(InstallError{InstallError::Kind::writeFailed,
                                    FileSystem::Error{QStringLiteral("write"), root.value_or(QString()), ECANCELED}});
    if (self && *installed && m_registry)
        m_registry->upsert(**installed);
    co_return std::move(*installed);
}

Result<void, BundleVerifier::Error> BundleInstaller::writeFiles(const QString& stagingDir, const QByteArray& archive)
{
    auto reader = ZipReader::read(archive);
    if (!reader)
        return fail(BundleVerifier::Error{reader.error()});
    for (const QString& name : {QStringLiteral("manifest.json"), QStringLiteral("manifest.sig")}) {
        auto bytes = reader->file(name);
        if (!bytes)
            return fail(BundleVerifier::Error{bytes.error()});
        if (auto written = FileSystem::writeFileAtomically(stagingDir + QLatin1Char('/') + name, *bytes); !written)
            return fail(BundleVerifier::Error{written.error()});
    }
    return {};
}

Result<BundleManifest, BundleInstaller::InstallError> BundleInstaller::installNow(const QByteArray& archive)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto installed = installFiles(archive, m_registry ? m_registry->rootDir() : std::nullopt);
    if (installed && m_registry)
        m_registry->upsert(*installed);
    return installed;
}

Result<BundleManifest, BundleInstaller::InstallError> BundleInstaller::installFiles(const QByteArray& archive,
                                                                                    const std::optional<QString>& root)
{
    auto verified = BundleVerifier::verify(archive, StoreSigningKey::key());
    if (!verified)
        return fail(InstallError{InstallError::Kind::verifyFailed, verified.error()});
    const BundleManifest& manifest = verified->manifest;

    // The verifier has already refused ids that cannot name a folder of
    // their own, so bundleDir is always a child of the root.
    if (!root) {
        qInfo("BundleInstaller: no Application Support folder; not installing %s", qUtf8Printable(manifest.id));
        return fail(writeFailed(BundleVerifier::Error{FileSystem::Error{QStringLiteral("install"), manifest.id, ENOENT}}));
    }
    const QString bundleDir = *root + QLatin1Char('/') + manifest.id;
    const QString staging = *root + QStringLiteral("/.staging-") + manifest.id + QLatin1Char('-')
                            + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();

    auto abandon = [&](BundleVerifier::Error error) {
        (void)FileSystem::removeTree(staging);
        return fail(writeFailed(std::move(error)));
    };

    // A root or "Gaugelet" folder that is a symbolic link may lead into the
    // user's own folders: nothing is written through it.
    if (auto owned = InstalledBundleRegistry::prepareRoot(*root); !owned) {
        qInfo("BundleInstaller: not installing %s: %s", qUtf8Printable(manifest.id),
              qUtf8Printable(owned.error().describe()));
        return fail(writeFailed(BundleVerifier::Error{owned.error()}));
    }
    // One install's file work at a time, in this and every other copy of the
    // program: the check of what is under the bundle's name and the swap
    // belong together, and a scan's moves and deletions and a removal wait
    // for it too.
    const InstalledBundleRegistry::WorkLock lock(*root);
    if (!lock.isHeld()) {
        const FileSystem::Error failure = lock.failure().value_or(
            FileSystem::Error{QStringLiteral("lock"), InstalledBundleRegistry::lockPath(*root), EBUSY});
        if (failure.code == EBUSY)
            qInfo("BundleInstaller: not installing %s: the bundles are busy", qUtf8Printable(manifest.id));
        else
            qInfo("BundleInstaller: not installing %s: %s", qUtf8Printable(manifest.id),
                  qUtf8Printable(failure.describe()));
        return fail(writeFailed(BundleVerifier::Error{failure}));
    }
    if (auto made = FileSystem::makeFolder(staging); !made)
        return abandon(BundleVerifier::Error{made.error()});
    if (auto written = writeFiles(staging, archive); !written)
        return abandon(written.error());
    for (auto it = verified->files.cbegin(); it != verified->files.cend(); ++it) {
        const QString target = staging + QLatin1Char('/') + it.key();
        if (auto made = FileSystem::makePath(parentOf(target)); !made)
            return abandon(BundleVerifier::Error{made.error()});
        if (auto written = FileSystem::writeFileAtomically(target, it.value()); !written)
            return abandon(BundleVerifier::Error{written.error()});
    }

    // Only a bundle of ours is replaced (and so deleted). Anything else under
    // its name may be the user's: it is moved aside, kept whole.
    const FileSystem::EntryKind existing = FileSystem::entryKind(bundleDir);
    if (existing != FileSystem::EntryKind::missing
        && (existing != FileSystem::EntryKind::directory
            || !BundleVerifier::verifyInstalled(bundleDir, StoreSigningKey::key()))) {
        auto aside = InstalledBundleRegistry::setAside(*root, manifest.id);
        if (!aside) {
            qInfo("BundleInstaller: not installing %s: cannot set aside what is in its place: %s",
                  qUtf8Printable(manifest.id), qUtf8Printable(aside.error().describe()));
            return abandon(BundleVerifier::Error{aside.error()});
        }
        qInfo("BundleInstaller: set aside %s as %s: not a bundle of ours", qUtf8Printable(manifest.id),
              qUtf8Printable(*aside));
    }
    const auto swapped = FileSystem::entryKind(bundleDir) != FileSystem::EntryKind::missing
                             ? FileSystem::replaceItem(bundleDir, staging)
                             : FileSystem::renameWithoutReplacing(staging, bundleDir);
    if (!swapped)
        return abandon(BundleVerifier::Error{swapped.error()});
    return manifest;
}

} // namespace gaugelet
