#include "store/InstalledBundleRegistry.h"

#include "platform/core/AwaitedFuture.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"
#include "platform/core/XdgPaths.h"
#include "store/BundleVerifier.h"
#include "store/SigningKeys.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutex>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cerrno>
#include <limits>

#include <QCoro/QCoroFuture>

namespace gaugelet {

namespace {

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// The largest number a set-aside copy is given: 18 digits.
constexpr qint64 maxSetAsideNumber = 999'999'999'999'999'999;

// The number of a set-aside copy of name, exactly as setAside() names one;
// 0 for any other entry.
qint64 setAsideNumber(const QString& entry, const QString& name)
{
    const QString prefix = BundleVerifier::setAsideName(name, 0).chopped(1);
    if (!entry.startsWith(prefix))
        return 0;
    const QStringView digits = QStringView(entry).mid(prefix.size());
    if (digits.isEmpty() || digits.size() > 18 || digits.front() == u'0'
        || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return 0;
    return digits.toLongLong();
}

// The set-aside copies this program moved aside, one a line: the copy's name
// in the root, the name it was set aside from, and the hex digest of all it
// held as it was moved (FileSystem::treeDigest), so that a copy is ours only
// while nothing in it has changed. Kept in the folder holding the root.
// Lines of an earlier form (the copy's name, then its top folder's device,
// inode and change time, which a change inside does not touch) are passed
// over: such a copy is never deleted.
struct SetAsideRecord {
    QString copy;
    QString name;
    QByteArray digest;
};

QString setAsideRecordsPath(const QString& root)
{
    return parentOf(root) + QStringLiteral("/set-aside.list");
}

std::optional<QByteArray> setAsideDigest(const QString& root, const QString& copy)
{
    const auto digest =
        FileSystem::treeDigest(root + QLatin1Char('/') + copy, InstalledBundleRegistry::maxRecordedEntries,
                               InstalledBundleRegistry::maxRecordedBytes);
    return digest ? std::optional(digest->toHex()) : std::nullopt;
}

QList<SetAsideRecord> readSetAsideRecords(const QString& root)
{
    QList<SetAsideRecord> records;
    const auto bytes = FileSystem::readFile(setAsideRecordsPath(root), 1024 * 1024);
    if (!bytes)
        return records;
    for (const QByteArray& line : bytes->split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3 || fields[2].size() != 64)
            continue;
        SetAsideRecord record{QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]), fields[2]};
        // Only a copy named as setAside() names one of a bundle's name: never
        // a path elsewhere, nor another name's copy.
        if (BundleVerifier::isSafeBundleId(record.name) && setAsideNumber(record.copy, record.name) > 0)
            records.append(std::move(record));
    }
    return records;
}

void writeSetAsideRecords(const QString& root, const QList<SetAsideRecord>& records)
{
    QByteArray bytes;
    for (const SetAsideRecord& record : records)
        bytes += record.copy.toUtf8() + '\t' + record.name.toUtf8() + '\t' + record.digest + '\n';
    if (auto written = FileSystem::writeFileAtomically(setAsideRecordsPath(root), bytes); !written)
        qInfo("InstalledBundles: cannot record the set-aside copies: %s", qUtf8Printable(written.error().describe()));
}

// The folders a removal moved (or was about to move) out of the way, one
// name a line, until it has deleted them. Kept beside set-aside.list.
QString removalRecordsPath(const QString& root)
{
    return parentOf(root) + QStringLiteral("/removing.list");
}

