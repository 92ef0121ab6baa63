#include "store/MockStoreClient.h"

#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "store/BundleVerifier.h"
#include "store/SigningKeys.h"
#include "store/StoreCoordinator.h"

#include <QFileInfo>
#include <algorithm>

namespace gaugelet {

QString MockStoreClient::StoreError::describe() const
{
    return QStringLiteral("unknownItem(\"%1\")").arg(itemId);
}

MockStoreClient::MockStoreClient(std::optional<QString> resourceDir, QObject* parent)
    : StoreClient(parent), m_resourceDir(std::move(resourceDir))
{
}

QCoro::Task<Result<QList<StoreItem>, StoreClient::Error>> MockStoreClient::listAvailable()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // co_return of an lvalue of another type than the result moves from it
    // (QCoro's promise), so the kept list is always handed out as a copy.
    if (m_cachedItems) {
        QList<StoreItem> copy = *m_cachedItems;
        co_return copy;
    }
    const auto names = m_resourceDir ? FileSystem::listDirectory(*m_resourceDir)
                                     : Result<QStringList, FileSystem::Error>(fail(FileSystem::Error{}));
    if (!names) {
        m_cachedItems = QList<StoreItem>{};
        co_return QList<StoreItem>{};
    }
    QList<StoreItem> items;
    QHash<QString, QString> paths;
    for (const QString& name : names.value()) {
        if (QFileInfo(name).suffix() != QLatin1String("gaugebundle"))
            continue;
        const QString path = *m_resourceDir + QLatin1Char('/') + name;
        auto bytes = FileSystem::readFile(path);
        if (!bytes) {
            qInfo("MockStore: rejected %s: %s", qUtf8Printable(name), qUtf8Printable(bytes.error().describe()));
            continue;
        }
        auto verified = BundleVerifier::verify(*bytes, StoreSigningKey::key());
        if (!verified) {
            qInfo("MockStore: rejected %s: %s", qUtf8Printable(name), qUtf8Printable(verified.error().describe()));
            continue;
        }
        const BundleManifest& m = verified->manifest;
        StoreItem item;
        item.id = m.id;
        item.displayName = m.displayName;
        item.author = m.author;
        item.releaseDate = m.releaseDate;
        item.priceCents = m.priceCents;
        item.currency = m.currency;
        item.type = m.type;
        item.downloadHandle = path;
        item.isNSFW = StoreCoordinator::adultContentIds().contains(m.id);
        items.append(std::move(item));
        paths.insert(m.id, path);
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const StoreItem& a, const StoreItem& b) { return a.releaseDate > b.releaseDate; });
    m_cachedItems = items;
    m_pathById = std::move(paths);
    co_return items;
}

QCoro::Task<Result<QByteArray, StoreClient::Error>> MockStoreClient::fetchBundle(StoreItem item)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto found = m_pathById.constFind(item.id);
    if (found == m_pathById.constEnd()) {
        const StoreError error{StoreError::Kind::unknownItem, item.id};
        co_return fail(Error{error.describe(), error.describe()});
    }
    auto bytes = FileSystem::readFile(found.value());
    if (!bytes)
        co_return fail(Error{bytes.error().describe(), bytes.error().describe()});
    co_return std::move(bytes).value();
}

} // namespace gaugelet
