#include "StoreTestSupport.h"

#include "store/RemoteCatalogue.h"
#include "store/SigningKeys.h"
#include "store/UserDefaultsRemoteCatalogueCache.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QThreadPool>

#include <gtest/gtest.h>
#include <limits>

namespace gaugelet::test {

QByteArray runPython(const QString& script, const QByteArray& input)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script});
    if (!process.waitForStarted(10000)) {
        ADD_FAILURE() << "cannot start /usr/bin/python3";
        return {};
    }
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    if (process.exitCode() != 0)
        ADD_FAILURE() << "python failed: " << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

NaclKeyPair NaclKeyPair::generate()
{
    const QByteArray out = runPython(QStringLiteral(
        "import nacl.signing\n"
        "k = nacl.signing.SigningKey.generate()\n"
        "print(k.encode().hex()); print(k.verify_key.encode().hex())\n"));
    const QList<QByteArray> lines = out.trimmed().split('\n');
    if (lines.size() != 2) {
        ADD_FAILURE() << "python3-nacl gave no key pair";
        return {};
    }
    return NaclKeyPair{lines[0].trimmed(), lines[1].trimmed()};
}

const NaclKeyPair& NaclKeyPair::shared()
{
    static const NaclKeyPair pair = generate();
    return pair;
}

const NaclKeyPair& NaclKeyPair::other()
{
    static const NaclKeyPair pair = generate();
    return pair;
}

Ed25519PublicKey NaclKeyPair::publicKey() const
{
    auto key = Ed25519PublicKey::fromHex(publicKeyHex);
    if (!key)
        ADD_FAILURE() << "python3-nacl public key not accepted: " << publicKeyHex.toStdString();
    return *key;
}

QByteArray NaclKeyPair::sign(const QByteArray& message) const
{
    return runPython(QStringLiteral("import sys, nacl.signing\n"
                                    "k = nacl.signing.SigningKey(bytes.fromhex('%1'))\n"
                                    "sys.stdout.buffer.write(k.sign(sys.stdin.buffer.read()).signature)\n")
                         .arg(QString::fromLatin1(seedHex)),
                     message);
}

ScopedStoreKey::ScopedStoreKey(const NaclKeyPair& pair)
{
    StoreSigningKey::setOverrideForTesting(pair.publicKey());
}

ScopedStoreKey::~ScopedStoreKey()
{
    StoreSigningKey::setOverrideForTesting(std::nullopt);
}

QByteArray zipArchive(const Members& members, const QStringList& zipOptions)
{
    QTemporaryDir dir;
    QStringList names;
    for (const auto& [name, bytes] : members) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        writeFile(path, bytes);
        names.append(name);
    }
    QProcess zip;
    zip.setWorkingDirectory(dir.path());
    // -X: no extra attributes; -D: no folder records; -q: quiet.
    zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), QStringLiteral("-X"), QStringLiteral("-D")}
                                         + zipOptions + QStringList{QStringLiteral("out.zip")} + names);
    zip.waitForFinished(30000);
    if (zip.exitCode() != 0)
        ADD_FAILURE() << "zip failed: " << zip.readAllStandardError().toStdString();
    return readFile(dir.filePath(QStringLiteral("out.zip")));
}

QJsonObject manifestObject(const QString& id, const Members& assets)
{
    QJsonArray assetArray;
    for (const auto& [path, bytes] : assets)
        assetArray.append(QJsonObject{{QStringLiteral("path"), path},
                                      {QStringLiteral("sha256"), QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())}});
    return QJsonObject{
        {QStringLiteral("schema"), 1},
        {QStringLiteral("id"), id},
        {QStringLiteral("version"), 1},
        {QStringLiteral("type"), QStringLiteral("sound_pack")},
        {QStringLiteral("displayName"), QStringLiteral("Pack ") + id},
        {QStringLiteral("author"), QStringLiteral("Tests")},
        {QStringLiteral("releaseDate"), QStringLiteral("2026-03-01T12:00:00Z")},
        {QStringLiteral("priceCents"), 0},
        {QStringLiteral("currency"), QStringLiteral("USD")},
        {QStringLiteral("assets"), assetArray},
    };
}

QByteArray manifestBytes(const QJsonObject& manifest)
{
    return QJsonDocument(manifest).toJson(QJsonDocument::Indented);
}

QByteArray signedBundle(const NaclKeyPair& pair, const QByteArray& manifestJson, const Members& assets)
{
    Members members{{QStringLiteral("manifest.json"), manifestJson}, {QStringLiteral("manifest.sig"), pair.sign(manifestJson)}};
    members += assets;
    return zipArchive(members);
}

QByteArray signedBundle(const NaclKeyPair& pair, const QString& id, const Members& assets)
{
    return signedBundle(pair, manifestBytes(manifestObject(id, assets)), assets);
}

