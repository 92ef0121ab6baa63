#pragma once

#include "platform/net/Ed25519PublicKey.h"
#include "support/LocalHttpServer.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

#include <QCoro/QCoroTask>

class QNetworkAccessManager;

namespace gaugelet {
class Defaults;
class RemoteCatalogue;
} // namespace gaugelet

namespace gaugelet::test {

// A throwaway Ed25519 key pair made and used by another implementation
// (Debian's python3-nacl, run with /usr/bin/python3), so the verifier is
// checked against an independent signer.
struct NaclKeyPair {
    QByteArray seedHex;
    QByteArray publicKeyHex;

    static NaclKeyPair generate();
    // One pair per test program for the common case, and a second one.
    static const NaclKeyPair& shared();
    static const NaclKeyPair& other();

    Ed25519PublicKey publicKey() const;
    QByteArray sign(const QByteArray& message) const;
};

// Makes the store key a test key for the length of a scope.
class ScopedStoreKey {
public:
    explicit ScopedStoreKey(const NaclKeyPair& pair);
    ~ScopedStoreKey();
};

using Members = QList<QPair<QString, QByteArray>>;

// An archive made by the zip tool from the given members, in order.
// zipOptions default to stored members without folder records.
QByteArray zipArchive(const Members& members, const QStringList& zipOptions = {QStringLiteral("-0")});

// A manifest object with every required key; tests change what they need.
QJsonObject manifestObject(const QString& id, const Members& assets);
QByteArray manifestBytes(const QJsonObject& manifest);

// A complete signed bundle archive: manifest, signature and assets.
QByteArray signedBundle(const NaclKeyPair& pair, const QByteArray& manifestJson, const Members& assets);
QByteArray signedBundle(const NaclKeyPair& pair, const QString& id, const Members& assets);

QByteArray runPython(const QString& script, const QByteArray& input = {});

template <typename T>
QCoro::Task<std::optional<T>> asOptional(QCoro::Task<T> task)
{
    co_return co_await std::move(task);
}

// Runs a coroutine to its end on the test's event loop (also for results
// without a default value, such as Result).
template <typename T>
T awaitTask(QCoro::Task<T> task)
{
    return *QCoro::waitFor(asOptional(std::move(task)));
}

// Points the program's resources (and so "StoreAssets") and its XDG data
// and cache folders at fresh temporary folders for the length of a scope.
class ScopedStoreFolders {
public:
    ScopedStoreFolders();
    ~ScopedStoreFolders();
    QString resources() const { return m_root.filePath(QStringLiteral("resources")); }
    QString storeAssets() const { return resources() + QStringLiteral("/StoreAssets"); }
    QString dataHome() const { return m_root.filePath(QStringLiteral("data")); }
    QString cacheHome() const { return m_root.filePath(QStringLiteral("cache")); }
    QString bundlesRoot() const { return dataHome() + QStringLiteral("/Gaugelet/Bundles"); }
    QString assetCache() const { return cacheHome() + QStringLiteral("/dev.gaugelet.app/store"); }
    // Writes a file into "StoreAssets" (creating the folder).
    void ship(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_root;
    QByteArray m_oldResources, m_oldData, m_oldCache;
};

// Makes the catalogue key a test key for the length of a scope.
class ScopedCatalogueKey {
public:
    explicit ScopedCatalogueKey(const NaclKeyPair& pair);
    ~ScopedCatalogueKey();
};

// One catalogue product with every required key; the address is left out
// when empty.
QJsonObject productObject(const QString& bundleId, const QString& type = QStringLiteral("runner_sprite"),
                          const QString& assetURL = {});
// A catalogue document (compact JSON) with the given products.
QByteArray catalogueBytes(const QList<QJsonObject>& products, int version = 1);
// The signature file of a document: Base64 of the detached signature.
QByteArray catalogueSignatureFile(const NaclKeyPair& pair, const QByteArray& document);

// An HTTPS store host on 127.0.0.1 (its own thread, a test CA the process
// trusts) answering fixed paths; anything else is a 404.
class FakeStoreHost {
public:
    FakeStoreHost();
    ~FakeStoreHost();
    void setRoute(const QByteArray& path, HttpAnswer answer);
    void removeRoute(const QByteArray& path);
    // The catalogue and its signature made with pair.
    void serveCatalogue(const NaclKeyPair& pair, const QByteArray& document);
    QUrl origin() const;
    QUrl url(const QString& path) const;
    // A catalogue of this host, checked with NaclKeyPair::shared(), kept in
    // `defaults` and owned by `session`. It sets no request deadline: the
    // host answers at once, but the process's first TLS handshake can take
    // seconds under the sanitizers on a busy machine (ctest's limit ends a
    // hang), so no deadline races it.
    RemoteCatalogue* catalogue(QNetworkAccessManager* session, Defaults* defaults,
                               std::function<QDateTime()> now) const;
    int requestCount(const QByteArray& path) const;
    int requestCount() const;
    LocalHttpServer& server() { return *m_server; }

private:
    struct Routes;
    std::shared_ptr<Routes> m_routes;
    std::unique_ptr<LocalHttpServer> m_server;
};

} // namespace gaugelet::test

namespace gaugelet::test {

// Collects the program's log lines for the length of a scope.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString& fragment) const;
};

} // namespace gaugelet::test