bool isRemovalName(const QString& name)
{
    static const QRegularExpression removal(
        QStringLiteral("^\\.removing-[^/]+-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    return removal.match(name).hasMatch();
}

QStringList readRemovals(const QString& root)
{
    QStringList names;
    const auto bytes = FileSystem::readFile(removalRecordsPath(root), 1024 * 1024);
    for (const QByteArray& line : bytes ? bytes->split('\n') : QList<QByteArray>()) {
        if (const QString name = QString::fromUtf8(line); isRemovalName(name))
            names.append(name);
    }
    return names;
}

void writeRemovals(const QString& root, const QStringList& names)
{
    QByteArray bytes;
    for (const QString& name : names)
        bytes += name.toUtf8() + '\n';
    if (auto written = FileSystem::writeFileAtomically(removalRecordsPath(root), bytes); !written)
        qInfo("InstalledBundles: cannot record the removals: %s", qUtf8Printable(written.error().describe()));
}

// The built-in bundles' ids, one a line, kept beside removing.list.
QString builtInRecordPath(const QString& root)
{
    return parentOf(root) + QStringLiteral("/built-in.list");
}

QMutex& workMutex()
{
    static QMutex mutex;
    return mutex;
}

std::function<bool(InstalledBundleRegistry::RemovalStep)>& removalStepHook()
{
    static std::function<bool(InstalledBundleRegistry::RemovalStep)> hook;
    return hook;
}

bool removalGoesOn(InstalledBundleRegistry::RemovalStep step)
{
    return !removalStepHook() || removalStepHook()(step);
}

} // namespace

InstalledBundleRegistry::InstalledBundleRegistry(std::optional<QString> rootDir, double newWindow, QObject* parent)
    : QObject(parent), m_rootDir(std::move(rootDir)), m_newWindow(newWindow)
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

std::optional<QString> InstalledBundleRegistry::defaultRootDir()
{
    const auto support = XdgPaths::userDataHome();
    if (!support)
        return std::nullopt;
    return *support + QStringLiteral("/Gaugelet/Bundles");
}

const QList<BundleManifest>& InstalledBundleRegistry::installed() const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    return m_installed;
}

std::optional<QString> InstalledBundleRegistry::folderFor(const QString& bundleId) const
{
    if (!m_rootDir || !BundleVerifier::isSafeBundleId(bundleId))
        return std::nullopt;
    return *m_rootDir + QLatin1Char('/') + bundleId;
}

void InstalledBundleRegistry::setInstalled(QList<BundleManifest> list)
{
    publishIfChanged(this, m_installed, std::move(list), &InstalledBundleRegistry::installedWillChange,
                     &InstalledBundleRegistry::installedChanged);
}

Result<void, FileSystem::Error> InstalledBundleRegistry::prepareRoot() const
{
    if (!m_rootDir)
        return fail(FileSystem::Error{QStringLiteral("mkdir"), QString(), ENOENT});
    return prepareRoot(*m_rootDir);
}

Result<void, FileSystem::Error> InstalledBundleRegistry::prepareRoot(const QString& root)
{
    const QString parent = parentOf(root);
    // Above our own folder everything is the user's: links there are followed.
    (void)FileSystem::makePath(parentOf(parent));
    if (auto made = FileSystem::makeFolder(parent); !made)
        return made;
    return FileSystem::makeFolder(root);
}

bool InstalledBundleRegistry::rootIsOurs(const QString& root)
{
    return FileSystem::entryKind(parentOf(root)) == FileSystem::EntryKind::directory
           && FileSystem::entryKind(root) == FileSystem::EntryKind::directory;
}

QString InstalledBundleRegistry::lockPath(const QString& root)
{
    return root + QStringLiteral(".lock");
}

InstalledBundleRegistry::WorkLock::WorkLock(const QString& root, QDeadlineTimer deadline) : m_file(lockPath(root))
{
    const bool mayWait = !isMainThread();
    QMutex& mutex = workMutex();
    const qint64 left = deadline.remainingTime(); // -1: no deadline
    const FileSystem::Error busy{QStringLiteral("lock"), m_file.path(), EBUSY};
    if (!mutex.tryLock(mayWait ? int(std::min<qint64>(left, std::numeric_limits<int>::max())) : 0)) {
        qInfo("InstalledBundles: the bundles are busy in this process");
        m_failure = busy;
        return;
    }
    auto taken = m_file.tryLock();
    if (taken && !*taken && mayWait) {
        qInfo("InstalledBundles: waiting for another copy of Gaugelet to finish with the bundles");
        taken = m_file.lock(deadline, &QCoreApplication::closingDown);
    }
    m_held = taken && *taken;
    if (!taken) {
        // Not another copy at work: the lock file cannot be used at all.
        qInfo("InstalledBundles: cannot lock the bundles: %s", qUtf8Printable(taken.error().describe()));
        m_failure = taken.error();
    } else if (!m_held) {
        qInfo("InstalledBundles: another copy of Gaugelet is changing the bundles");
        m_failure = busy;
    }
    // This process's own lock goes back with the file lock not taken, or
    // every later change here would find the bundles busy.
    if (!m_held)
        mutex.unlock();
}

