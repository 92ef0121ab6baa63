#include "store/InstalledBundleRegistry.h"

#include "StoreTestSupport.h"
#include "platform/core/FileSystem.h"
#include "store/BundleInstaller.h"
#include "support/ScopedEnv.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMap>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

const Members sounds{{QStringLiteral("assets/ding.wav"), "ding"}, {QStringLiteral("assets/dong.wav"), "dong"}};

// Installs a bundle folder as the installer lays it out, under any name.
void placeBundle(const QString& folder, const QString& id, const QString& releaseDate = QStringLiteral("2026-03-01T12:00:00Z"),
                 const Members& assets = sounds)
{
    QJsonObject object = manifestObject(id, assets);
    object.insert(QStringLiteral("releaseDate"), releaseDate);
    const QByteArray manifest = manifestBytes(object);
    writeFile(folder + QStringLiteral("/manifest.json"), manifest);
    writeFile(folder + QStringLiteral("/manifest.sig"), NaclKeyPair::shared().sign(manifest));
    for (const auto& [path, bytes] : assets) {
        QDir().mkpath(QFileInfo(folder + QLatin1Char('/') + path).path());
        writeFile(folder + QLatin1Char('/') + path, bytes);
    }
}

QStringList idsOf(const QList<BundleManifest>& list)
{
    QStringList ids;
    for (const auto& m : list)
        ids.append(m.id);
    return ids;
}


class InstalledBundleRegistryTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QString root = temp.filePath(QStringLiteral("Gaugelet/Bundles"));
    ScopedStoreKey key{NaclKeyPair::shared()};
};

} // namespace

TEST_F(InstalledBundleRegistryTest, ScanCreatesTheRootAndListsNewestFirst)
{
    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_TRUE(QFileInfo(root).isDir());
    EXPECT_TRUE(registry.installed().isEmpty());

    placeBundle(root + QStringLiteral("/old"), QStringLiteral("old"), QStringLiteral("2025-01-01T00:00:00Z"));
    placeBundle(root + QStringLiteral("/new"), QStringLiteral("new"), QStringLiteral("2026-06-01T00:00:00.500Z"));
    placeBundle(root + QStringLiteral("/mid"), QStringLiteral("mid"), QStringLiteral("2026-01-01T00:00:00+02:00"));
    registry.scan();
    EXPECT_EQ(idsOf(registry.installed()), (QStringList{QStringLiteral("new"), QStringLiteral("mid"), QStringLiteral("old")}));
}

TEST_F(InstalledBundleRegistryTest, EqualDatesKeepListingOrder)
{
    for (const char* id : {"b1", "a2", "c3", "d4"})
        placeBundle(root + QLatin1Char('/') + QLatin1String(id), QLatin1String(id));
    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_EQ(idsOf(registry.installed()), *FileSystem::listDirectory(root));
}

