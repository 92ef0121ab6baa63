#include "store/BundleInstaller.h"

#include "StoreTestSupport.h"
#include "platform/core/FileSystem.h"
#include "store/InstalledBundleRegistry.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <QCoro/QCoroTask>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using InstallKind = BundleInstaller::InstallError::Kind;

namespace {

const Members frames{{QStringLiteral("assets/fox_0.png"), "frame zero"}, {QStringLiteral("assets/fox_1.png"), "frame one"}};

QByteArray bundle(const QString& id, const Members& assets, qint64 version = 1, const Members& unlisted = {})
{
    QJsonObject manifest = manifestObject(id, assets);
    manifest.insert(QStringLiteral("version"), version);
    return signedBundle(NaclKeyPair::shared(), manifestBytes(manifest), assets + unlisted);
}

class BundleInstallerTest : public ::testing::Test {
protected:
    void TearDown() override { FileSystem::setExchangeUnsupportedForTesting(false); }

    QStringList rootEntries() const { return FileSystem::listDirectory(root).value(); }

    QTemporaryDir temp;
    QString root = temp.filePath(QStringLiteral("Bundles"));
    ScopedStoreKey key{NaclKeyPair::shared()};
    InstalledBundleRegistry registry{root};
    BundleInstaller installer{&registry};
};

} // namespace

TEST_F(BundleInstallerTest, InstallsTheVerifiedBundleAndRecordsIt)
{
    registry.scan();
    const QByteArray archive = bundle(QStringLiteral("fox"), frames, 1, {{QStringLiteral("extra.txt"), "unlisted"}});
    std::optional<Result<BundleManifest, BundleInstaller::InstallError>> awaited;
    QCoro::waitFor([&]() -> QCoro::Task<> { awaited = co_await installer.install(archive); }());
    ASSERT_TRUE(awaited);
    auto& result = *awaited;
    ASSERT_TRUE(result) << result.error().describe().toStdString();
    EXPECT_EQ(result->id, QStringLiteral("fox"));

    const QString folder = root + QStringLiteral("/fox");
    auto reader = ZipReader::read(archive);
    EXPECT_EQ(readFile(folder + QStringLiteral("/manifest.json")), *reader->file(QStringLiteral("manifest.json")));
    EXPECT_EQ(readFile(folder + QStringLiteral("/manifest.sig")), *reader->file(QStringLiteral("manifest.sig")));
    EXPECT_EQ(readFile(folder + QStringLiteral("/assets/fox_1.png")), QByteArray("frame one"));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/extra.txt")));
    EXPECT_EQ(rootEntries(), QStringList{QStringLiteral("fox")});
    EXPECT_EQ(registry.installed(), QList<BundleManifest>{*result});
    EXPECT_TRUE(BundleVerifier::verifyInstalled(folder, NaclKeyPair::shared().publicKey()));
}

TEST_F(BundleInstallerTest, ReinstallReplacesTheFolderAndKeepsThePosition)
{
    ASSERT_TRUE(installer.installNow(bundle(QStringLiteral("fox"), frames, 1)));
    ASSERT_TRUE(installer.installNow(bundle(QStringLiteral("hare"), {}, 1)));
    const Members newFrames{{QStringLiteral("assets/fox_0.png"), "new frame"}};
    auto result = installer.installNow(bundle(QStringLiteral("fox"), newFrames, 2));
    ASSERT_TRUE(result) << result.error().describe().toStdString();
    EXPECT_EQ(registry.installed().at(0).id, QStringLiteral("fox"));
    EXPECT_EQ(registry.installed().at(0).version, 2);
    EXPECT_EQ(registry.installed().size(), 2);
    EXPECT_EQ(readFile(root + QStringLiteral("/fox/assets/fox_0.png")), QByteArray("new frame"));
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/fox/assets/fox_1.png")));
    EXPECT_EQ(rootEntries().size(), 2); // no staging or aside folders left
}