InstalledBundleRegistry::WorkLock::~WorkLock()
{
    if (!m_held)
        return;
    m_file.unlock();
    workMutex().unlock();
}

Result<QString, FileSystem::Error> InstalledBundleRegistry::setAside(const QString& root, const QString& name)
{
    // After the highest number there, found in one listing however many
    // copies there are; an earlier set-aside copy is never replaced. Past
    // the largest number, the lowest free one.
    const auto names = FileSystem::listDirectory(root);
    if (!names)
        return fail(names.error());
    QSet<qint64> taken;
    qint64 highest = 0;
    for (const QString& entry : *names) {
        if (const qint64 number = setAsideNumber(entry, name); number > 0) {
            taken.insert(number);
            highest = std::max(highest, number);
        }
    }
    const auto after = [&](qint64 number) {
        do
            number = number < maxSetAsideNumber ? number + 1 : 1;
        while (taken.contains(number));
        return number;
    };
    for (qint64 number = after(highest), attempt = 0;; number = after(number), ++attempt) {
        const QString aside = BundleVerifier::setAsideName(name, number);
        auto moved =
            FileSystem::renameWithoutReplacing(root + QLatin1Char('/') + name, root + QLatin1Char('/') + aside);
        if (moved) {
            keepNewestSetAside(root, name, aside);
            return aside;
        }
        if ((moved.error().code != EEXIST && moved.error().code != ENOTEMPTY) || attempt == 100)
            return fail(moved.error());
        taken.insert(number);
    }
}

void InstalledBundleRegistry::keepNewestSetAside(const QString& root, const QString& name, const QString& aside)
{
    // A record of the name just used again (its copy was deleted by hand) is
    // not this copy's: kept, it would count as one of the newest unchecked.
    QList<SetAsideRecord> records = readSetAsideRecords(root);
    records.removeIf([&](const SetAsideRecord& record) {
        return record.copy == aside
               || FileSystem::entryKind(root + QLatin1Char('/') + record.copy) == FileSystem::EntryKind::missing;
    });
    const auto digest = setAsideDigest(root, aside);
    if (digest)
        records.append(SetAsideRecord{aside, name, *digest});
    else
        qInfo("InstalledBundles: %s is kept for good: what it holds is too large or unreadable to record",
              qUtf8Printable(aside));
    // Newest first, and only this name's copies: a copy changed in any way
    // since it was set aside is no longer ours, never deleted nor counted.
    int unchanged = 0;
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        const SetAsideRecord record = records.at(i);
        if (record.name != name)
            continue;
        if (record.copy != aside && setAsideDigest(root, record.copy) != record.digest) {
            qInfo("InstalledBundles: keeping %s: changed since it was set aside", qUtf8Printable(record.copy));
            records.removeAt(i);
            continue;
        }
        if (++unchanged <= maxSetAside)
            continue;
        if (auto removed = FileSystem::removeTree(root + QLatin1Char('/') + record.copy); !removed) {
            qInfo("InstalledBundles: cannot delete the set-aside copy %s: %s", qUtf8Printable(record.copy),
                  qUtf8Printable(removed.error().describe()));
            continue;
        }
        qInfo("InstalledBundles: deleted %s: unchanged, and only the newest %d set-aside copies of %s are kept",
              qUtf8Printable(record.copy), maxSetAside, qUtf8Printable(name));
        records.removeAt(i);
    }
    writeSetAsideRecords(root, records);
}

bool InstalledBundleRegistry::isInstallerFolder(const QString& folder, const QString& name)
{
    // ".staging-" + id + "-" + an upper-case UUID, and the "-previous" name a
    // replacement without an atomic exchange parks the old folder under.
    static const QRegularExpression staging(QStringLiteral(
        "^\\.staging-.+-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}(-previous)?$"));
    if (staging.match(name).hasMatch())
        return true;
    return BundleVerifier::isSafeBundleId(name)
        && FileSystem::entryKind(folder + QStringLiteral("/manifest.json")) == FileSystem::EntryKind::regularFile
        && FileSystem::entryKind(folder + QStringLiteral("/manifest.sig")) == FileSystem::EntryKind::regularFile;
}

