#include "store/InstalledBundleRegistry.h"

#include "platform/core/AwaitedFuture.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"
#include "platform/core/XdgPaths.h"
#include "store/BundleVerifier.h"
#include "store/SigningKeys.h"

#include <QDebug>
#include <QMutexLocker>
#include <QPointer>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cerrno>

#include <QCoro/QCoroFuture>

namespace gaugelet {

namespace {

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// The number of a set-aside copy of name, exactly as setAside() names one;
// 0 for any other entry.
int setAsideNumber(const QString& entry, const QString& name)
{
    const QString prefix = BundleVerifier::setAsideName(name, 0).chopped(1);
    if (!entry.startsWith(prefix))
        return 0;
    const QStringView digits = QStringView(entry).mid(prefix.size());
    if (digits.isEmpty() || digits.size() > 9 || digits.front() == u'0'
        || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return 0;
    return digits.toInt();
}

// The set-aside copies this program moved aside, one a line: the name in
// the root, then the identity of what was moved, so that a copy is ours
// only while that very entry is still under its name, unchanged. Kept in the
// folder holding the root.
struct SetAsideRecord {
    QString name;
    FileSystem::Identity identity;
};

QString setAsideRecordsPath(const QString& root)
{
    return parentOf(root) + QStringLiteral("/set-aside.list");
}

QList<SetAsideRecord> readSetAsideRecords(const QString& root)
{
    QList<SetAsideRecord> records;
    const auto bytes = FileSystem::readFile(setAsideRecordsPath(root), 1024 * 1024);
    if (!bytes)
        return records;
    for (const QByteArray& line : bytes->split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        bool ok[3] = {};
        if (fields.size() != 4)
            continue;
        SetAsideRecord record{
            QString::fromUtf8(fields[0]),
            {fields[1].toULongLong(&ok[0]), fields[2].toULongLong(&ok[1]), fields[3].toLongLong(&ok[2])}};
        if (ok[0] && ok[1] && ok[2] && BundleVerifier::isSetAsideName(record.name)
            && !record.name.contains(QLatin1Char('/')) && !record.name.startsWith(QLatin1Char('.')))
            records.append(std::move(record));
    }
    return records;
}

void writeSetAsideRecords(const QString& root, const QList<SetAsideRecord>& records)
{
    QByteArray bytes;
    for (const SetAsideRecord& record : records) {
        bytes += record.name.toUtf8() + '\t' + QByteArray::number(record.identity.device) + '\t'
                 + QByteArray::number(record.identity.inode) + '\t' + QByteArray::number(record.identity.changedNs)
                 + '\n';
    }
    if (auto written = FileSystem::writeFileAtomically(setAsideRecordsPath(root), bytes); !written)
        qInfo("InstalledBundles: cannot record the set-aside copies: %s", qUtf8Printable(written.error().describe()));
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

QMutex& InstalledBundleRegistry::fileWorkLock()
{
    static QMutex lock;
    return lock;
}

Result<QString, FileSystem::Error> InstalledBundleRegistry::setAside(const QString& root, const QString& name)
{
    // After the highest number there, found in one listing however many
    // copies there are; an earlier set-aside copy is never replaced.
    const auto names = FileSystem::listDirectory(root);
    if (!names)
        return fail(names.error());
    int number = 0;
    for (const QString& entry : *names)
        number = std::max(number, setAsideNumber(entry, name));
    constexpr int maxNumber = 999'999'999;
    for (int attempt = 0;; ++attempt) {
        const QString aside = BundleVerifier::setAsideName(name, std::min(++number, maxNumber));
        auto moved =
            FileSystem::renameWithoutReplacing(root + QLatin1Char('/') + name, root + QLatin1Char('/') + aside);
        if (moved) {
            keepNewestSetAside(root, name, aside);
            return aside;
        }
        if ((moved.error().code != EEXIST && moved.error().code != ENOTEMPTY) || attempt == 100)
            return fail(moved.error());
    }
}

void InstalledBundleRegistry::keepNewestSetAside(const QString& root, const QString& name, const QString& aside)
{
    QList<SetAsideRecord> records = readSetAsideRecords(root);
    // A copy the user has renamed, replaced or changed since is no longer
    // ours; nor is anything we did not move aside ourselves.
    records.removeIf([&](const SetAsideRecord& record) {
        return FileSystem::identity(root + QLatin1Char('/') + record.name) != record.identity;
    });
    if (const auto identity = FileSystem::identity(root + QLatin1Char('/') + aside))
        records.append(SetAsideRecord{aside, *identity});
    QList<SetAsideRecord> copies;
    for (const SetAsideRecord& record : std::as_const(records)) {
        if (setAsideNumber(record.name, name) > 0)
            copies.append(record);
    }
    std::sort(copies.begin(), copies.end(), [&](const SetAsideRecord& a, const SetAsideRecord& b) {
        return setAsideNumber(a.name, name) < setAsideNumber(b.name, name);
    });
    for (qsizetype i = 0; i + maxSetAside < copies.size(); ++i) {
        const QString& oldest = copies.at(i).name;
        if (auto removed = FileSystem::removeTree(root + QLatin1Char('/') + oldest); !removed) {
            qInfo("InstalledBundles: cannot delete the set-aside copy %s: %s", qUtf8Printable(oldest),
                  qUtf8Printable(removed.error().describe()));
            continue;
        }
        qInfo("InstalledBundles: deleted %s: only the newest %d set-aside copies are kept", qUtf8Printable(oldest),
              maxSetAside);
        records.removeIf([&](const SetAsideRecord& record) { return record.name == oldest; });
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
                                                               const Verify& verify, bool rootOwned)
{
    // An install or removal may have changed the folder since the first
    // check: it is judged afresh, with no other change under way.
    QMutexLocker lock(&fileWorkLock());
    const QString folder = root + QLatin1Char('/') + name;
    if (FileSystem::entryKind(folder) != FileSystem::EntryKind::directory)
        return std::nullopt;
    // Checked right before each change: nothing is moved or deleted through
    // a link, nor outside real folders of ours.
    auto stillOurs = [&](const char* why) {
        if (rootOwned && rootIsOurs(root))
            return true;
        qInfo("InstalledBundles: leaving %s (%s): the bundle root is not a folder of ours", qUtf8Printable(name), why);
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
        if (auto again = recheck(root, name, verify, bool(owned)))
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
    const bool listed = std::any_of(m_installed.cbegin(), m_installed.cend(),
                                    [&](const BundleManifest& m) { return m.id == bundleId; });
    if (const auto folder = listed ? folderFor(bundleId) : std::nullopt) {
        QMutexLocker lock(&fileWorkLock());
        if (FileSystem::entryKind(*folder) == FileSystem::EntryKind::directory) {
            if (rootIsOurs(*m_rootDir))
                (void)FileSystem::removeTree(*folder);
            else
                qInfo("InstalledBundles: leaving %s: the bundle root is not a folder of ours", qUtf8Printable(bundleId));
        }
    }
    QList<BundleManifest> list = m_installed;
    list.removeIf([&](const BundleManifest& m) { return m.id == bundleId; });
    if (m_scans > 0 && listed)
        m_changesDuringScan.append({bundleId, std::nullopt});
    setInstalled(std::move(list));
}

} // namespace gaugelet
