#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Result.h"
#include "platform/net/Ed25519PublicKey.h"
#include "store/BundleManifest.h"
#include "store/ZipReader.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <variant>

namespace gaugelet {

// Proves a content bundle authentic (an Ed25519 signature, made with the
// given key, over the exact bytes of "manifest.json") and intact (every listed
// file present with its SHA-256 digest), over an archive or over an installed
// folder. Pure functions; safe on any thread.
class BundleVerifier {
public:
    struct VerifyError {
        enum class Kind {
            manifestDecode,     // text: the decoder's description
            schemaUnsupported,  // schema
            assetMissing,       // path
            assetHashMismatch,  // path, expected, got
            duplicateAssetPath, // path
            missingManifest,
            missingSignature,
            malformedSignature,
            signatureRejected,
            // The manifest's id cannot name a folder of its own under the
            // bundle root (empty, ".", "..", a "/" or NUL, or a leading ".").
            unsafeBundleId, // path: the id
            // What the bundle would unpack to is larger than any bundle: the
            // manifest pair and every listed file, a member counted each time
            // a listed path names it.
            bundleTooLarge, // size: the bytes it would unpack to
            tooManyAssets,  // size: the number of listed files
        };
        Kind kind = Kind::signatureRejected;
        QString text;
        qint64 schema = 0;
        QString path;
        QString expected;
        QString got;
        qint64 size = 0;

        QString describe() const;
        bool operator==(const VerifyError&) const = default;
    };

    // Any way a verification can end: the verifier's own verdict, or an error
    // of the archive reader, the file system or the manifest decoder passed
    // through unchanged.
    struct Error {
        Error();
        Error(VerifyError e) : value(std::move(e)) {}
        Error(ZipReader::ReadError e) : value(std::move(e)) {}
        Error(FileSystem::Error e) : value(std::move(e)) {}
        Error(BundleManifest::DecodeError e) : value(std::move(e)) {}

        std::variant<VerifyError, ZipReader::ReadError, FileSystem::Error, BundleManifest::DecodeError> value;

        QString describe() const;
        // True when the bundle is positively proved bad, a listed file is
        // missing or larger than any bundle; false for a file that exists but
        // could not be read.
        bool isRejection() const;
        const VerifyError* verifyError() const { return std::get_if<VerifyError>(&value); }
        const ZipReader::ReadError* readError() const { return std::get_if<ZipReader::ReadError>(&value); }
        const FileSystem::Error* fileError() const { return std::get_if<FileSystem::Error>(&value); }
        const BundleManifest::DecodeError* decodeError() const { return std::get_if<BundleManifest::DecodeError>(&value); }
        bool operator==(const Error&) const = default;
    };

    // No bundle is larger than this as downloaded, and its archive stores its
    // files uncompressed, so no installed file (nor all of them together) is
    // larger either: a larger one is refused before it is read.
    static constexpr qint64 maxBundleBytes = 5'242'880; // 5 MiB
    // No bundle lists more files than this; a manifest listing more is
    // refused before any of them is read.
    static constexpr qsizetype maxAssetCount = 512;

    struct Verified {
        BundleManifest manifest;
        QHash<QString, QByteArray> files; // exactly the listed asset paths
    };

    // The archive form. An absent key (a defective build) verifies nothing.
    // Nothing listed is extracted before the sizes the archive declares for
    // it are known to fit within maxBundleBytes.
    static Result<Verified, Error> verify(const QByteArray& archive, const std::optional<Ed25519PublicKey>& key);
    // The installed form, reading the folder's files.
    static Result<BundleManifest, Error> verifyInstalled(const QString& folder, const std::optional<Ed25519PublicKey>& key);

    // Whether an id may name a bundle's folder: not one of the names under
    // which the registry sets aside folders that are not ours either.
    static bool isSafeBundleId(const QString& id);
    // The name a folder that is not a bundle of ours is set aside under:
    // its own name + ".set-aside-" + a number from 1.
    static QString setAsideName(const QString& name, qint64 number);
    static bool isSetAsideName(const QString& name);
};

} // namespace gaugelet
