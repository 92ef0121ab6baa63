#include "store/BundleVerifier.h"

#include "StoreTestSupport.h"
#include "store/SigningKeys.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using Kind = BundleVerifier::VerifyError::Kind;

namespace {

const Members twoAssets{{QStringLiteral("assets/fox_0.png"), "frame zero"}, {QStringLiteral("assets/fox_1.png"), "frame one"}};

std::optional<Ed25519PublicKey> testKey() { return NaclKeyPair::shared().publicKey(); }

std::optional<Kind> verdictOf(const QByteArray& archive, std::optional<Ed25519PublicKey> key = testKey())
{
    auto result = BundleVerifier::verify(archive, key);
    if (result)
        return std::nullopt;
    const auto* v = result.error().verifyError();
    EXPECT_NE(v, nullptr) << result.error().describe().toStdString();
    return v ? std::optional(v->kind) : std::nullopt;
}

// An installed folder laid out as the installer writes one.
void writeFolder(const QString& dir, const QByteArray& manifest, const QByteArray& signature, const Members& assets)
{
    writeFile(dir + QStringLiteral("/manifest.json"), manifest);
    writeFile(dir + QStringLiteral("/manifest.sig"), signature);
    for (const auto& [path, bytes] : assets) {
        QDir().mkpath(QFileInfo(dir + QLatin1Char('/') + path).path());
        writeFile(dir + QLatin1Char('/') + path, bytes);
    }
}

} // namespace

TEST(BundleVerifier, BundleSignedByAnIndependentSignerVerifies)
{
    Members members = twoAssets;
    members.append({QStringLiteral("README.txt"), "not listed"});
    const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), twoAssets));
    const QByteArray archive = signedBundle(NaclKeyPair::shared(), manifest, members);
    auto result = BundleVerifier::verify(archive, testKey());
    ASSERT_TRUE(result) << result.error().describe().toStdString();
    EXPECT_EQ(result->manifest.id, QStringLiteral("fox"));
    EXPECT_EQ(result->files.size(), 2);
    EXPECT_EQ(result->files.value(QStringLiteral("assets/fox_1.png")), QByteArray("frame one"));
    EXPECT_FALSE(result->files.contains(QStringLiteral("README.txt")));
}

TEST(BundleVerifier, AnyChangedByteOfTheManifestIsRejected)
{
    const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), twoAssets));
    const QByteArray signature = NaclKeyPair::shared().sign(manifest);
    for (qsizetype at : {qsizetype(0), manifest.indexOf(' '), manifest.size() - 1}) {
        QByteArray flipped = manifest;
        flipped[at] = char(flipped[at] ^ 0x01);
        Members members{{QStringLiteral("manifest.json"), flipped}, {QStringLiteral("manifest.sig"), signature}};
        EXPECT_EQ(verdictOf(zipArchive(members + twoAssets)), Kind::signatureRejected) << at;
    }
}

TEST(BundleVerifier, SignatureOfTheWrongLengthIsMalformed)
{
    const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), {}));
    const QByteArray signature = NaclKeyPair::shared().sign(manifest);
    for (const QByteArray& sig : {signature.left(63), signature + 'x', QByteArray()}) {
        const Members members{{QStringLiteral("manifest.json"), manifest}, {QStringLiteral("manifest.sig"), sig}};
        EXPECT_EQ(verdictOf(zipArchive(members)), Kind::malformedSignature) << sig.size();
    }
}

TEST(BundleVerifier, KeysAreNotInterchangeable)
{
    const QByteArray archive = signedBundle(NaclKeyPair::other(), QStringLiteral("fox"), twoAssets);
    EXPECT_EQ(verdictOf(archive), Kind::signatureRejected);
    EXPECT_EQ(verdictOf(archive, StoreSigningKey::builtIn()), Kind::signatureRejected);
    EXPECT_EQ(verdictOf(archive, std::nullopt), Kind::signatureRejected);
    EXPECT_TRUE(BundleVerifier::verify(archive, NaclKeyPair::other().publicKey()));
}

TEST(BundleVerifier, SignedButUndecodableManifests)
{
    auto result = BundleVerifier::verify(signedBundle(NaclKeyPair::shared(), QByteArray("not json"), {}), testKey());
    ASSERT_FALSE(result);
    ASSERT_NE(result.error().verifyError(), nullptr);
    EXPECT_EQ(result.error().verifyError()->kind, Kind::manifestDecode);
    EXPECT_FALSE(result.error().verifyError()->text.isEmpty());

    QJsonObject schema2 = manifestObject(QStringLiteral("fox"), {});
    schema2.insert(QStringLiteral("schema"), 2);
    result = BundleVerifier::verify(signedBundle(NaclKeyPair::shared(), manifestBytes(schema2), {}), testKey());
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().verifyError()->kind, Kind::schemaUnsupported);
    EXPECT_EQ(result.error().verifyError()->schema, 2);
}