QList<BundleManifest> InstalledBundleRegistry::listingOrder(QList<BundleManifest> list)
{
    // Newest first; bundles of one date by name, then id, so that every
    // launch lists them alike.
    std::stable_sort(list.begin(), list.end(), [](const BundleManifest& a, const BundleManifest& b) {
        if (a.releaseDate != b.releaseDate)
            return a.releaseDate > b.releaseDate;
        const int byName = QString::localeAwareCompare(a.displayName, b.displayName);
        if (byName != 0)
            return byName < 0;
        return a.id < b.id;
    });
    return list;
}

void InstalledBundleRegistry::scan()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_rootDir) {
        qInfo("InstalledBundles: no Application Support folder; installed bundles are disabled");
        return;
    }
    ScanResult result = scanFolder(*m_rootDir, m_verify);
    if (result.listed)
        setInstalled(listingOrder(std::move(result.kept)));
}

QCoro::Task<void> InstalledBundleRegistry::scanInBackground()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_rootDir) {
        qInfo("InstalledBundles: no Application Support folder; installed bundles are disabled");
        co_return;
    }
    QPointer<InstalledBundleRegistry> self(this);
    ++m_scans;
    const qsizetype changesBefore = m_changesDuringScan.size();
    // The future is named: GCC 12 may destroy a temporary in a co_await
    // expression twice. Quitting meanwhile ends the wait.
    QFuture<ScanResult> scanning = QtConcurrent::run(&InstalledBundleRegistry::scanFolder, *m_rootDir, m_verify);
    std::optional<ScanResult> scanned = co_await AwaitedFuture(this, scanning);
    if (!scanned || !self)
        co_return;
    ScanResult result = std::move(*scanned);
    // What was installed or removed since the scan began reading stands.
    QList<BundleManifest> list = listingOrder(std::move(result.kept));
    for (auto it = m_changesDuringScan.cbegin() + changesBefore; it != m_changesDuringScan.cend(); ++it) {
        const auto same =
            std::find_if(list.begin(), list.end(), [&](const BundleManifest& m) { return m.id == it->first; });
        if (same != list.end() && it->second)
            *same = *it->second;
        else if (same != list.end())
            list.erase(same);
        else if (it->second)
            list.append(*it->second);
    }
    if (--m_scans == 0)
        m_changesDuringScan.clear();
    if (result.listed)
        setInstalled(std::move(list));
    Q_EMIT scanFinished();
}

std::optional<BundleManifest> InstalledBundleRegistry::recheck(const QString& root, const QString& name,
                                                               const Verify& verify, bool rootOwned,
                                                               QDeadlineTimer deadline)
{
    // An install or removal, here or in another copy of the program, may
    // have changed the folder since the first check: it is judged afresh,
    // with no other change under way. Without the lock nothing is changed.
    std::optional<WorkLock> lock;
    if (rootOwned && rootIsOurs(root))
        lock.emplace(root, deadline);
    const QString folder = root + QLatin1Char('/') + name;
    if (FileSystem::entryKind(folder) != FileSystem::EntryKind::directory)
        return std::nullopt;
    // Checked right before each change: nothing is moved or deleted through
    // a link, nor outside real folders of ours.
    auto stillOurs = [&](const char* why) {
        if (lock && lock->isHeld() && rootIsOurs(root))
            return true;
        QString reason = QStringLiteral("the bundle root is not a folder of ours");
        if (lock && lock->failure() && lock->failure()->code != EBUSY)
            reason = lock->failure()->describe();
        else if (lock && !lock->isHeld())
            reason = QStringLiteral("the bundles are busy");
        qInfo("InstalledBundles: leaving %s (%s): %s", qUtf8Printable(name), why, qUtf8Printable(reason));
        return false;
    };
    auto verified = verify(folder, StoreSigningKey::key());
    if (!verified && !verified.error().isRejection()) {
        // What cannot be read at all is kept, to be listed when it can.
        qInfo("InstalledBundles: keeping unreadable %s: %s", qUtf8Printable(name),
              qUtf8Printable(verified.error().describe()));
        return std::nullopt;
    }
    if (!verified) {
        qInfo("InstalledBundles: rejecting %s: %s", qUtf8Printable(name), qUtf8Printable(verified.error().describe()));
        if (!stillOurs("rejected")) {
            return std::nullopt;
        } else if (!BundleVerifier::isSafeBundleId(name)) {
            // A staging folder is the installer's own by its name.
            (void)FileSystem::removeTree(folder);
        } else if (auto aside = setAside(root, name)) {
            // A bundle folder that does not verify may be the user's: moved.
            qInfo("InstalledBundles: set aside %s as %s", qUtf8Printable(name), qUtf8Printable(*aside));
        } else {
            qInfo("InstalledBundles: leaving %s: cannot set it aside: %s", qUtf8Printable(name),
                  qUtf8Printable(aside.error().describe()));
        }
        return std::nullopt;
    }
    if (name != verified->id) {
        // Signed content of ours, in every listed file, under another name:
        // a copy, deleted.
        qInfo("InstalledBundles: dir name mismatch %s vs %s", qUtf8Printable(name), qUtf8Printable(verified->id));
        if (stillOurs("name mismatch"))
            (void)FileSystem::removeTree(folder);
        return std::nullopt;
    }
    return std::move(verified).value();
}