TEST_F(BundleInstallerTest, ReplacesWithoutAnAtomicExchange)
{
    FileSystem::setExchangeUnsupportedForTesting(true);
    ASSERT_TRUE(installer.installNow(bundle(QStringLiteral("fox"), frames, 1)));
    ASSERT_TRUE(installer.installNow(bundle(QStringLiteral("fox"), frames.mid(0, 1), 2)));
    EXPECT_EQ(registry.installed().at(0).version, 2);
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/fox/assets/fox_1.png")));
    EXPECT_EQ(rootEntries(), QStringList{QStringLiteral("fox")});
}

TEST_F(BundleInstallerTest, FailedVerificationTouchesNothing)
{
    registry.scan();
    const QByteArray other = signedBundle(NaclKeyPair::other(), QStringLiteral("fox"), frames);
    auto result = installer.installNow(other);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, InstallKind::verifyFailed);
    EXPECT_EQ(result.error().underlying.verifyError()->kind, BundleVerifier::VerifyError::Kind::signatureRejected);
    EXPECT_TRUE(rootEntries().isEmpty());
    EXPECT_TRUE(registry.installed().isEmpty());
}

TEST_F(BundleInstallerTest, SignedIdReachingOutsideTheRootIsRefused)
{
    QDir().mkpath(temp.filePath(QStringLiteral("victim")));
    writeFile(temp.filePath(QStringLiteral("victim/data.txt")), "precious");
    registry.scan();
    for (const QString& id : {QStringLiteral("../victim"), QStringLiteral(".."), QString(), QStringLiteral(".staging-x")}) {
        auto result = installer.installNow(bundle(id, frames));
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().kind, InstallKind::verifyFailed);
        EXPECT_EQ(result.error().underlying.verifyError()->kind, BundleVerifier::VerifyError::Kind::unsafeBundleId);
    }
    EXPECT_EQ(readFile(temp.filePath(QStringLiteral("victim/data.txt"))), QByteArray("precious"));
    EXPECT_TRUE(rootEntries().isEmpty());
}

TEST_F(BundleInstallerTest, FailureHalfwayLeavesTheOldVersionIntact)
{
    ASSERT_TRUE(installer.installNow(bundle(QStringLiteral("fox"), frames, 1)));
    // "a" as a file and "a/b" below it cannot both be written. No folder
    // can hold both, so the second member is zipped as "a_b" and renamed in
    // the central directory.
    const Members clash{{QStringLiteral("a"), "file"}, {QStringLiteral("a/b"), "below a file"}};
    QJsonObject manifest = manifestObject(QStringLiteral("fox"), clash);
    manifest.insert(QStringLiteral("version"), 2);
    const QByteArray manifestJson = manifestBytes(manifest);
    QByteArray archive = zipArchive({{QStringLiteral("manifest.json"), manifestJson},
                                     {QStringLiteral("manifest.sig"), NaclKeyPair::shared().sign(manifestJson)},
                                     {QStringLiteral("a"), "file"},
                                     {QStringLiteral("a_b"), "below a file"}});
    const qsizetype directory = archive.lastIndexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_EQ(archive.mid(directory + 46, 3), QByteArray("a_b"));
    archive[directory + 47] = '/';
    auto result = installer.installNow(archive);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, InstallKind::writeFailed);
    ASSERT_NE(result.error().underlying.fileError(), nullptr);
    EXPECT_EQ(rootEntries(), QStringList{QStringLiteral("fox")}); // staging removed
    EXPECT_EQ(readFile(root + QStringLiteral("/fox/assets/fox_1.png")), QByteArray("frame one"));
    EXPECT_EQ(registry.installed().at(0).version, 1);
    EXPECT_TRUE(BundleVerifier::verifyInstalled(root + QStringLiteral("/fox"), NaclKeyPair::shared().publicKey()));
}

TEST_F(BundleInstallerTest, PlainFileUnderTheBundleNameIsReplaced)
{
    QDir().mkpath(root);
    writeFile(root + QStringLiteral("/fox"), "stray file");
    ASSERT_TRUE(installer.installNow(bundle(QStringLiteral("fox"), frames)));
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/fox")).isDir());
    EXPECT_EQ(rootEntries(), QStringList{QStringLiteral("fox")});
}

