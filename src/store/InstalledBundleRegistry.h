#pragma once

#include "platform/core/FileLock.h"
#include "platform/core/FileSystem.h"
#include "store/BundleManifest.h"
#include "store/BundleVerifier.h"

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include <QCoro/QCoroTask>

namespace gaugelet {

// The folder of installed content bundles and the published list of their
// manifests. Every start verifies each installed folder again from disk with
// the store key, so only verified content reaches the adapters. A folder
// laid out as a bundle that no longer proves authentic and intact may hold
// the user's own files, so it is set aside under a name of its own
// ("fox.set-aside-1"); of the copies it set aside itself, a bundle's newest
// few are kept and older ones deleted only while nothing in them changed.
// Staging folders and signed bundles copied under another name are deleted,
// and nothing at all when the root or the "Gaugelet" folder holding it is a
// symbolic link. A folder it cannot recognise is the user's and is left
// where it is. The list lives on the main thread; the reading and verifying
// of a scan may run on a worker, and what is installed or removed meanwhile
// is kept in the list it publishes. Every change to the folder holds a
// WorkLock, which other copies of the program on this home see too.
class InstalledBundleRegistry : public QObject {
    Q_OBJECT

public:
    static constexpr double defaultNewWindow = 1'209'600.0; // 14 days

    // rootDir none: no Application Support location is known; scanning and
    // installing are then disabled rather than pointed at a shared folder.
    explicit InstalledBundleRegistry(std::optional<QString> rootDir, double newWindow = defaultNewWindow,
                                     QObject* parent = nullptr);

    // The user's Application Support folder + "Gaugelet/Bundles"; none when
    // the user has no such folder. Creates nothing.
    static std::optional<QString> defaultRootDir();

    const QList<BundleManifest>& installed() const;
    const std::optional<QString>& rootDir() const { return m_rootDir; }
    double newWindow() const { return m_newWindow; }
    // The folder of a bundle id under the root; none without a root.
    std::optional<QString> folderFor(const QString& bundleId) const;

    // Creates the root and the folder holding it, one level at a time, and
    // confirms that both are real folders. A symbolic link at either (or any
    // other kind of file) is refused, so nothing is written or deleted through
    // it: ELOOP for a link, ENOTDIR for anything else.
    Result<void, FileSystem::Error> prepareRoot() const;
    static Result<void, FileSystem::Error> prepareRoot(const QString& root);

    // How long a worker waits for another thread or copy of the program to
    // finish its change to the bundle folder.
    static constexpr int lockWaitMs = 30'000;
    // Held by every change to the bundle folders: an install's file work, a
    // scan's moves and deletions, and a removal. It excludes the other
    // threads of this process and, through a FileLock on lockPath(root), every
    // other process on this home. On the main thread it is only tried, never
    // waited for; on a worker it is waited for until the deadline passes or
    // the program quits. Taken only once prepareRoot() has succeeded.
    class WorkLock {
    public:
        explicit WorkLock(const QString& root, QDeadlineTimer deadline = QDeadlineTimer(lockWaitMs));
        ~WorkLock();
        WorkLock(const WorkLock&) = delete;
        WorkLock& operator=(const WorkLock&) = delete;
        bool isHeld() const { return m_held; }
        // Why it is not held: EBUSY while another thread or copy of the
        // program holds it; else what kept the lock file from being opened or
        // locked (a folder or a link in its place, no write access, no locks
        // on the file system). None while held.
        const std::optional<FileSystem::Error>& failure() const { return m_failure; }

    private:
        FileLock m_file;
        bool m_held = false;
        std::optional<FileSystem::Error> m_failure;
    };
    // The lock file beside the root: "Gaugelet/Bundles.lock".
    static QString lockPath(const QString& root);

    // The set-aside copies of one name that are kept.
    static constexpr int maxSetAside = 3;
    // A copy larger than this is never deleted: what it holds is not
    // recorded, so a change inside it could not be seen.
    static constexpr int maxRecordedEntries = 4096;
    static constexpr qint64 maxRecordedBytes = 64 * 1024 * 1024;
    // Moves the entry `name` of the root out of the way, under the
    // BundleVerifier::setAsideName numbered after the highest there (or the
    // lowest free number once that would pass 18 digits), without replacing
    // anything; returns the new name. The copies moved aside this way are
    // recorded with a digest of all they hold (FileSystem::treeDigest). Of
    // one name's recorded copies still exactly as they were moved, the newest
    // maxSetAside are kept and the older ones deleted; nothing else is ever
    // deleted. Any thread, holding a WorkLock.
    static Result<QString, FileSystem::Error> setAside(const QString& root, const QString& name);

    // Whether a folder directly under the root is laid out as the installer
    // lays one out: named as a bundle id and holding "manifest.json" and
    // "manifest.sig" as regular files, or named as a staging folder.
    static bool isInstallerFolder(const QString& folder, const QString& name);