ScopedStoreFolders::ScopedStoreFolders()
    : m_oldResources(qgetenv("GAUGELET_RESOURCES_DIR")), m_oldData(qgetenv("XDG_DATA_HOME")),
      m_oldCache(qgetenv("XDG_CACHE_HOME"))
{
    QDir().mkpath(resources());
    QDir().mkpath(dataHome());
    QDir().mkpath(cacheHome());
    qputenv("GAUGELET_RESOURCES_DIR", resources().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CACHE_HOME", cacheHome().toUtf8());
}

ScopedStoreFolders::~ScopedStoreFolders()
{
    // A cache pruning started by a refresh runs on the global pool and reads
    // the cache location when it starts: let it finish inside these folders,
    // never in the user's own cache or the next test's.
    QThreadPool::globalInstance()->waitForDone();
    qputenv("GAUGELET_RESOURCES_DIR", m_oldResources);
    qputenv("XDG_DATA_HOME", m_oldData);
    qputenv("XDG_CACHE_HOME", m_oldCache);
}

void ScopedStoreFolders::ship(const QString& name, const QByteArray& bytes) const
{
    writeFile(storeAssets() + QLatin1Char('/') + name, bytes);
}

ScopedCatalogueKey::ScopedCatalogueKey(const NaclKeyPair& pair)
{
    CatalogueSigningKey::setOverrideForTesting(pair.publicKey());
}

ScopedCatalogueKey::~ScopedCatalogueKey() { CatalogueSigningKey::setOverrideForTesting(std::nullopt); }

QJsonObject productObject(const QString& bundleId, const QString& type, const QString& assetURL)
{
    QJsonObject p{{"bundleId", bundleId},
                  {"variantId", bundleId + QStringLiteral("-v1")},
                  {"displayName", bundleId.toUpper()},
                  {"author", "Tester"},
                  {"releaseDate", "2026-11-01T10:00:00Z"},
                  {"priceCents", 250},
                  {"currency", "EUR"},
                  {"type", type},
                  {"status", "live"}};
    if (!assetURL.isEmpty())
        p.insert(QStringLiteral("assetURL"), assetURL);
    return p;
}

QByteArray catalogueBytes(const QList<QJsonObject>& products, int version)
{
    QJsonArray array;
    for (const auto& p : products)
        array.append(p);
    return QJsonDocument(QJsonObject{{"version", version}, {"issuedAt", "2026-12-01T00:00:00Z"}, {"products", array}})
        .toJson(QJsonDocument::Compact);
}

QByteArray catalogueSignatureFile(const NaclKeyPair& pair, const QByteArray& document)
{
    return pair.sign(document).toBase64() + "\n";
}

struct FakeStoreHost::Routes {
    QMutex mutex;
    QHash<QByteArray, HttpAnswer> answers;
};

FakeStoreHost::FakeStoreHost() : m_routes(std::make_shared<Routes>())
{
    auto routes = m_routes;
    m_server = std::make_unique<LocalHttpServer>(
        [routes](const HttpExchange& exchange) {
            QMutexLocker lock(&routes->mutex);
            return routes->answers.value(exchange.path, HttpAnswer{404, "not found"});
        },
        trustedTlsIdentity());
}

FakeStoreHost::~FakeStoreHost() = default;

void FakeStoreHost::setRoute(const QByteArray& path, HttpAnswer answer)
{
    QMutexLocker lock(&m_routes->mutex);
    m_routes->answers.insert(path, std::move(answer));
}

void FakeStoreHost::removeRoute(const QByteArray& path)
{
    QMutexLocker lock(&m_routes->mutex);
    m_routes->answers.remove(path);
}

void FakeStoreHost::serveCatalogue(const NaclKeyPair& pair, const QByteArray& document)
{
    setRoute("/store/catalogue-v1.json", HttpAnswer{200, document});
    setRoute("/store/catalogue-v1.json.sig", HttpAnswer{200, catalogueSignatureFile(pair, document)});
}

QUrl FakeStoreHost::origin() const { return m_server->url(QStringLiteral("/")).adjusted(QUrl::RemovePath); }

QUrl FakeStoreHost::url(const QString& path) const { return m_server->url(path); }

RemoteCatalogue* FakeStoreHost::catalogue(QNetworkAccessManager* session, Defaults* defaults,
                                          std::function<QDateTime()> now) const
{
    auto* catalogue = new RemoteCatalogue(session, std::make_shared<UserDefaultsRemoteCatalogueCache>(defaults),
                                          std::move(now), NaclKeyPair::shared().publicKey(), origin(), session);
    catalogue->setRequestTimeout(std::numeric_limits<double>::infinity());
    return catalogue;
}

int FakeStoreHost::requestCount(const QByteArray& path) const
{
    int n = 0;
    for (const auto& e : m_server->exchanges())
        n += e.path == path ? 1 : 0;
    return n;
}

int FakeStoreHost::requestCount() const { return m_server->requestCount(); }

} // namespace gaugelet::test

namespace gaugelet::test {

namespace {
QStringList* g_lines = nullptr;
QtMessageHandler g_previous = nullptr;
QMutex g_linesMutex;

void collect(QtMsgType, const QMessageLogContext&, const QString& message)
{
    QMutexLocker lock(&g_linesMutex);
    if (g_lines)
        g_lines->append(message);
}
} // namespace

LogCapture::LogCapture()
{
    g_lines = new QStringList;
    g_previous = qInstallMessageHandler(collect);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
    QMutexLocker lock(&g_linesMutex);
    delete g_lines;
    g_lines = nullptr;
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&g_linesMutex);
    return *g_lines;
}

bool LogCapture::contains(const QString& fragment) const
{
    for (const QString& line : lines()) {
        if (line.contains(fragment))
            return true;
    }
    return false;
}

} // namespace gaugelet::test