InstalledBundleRegistry::ScanResult InstalledBundleRegistry::scanFolder(const QString& root, const Verify& verifier)
{
    ScanResult result;
    const auto owned = prepareRoot(root);
    if (!owned) {
        qInfo("InstalledBundles: %s is not a folder of ours (%s); nothing in it is deleted", qUtf8Printable(root),
              qUtf8Printable(owned.error().describe()));
    }
    // One wait for the lock for the whole scan, however many folders need it.
    const QDeadlineTimer deadline(lockWaitMs);
    // A removal cut short by the end of the process is finished first.
    if (owned)
        finishRemovals(root, deadline);
    const auto names = FileSystem::listDirectory(root);
    if (!names) {
        qInfo("InstalledBundles: cannot list %s: %s", qUtf8Printable(root), qUtf8Printable(names.error().describe()));
        return result;
    }
    result.listed = true;

    const auto key = StoreSigningKey::key();
    const Verify verify = verifier ? verifier : Verify(&BundleVerifier::verifyInstalled);
    for (const QString& name : *names) {
        const QString folder = root + QLatin1Char('/') + name;
        // Only real folders: a symbolic link is never followed or deleted
        // through, and plain files are left alone. Copies set aside earlier
        // are passed over without a word, however many there are.
        if (FileSystem::entryKind(folder) != FileSystem::EntryKind::directory || BundleVerifier::isSetAsideName(name))
            continue;
        if (!isInstallerFolder(folder, name)) {
            qInfo("InstalledBundles: leaving %s: not a bundle folder", qUtf8Printable(name));
            continue;
        }
        // The first check only reads, beside installs and removals; another
        // instance may also have been swapping this folder while it was read,
        // so what fails is acted on only if it fails a second time.
        auto verified = verify(folder, key);
        if (verified && verified->id == name) {
            result.kept.append(std::move(verified).value());
            continue;
        }
        if (!verified && !verified.error().isRejection()) {
            qInfo("InstalledBundles: keeping unreadable %s: %s", qUtf8Printable(name),
                  qUtf8Printable(verified.error().describe()));
            continue;
        }
        if (auto again = recheck(root, name, verify, bool(owned), deadline))
            result.kept.append(std::move(*again));
    }
    return result;
}

void InstalledBundleRegistry::upsert(const BundleManifest& manifest)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QList<BundleManifest> list = m_installed;
    const auto it = std::find_if(list.begin(), list.end(), [&](const BundleManifest& m) { return m.id == manifest.id; });
    if (it != list.end())
        *it = manifest;
    else
        list.append(manifest);
    if (m_scans > 0)
        m_changesDuringScan.append({manifest.id, manifest});
    setInstalled(std::move(list));
}

