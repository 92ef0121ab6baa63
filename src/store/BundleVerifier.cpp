#include "store/BundleVerifier.h"

#include "platform/net/Sha256.h"

#include <QRegularExpression>
#include <QSet>

#include <cerrno>

namespace gaugelet {

namespace {

using VerifyError = BundleVerifier::VerifyError;
using Kind = VerifyError::Kind;

BundleVerifier::Error verdict(Kind kind)
{
    VerifyError e;
    e.kind = kind;
    return BundleVerifier::Error{e};
}

BundleVerifier::Error verdictWithPath(Kind kind, const QString& path)
{
    VerifyError e;
    e.kind = kind;
    e.path = path;
    return BundleVerifier::Error{e};
}

BundleVerifier::Error sized(Kind kind, qint64 size)
{
    VerifyError e;
    e.kind = kind;
    e.size = size;
    return BundleVerifier::Error{e};
}

// The asset's bytes against the digest its manifest lists.
std::optional<BundleVerifier::Error> checkDigest(const BundleManifest::AssetEntry& asset, const QByteArray& bytes)
{
    const QString got = Sha256::hexDigest(bytes);
    if (got == asset.sha256)
        return std::nullopt;
    VerifyError e;
    e.kind = Kind::assetHashMismatch;
    e.path = asset.path;
    e.expected = asset.sha256;
    e.got = got;
    return BundleVerifier::Error{e};
}

std::optional<BundleVerifier::Error> checkSignature(const QByteArray& manifest, const QByteArray& signature,
                                                    const std::optional<Ed25519PublicKey>& key)
{
    if (signature.size() != Ed25519PublicKey::signatureSize)
        return verdict(Kind::malformedSignature);
    if (!key || !key->isValidSignature(signature, manifest))
        return verdict(Kind::signatureRejected);
    return std::nullopt;
}

// Steps shared by both forms once the signature holds.
std::optional<BundleVerifier::Error> checkManifest(const BundleManifest& manifest)
{
    if (manifest.schema != 1) {
        VerifyError e;
        e.kind = Kind::schemaUnsupported;
        e.schema = manifest.schema;
        return BundleVerifier::Error{e};
    }
    if (!BundleVerifier::isSafeBundleId(manifest.id))
        return verdictWithPath(Kind::unsafeBundleId, manifest.id);
    if (manifest.assets.size() > BundleVerifier::maxAssetCount)
        return sized(Kind::tooManyAssets, manifest.assets.size());
    return std::nullopt;
}

} // namespace

QString BundleVerifier::VerifyError::describe() const
{
    switch (kind) {
    case Kind::manifestDecode:
        return QStringLiteral("manifestDecode(%1)").arg(text);
    case Kind::schemaUnsupported:
        return QStringLiteral("schemaUnsupported(%1)").arg(schema);
    case Kind::assetMissing:
        return QStringLiteral("assetMissing(%1)").arg(path);
    case Kind::assetHashMismatch:
        return QStringLiteral("assetHashMismatch(path: %1, expected: %2, got: %3)").arg(path, expected, got);
    case Kind::duplicateAssetPath:
        return QStringLiteral("duplicateAssetPath(%1)").arg(path);
    case Kind::missingManifest:
        return QStringLiteral("missingManifest");
    case Kind::missingSignature:
        return QStringLiteral("missingSignature");
    case Kind::malformedSignature:
        return QStringLiteral("malformedSignature");
    case Kind::signatureRejected:
        return QStringLiteral("signatureRejected");
    case Kind::unsafeBundleId:
        return QStringLiteral("unsafeBundleId(%1)").arg(path);
    case Kind::bundleTooLarge: return QStringLiteral("bundleTooLarge(%1 bytes)").arg(size);
    case Kind::tooManyAssets: return QStringLiteral("tooManyAssets(%1)").arg(size);
    }
    return {};
}

BundleVerifier::Error::Error() : value(VerifyError{}) {}

QString BundleVerifier::Error::describe() const
{
    return std::visit([](const auto& e) { return e.describe(); }, value);
}

bool BundleVerifier::Error::isRejection() const
{
    if (const auto* file = fileError())
        return file->isMissing() || file->code == EFBIG;
    return true;
}

bool BundleVerifier::isSafeBundleId(const QString& id)
{
    return !id.isEmpty() && !id.startsWith(QLatin1Char('.')) && !id.contains(QLatin1Char('/'))
           && !id.contains(QChar(u'\0')) && !isSetAsideName(id);
}

QString BundleVerifier::setAsideName(const QString& name, qint64 number)
{
    return name + QStringLiteral(".set-aside-") + QString::number(number);
}

bool BundleVerifier::isSetAsideName(const QString& name)
{
    static const QRegularExpression setAside(QStringLiteral("\\.set-aside-[0-9]+$"));
    return setAside.match(name).hasMatch();
}

Result<BundleVerifier::Verified, BundleVerifier::Error> BundleVerifier::verify(const QByteArray& archive,
                                                                              const std::optional<Ed25519PublicKey>& key)
{
    auto reader = ZipReader::read(archive);
    if (!reader)
        return fail(Error{reader.error()});
    const ZipReader::Entry* manifestEntry = reader->find(QStringLiteral("manifest.json"));
    if (manifestEntry == nullptr)
        return fail(verdict(Kind::missingManifest));
    const ZipReader::Entry* signatureEntry = reader->find(QStringLiteral("manifest.sig"));
    if (signatureEntry == nullptr)
        return fail(verdict(Kind::missingSignature));
    auto manifestBytes = reader->extract(*manifestEntry);
    if (!manifestBytes)
        return fail(Error{manifestBytes.error()});
    auto signature = reader->extract(*signatureEntry);
    if (!signature)
        return fail(Error{signature.error()});
    if (auto bad = checkSignature(*manifestBytes, *signature, key))
        return fail(*bad);

    auto manifest = BundleManifest::decode(*manifestBytes);
    if (!manifest) {
        VerifyError e;
        e.kind = Kind::manifestDecode;
        e.text = manifest.error().describe();
        return fail(Error{e});
    }
    if (auto bad = checkManifest(*manifest))
        return fail(*bad);

    // Every listed member is found and its declared size counted before any
    // is extracted: one large member listed under many names counts as many
    // times as it would be written.
    QList<const ZipReader::Entry*> entries;
    entries.reserve(manifest->assets.size());
    QSet<QString> seen;
    seen.reserve(manifest->assets.size());
    quint64 unpacked = manifestEntry->uncompressedSize + signatureEntry->uncompressedSize;
    for (const auto& asset : manifest->assets) {
        if (seen.contains(asset.path))
            return fail(verdictWithPath(Kind::duplicateAssetPath, asset.path));
        seen.insert(asset.path);
        const ZipReader::Entry* entry = reader->find(asset.path);
        if (entry == nullptr)
            return fail(verdictWithPath(Kind::assetMissing, asset.path));
        unpacked += entry->uncompressedSize; // at most 512 + 2 sizes of 32 bits
        entries.append(entry);
    }
    if (unpacked > quint64(maxBundleBytes))
        return fail(sized(Kind::bundleTooLarge, qint64(unpacked)));

    Verified result;
    result.files.reserve(manifest->assets.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const auto& asset = manifest->assets.at(i);
        auto bytes = reader->extract(*entries.at(i));
        if (!bytes)
            return fail(Error{bytes.error()});
        if (auto bad = checkDigest(asset, *bytes))
            return fail(*bad);
        result.files.insert(asset.path, std::move(bytes).value());
    }
    result.manifest = std::move(manifest).value();
    return result;
}

Result<BundleManifest, BundleVerifier::Error> BundleVerifier::verifyInstalled(const QString& folder,
                                                                             const std::optional<Ed25519PublicKey>& key)
{
    // Every file is read within what is left of one bundle's size.
    qint64 budget = maxBundleBytes;
    auto readWithin = [&budget](const QString& path) {
        auto bytes = FileSystem::readFile(path, budget);
        if (bytes)
            budget -= bytes->size();
        return bytes;
    };
    auto manifestBytes = readWithin(folder + QStringLiteral("/manifest.json"));
    if (!manifestBytes)
        return fail(Error{manifestBytes.error()});
    auto signature = readWithin(folder + QStringLiteral("/manifest.sig"));
    if (!signature)
        return fail(Error{signature.error()});
    if (auto bad = checkSignature(*manifestBytes, *signature, key))
        return fail(*bad);
    auto manifest = BundleManifest::decode(*manifestBytes);
    if (!manifest)
        return fail(Error{manifest.error()});
    if (auto bad = checkManifest(*manifest))
        return fail(*bad);
    for (const auto& asset : manifest->assets) {
        // The same name rule as archive members: a signed manifest still may
        // not reach outside its folder.
        if (auto valid = ZipReader::validatePath(asset.path); !valid)
            return fail(Error{valid.error()});
        auto bytes = readWithin(folder + QLatin1Char('/') + asset.path);
        if (!bytes)
            return fail(Error{bytes.error()});
        if (auto bad = checkDigest(asset, *bytes))
            return fail(*bad);
    }
    return std::move(manifest).value();
}

} // namespace gaugelet