    // Rebuilds the list from disk, in listing order. On the main thread it
    // leaves alone what it would move or delete while the bundles are busy.
    void scan();
    // The same, with the reading and verifying on a worker thread; the list
    // is published on the main thread when it is done, then scanFinished().
    QCoro::Task<void> scanInBackground();
    // A background scan has started and not yet published its list.
    bool isScanning() const { return m_scans > 0; }
    // The order of the installed list: newest release first, then by name, then id.
    static QList<BundleManifest> listingOrder(QList<BundleManifest> list);
    // Records an installed bundle: replaces the entry with the same id in
    // place, else appends.
    void upsert(const BundleManifest& manifest);
    // Drops a bundle from the list and deletes its folder: first moved out of
    // the way in one step (".removing-" + id + "-" + a UUID, recorded beside
    // the root), then deleted, so its name holds the whole bundle or nothing.
    // A removal cut short is finished by the next scan. When the bundles are
    // busy the folder is removed on a worker once they are free, unless it
    // was installed again meanwhile. A removal that cannot be done (the lock
    // file cannot be used, the folder cannot be moved) leaves the bundle
    // listed, or lists it again, and says why in removalFailed().
    void remove(const QString& bundleId);

    // The ids of the bundles seeding installed from the program's own
    // resources, as kept beside the root ("built-in.list"). Every copy of the
    // program on this home changes it one id at a time under the WorkLock,
    // so it follows what is installed whichever copy saves its settings last.
    // At most maxBuiltInRecord ids are read.
    static QStringList builtInRecord(const QString& root);
    static constexpr qsizetype maxBuiltInRecord = 256;
    // Adds a bundle to that record while its folder is installed, or drops
    // it while none is: a copy that withdrew a bundle another copy has
    // installed again leaves it recorded. Waits on a worker while the
    // bundles are busy.
    void recordBuiltIn(const QString& bundleId, bool builtIn);

    // Test seam: called after each step of a removal's file work; returning
    // false ends the removal there, as if the process had been killed.
    enum class RemovalStep { recorded, moved, deleted };
    static void setRemovalStepHookForTesting(std::function<bool(RemovalStep)> hook);

    // Test seam: the check scan() runs on each folder (BundleVerifier::verifyInstalled);
    // its first check of each folder runs without the WorkLock.
    using Verify = std::function<Result<BundleManifest, BundleVerifier::Error>(const QString& folder,
                                                                              const std::optional<Ed25519PublicKey>& key)>;
    void setVerifierForTesting(Verify verify) { m_verify = std::move(verify); }

Q_SIGNALS:
    void objectWillChange();
    // Before the new list is stored.
    void installedWillChange(const QList<BundleManifest>& newValue);
    // After it is stored.
    void installedChanged();
    // A background scan has published its list.
    void scanFinished();
    // A removal was not done: the bundle is listed (again), and error says why.
    void removalFailed(const QString& bundleId, const FileSystem::Error& error);

private:
    // What a scan found; listed is false when the root could not be listed.
    struct ScanResult {
        bool listed = false;
        QList<BundleManifest> kept;
    };
    // The work of a scan: verifies every folder and sets aside or deletes
    // what fails. Touches no member; any thread.
    static ScanResult scanFolder(const QString& root, const Verify& verify);
    // Under the WorkLock (waited for until deadline): checks a folder that
    // failed the first check again and deletes it (a staging folder, a copy
    // of a bundle under another name) or sets it aside (a bundle folder that
    // does not verify); gives the bundle when it now verifies under its own
    // name.
    static std::optional<BundleManifest> recheck(const QString& root, const QString& name, const Verify& verify,
                                                 bool rootOwned, QDeadlineTimer deadline);
    // Records aside, a copy of name just set aside, and deletes that name's
    // recorded copies that are unchanged but older than the newest maxSetAside.
    static void keepNewestSetAside(const QString& root, const QString& name, const QString& aside);
    // Holding the WorkLock: moves the bundle folder out of the way and
    // deletes it, when it is still the entry `folder` was (device and inode).
    // An error only while the bundle is still whole under its name.
    static Result<void, FileSystem::Error> removeFolder(const QString& root, const QString& bundleId,
                                                        FileSystem::Identity folder);
    // After a removal on a worker failed: lists the bundle again while its
    // folder is still in place, and tells removalFailed().
    void relistAfterFailedRemoval(const BundleManifest& manifest, FileSystem::Identity folder,
                                  const FileSystem::Error& error);
    // Deletes what recorded removals moved aside and did not delete.
    static void finishRemovals(const QString& root, QDeadlineTimer deadline);
    // Holding the WorkLock: recordBuiltIn()'s change to the file.
    static void changeBuiltInRecord(const QString& root, const QString& bundleId, bool builtIn);
    void setInstalled(QList<BundleManifest> list);
    // Both folders of prepareRoot() are there and are real folders.
    static bool rootIsOurs(const QString& root);

    QList<BundleManifest> m_installed;
    std::optional<QString> m_rootDir;
    double m_newWindow;
    Verify m_verify;
    // Background scans running, and what was installed (a manifest) or
    // removed (none) while one ran, to be replayed on the list it read.
    int m_scans = 0;
    QList<std::pair<QString, std::optional<BundleManifest>>> m_changesDuringScan;
};

} // namespace gaugelet