void InstalledBundleRegistry::remove(const QString& bundleId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // Only the folder of a listed bundle, verified at the scan or written by
    // the installer, is deleted: a folder of that name is otherwise the
    // user's. An id that cannot name a folder of its own never reaches the
    // disk: an empty id would otherwise be the root itself.
    const auto found = std::find_if(m_installed.cbegin(), m_installed.cend(),
                                    [&](const BundleManifest& m) { return m.id == bundleId; });
    const bool listed = found != m_installed.cend();
    const auto folder = listed ? folderFor(bundleId) : std::nullopt;
    const auto identity = folder && FileSystem::entryKind(*folder) == FileSystem::EntryKind::directory
                              ? FileSystem::identity(*folder)
                              : std::nullopt;
    if (identity && !rootIsOurs(*m_rootDir)) {
        qInfo("InstalledBundles: leaving %s: the bundle root is not a folder of ours", qUtf8Printable(bundleId));
        Q_EMIT removalFailed(bundleId, FileSystem::Error{QStringLiteral("remove"), *m_rootDir, ENOTDIR});
        return;
    } else if (identity) {
        // Tried here without waiting; while another install or copy of the
        // program is changing the bundles, a worker waits for it instead.
        // A removal that cannot be done stays listed: never shown as done
        // while the bundle is still in place, to be back at the next start.
        WorkLock lock(*m_rootDir);
        if (lock.isHeld()) {
            if (auto removed = removeFolder(*m_rootDir, bundleId, *identity); !removed) {
                Q_EMIT removalFailed(bundleId, removed.error());
                return;
            }
        } else if (lock.failure() && lock.failure()->code != EBUSY) {
            qInfo("InstalledBundles: %s was not removed: %s", qUtf8Printable(bundleId),
                  qUtf8Printable(lock.failure()->describe()));
            Q_EMIT removalFailed(bundleId, *lock.failure());
            return;
        } else {
            qInfo("InstalledBundles: removing %s once the bundles are free", qUtf8Printable(bundleId));
            QPointer<InstalledBundleRegistry> self(this);
            (void)QtConcurrent::run([root = *m_rootDir, bundleId, identity = *identity, manifest = *found, self] {
                WorkLock later(root);
                Result<void, FileSystem::Error> removed =
                    later.isHeld() ? removeFolder(root, bundleId, identity)
                                   : fail(later.failure().value_or(
                                       FileSystem::Error{QStringLiteral("lock"), lockPath(root), EBUSY}));
                if (removed)
                    return;
                qInfo("InstalledBundles: %s was not removed: %s", qUtf8Printable(bundleId),
                      qUtf8Printable(removed.error().describe()));
                QMetaObject::invokeMethod(
                    qApp,
                    [self, manifest, identity, error = removed.error()] {
                        if (self)
                            self->relistAfterFailedRemoval(manifest, identity, error);
                    },
                    Qt::QueuedConnection);
            });
        }
    }
    QList<BundleManifest> list = m_installed;
    list.removeIf([&](const BundleManifest& m) { return m.id == bundleId; });
    if (m_scans > 0 && listed)
        m_changesDuringScan.append({bundleId, std::nullopt});
    setInstalled(std::move(list));
}

void InstalledBundleRegistry::relistAfterFailedRemoval(const BundleManifest& manifest, FileSystem::Identity folder,
                                                       const FileSystem::Error& error)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // Listed again only while that same folder is still in place and nothing
    // listed it meanwhile.
    const auto path = folderFor(manifest.id);
    const auto now = path ? FileSystem::identity(*path) : std::nullopt;
    if (!now || now->device != folder.device || now->inode != folder.inode
        || std::any_of(m_installed.cbegin(), m_installed.cend(),
                       [&](const BundleManifest& m) { return m.id == manifest.id; }))
        return;
    upsert(manifest);
    Q_EMIT removalFailed(manifest.id, error);
}

Result<void, FileSystem::Error> InstalledBundleRegistry::removeFolder(const QString& root, const QString& bundleId,
                                                                      FileSystem::Identity folder)
{
    const QString path = root + QLatin1Char('/') + bundleId;
    const auto now = FileSystem::identity(path);
    if (!now || now->device != folder.device || now->inode != folder.inode) {
        qInfo("InstalledBundles: not removing %s: it was installed again", qUtf8Printable(bundleId));
        return {};
    }
    if (!rootIsOurs(root))
        return fail(FileSystem::Error{QStringLiteral("remove"), root, ENOTDIR});
    // Out of the bundle's name in one rename, recorded first, so that an
    // end of the process at any point leaves the whole bundle or nothing
    // under its name, and the next scan deletes only what was moved.
    const QString moved = QStringLiteral(".removing-") + bundleId + QLatin1Char('-')
                          + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    QStringList removals = readRemovals(root);
    writeRemovals(root, removals << moved);
    if (!removalGoesOn(RemovalStep::recorded))
        return {};
    if (auto renamed = FileSystem::renameWithoutReplacing(path, root + QLatin1Char('/') + moved); !renamed) {
        qInfo("InstalledBundles: cannot remove %s: %s", qUtf8Printable(bundleId),
              qUtf8Printable(renamed.error().describe()));
        removals.removeAll(moved);
        writeRemovals(root, removals);
        return fail(renamed.error());
    }
    // Out of its name, the bundle is gone: what is left of it is deleted
    // now or by the next scan.
    if (!removalGoesOn(RemovalStep::moved))
        return {};
    if (auto removed = FileSystem::removeTree(root + QLatin1Char('/') + moved); !removed) {
        // Left recorded: the next scan tries again.
        qInfo("InstalledBundles: cannot delete the removed %s: %s", qUtf8Printable(bundleId),
              qUtf8Printable(removed.error().describe()));
        return {};
    }
    if (!removalGoesOn(RemovalStep::deleted))
        return {};
    removals.removeAll(moved);
    writeRemovals(root, removals);
    return {};
}