TEST(BundleVerifier, MissingManifestOrSignature)
{
    EXPECT_EQ(verdictOf(zipArchive({{QStringLiteral("other.txt"), "x"}})), Kind::missingManifest);
    EXPECT_EQ(verdictOf(zipArchive({{QStringLiteral("manifest.json"), "{}"}})), Kind::missingSignature);
}

TEST(BundleVerifier, AssetProblemsInTheArchive)
{
    // Listed but not in the archive.
    const QByteArray missing = signedBundle(NaclKeyPair::shared(), manifestBytes(manifestObject(QStringLiteral("fox"), twoAssets)),
                                            twoAssets.mid(0, 1));
    EXPECT_EQ(verdictOf(missing), Kind::assetMissing);

    // Listed twice, both correct.
    QJsonObject twice = manifestObject(QStringLiteral("fox"), {twoAssets[0], twoAssets[0]});
    auto result = BundleVerifier::verify(signedBundle(NaclKeyPair::shared(), manifestBytes(twice), twoAssets), testKey());
    ASSERT_FALSE(result);
    EXPECT_EQ(*result.error().verifyError(),
              (BundleVerifier::VerifyError{Kind::duplicateAssetPath, {}, 0, QStringLiteral("assets/fox_0.png"), {}, {}}));
}

TEST(BundleVerifier, UpperCaseDigestIsAMismatch)
{
    QJsonObject manifest = manifestObject(QStringLiteral("fox"), twoAssets);
    QJsonArray assets = manifest.value(QStringLiteral("assets")).toArray();
    QJsonObject first = assets[0].toObject();
    const QString lower = first.value(QStringLiteral("sha256")).toString();
    first.insert(QStringLiteral("sha256"), lower.toUpper());
    assets[0] = first;
    manifest.insert(QStringLiteral("assets"), assets);
    auto result = BundleVerifier::verify(signedBundle(NaclKeyPair::shared(), manifestBytes(manifest), twoAssets), testKey());
    ASSERT_FALSE(result);
    EXPECT_EQ(*result.error().verifyError(),
              (BundleVerifier::VerifyError{Kind::assetHashMismatch, {}, 0, QStringLiteral("assets/fox_0.png"), lower.toUpper(), lower}));
}

TEST(BundleVerifier, EmptyAssetListVerifies)
{
    auto result = BundleVerifier::verify(signedBundle(NaclKeyPair::shared(), QStringLiteral("empty"), {}), testKey());
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->files.isEmpty());
}

TEST(BundleVerifier, ArchiveErrorsPassThrough)
{
    const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), {}));
    const Members members{{QStringLiteral("manifest.json"), manifest}, {QStringLiteral("manifest.sig"), NaclKeyPair::shared().sign(manifest)}};
    auto result = BundleVerifier::verify(zipArchive(members, {QStringLiteral("-9")}), testKey());
    ASSERT_FALSE(result);
    ASSERT_NE(result.error().readError(), nullptr);
    EXPECT_EQ(result.error().readError()->kind, ZipReader::ReadError::Kind::unsupportedCompression);
}

TEST(BundleVerifier, UnsafeIdsAreRejectedByBothForms)
{
    QTemporaryDir dir;
    for (const QString& id : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../x"), QStringLiteral("a/b"),
                              QStringLiteral(".staging-x"), QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b")}) {
        const QByteArray manifest = manifestBytes(manifestObject(id, twoAssets));
        const QByteArray signature = NaclKeyPair::shared().sign(manifest);
        auto archive = BundleVerifier::verify(signedBundle(NaclKeyPair::shared(), manifest, twoAssets), testKey());
        ASSERT_FALSE(archive) << id.toStdString();
        EXPECT_EQ(*archive.error().verifyError(), (BundleVerifier::VerifyError{Kind::unsafeBundleId, {}, 0, id, {}, {}}));

        const QString folder = dir.filePath(QStringLiteral("installed"));
        writeFolder(folder, manifest, signature, twoAssets);
        auto installed = BundleVerifier::verifyInstalled(folder, testKey());
        ASSERT_FALSE(installed);
        ASSERT_NE(installed.error().verifyError(), nullptr);
        EXPECT_EQ(installed.error().verifyError()->kind, Kind::unsafeBundleId);
    }
    EXPECT_TRUE(BundleVerifier::isSafeBundleId(QStringLiteral("fox.pack-2")));
}