TEST_F(BundleInstallerTest, NoApplicationSupportFolderDisablesInstalling)
{
    LogCapture log;
    InstalledBundleRegistry homeless(std::nullopt);
    BundleInstaller disabled(&homeless);
    auto result = disabled.installNow(bundle(QStringLiteral("fox"), frames));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, InstallKind::writeFailed);
    EXPECT_TRUE(homeless.installed().isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("installing is disabled")));
}

TEST_F(BundleInstallerTest, WriteFilesCopiesTheManifestPairByteForByte)
{
    const QByteArray archive = bundle(QStringLiteral("fox"), frames);
    QTemporaryDir staging;
    ASSERT_TRUE(BundleInstaller::writeFiles(staging.path(), archive));
    auto reader = ZipReader::read(archive);
    EXPECT_EQ(readFile(staging.filePath(QStringLiteral("manifest.json"))), *reader->file(QStringLiteral("manifest.json")));
    EXPECT_EQ(QDir(staging.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 2);
}

TEST_F(BundleInstallerTest, NeverWritesThroughALinkedRootIntoTheUsersFolder)
{
    const QString home = temp.filePath(QStringLiteral("home"));
    writeFile(home + QStringLiteral("/fox/note.txt"), "mine");
    for (const QString& link : {root, temp.filePath(QStringLiteral("Gaugelet"))}) {
        SCOPED_TRACE(link.toStdString());
        QFile::remove(root);
        QFile::remove(temp.filePath(QStringLiteral("Gaugelet")));
        ASSERT_TRUE(QFile::link(home, link));
        InstalledBundleRegistry linked(link == root ? root : link + QStringLiteral("/Bundles"));
        BundleInstaller linkedInstaller(&linked);
        auto result = linkedInstaller.installNow(bundle(QStringLiteral("fox"), frames));
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().kind, InstallKind::writeFailed);
        EXPECT_EQ(FileSystem::listDirectory(home).value(), QStringList{QStringLiteral("fox")});
        EXPECT_EQ(FileSystem::listDirectory(home + QStringLiteral("/fox")).value(), QStringList{QStringLiteral("note.txt")});
        EXPECT_TRUE(linked.installed().isEmpty());
    }
}

// Every kind of failure reads as a sentence for the store tab's error row.
TEST(BundleInstallerError, EachKindReadsAsASentence)
{
    using Install = BundleInstaller::InstallError;
    using Verify = BundleVerifier::VerifyError;
    using Read = ZipReader::ReadError;
    const QString signature = "The bundle's signature could not be verified, so nothing was installed.";
    const QString damaged = "The bundle is damaged or incomplete, so nothing was installed.";
    auto verify = [](Verify::Kind kind) {
        Verify e;
        e.kind = kind;
        return Install{Install::Kind::verifyFailed, e};
    };
    auto read = [](Install::Kind install) {
        Read e;
        e.kind = Read::Kind::truncated;
        return Install{install, e};
    };
    const struct {
        const char* name;
        Install error;
        QString text;
    } cases[] = {
        {"signature rejected", verify(Verify::Kind::signatureRejected), signature},
        {"no signature", verify(Verify::Kind::missingSignature), signature},
        {"malformed signature", verify(Verify::Kind::malformedSignature), signature},
        {"newer schema", verify(Verify::Kind::schemaUnsupported),
         "The bundle needs a newer version of Gaugelet, so nothing was installed."},
        {"hash mismatch", verify(Verify::Kind::assetHashMismatch), damaged},
        {"no manifest", verify(Verify::Kind::missingManifest), damaged},
        {"truncated archive", read(Install::Kind::verifyFailed), damaged},
        {"disk full", {Install::Kind::writeFailed, FileSystem::Error{"write", "/x", ENOSPC}},
         "Couldn't save the bundle: " + QString::fromLocal8Bit(std::strerror(ENOSPC)) + "."},
        {"unreadable member while writing", read(Install::Kind::writeFailed),
         "Couldn't save the bundle."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.error.localizedDescription(), c.text) << c.name;
}