void InstalledBundleRegistry::finishRemovals(const QString& root, QDeadlineTimer deadline)
{
    if (readRemovals(root).isEmpty())
        return;
    WorkLock lock(root, deadline);
    if (!lock.isHeld() || !rootIsOurs(root))
        return;
    QStringList left;
    for (const QString& moved : readRemovals(root)) {
        const QString path = root + QLatin1Char('/') + moved;
        if (FileSystem::entryKind(path) == FileSystem::EntryKind::missing)
            continue;
        if (auto removed = FileSystem::removeTree(path); !removed) {
            qInfo("InstalledBundles: cannot delete %s: %s", qUtf8Printable(moved),
                  qUtf8Printable(removed.error().describe()));
            left.append(moved);
            continue;
        }
        qInfo("InstalledBundles: finished removing %s", qUtf8Printable(moved));
    }
    writeRemovals(root, left);
}

QStringList InstalledBundleRegistry::builtInRecord(const QString& root)
{
    // The program ships a handful of packs: of a longer record only the first
    // maxBuiltInRecord ids count, and the rest is not read.
    QStringList ids;
    QSet<QString> seen;
    const auto bytes = FileSystem::readFile(builtInRecordPath(root), 1024 * 1024);
    for (const QByteArray& line : bytes ? bytes->split('\n') : QList<QByteArray>()) {
        const QString id = QString::fromUtf8(line);
        if (!BundleVerifier::isSafeBundleId(id) || seen.contains(id))
            continue;
        if (ids.size() == maxBuiltInRecord)
            break;
        seen.insert(id);
        ids.append(id);
    }
    return ids;
}

void InstalledBundleRegistry::recordBuiltIn(const QString& bundleId, bool builtIn)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_rootDir || !BundleVerifier::isSafeBundleId(bundleId) || !rootIsOurs(*m_rootDir))
        return;
    WorkLock lock(*m_rootDir);
    if (lock.isHeld()) {
        changeBuiltInRecord(*m_rootDir, bundleId, builtIn);
    } else if (lock.failure() && lock.failure()->code != EBUSY) {
        qInfo("InstalledBundles: cannot record %s as built-in: %s", qUtf8Printable(bundleId),
              qUtf8Printable(lock.failure()->describe()));
    } else {
        (void)QtConcurrent::run([root = *m_rootDir, bundleId, builtIn] {
            if (WorkLock later(root); later.isHeld())
                changeBuiltInRecord(root, bundleId, builtIn);
        });
    }
}

void InstalledBundleRegistry::changeBuiltInRecord(const QString& root, const QString& bundleId, bool builtIn)
{
    if (!rootIsOurs(root))
        return;
    QStringList ids = builtInRecord(root);
    const bool installed =
        FileSystem::entryKind(root + QLatin1Char('/') + bundleId) == FileSystem::EntryKind::directory;
    if (builtIn && installed && !ids.contains(bundleId))
        ids.append(bundleId);
    else if (!builtIn && !installed && ids.contains(bundleId))
        ids.removeAll(bundleId);
    else
        return;
    QByteArray bytes;
    for (const QString& id : std::as_const(ids))
        bytes += id.toUtf8() + '\n';
    if (auto written = FileSystem::writeFileAtomically(builtInRecordPath(root), bytes); !written)
        qInfo("InstalledBundles: cannot record the built-in bundles: %s", qUtf8Printable(written.error().describe()));
}

void InstalledBundleRegistry::setRemovalStepHookForTesting(std::function<bool(RemovalStep)> hook)
{
    removalStepHook() = std::move(hook);
}

} // namespace gaugelet
