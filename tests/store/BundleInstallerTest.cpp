#include "store/BundleInstaller.h"

#include "StoreTestSupport.h"
#include "platform/core/FileSystem.h"
#include "store/InstalledBundleRegistry.h"
#include "support/TestSupport.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <functional>
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

TEST_F(BundleInstallerTest, PlainFileUnderTheBundleNameIsSetAside)
{
    QDir().mkpath(root);
    writeFile(root + QStringLiteral("/fox"), "stray file");
    ASSERT_TRUE(installer.installNow(bundle(QStringLiteral("fox"), frames)));
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/fox")).isDir());
    EXPECT_EQ(rootEntries(), (QStringList{QStringLiteral("fox"), QStringLiteral("fox.set-aside-1")}));
    EXPECT_EQ(readFile(root + QStringLiteral("/fox.set-aside-1")), QByteArray("stray file"));
}

// Every install over a folder of the user's sets it aside, numbered on from
// the highest copy there, but only the newest three copies of that bundle the
// installer moved aside are kept, and an older one is deleted only while
// nothing in it changed: one changed in any way since, one of another bundle,
// one recorded by the previous build or one it did not make is never deleted
// nor counted. A start passes them over without a word.
TEST_F(BundleInstallerTest, OnlyTheNewestThreeUnchangedSetAsideCopiesOfOursAreKept)
{
    const QString first = root + QStringLiteral("/fox.set-aside-10001");
    const QString records = temp.filePath(QStringLiteral("set-aside.list"));
    const std::function<void()> none;
    const struct {
        const char* name;
        std::function<void()> change; // to the first fox copy, after it was set aside
        int at = 1;                   // after that round
    } cases[] = {
        {"unchanged", none},
        {"replaced by the user's folder",
         [&] {
             writeFile(temp.filePath(QStringLiteral("mine/notes.txt")), "mine");
             ASSERT_TRUE(FileSystem::replaceItem(first, temp.filePath(QStringLiteral("mine"))));
         }},
        {"a file's contents, same size", [&] { writeFile(first + QStringLiteral("/deep/a.txt"), "A"); }},
        {"a file added", [&] { writeFile(first + QStringLiteral("/deep/b.txt"), ""); }},
        {"a file removed", [&] { ASSERT_TRUE(QFile::remove(first + QStringLiteral("/deep/a.txt"))); }},
        {"a file renamed",
         [&] {
             ASSERT_TRUE(QFile::rename(first + QStringLiteral("/deep/a.txt"), first + QStringLiteral("/deep/c.txt")));
         }},
        {"a permission changed",
         [&] { ASSERT_TRUE(QFile::setPermissions(first + QStringLiteral("/deep/a.txt"), QFile::ReadOwner)); }},
        {"recorded by the previous build",
         [&] {
             const auto id = FileSystem::identity(first).value();
             QByteArray list = readFile(records).replace("fox.set-aside-10001\t", "old\t");
             list += QStringLiteral("fox.set-aside-10001\t%1\t%2\t%3\n")
                         .arg(id.device)
                         .arg(id.inode)
                         .arg(id.changedNs)
                         .toUtf8();
             writeFile(records, list);
         }},
        // Its number is taken again by the next copy; the old record of that
        // name must not count as one of the newest three.
        {"the newest deleted by hand",
         [&] { ASSERT_TRUE(FileSystem::removeTree(root + QStringLiteral("/fox.set-aside-10004"))); }, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        (void)FileSystem::removeTree(root);
        QFile::remove(records);
        writeFile(root + QStringLiteral("/fox.set-aside-10000/notes.txt"), "made before");
        writeFile(root + QStringLiteral("/fox.set-aside-010001/notes.txt"), "named by hand");
        for (int round = -2; round <= 5; ++round) {
            // Three rounds of another bundle's copies first, then fox's.
            const QString id = round <= 0 ? QStringLiteral("owl") : QStringLiteral("fox");
            writeFile(root + QLatin1Char('/') + id + QStringLiteral("/notes.txt"), QByteArray::number(round));
            writeFile(root + QLatin1Char('/') + id + QStringLiteral("/deep/a.txt"), "a");
            ASSERT_TRUE(installer.installNow(bundle(id, frames)));
            (void)FileSystem::removeTree(root + QLatin1Char('/') + id);
            if (round == c.at && c.change)
                c.change();
        }
        const bool reused = c.at != 1;
        QStringList kept{QStringLiteral("fox.set-aside-010001"), QStringLiteral("fox.set-aside-10000"),
                         QStringLiteral("fox.set-aside-10003"),  QStringLiteral("fox.set-aside-10004"),
                         QStringLiteral("fox.set-aside-10005"),  QStringLiteral("owl.set-aside-1"),
                         QStringLiteral("owl.set-aside-2"),      QStringLiteral("owl.set-aside-3")};
        if (reused) {
            kept.removeAll(QStringLiteral("fox.set-aside-10005"));
            kept.insert(2, QStringLiteral("fox.set-aside-10002"));
        } else if (c.change) {
            kept.insert(2, QStringLiteral("fox.set-aside-10001"));
        }
        EXPECT_EQ(rootEntries(), kept);
        EXPECT_EQ(readFile(root
                           + (reused ? QStringLiteral("/fox.set-aside-10004") : QStringLiteral("/fox.set-aside-10005"))
                           + QStringLiteral("/notes.txt")),
                  QByteArray("5"));
        LogCapture log;
        registry.scan();
        EXPECT_FALSE(log.contains(QStringLiteral("set-aside")));
    }
}

TEST_F(BundleInstallerTest, WhatIsUnderTheBundlesNameIsReplacedOnlyWhenItIsABundleOfOurs)
{
    // Seeding and the store install under the bundle's own name. A folder of
    // the user's there (even one holding files named as a bundle's) is moved
    // aside whole, under the next free number, and the bundle goes beside it.
    struct Case {
        const char* name;
        std::function<void(const QString& root)> place;
        QStringList entries; // the root's afterwards
        QString aside = {};  // the new copy's name, when not the last entry
    };
    const QString setAside1 = QStringLiteral("fox.set-aside-1");
    const QList<Case> cases{
        {"the user's folder",
         [](const QString& r) { writeFile(r + QStringLiteral("/fox/notes.txt"), "mine"); },
         {QStringLiteral("fox"), setAside1}},
        {"the user's folder with a manifest pair",
         [](const QString& r) {
             writeFile(r + QStringLiteral("/fox/notes.txt"), "mine");
             writeFile(r + QStringLiteral("/fox/manifest.json"), "{}");
             writeFile(r + QStringLiteral("/fox/manifest.sig"), QByteArray(64, 'x'));
         },
         {QStringLiteral("fox"), setAside1}},
        {"earlier set-aside copies, one of them empty",
         [](const QString& r) {
             writeFile(r + QStringLiteral("/fox/notes.txt"), "mine");
             writeFile(r + QStringLiteral("/fox.set-aside-1/notes.txt"), "older");
             QDir().mkpath(r + QStringLiteral("/fox.set-aside-2"));
         },
         {QStringLiteral("fox"), setAside1, QStringLiteral("fox.set-aside-2"), QStringLiteral("fox.set-aside-3")}},
        {"a copy with the largest number, and one past it",
         [](const QString& r) {
             writeFile(r + QStringLiteral("/fox/notes.txt"), "mine");
             QDir().mkpath(r + QStringLiteral("/fox.set-aside-999999999999999999"));
             QDir().mkpath(r + QStringLiteral("/fox.set-aside-99999999999999999999999"));
         },
         {QStringLiteral("fox"), setAside1, QStringLiteral("fox.set-aside-999999999999999999"),
          QStringLiteral("fox.set-aside-99999999999999999999999")},
         setAside1},
        {"a copy numbered 999999999",
         [](const QString& r) {
             writeFile(r + QStringLiteral("/fox/notes.txt"), "mine");
             QDir().mkpath(r + QStringLiteral("/fox.set-aside-999999999"));
         },
         {QStringLiteral("fox"), QStringLiteral("fox.set-aside-1000000000"), QStringLiteral("fox.set-aside-999999999")},
         QStringLiteral("fox.set-aside-1000000000")},
        {"an earlier version of the bundle",
         [](const QString& r) {
             InstalledBundleRegistry earlier(r);
             BundleInstaller first(&earlier);
             ASSERT_TRUE(first.installNow(bundle(QStringLiteral("fox"), frames.mid(0, 1), 1)));
         },
         {QStringLiteral("fox")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString bundles = dir.filePath(QStringLiteral("Bundles"));
        QDir().mkpath(bundles);
        c.place(bundles);
        QMap<QString, QByteArray> before;
        for (const QString& name : QDir(bundles + QStringLiteral("/fox")).entryList(QDir::Files))
            before.insert(name, readFile(bundles + QStringLiteral("/fox/") + name));
        const bool ours = c.entries.size() == 1;

        LogCapture log;
        InstalledBundleRegistry registry(bundles);
        BundleInstaller installing(&registry);
        const auto installed = awaitTask(installing.install(bundle(QStringLiteral("fox"), frames, 2)));
        ASSERT_TRUE(installed) << installed.error().describe().toStdString();
        EXPECT_TRUE(
            BundleVerifier::verifyInstalled(bundles + QStringLiteral("/fox"), NaclKeyPair::shared().publicKey()));
        EXPECT_EQ(FileSystem::listDirectory(bundles).value(), c.entries);
        if (!ours) {
            const QString aside = c.aside.isEmpty() ? c.entries.last() : c.aside;
            for (auto it = before.cbegin(); it != before.cend(); ++it)
                EXPECT_EQ(readFile(bundles + QLatin1Char('/') + aside + QLatin1Char('/') + it.key()), it.value());
            EXPECT_TRUE(log.contains(QStringLiteral("BundleInstaller: set aside fox as %1").arg(aside)));
        }
        if (c.aside.isEmpty() && c.entries.size() > 2) {
            EXPECT_EQ(readFile(bundles + QStringLiteral("/fox.set-aside-1/notes.txt")), QByteArray("older"));
        }

        // The next start lists the bundle and leaves what was set aside.
        InstalledBundleRegistry next(bundles);
        next.scan();
        ASSERT_EQ(next.installed().size(), 1);
        EXPECT_EQ(next.installed().first().version, 2);
        EXPECT_EQ(FileSystem::listDirectory(bundles).value(), c.entries);
    }
}

TEST_F(BundleInstallerTest, WhatAnArchiveUnpacksToIsBoundedBeforeAnythingIsWritten)
{
    const QByteArray manifestPlaceholder =
        manifestBytes(manifestObject(QStringLiteral("fox"), {{QStringLiteral("assets/big"), QByteArray()}}));
    // One asset that brings the manifest pair and itself to exactly the limit.
    const qint64 fill = BundleVerifier::maxBundleBytes - manifestPlaceholder.size() - 64;
    auto oneAsset = [](qint64 size) { return Members{{QStringLiteral("assets/big"), QByteArray(size, 'f')}}; };
    auto manyAssets = [](int count) {
        Members assets;
        for (int i = 0; i < count; ++i)
            assets.append({QStringLiteral("assets/f%1").arg(i, 4, 10, QLatin1Char('0')), QByteArray::number(i)});
        return assets;
    };
    // One 4 MiB member listed under forty names: the zip tool writes it
    // once, the central directory then names it forty times.
    auto aliased = [] {
        const QByteArray big(4 * 1024 * 1024, 'a');
        Members listed{{QStringLiteral("assets/big"), big}};
        QByteArray names;
        for (int i = 1; i < 40; ++i) {
            const QString name = QStringLiteral("assets/b%1").arg(i, 2, 10, QLatin1Char('0'));
            listed.append({name, big});
            names += "b'" + name.toUtf8() + "',";
        }
        const QByteArray manifest = manifestBytes(manifestObject(QStringLiteral("fox"), listed));
        const QByteArray archive = zipArchive({{QStringLiteral("manifest.json"), manifest},
                                               {QStringLiteral("manifest.sig"), NaclKeyPair::shared().sign(manifest)},
                                               {QStringLiteral("assets/big"), big}});
        const QString script = QStringLiteral(R"(
import sys, struct
d = sys.stdin.buffer.read()
e = d.rfind(b'PK')
count, size, offset = struct.unpack('<HII', d[e + 10:e + 20])
records, p = [], offset
for _ in range(count):
    n, x, c = struct.unpack('<HHH', d[p + 28:p + 34])
    records.append(d[p:p + 46 + n + x + c])
    p += 46 + n + x + c
big = [r for r in records if r[46:46 + struct.unpack('<H', r[28:30])[0]] == b'assets/big'][0]
for name in [%1]:
    r = bytearray(big[:46]) + name
    struct.pack_into('<HHH', r, 28, len(name), 0, 0)
    records.append(bytes(r))
cd = b''.join(records)
end = bytearray(d[e:e + 22])
struct.pack_into('<HHIIH', end, 8, len(records), len(records), len(cd), offset, 0)
sys.stdout.buffer.write(d[:offset] + cd + bytes(end))
)")
                                   .arg(QString::fromUtf8(names));
        return runPython(script, archive);
    };

    using VerifyKind = BundleVerifier::VerifyError::Kind;
    struct Case {
        const char* name;
        QByteArray archive;
        std::optional<VerifyKind> refused;
        qint64 size; // the refusal's payload
    };
    const QList<Case> cases{
        {"exactly the limit", bundle(QStringLiteral("fox"), oneAsset(fill)), std::nullopt, 0},
        {"one byte over", bundle(QStringLiteral("fox"), oneAsset(fill + 1)), VerifyKind::bundleTooLarge,
         BundleVerifier::maxBundleBytes + 1},
        {"one member under forty names", aliased(), VerifyKind::bundleTooLarge, -1},
        {"as many files as a bundle may list", bundle(QStringLiteral("fox"), manyAssets(BundleVerifier::maxAssetCount)),
         std::nullopt, 0},
        {"one file more", bundle(QStringLiteral("fox"), manyAssets(BundleVerifier::maxAssetCount + 1)),
         VerifyKind::tooManyAssets, BundleVerifier::maxAssetCount + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        (void)FileSystem::removeTree(root);
        ASSERT_LE(c.archive.size(), BundleVerifier::maxBundleBytes + 4096);
        const auto installed = awaitTask(installer.install(c.archive));
        if (!c.refused) {
            ASSERT_TRUE(installed) << installed.error().describe().toStdString();
            EXPECT_EQ(rootEntries(), QStringList{QStringLiteral("fox")});
            continue;
        }
        ASSERT_FALSE(installed);
        EXPECT_EQ(installed.error().kind, InstallKind::verifyFailed);
        const auto* verify = installed.error().underlying.verifyError();
        ASSERT_TRUE(verify) << installed.error().describe().toStdString();
        EXPECT_EQ(verify->kind, *c.refused);
        if (c.size >= 0) {
            EXPECT_EQ(verify->size, c.size);
        } else {
            EXPECT_GE(verify->size, 40 * 4 * 1024 * 1024);
        }
        EXPECT_FALSE(QFileInfo::exists(root));
    }
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
        {"disk full",
         {Install::Kind::writeFailed, FileSystem::Error{"write", "/x", ENOSPC}},
         "Couldn't save the bundle: " + QString::fromLocal8Bit(std::strerror(ENOSPC)) + "."},
        {"another copy busy",
         {Install::Kind::writeFailed, FileSystem::Error{"lock", "/x", EBUSY}},
         "Couldn't save the bundle: another copy of Gaugelet is changing the installed bundles."},
        {"lock file unusable",
         {Install::Kind::writeFailed, FileSystem::Error{"lock", "/x/Bundles.lock", ENOLCK}},
         "Couldn't save the bundle: cannot lock /x/Bundles.lock: " + QString::fromLocal8Bit(std::strerror(ENOLCK))
             + "."},
        {"unreadable member while writing", read(Install::Kind::writeFailed), "Couldn't save the bundle."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.error.localizedDescription(), c.text) << c.name;
}
