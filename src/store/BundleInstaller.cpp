#include "store/BundleInstaller.h"

#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "store/InstalledBundleRegistry.h"
#include "store/SigningKeys.h"
#include "store/ZipReader.h"

#include <QCoreApplication>
#include <QUuid>
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
        if (const FileSystem::Error* file = underlying.fileError(); file && file->code != 0)
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
    co_return installNow(archive);
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
    auto verified = BundleVerifier::verify(archive, StoreSigningKey::key());
    if (!verified)
        return fail(InstallError{InstallError::Kind::verifyFailed, verified.error()});
    const BundleManifest& manifest = verified->manifest;

    // The verifier has already refused ids that cannot name a folder of
    // their own, so bundleDir is always a child of the root.
    const auto bundleDir = m_registry ? m_registry->folderFor(manifest.id) : std::nullopt;
    if (!bundleDir) {
        qInfo("BundleInstaller: no Application Support folder; not installing %s", qUtf8Printable(manifest.id));
        return fail(writeFailed(BundleVerifier::Error{FileSystem::Error{QStringLiteral("install"), manifest.id, ENOENT}}));
    }
    const QString root = *m_registry->rootDir();
    const QString staging = root + QStringLiteral("/.staging-") + manifest.id + QLatin1Char('-')
        + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();

    auto abandon = [&](BundleVerifier::Error error) {
        (void)FileSystem::removeTree(staging);
        return fail(writeFailed(std::move(error)));
    };

    // A root or "Gaugelet" folder that is a symbolic link may lead into the
    // user's own folders: nothing is written through it.
    if (auto owned = m_registry->prepareRoot(); !owned) {
        qInfo("BundleInstaller: not installing %s: %s", qUtf8Printable(manifest.id),
              qUtf8Printable(owned.error().describe()));
        return fail(writeFailed(BundleVerifier::Error{owned.error()}));
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

    const auto swapped = FileSystem::entryKind(*bundleDir) != FileSystem::EntryKind::missing
        ? FileSystem::replaceItem(*bundleDir, staging)
        : FileSystem::rename(staging, *bundleDir);
    if (!swapped)
        return abandon(BundleVerifier::Error{swapped.error()});

    if (m_registry)
        m_registry->upsert(manifest);
    return manifest;
}

} // namespace gaugelet