TEST(BundleVerifier, InstalledFolderVerifies)
{
    QTemporaryDir dir;
    QJsonObject twice = manifestObject(QStringLiteral("fox"), {twoAssets[0], twoAssets[0], twoAssets[1]});
    const QByteArray manifest = manifestBytes(twice);
    writeFolder(dir.path(), manifest, NaclKeyPair::shared().sign(manifest), twoAssets);
    writeFile(dir.filePath(QStringLiteral("unlisted.txt")), "ignored");
    auto result = BundleVerifier::verifyInstalled(dir.path(), testKey());
    ASSERT_TRUE(result) << result.error().describe().toStdString();
    EXPECT_EQ(result->id, QStringLiteral("fox"));
}

TEST(BundleVerifier, InstalledFolderFailures)
{
    QTemporaryDir dir;
    const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), twoAssets));
    writeFolder(dir.path(), manifest, NaclKeyPair::shared().sign(manifest), twoAssets);

    writeFile(dir.filePath(QStringLiteral("assets/fox_1.png")), "altered");
    auto altered = BundleVerifier::verifyInstalled(dir.path(), testKey());
    ASSERT_FALSE(altered);
    EXPECT_EQ(altered.error().verifyError()->kind, Kind::assetHashMismatch);
    EXPECT_TRUE(altered.error().isRejection());

    QFile::remove(dir.filePath(QStringLiteral("assets/fox_1.png")));
    auto deleted = BundleVerifier::verifyInstalled(dir.path(), testKey());
    ASSERT_FALSE(deleted);
    ASSERT_NE(deleted.error().fileError(), nullptr);
    EXPECT_TRUE(deleted.error().fileError()->isMissing());
    EXPECT_TRUE(deleted.error().isRejection());

    // Present but unreadable as a file: not a verdict on the bundle.
    QDir().mkpath(dir.filePath(QStringLiteral("assets/fox_1.png")));
    auto unreadable = BundleVerifier::verifyInstalled(dir.path(), testKey());
    ASSERT_FALSE(unreadable);
    ASSERT_NE(unreadable.error().fileError(), nullptr);
    EXPECT_FALSE(unreadable.error().isRejection());

    writeFile(dir.filePath(QStringLiteral("manifest.sig")), QByteArray(64, 'x'));
    EXPECT_EQ(BundleVerifier::verifyInstalled(dir.path(), testKey()).error().verifyError()->kind, Kind::signatureRejected);
    writeFile(dir.filePath(QStringLiteral("manifest.sig")), QByteArray(65, 'x'));
    EXPECT_EQ(BundleVerifier::verifyInstalled(dir.path(), testKey()).error().verifyError()->kind, Kind::malformedSignature);
}

TEST(BundleVerifier, InstalledFormDecodeErrorPassesThrough)
{
    QTemporaryDir dir;
    const QByteArray manifest = "{\"schema\": 1}";
    writeFolder(dir.path(), manifest, NaclKeyPair::shared().sign(manifest), {});
    auto result = BundleVerifier::verifyInstalled(dir.path(), testKey());
    ASSERT_FALSE(result);
    ASSERT_NE(result.error().decodeError(), nullptr);
    EXPECT_EQ(result.error().decodeError()->codingPath, QStringLiteral("id"));
}

TEST(BundleVerifier, InstalledAssetPathsStayInsideTheFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("fox"));
    const Members outside{{QStringLiteral("../secret.txt"), "outside"}};
    writeFile(dir.filePath(QStringLiteral("secret.txt")), "outside");
    const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), outside));
    writeFolder(folder, manifest, NaclKeyPair::shared().sign(manifest), {});
    auto result = BundleVerifier::verifyInstalled(folder, testKey());
    ASSERT_FALSE(result);
    ASSERT_NE(result.error().readError(), nullptr);
    EXPECT_EQ(result.error().readError()->kind, ZipReader::ReadError::Kind::invalidPath);
}