TEST_F(InstalledBundleRegistryTest, FolderThatNoLongerVerifiesIsSetAsideWholeWithALogLine)
{
    // Laid out as a bundle but not proved ours: it may hold the user's own
    // files, so it is moved out of the way with all of them, under a name no
    // later scan takes for a bundle, and never over an earlier one.
    struct Case {
        const char* name;
        std::function<void(const QString& folder)> spoil;
        QString logged;
    };
    const QList<Case> cases{
        {"altered asset",
         [](const QString& folder) { writeFile(folder + QStringLiteral("/assets/ding.wav"), "tampered"); },
         QStringLiteral("rejecting bad: assetHashMismatch(path: assets/ding.wav")},
        {"the user's folder with files of those names",
         [](const QString& folder) {
             (void)FileSystem::removeTree(folder);
             writeFile(folder + QStringLiteral("/manifest.json"), "{\"my\": \"settings\"}");
             writeFile(folder + QStringLiteral("/manifest.sig"), "not a signature");
         },
         QStringLiteral("rejecting bad: malformedSignature")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        (void)FileSystem::removeTree(root);
        placeBundle(root + QStringLiteral("/good"), QStringLiteral("good"));
        placeBundle(root + QStringLiteral("/bad"), QStringLiteral("bad"));
        c.spoil(root + QStringLiteral("/bad"));
        writeFile(root + QStringLiteral("/bad/notes.txt"), "mine");
        writeFile(root + QStringLiteral("/bad.set-aside-1/notes.txt"), "set aside before");
        QDir().mkpath(root + QStringLiteral("/bad.set-aside-2"));
        QMap<QString, QByteArray> before;
        for (const QString& name : QDir(root + QStringLiteral("/bad")).entryList(QDir::Files))
            before.insert(name, readFile(root + QStringLiteral("/bad/") + name));
        for (int start = 0; start < 2; ++start) {
            LogCapture log;
            InstalledBundleRegistry registry(root);
            registry.scan();
            EXPECT_EQ(idsOf(registry.installed()), QStringList{QStringLiteral("good")});
            EXPECT_EQ(FileSystem::listDirectory(root).value(),
                      (QStringList{QStringLiteral("bad.set-aside-1"), QStringLiteral("bad.set-aside-2"),
                                   QStringLiteral("bad.set-aside-3"), QStringLiteral("good")}));
            for (auto it = before.cbegin(); it != before.cend(); ++it)
                EXPECT_EQ(readFile(root + QStringLiteral("/bad.set-aside-3/") + it.key()), it.value())
                    << it.key().toStdString();
            EXPECT_EQ(readFile(root + QStringLiteral("/bad.set-aside-1/notes.txt")), QByteArray("set aside before"));
            EXPECT_EQ(log.contains(QStringLiteral("InstalledBundles: ") + c.logged), start == 0);
            EXPECT_EQ(log.contains(QStringLiteral("InstalledBundles: set aside bad as bad.set-aside-3")), start == 0);
        }
    }
}

TEST_F(InstalledBundleRegistryTest, FolderNamedOtherThanItsIdIsDeleted)
{
    placeBundle(root + QStringLiteral("/copy"), QStringLiteral("fox"));
    LogCapture log;
    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/copy")));
    EXPECT_TRUE(log.contains(QStringLiteral("InstalledBundles: dir name mismatch copy vs fox")));
}

TEST_F(InstalledBundleRegistryTest, StagingLeftoversAreRemoved)
{
    const QString partial = root + QStringLiteral("/.staging-fox-6F9619FF-8B86-D011-B42D-00C04FC964FF");
    writeFile(partial + QStringLiteral("/manifest.json"), "{}");
    const QString complete = root + QStringLiteral("/.staging-hare-0F9619FF-8B86-D011-B42D-00C04FC964FF");
    placeBundle(complete, QStringLiteral("hare"));
    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_EQ(FileSystem::listDirectory(root)->size(), 0);
}

TEST_F(InstalledBundleRegistryTest, PlainFilesAreNeitherListedNorDeleted)
{
    writeFile(root + QStringLiteral("/notes.txt"), "mine");
    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_EQ(readFile(root + QStringLiteral("/notes.txt")), QByteArray("mine"));
}

TEST_F(InstalledBundleRegistryTest, SymbolicLinksAreSkippedNeverFollowedOrDeletedThrough)
{
    const QString elsewhere = temp.filePath(QStringLiteral("elsewhere"));
    placeBundle(elsewhere + QStringLiteral("/fox"), QStringLiteral("fox"));
    placeBundle(elsewhere + QStringLiteral("/bad"), QStringLiteral("bad"));
    writeFile(elsewhere + QStringLiteral("/bad/assets/ding.wav"), "tampered");
    QDir().mkpath(root);
    ASSERT_TRUE(QFile::link(elsewhere + QStringLiteral("/fox"), root + QStringLiteral("/fox")));
    ASSERT_TRUE(QFile::link(elsewhere + QStringLiteral("/bad"), root + QStringLiteral("/bad")));

    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_EQ(FileSystem::entryKind(root + QStringLiteral("/bad")), FileSystem::EntryKind::symlink);
    EXPECT_EQ(readFile(elsewhere + QStringLiteral("/bad/assets/ding.wav")), QByteArray("tampered"));

    registry.remove(QStringLiteral("fox"));
    EXPECT_EQ(FileSystem::entryKind(root + QStringLiteral("/fox")), FileSystem::EntryKind::symlink);
    EXPECT_TRUE(QFileInfo::exists(elsewhere + QStringLiteral("/fox/manifest.json")));
}

TEST_F(InstalledBundleRegistryTest, UnreadableFolderIsKeptButNotListed)
{
    placeBundle(root + QStringLiteral("/fox"), QStringLiteral("fox"));
    // A listed file that exists but cannot be read as a file.
    QFile::remove(root + QStringLiteral("/fox/assets/dong.wav"));
    QDir().mkpath(root + QStringLiteral("/fox/assets/dong.wav"));
    LogCapture log;
    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/fox/manifest.json")));
    EXPECT_TRUE(log.contains(QStringLiteral("InstalledBundles: keeping unreadable fox: ")));
    EXPECT_FALSE(log.contains(QStringLiteral("rejecting")));
}

TEST_F(InstalledBundleRegistryTest, FolderThatFailsTheFirstCheckButPassesTheSecondIsKept)
{
    placeBundle(root + QStringLiteral("/fox"), QStringLiteral("fox"));
    const QString asset = root + QStringLiteral("/fox/assets/ding.wav");
    // Another instance swaps the folder while the first check reads it.
    int checks = 0;
    LogCapture log;
    InstalledBundleRegistry registry(root);
    registry.setVerifierForTesting([&](const QString& folder, const std::optional<Ed25519PublicKey>& key) {
        if (++checks > 1)
            return BundleVerifier::verifyInstalled(folder, key);
        writeFile(asset, "half swapped");
        auto result = BundleVerifier::verifyInstalled(folder, key);
        writeFile(asset, "ding");
        return result;
    });
    registry.scan();
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(idsOf(registry.installed()), QStringList{QStringLiteral("fox")});
    EXPECT_TRUE(QFileInfo::exists(asset));
    EXPECT_FALSE(log.contains(QStringLiteral("rejecting")));
}

TEST_F(InstalledBundleRegistryTest, MissingListedFileSetsTheFolderAside)
{
    placeBundle(root + QStringLiteral("/fox"), QStringLiteral("fox"));
    QFile::remove(root + QStringLiteral("/fox/assets/dong.wav"));
    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/fox")));
    EXPECT_EQ(readFile(root + QStringLiteral("/fox.set-aside-1/assets/ding.wav")), QByteArray("ding"));
}

TEST_F(InstalledBundleRegistryTest, UnlistableRootChangesNothing)
{
    writeFile(root, "a file where the folder should be");
    InstalledBundleRegistry registry(root);
    registry.scan();
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_EQ(readFile(root), QByteArray("a file where the folder should be"));
}

TEST_F(InstalledBundleRegistryTest, NoRootDisablesScanning)
{
    LogCapture log;
    InstalledBundleRegistry registry(std::nullopt);
    registry.scan();
    registry.remove(QStringLiteral("fox"));
    EXPECT_TRUE(registry.installed().isEmpty());
    EXPECT_FALSE(registry.folderFor(QStringLiteral("fox")));
    EXPECT_TRUE(log.contains(QStringLiteral("InstalledBundles: no Application Support folder")));
}

TEST_F(InstalledBundleRegistryTest, DefaultRootDirFollowsTheDataHomeAndNeedsAHome)
{
    {
        ScopedEnv data("XDG_DATA_HOME", temp.path().toUtf8());
        EXPECT_EQ(InstalledBundleRegistry::defaultRootDir(), temp.path() + QStringLiteral("/Gaugelet/Bundles"));
        EXPECT_FALSE(QFileInfo::exists(temp.path() + QStringLiteral("/Gaugelet")));
    }
    {
        ScopedEnv data("XDG_DATA_HOME", std::nullopt);
        ScopedEnv home("HOME", QByteArray("/home/someone"));
        EXPECT_EQ(InstalledBundleRegistry::defaultRootDir(), QStringLiteral("/home/someone/.local/share/Gaugelet/Bundles"));
    }
    for (const std::optional<QByteArray>& homeValue : {std::optional<QByteArray>(), std::optional(QByteArray()), std::optional(QByteArray("/")), std::optional(QByteArray("relative"))}) {
        ScopedEnv data("XDG_DATA_HOME", QByteArray("relative/data"));
        ScopedEnv home("HOME", homeValue);
        EXPECT_FALSE(InstalledBundleRegistry::defaultRootDir());
    }
}

TEST_F(InstalledBundleRegistryTest, UpsertReplacesInPlaceOrAppends)
{
    placeBundle(root + QStringLiteral("/a"), QStringLiteral("a"), QStringLiteral("2026-02-01T00:00:00Z"));
    placeBundle(root + QStringLiteral("/b"), QStringLiteral("b"), QStringLiteral("2026-01-01T00:00:00Z"));
    InstalledBundleRegistry registry(root);
    registry.scan();
    BundleManifest a = registry.installed().at(0);
    a.version = 9;
    registry.upsert(a);
    EXPECT_EQ(idsOf(registry.installed()), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(registry.installed().at(0).version, 9);

    BundleManifest newest = a;
    newest.id = QStringLiteral("c");
    newest.releaseDate = QDateTime(QDate(2030, 1, 1), QTime(0, 0), Qt::UTC);
    registry.upsert(newest);
    EXPECT_EQ(idsOf(registry.installed()).last(), QStringLiteral("c"));
}

TEST_F(InstalledBundleRegistryTest, ChangesAnnounceTheNewListBeforeStoringIt)
{
    InstalledBundleRegistry registry(root);
    int before = 0, after = 0, notices = 0;
    QObject::connect(&registry, &InstalledBundleRegistry::objectWillChange, [&] { ++notices; });
    QObject::connect(&registry, &InstalledBundleRegistry::installedWillChange, [&](const QList<BundleManifest>& next) {
        EXPECT_TRUE(registry.installed().isEmpty());
        EXPECT_EQ(next.size(), 1);
        ++before;
    });
    QObject::connect(&registry, &InstalledBundleRegistry::installedChanged, [&] {
        EXPECT_EQ(registry.installed().size(), 1);
        ++after;
    });
    BundleManifest m;
    m.id = QStringLiteral("x");
    registry.upsert(m);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(notices, 1);
    registry.remove(QStringLiteral("not-installed")); // changes nothing, tells nobody
    EXPECT_EQ(after, 1);
}

TEST_F(InstalledBundleRegistryTest, RemoveDeletesTheFolderAndOnlyThatEntry)
{
    placeBundle(root + QStringLiteral("/a"), QStringLiteral("a"), QStringLiteral("2026-02-01T00:00:00Z"));
    placeBundle(root + QStringLiteral("/b"), QStringLiteral("b"), QStringLiteral("2026-01-01T00:00:00Z"));
    InstalledBundleRegistry registry(root);
    registry.scan();
    registry.remove(QStringLiteral("a"));
    EXPECT_EQ(idsOf(registry.installed()), QStringList{QStringLiteral("b")});
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/a")));
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/b/manifest.json")));
}

// A removal ended at any step (as by a kill) leaves the whole bundle under
// its name or nothing, and the next start finishes it. A folder named as a
// removal names one, but not recorded by one, is the user's and stays.
TEST_F(InstalledBundleRegistryTest, ARemovalCutShortLeavesTheWholeBundleOrNothingAndTheNextStartFinishesIt)
{
    using Step = InstalledBundleRegistry::RemovalStep;
    Members many;
    for (int i = 0; i < 200; ++i)
        many.append({QStringLiteral("assets/f%1").arg(i), QByteArray::number(i)});
    const QString mine = root + QStringLiteral("/.removing-mine-6F9619FF-8B86-D011-B42D-00C04FC964FF");
    for (const std::optional<Step> stop : {std::optional(Step::recorded), std::optional(Step::moved),
                                           std::optional(Step::deleted), std::optional<Step>()}) {
        SCOPED_TRACE(stop ? int(*stop) : -1);
        (void)FileSystem::removeTree(temp.filePath(QStringLiteral("Gaugelet")));
        placeBundle(root + QStringLiteral("/fox"), QStringLiteral("fox"), QStringLiteral("2026-03-01T12:00:00Z"), many);
        placeBundle(root + QStringLiteral("/owl"), QStringLiteral("owl"));
        writeFile(mine + QStringLiteral("/notes.txt"), "mine");
        InstalledBundleRegistry registry(root);
        registry.scan();
        InstalledBundleRegistry::setRemovalStepHookForTesting([&](Step step) {
            if (step == Step::moved && stop == step) { // killed halfway through deleting
                const QStringList names = FileSystem::listDirectory(root).value();
                for (const QString& name : names) {
                    for (int i = 0; name.startsWith(QStringLiteral(".removing-fox-")) && i < 100; ++i)
                        QFile::remove(root + QLatin1Char('/') + name + QStringLiteral("/assets/f%1").arg(i));
                }
            }
            return step != stop;
        });
        registry.remove(QStringLiteral("fox"));
        InstalledBundleRegistry::setRemovalStepHookForTesting({});
        const bool whole = stop == Step::recorded;
        EXPECT_EQ(
            bool(BundleVerifier::verifyInstalled(root + QStringLiteral("/fox"), NaclKeyPair::shared().publicKey())),
            whole);
        EXPECT_EQ(QFileInfo::exists(root + QStringLiteral("/fox")), whole);

        InstalledBundleRegistry nextStart(root);
        nextStart.scan();
        const QStringList left =
            whole ? QStringList{QStringLiteral("fox"), QStringLiteral("owl")} : QStringList{QStringLiteral("owl")};
        EXPECT_EQ(idsOf(nextStart.installed()), left);
        EXPECT_EQ(FileSystem::listDirectory(root).value(), QStringList{QFileInfo(mine).fileName()} + left);
        EXPECT_EQ(readFile(mine + QStringLiteral("/notes.txt")), QByteArray("mine"));
    }
}

// Another copy of the program (another login's) installing while this one
// starts: this copy's scan waits for the other's lock, so the other's staging
// folder is never deleted, and a removal here waits for it too, off the main
// thread.
TEST_F(InstalledBundleRegistryTest, AnotherCopysInstallIsNeverDeletedByThisCopysScanOrRemoval)
{
    placeBundle(root + QStringLiteral("/owl"), QStringLiteral("owl"));
    InstalledBundleRegistry registry(root);
    registry.scan();
    const QString staging = root + QStringLiteral("/.staging-fox-0F9619FF-8B86-D011-B42D-00C04FC964FF");
    placeBundle(staging, QStringLiteral("fox"));
    // The other copy holds the lock until told, then swaps its staging
    // folder into place and lets go.
    QProcess other;
    other.start(QStringLiteral("flock"),
                {InstalledBundleRegistry::lockPath(root), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("echo held; read line; mv \"$0\" \"$1\""), staging, root + QStringLiteral("/fox")});
    ASSERT_TRUE(waitUntil([&] { return other.canReadLine(); }, 30000));
    LogCapture log;
    QCoro::Task<void> scanning = registry.scanInBackground();
    EXPECT_TRUE(waitUntil([&] { return log.contains(QStringLiteral("waiting for another copy of Gaugelet")); }, 30000));
    registry.remove(QStringLiteral("owl"));
    EXPECT_TRUE(log.contains(QStringLiteral("InstalledBundles: removing owl once the bundles are free")));
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/owl/manifest.json")));
    EXPECT_TRUE(QFileInfo::exists(staging + QStringLiteral("/manifest.json")));

    other.write("\n");
    ASSERT_TRUE(other.waitForFinished(30000));
    QCoro::waitFor(std::move(scanning));
    // The removal's last step is to forget the folder it deleted.
    EXPECT_TRUE(waitUntil(
        [&] {
            return FileSystem::listDirectory(root).value() == QStringList{QStringLiteral("fox")}
                   && readFile(temp.filePath(QStringLiteral("Gaugelet/removing.list"))).isEmpty();
        },
        30000));
    EXPECT_TRUE(BundleVerifier::verifyInstalled(root + QStringLiteral("/fox"), NaclKeyPair::shared().publicKey()));
}

TEST_F(InstalledBundleRegistryTest, RemoveNeverReachesOutsideItsBundleFolder)
{
    placeBundle(root + QStringLiteral("/a"), QStringLiteral("a"));
    writeFile(temp.filePath(QStringLiteral("Gaugelet/keep.txt")), "keep");
    InstalledBundleRegistry registry(root);
    registry.scan();
    for (const QString& id : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../Bundles"), QStringLiteral("a/..")})
        registry.remove(id);
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/a/manifest.json")));
    EXPECT_TRUE(QFileInfo::exists(temp.filePath(QStringLiteral("Gaugelet/keep.txt"))));
    EXPECT_EQ(registry.installed().size(), 1);
}

TEST_F(InstalledBundleRegistryTest, NewlyInstalledBundleIsLastUntilTheNextScan)
{
    placeBundle(root + QStringLiteral("/a"), QStringLiteral("a"), QStringLiteral("2026-01-01T00:00:00Z"));
    InstalledBundleRegistry registry(root);
    registry.scan();
    BundleInstaller installer(&registry);
    QJsonObject later = manifestObject(QStringLiteral("z"), sounds);
    later.insert(QStringLiteral("releaseDate"), QStringLiteral("2027-01-01T00:00:00Z"));
    ASSERT_TRUE(installer.installNow(signedBundle(NaclKeyPair::shared(), manifestBytes(later), sounds)));
    EXPECT_EQ(idsOf(registry.installed()), (QStringList{QStringLiteral("a"), QStringLiteral("z")}));

    InstalledBundleRegistry nextStart(root);
    nextStart.scan();
    EXPECT_EQ(idsOf(nextStart.installed()), (QStringList{QStringLiteral("z"), QStringLiteral("a")}));
}

// An install or a removal while a background scan reads the folder stands in
// the list the scan publishes. The scan is held after its first check.
TEST_F(InstalledBundleRegistryTest, WhatIsInstalledOrRemovedDuringABackgroundScanStands)
{
    for (const bool removing : {false, true}) {
        SCOPED_TRACE(removing ? "removing" : "installing");
        (void)FileSystem::removeTree(root);
        placeBundle(root + QStringLiteral("/a"), QStringLiteral("a"));
        placeBundle(root + QStringLiteral("/b"), QStringLiteral("b"));
        InstalledBundleRegistry registry(root);
        registry.scan();
        BundleInstaller installer(&registry);
        QSemaphore checked, resume;
        std::atomic<int> checks = 0;
        registry.setVerifierForTesting([&](const QString& folder, const std::optional<Ed25519PublicKey>& key) {
            auto result = BundleVerifier::verifyInstalled(folder, key);
            if (checks++ == 0) {
                checked.release();
                resume.acquire();
            }
            return result;
        });
        QCoro::Task<void> scanning = registry.scanInBackground();
        checked.acquire();
        if (removing)
            registry.remove(QStringLiteral("a"));
        else
            ASSERT_TRUE(awaitTask(installer.install(signedBundle(NaclKeyPair::shared(), QStringLiteral("c"), sounds))));
        resume.release();
        QCoro::waitFor(std::move(scanning));
        const QStringList expected = removing
                                         ? QStringList{QStringLiteral("b")}
                                         : QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        EXPECT_EQ(idsOf(registry.installed()), expected);
        EXPECT_EQ(FileSystem::listDirectory(root).value(), expected);
    }
}

// A user's home with folders of their own, reached through a link where our
// folders belong, or dropped into the real bundle root: the scan deletes only
// what the installer made, and nothing at all through a link.
TEST_F(InstalledBundleRegistryTest, ScanNeverDeletesTheUsersFoldersThroughALinkOrInsideTheRoot)
{
    struct Case {
        const char* name;
        QString linkAt;      // where a link to the user's folder replaces ours ("" = none)
        QString userFolders; // where the user's folders end up
        bool ownsRoot;
    };
    const QString gaugelet = temp.filePath(QStringLiteral("Gaugelet"));
    const QString home = temp.filePath(QStringLiteral("home"));
    const QList<Case> cases{
        {"Bundles is a link", root, home, false},
        {"Gaugelet is a link", gaugelet, home + QStringLiteral("/Bundles"), false},
        {"a foreign folder inside", QString(), root, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        (void)FileSystem::removeTree(gaugelet);
        (void)FileSystem::removeTree(home);
        const QStringList mine{QStringLiteral("Documents"), QStringLiteral("Photos"), QStringLiteral("projects")};
        for (const QString& folder : mine)
            writeFile(c.userFolders + QLatin1Char('/') + folder + QStringLiteral("/note.txt"), "mine");
        // A bundle-shaped folder that fails verification, and a good one.
        placeBundle(c.userFolders + QStringLiteral("/bad"), QStringLiteral("bad"));
        writeFile(c.userFolders + QStringLiteral("/bad/assets/ding.wav"), "tampered");
        placeBundle(c.userFolders + QStringLiteral("/fox"), QStringLiteral("fox"));
        if (!c.linkAt.isEmpty()) {
            QDir().mkpath(QFileInfo(c.linkAt).path());
            ASSERT_TRUE(QFile::link(home, c.linkAt));
        }

        LogCapture log;
        InstalledBundleRegistry registry(root);
        registry.scan();
        for (const QString& folder : mine) {
            EXPECT_EQ(readFile(c.userFolders + QLatin1Char('/') + folder + QStringLiteral("/note.txt")), QByteArray("mine"))
                << folder.toStdString();
            EXPECT_TRUE(log.contains(QStringLiteral("InstalledBundles: leaving %1: not a bundle folder").arg(folder)));
        }
        EXPECT_EQ(QFileInfo::exists(c.userFolders + QStringLiteral("/bad/manifest.json")), !c.ownsRoot);
        EXPECT_EQ(idsOf(registry.installed()), QStringList{QStringLiteral("fox")});
        if (!c.ownsRoot) {
            EXPECT_TRUE(log.contains(QStringLiteral("nothing in it is deleted")));
            EXPECT_TRUE(log.contains(QStringLiteral("InstalledBundles: leaving bad (rejected): the bundle root is not a folder of ours")));
            registry.remove(QStringLiteral("fox"));
            EXPECT_TRUE(QFileInfo::exists(c.userFolders + QStringLiteral("/fox/manifest.json")));
        }
    }
}

// Newest release first; bundles of one date by name, then id: never in the
// order a folder happens to list them.
TEST(InstalledBundleRegistryListing, SortsByDateThenNameThenId)
{
    const auto manifest = [](const char* id, const char* name, const char* date) {
        BundleManifest m;
        m.id = QString::fromLatin1(id);
        m.displayName = QString::fromLatin1(name);
        m.releaseDate = QDateTime::fromString(QString::fromLatin1(date), Qt::ISODate);
        return m;
    };
    const QList<BundleManifest> list{manifest("c", "Piglet", "2025-01-01T00:00:00Z"),
                                     manifest("b", "Fox", "2025-01-01T00:00:00Z"),
                                     manifest("n", "Newest", "2026-01-01T00:00:00Z"),
                                     manifest("z", "Fox", "2025-01-01T00:00:00Z"),
                                     manifest("a", "Hare", "2025-01-01T00:00:00Z")};
    QStringList ids;
    for (const BundleManifest& m : InstalledBundleRegistry::listingOrder(list))
        ids.append(m.id);
    EXPECT_EQ(ids, (QStringList{QStringLiteral("n"), QStringLiteral("b"), QStringLiteral("z"), QStringLiteral("a"),
                                QStringLiteral("c")}));
}

// An unusable lock file fails an install and a removal with the OS's reason,
// sets nothing aside, and leaves this process's own lock free.
TEST_F(InstalledBundleRegistryTest, ALockFileThatCannotBeUsedNamesItsCauseAndChangesNothing)
{
    const QString lockFile = InstalledBundleRegistry::lockPath(root);
    const struct {
        const char* name;
        std::function<void()> place;
        int code;
    } cases[] = {
        {"a folder", [&] { QDir().mkpath(lockFile); }, EISDIR},
        {"a dangling link", [&] { ASSERT_TRUE(QFile::link(temp.filePath("missing"), lockFile)); }, ELOOP},
    };
    const QByteArray fox = signedBundle(NaclKeyPair::shared(), QStringLiteral("fox"), sounds);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        (void)FileSystem::removeTree(temp.filePath(QStringLiteral("Gaugelet")));
        placeBundle(root + QStringLiteral("/owl"), QStringLiteral("owl"));
        placeBundle(root + QStringLiteral("/bad"), QStringLiteral("bad"));
        writeFile(root + QStringLiteral("/bad/assets/ding.wav"), "tampered");
        c.place();
        const FileSystem::Error cause{QStringLiteral("lock"), lockFile, c.code};

        LogCapture log;
        InstalledBundleRegistry registry(root);
        BundleInstaller installer(&registry);
        QList<std::pair<QString, FileSystem::Error>> failed;
        QObject::connect(&registry, &InstalledBundleRegistry::removalFailed,
                         [&](const QString& id, const FileSystem::Error& error) {
                             failed.append({id, error});
                         });
        registry.scan();
        EXPECT_TRUE(log.contains(QStringLiteral("InstalledBundles: leaving bad (rejected): ") + cause.describe()));
        const auto installed = installer.installNow(fox);
        ASSERT_FALSE(installed);
        ASSERT_NE(installed.error().underlying.fileError(), nullptr);
        EXPECT_EQ(*installed.error().underlying.fileError(), cause);
        registry.remove(QStringLiteral("owl"));
        EXPECT_EQ(idsOf(registry.installed()), QStringList{QStringLiteral("owl")});
        EXPECT_EQ(failed, (QList<std::pair<QString, FileSystem::Error>>{{QStringLiteral("owl"), cause}}));
        EXPECT_EQ(FileSystem::listDirectory(root).value(), (QStringList{QStringLiteral("bad"), QStringLiteral("owl")}));

        ASSERT_TRUE(FileSystem::removeTree(lockFile));
        ASSERT_TRUE(installer.installNow(fox));
        registry.remove(QStringLiteral("owl"));
        EXPECT_EQ(idsOf(registry.installed()), QStringList{QStringLiteral("fox")});
        EXPECT_EQ(FileSystem::listDirectory(root).value(), (QStringList{QStringLiteral("bad"), QStringLiteral("fox")}));
    }
}

// Record rows that do not name an entry exactly as this program does are
// dropped unread; one that does is acted on (a removal) or kept (a copy).
TEST_F(InstalledBundleRegistryTest, RecordRowsThatNameNothingOfOursAreDropped)
{
    const QString uuid = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF");
    const QByteArray digest(64, 'a');
    const struct {
        const char* name;
        const char* list;
        QByteArray row;
        bool ours;
    } cases[] = {
        {"a removal", "removing.list", ".removing-owl-" + uuid.toUtf8(), true},
        {"a removal, then /../x", "removing.list", ".removing-owl-" + uuid.toUtf8() + "/../victim", false},
        {"a removal, lower-case", "removing.list", ".removing-owl-" + uuid.toLower().toUtf8(), false},
        {"a copy", "set-aside.list", "owl.set-aside-2\towl\t" + digest, true},
        {"a copy, then /../x", "set-aside.list", "owl.set-aside-2/../victim\towl\t" + digest, false},
        {"an unsafe name", "set-aside.list", "../owl.set-aside-2\t../owl\t" + digest, false},
        {"a short digest", "set-aside.list", "owl.set-aside-2\towl\t" + digest.left(63), false},
        {"18 digits", "set-aside.list", "owl.set-aside-123456789012345678\towl\t" + digest, true},
        {"19 digits", "set-aside.list", "owl.set-aside-1234567890123456789\towl\t" + digest, false},
        {"a leading zero", "set-aside.list", "owl.set-aside-02\towl\t" + digest, false},
    };
    const QString gaugelet = temp.filePath(QStringLiteral("Gaugelet"));
    const QStringList entries{QStringLiteral("victim"),
                              QStringLiteral(".removing-owl-") + uuid,
                              QStringLiteral(".removing-owl-") + uuid.toLower(),
                              QStringLiteral("owl.set-aside-2"),
                              QStringLiteral("../owl.set-aside-2"),
                              QStringLiteral("owl.set-aside-123456789012345678"),
                              QStringLiteral("owl.set-aside-1234567890123456789"),
                              QStringLiteral("owl.set-aside-02")};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        (void)FileSystem::removeTree(gaugelet);
        for (const QString& entry : entries)
            writeFile(root + QLatin1Char('/') + entry + QStringLiteral("/notes.txt"), "mine");
        writeFile(gaugelet + QLatin1Char('/') + QLatin1String(c.list), c.row + '\n');
        // A bundle failing its check is set aside, rewriting set-aside.list.
        placeBundle(root + QStringLiteral("/fox"), QStringLiteral("fox"));
        writeFile(root + QStringLiteral("/fox/assets/ding.wav"), "tampered");
        InstalledBundleRegistry registry(root);
        registry.scan();
        ASSERT_TRUE(QFileInfo::exists(root + QStringLiteral("/fox.set-aside-1")));
        const bool removal = QLatin1String(c.list) == QLatin1String("removing.list");
        for (const QString& entry : entries) {
            const bool removed = removal && c.ours && entry == QStringLiteral(".removing-owl-") + uuid;
            EXPECT_EQ(readFile(root + QLatin1Char('/') + entry + QStringLiteral("/notes.txt")),
                      removed ? QByteArray() : QByteArray("mine"))
                << entry.toStdString();
        }
        EXPECT_EQ(readFile(gaugelet + QStringLiteral("/set-aside.list")).contains(c.row + '\n'), !removal && c.ours);
    }
}
