#include "store/InstalledBundleRegistry.h"

#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"
#include "platform/core/XdgPaths.h"
#include "store/BundleVerifier.h"
#include "store/SigningKeys.h"

#include <QDebug>
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

Result<QString, FileSystem::Error> InstalledBundleRegistry::setAside(const QString& root, const QString& name)
{
    // The first free number; an earlier set-aside copy is never replaced.
    constexpr int maxNumber = 10'000;
    for (int number = 1;; ++number) {
        const QString aside = BundleVerifier::setAsideName(name, number);
        auto moved =
            FileSystem::renameWithoutReplacing(root + QLatin1Char('/') + name, root + QLatin1Char('/') + aside);
        if (moved)
            return aside;
        if ((moved.error().code != EEXIST && moved.error().code != ENOTEMPTY) || number == maxNumber)
            return fail(moved.error());
    }
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
    m_scanning = true;
    // The future is named: GCC 12 may destroy a temporary in a co_await
    // expression twice.
    QFuture<ScanResult> scanning = QtConcurrent::run(&InstalledBundleRegistry::scanFolder, *m_rootDir, m_verify);
    ScanResult result = co_await scanning;
    if (!self)
        co_return;
    m_scanning = false;
    if (result.listed)
        setInstalled(listingOrder(std::move(result.kept)));
    Q_EMIT scanFinished();
}

void InstalledBundleRegistry::dropRejected(const QString& root, const QString& name)
{
    // A staging folder is the installer's own by its name; a bundle folder
    // that does not verify may be the user's and is only moved.
    if (!BundleVerifier::isSafeBundleId(name)) {
        (void)FileSystem::removeTree(root + QLatin1Char('/') + name);
        return;
    }
    if (auto aside = setAside(root, name))
        qInfo("InstalledBundles: set aside %s as %s", qUtf8Printable(name), qUtf8Printable(*aside));
    else
        qInfo("InstalledBundles: leaving %s: cannot set it aside: %s", qUtf8Printable(name),
              qUtf8Printable(aside.error().describe()));
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
        // through, and plain files are left alone.
        if (FileSystem::entryKind(folder) != FileSystem::EntryKind::directory)
            continue;
        if (!isInstallerFolder(folder, name)) {
            qInfo("InstalledBundles: leaving %s: not a bundle folder", qUtf8Printable(name));
            continue;
        }
        // Checked again right before each change: nothing is moved or
        // deleted through a link, nor outside real folders of ours.
        auto stillOurs = [&](const char* why) {
            if (owned && rootIsOurs(root) && FileSystem::entryKind(folder) == FileSystem::EntryKind::directory)
                return true;
            qInfo("InstalledBundles: leaving %s (%s): the bundle root is not a folder of ours", qUtf8Printable(name),
                  why);
            return false;
        };
        auto verified = verify(folder, key);
        if (!verified) {
            // Another instance may have been swapping this folder while it
            // was read; act only on what fails a second time. What cannot be
            // read at all is kept, to be listed when it can.
            auto again = verified.error().isRejection() ? verify(folder, key) : std::move(verified);
            if (again) {
                verified = std::move(again);
            } else if (again.error().isRejection()) {
                qInfo("InstalledBundles: rejecting %s: %s", qUtf8Printable(name),
                      qUtf8Printable(again.error().describe()));
                if (stillOurs("rejected"))
                    dropRejected(root, name);
                continue;
            } else {
                qInfo("InstalledBundles: keeping unreadable %s: %s", qUtf8Printable(name),
                      qUtf8Printable(again.error().describe()));
                continue;
            }
        }
        if (name != verified->id) {
            // Signed content of ours, in every listed file, under another
            // name: a copy, deleted.
            qInfo("InstalledBundles: dir name mismatch %s vs %s", qUtf8Printable(name), qUtf8Printable(verified->id));
            if (stillOurs("name mismatch"))
                (void)FileSystem::removeTree(folder);
            continue;
        }
        result.kept.append(std::move(verified).value());
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
        if (FileSystem::entryKind(*folder) == FileSystem::EntryKind::directory) {
            if (rootIsOurs(*m_rootDir))
                (void)FileSystem::removeTree(*folder);
            else
                qInfo("InstalledBundles: leaving %s: the bundle root is not a folder of ours", qUtf8Printable(bundleId));
        }
    }
    QList<BundleManifest> list = m_installed;
    list.removeIf([&](const BundleManifest& m) { return m.id == bundleId; });
    setInstalled(std::move(list));
}

} // namespace gaugelet