TEST(BundleVerifier, PackingToolBuildsABundleThatVerifies)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("seed")), NaclKeyPair::shared().seedHex + '\n');
    for (const auto& [path, bytes] : twoAssets) {
        QDir().mkpath(QFileInfo(dir.filePath(QStringLiteral("src/") + path)).path());
        writeFile(dir.filePath(QStringLiteral("src/") + path), bytes);
    }
    QJsonObject manifest = manifestObject(QStringLiteral("fox"), twoAssets);
    QJsonArray assets;
    for (const auto& [path, bytes] : twoAssets)
        assets.append(QJsonObject{{QStringLiteral("path"), path}});
    manifest.insert(QStringLiteral("assets"), assets);
    writeFile(dir.filePath(QStringLiteral("template.json")), QJsonDocument(manifest).toJson());

    const QString tool = QStringLiteral(GAUGELET_BINARY_DIR "/bin/gaugebundle");
    QProcess pack;
    pack.start(tool, {QStringLiteral("pack"), QStringLiteral("--template"), dir.filePath(QStringLiteral("template.json")),
                      QStringLiteral("--assets"), dir.filePath(QStringLiteral("src")), QStringLiteral("--seed"),
                      dir.filePath(QStringLiteral("seed")), QStringLiteral("--out"), dir.filePath(QStringLiteral("fox.gaugebundle"))});
    ASSERT_TRUE(pack.waitForFinished(30000));
    ASSERT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();

    const QByteArray archive = readFile(dir.filePath(QStringLiteral("fox.gaugebundle")));
    auto result = BundleVerifier::verify(archive, testKey());
    ASSERT_TRUE(result) << result.error().describe().toStdString();
    EXPECT_EQ(result->files.value(QStringLiteral("assets/fox_0.png")), QByteArray("frame zero"));
    auto reader = ZipReader::read(archive);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->entries[0].path, QStringLiteral("manifest.json"));
    EXPECT_EQ(reader->entries[1].path, QStringLiteral("manifest.sig"));

    // The catalogue signature: Base64 of 64 bytes that python3-nacl accepts.
    writeFile(dir.filePath(QStringLiteral("catalogue.json")), "{\"items\": []}");
    QProcess signCatalogue;
    signCatalogue.start(tool, {QStringLiteral("sign-catalogue"), QStringLiteral("--seed"), dir.filePath(QStringLiteral("seed")),
                               QStringLiteral("--in"), dir.filePath(QStringLiteral("catalogue.json")), QStringLiteral("--out"),
                               dir.filePath(QStringLiteral("catalogue.json.sig"))});
    ASSERT_TRUE(signCatalogue.waitForFinished(30000));
    ASSERT_EQ(signCatalogue.exitCode(), 0);
    const QByteArray ok = runPython(
        QStringLiteral("import sys, base64, nacl.signing\n"
                       "vk = nacl.signing.VerifyKey(bytes.fromhex('%1'))\n"
                       "vk.verify(open('%2','rb').read(), base64.b64decode(open('%3','rb').read()))\n"
                       "print('ok')\n")
            .arg(QString::fromLatin1(NaclKeyPair::shared().publicKeyHex), dir.filePath(QStringLiteral("catalogue.json")),
                 dir.filePath(QStringLiteral("catalogue.json.sig"))));
    EXPECT_EQ(ok.trimmed(), QByteArray("ok"));
}

// A file larger than any bundle could hold is refused from its size alone
// (a sparse 1 GiB file: nothing of it is read) and proves the folder altered.
TEST(BundleVerifier, InstalledFileLargerThanABundleIsRefusedUnread)
{
    for (const QString& name : {QStringLiteral("manifest.json"), QStringLiteral("manifest.sig"),
                                QStringLiteral("assets/fox_1.png")}) {
        SCOPED_TRACE(name.toStdString());
        QTemporaryDir dir;
        const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), twoAssets));
        writeFolder(dir.path(), manifest, NaclKeyPair::shared().sign(manifest), twoAssets);
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.resize(qint64(1) << 30));
        auto result = BundleVerifier::verifyInstalled(dir.path(), testKey());
        ASSERT_FALSE(result);
        ASSERT_NE(result.error().fileError(), nullptr);
        EXPECT_EQ(result.error().fileError()->code, EFBIG);
        EXPECT_TRUE(result.error().isRejection());
    }
    // Together the files may not exceed one bundle either.
    QTemporaryDir dir;
    const Members halves{{QStringLiteral("a.bin"), QByteArray(BundleVerifier::maxBundleBytes / 2, 'a')},
                         {QStringLiteral("b.bin"), QByteArray(BundleVerifier::maxBundleBytes / 2, 'b')}};
    const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), halves));
    writeFolder(dir.path(), manifest, NaclKeyPair::shared().sign(manifest), halves);
    auto result = BundleVerifier::verifyInstalled(dir.path(), testKey());
    ASSERT_FALSE(result);
    ASSERT_NE(result.error().fileError(), nullptr);
    EXPECT_EQ(result.error().fileError()->code, EFBIG);
}
