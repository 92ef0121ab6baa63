#pragma once

#include "store/StoreClient.h"

#include <QHash>
#include <optional>

namespace gaugelet {

// A store backend without any network: the verified bundle files of one local
// folder, listed newest release first. For development and tests; the
// running program uses the remote client. Main thread only.
class MockStoreClient : public StoreClient {
    Q_OBJECT

public:
    struct StoreError {
        enum class Kind { unknownItem };
        Kind kind = Kind::unknownItem;
        QString itemId;

        // `unknownItem("id")`.
        QString describe() const;
        bool operator==(const StoreError&) const = default;
    };

    explicit MockStoreClient(std::optional<QString> resourceDir, QObject* parent = nullptr);

    // The folder is read once; later calls answer the same list.
    QCoro::Task<Result<QList<StoreItem>, Error>> listAvailable() override;
    QCoro::Task<Result<QByteArray, Error>> fetchBundle(StoreItem item) override;

    const std::optional<QString>& resourceDir() const { return m_resourceDir; }

private:
    const std::optional<QString> m_resourceDir;
    std::optional<QList<StoreItem>> m_cachedItems;
    QHash<QString, QString> m_pathById;
};

} // namespace gaugelet
