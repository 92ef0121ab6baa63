#include "store/RemoteCatalogue.h"

#include "platform/core/Defaults.h"
#include "platform/core/InfoDictionary.h"
#include "platform/core/JsonReader.h"
#include "platform/core/MainThread.h"
#include "platform/core/ThreadExit.h"
#include "platform/core/WallClock.h"
#include "platform/net/Sodium.h"
#include "store/SigningKeys.h"
#include "store/StoreLog.h"
#include "store/UserDefaultsRemoteCatalogueCache.h"

#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <sodium.h>

namespace gaugelet {

namespace {

// Internet date-time to the second, "Z" or a numeric offset, no fraction.
std::optional<QDateTime> parseCatalogueDate(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(Z|[+-]\\d{2}:?\\d{2})$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    QString normalised = text;
    if (!text.endsWith(QLatin1Char('Z')) && text.at(text.size() - 3) != QLatin1Char(':'))
        normalised.insert(text.size() - 2, QLatin1Char(':'));
    QDateTime date = QDateTime::fromString(normalised, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

QString typeName(JsonReader::Type type)
{
    switch (type) {
    case JsonReader::Type::boolean:
        return QStringLiteral("Bool");
    case JsonReader::Type::number:
        return QStringLiteral("Double");
    case JsonReader::Type::integer:
        return QStringLiteral("Int");
    case JsonReader::Type::string:
        return QStringLiteral("String");
    case JsonReader::Type::array:
        return QStringLiteral("Array");
    case JsonReader::Type::object:
        return QStringLiteral("Dictionary");
    }
    return {};
}

// The decoding error's description: its kind, then where.
QString describe(const JsonReader::Error& error)
{
    using Kind = JsonReader::Error::Kind;
    auto where = [](const QString& path) { return path.isEmpty() ? QStringLiteral("top level") : path; };
    switch (error.kind) {
    case Kind::notJson:
        return QStringLiteral("dataCorrupted: The given data was not valid JSON (%1 at offset %2).")
            .arg(error.detail)
            .arg(error.offset);
    case Kind::keyNotFound:
        return QStringLiteral("keyNotFound(\"%1\") at %2").arg(error.key, where(error.objectPath));
    case Kind::valueNull:
        return QStringLiteral("valueNotFound at %1").arg(error.path());
    case Kind::typeMismatch:
        return QStringLiteral("typeMismatch(%1) at %2").arg(typeName(error.expected), where(error.path()));
    case Kind::notInteger:
        return QStringLiteral("typeMismatch(%1) at %2").arg(typeName(JsonReader::Type::integer), error.path());
    case Kind::invalidValue:
        return QStringLiteral("dataCorrupted at %1: %2").arg(error.path(), error.detail);
    }
    return {};
}

Result<QDateTime, QString> catalogueDate(const QString& text)
{
    if (auto date = parseCatalogueDate(text))
        return *date;
    return fail(QStringLiteral("Expected date string to be ISO8601-formatted."));
}

} // namespace

QString RemoteCatalogue::FetchFailure::describe() const
{
    switch (kind) {
    case Kind::network:
        return QStringLiteral("network=") + transport.fullDescription();
    case Kind::http:
        return QStringLiteral("http_%1").arg(status);
    case Kind::versionMismatch:
        return QStringLiteral("version_mismatch(%1)").arg(version);
    case Kind::malformedSignature:
        return QStringLiteral("sig_malformed");
    case Kind::signatureBad:
        return QStringLiteral("sig_invalid");
    case Kind::malformedJSON:
        return QStringLiteral("json_malformed");
    }
    return {};
}

RemoteCatalogue::RemoteCatalogue(QObject* parent)
    : RemoteCatalogue(nullptr, std::make_shared<UserDefaultsRemoteCatalogueCache>(Defaults::standard()),
                      [] { return WallClock::now(); }, CatalogueSigningKey::key(), configuredHost(), parent)
{
    // An ephemeral session of its own; HttpFetch keeps no local cache.
    ThreadExit::awaitNetworkThreadsAtExit();
    m_session = new QNetworkAccessManager(this);
}

RemoteCatalogue::RemoteCatalogue(QNetworkAccessManager* session, std::shared_ptr<RemoteCatalogueCache> cache,
                                 std::function<QDateTime()> now, std::optional<Ed25519PublicKey> publicKey,
                                 std::optional<QUrl> host, QObject* parent)
    : QObject(parent), m_session(session), m_cache(std::move(cache)), m_now(std::move(now)),
      m_publicKey(std::move(publicKey)), m_host(std::move(host))
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

std::optional<QUrl> RemoteCatalogue::configuredHost()
{
    const auto setting = InfoDictionary::string(InfoDictionary::storeHostKey);
    if (!setting || setting->trimmed().isEmpty())
        return std::nullopt;
    QString text = setting->trimmed();
    if (!text.contains(QStringLiteral("://")))
        text.prepend(QStringLiteral("https://"));
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::optional<QList<RemoteCatalogue::RemoteProduct>> RemoteCatalogue::cachedIfFresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto last = m_cache->lastFetchAt();
    if (!last)
        return std::nullopt;
    const double age = double(last->msecsTo(m_now())) / 1000.0;
    if (age >= freshSeconds)
        return std::nullopt;
    auto envelope = decodeCached();
    if (!envelope)
        return std::nullopt;
    return envelope->products;
}

QCoro::Task<QList<RemoteCatalogue::RemoteProduct>> RemoteCatalogue::fetchIfStale()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (auto fresh = cachedIfFresh()) {
        logDebug(lcStoreCatalogue, "fetchIfStale: cache fresh, skipping network");
        co_return *fresh;
    }
    QPointer<RemoteCatalogue> self(this);
    auto fetched = co_await fetchAndVerify();
    if (fetched)
        co_return fetched.value();
    logError(lcStoreCatalogue, "fetchIfStale failed: %s; falling back to cache",
             qUtf8Printable(fetched.error().describe()));
    if (!self)
        co_return {};
    auto envelope = decodeCached();
    co_return envelope ? envelope->products : QList<RemoteProduct>{};
}

QCoro::Task<Result<QList<RemoteCatalogue::RemoteProduct>, RemoteCatalogue::FetchFailure>>
RemoteCatalogue::fetchAndVerify()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPointer<RemoteCatalogue> self(this);
    QUrl documentURL, signatureURL;
    if (m_host) {
        documentURL = *m_host;
        documentURL.setPath(cataloguePath);
        signatureURL = *m_host;
        signatureURL.setPath(signaturePath);
    }
    // Both requests start before either is awaited.
    auto documentTask = fetchData(documentURL);
    auto signatureTask = fetchData(signatureURL);
    auto document = co_await std::move(documentTask);
    auto signatureFile = co_await std::move(signatureTask);
    if (!document)
        co_return fail(document.error());
    if (!signatureFile)
        co_return fail(signatureFile.error());
    if (!self)
        co_return fail(FetchFailure{FetchFailure::Kind::network, {HttpFetch::FetchError::Kind::cancelled, {}}});

    const QByteArray& bytes = document.value();
    const auto signature = decodeSignatureFile(signatureFile.value());
    if (!signature) {
        logError(lcStoreCatalogue, "fetchAndVerify: signature file malformed (raw_size=%ld)",
                 long(signatureFile.value().size()));
        co_return fail(FetchFailure{FetchFailure::Kind::malformedSignature});
    }
    if (!m_publicKey || !m_publicKey->isValidSignature(*signature, bytes)) {
        logError(lcStoreCatalogue, "fetchAndVerify: Ed25519 signature did not verify");
        co_return fail(FetchFailure{FetchFailure::Kind::signatureBad});
    }
    auto envelope = decode(bytes);
    if (!envelope) {
        logError(lcStoreCatalogue, "fetchAndVerify: malformed JSON: %s", qUtf8Printable(envelope.error()));
        co_return fail(FetchFailure{FetchFailure::Kind::malformedJSON});
    }
    if (envelope->version != 1) {
        logError(lcStoreCatalogue, "fetchAndVerify: envelope version=%ld ≠ %ld", long(envelope->version), 1L);
        FetchFailure failure{FetchFailure::Kind::versionMismatch};
        failure.version = envelope->version;
        co_return fail(failure);
    }
    m_cache->setCatalogueData(bytes);
    m_cache->setCatalogueSignature(*signature);
    m_cache->setLastFetchAt(m_now());
    logInfo(lcStoreCatalogue, "fetchAndVerify: ok products=%ld bytes=%ld", long(envelope->products.size()),
            long(bytes.size()));
    co_return envelope->products;
}

QCoro::Task<Result<QByteArray, RemoteCatalogue::FetchFailure>> RemoteCatalogue::fetchData(QUrl url)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto networkFailure = [](HttpFetch::FetchError error) {
        FetchFailure failure{FetchFailure::Kind::network};
        failure.transport = std::move(error);
        return failure;
    };
    if (url.isEmpty() || !m_session) {
        co_return fail(networkFailure(
            {HttpFetch::FetchError::Kind::invalidURL, QStringLiteral("the store host is not configured")}));
    }
    HttpFetch::Request request;
    request.url = url;
    request.timeoutSeconds = m_requestTimeoutSeconds;
    request.maxBodyBytes = maxDocumentBytes;
    request.requireHttps = true;
    auto outcome = co_await HttpFetch::get(m_session, request);
    if (!outcome)
        co_return fail(networkFailure(outcome.error()));
    const HttpFetch::Response& response = outcome.value();
    // A redirect may never end outside https.
    if (response.url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
        co_return fail(networkFailure({HttpFetch::FetchError::Kind::insecureScheme,
                                       QStringLiteral("redirected to %1").arg(response.url.scheme())}));
    }
    if (response.statusCode == 0)
        co_return fail(networkFailure({HttpFetch::FetchError::Kind::other, QStringLiteral("badServerResponse")}));
    if (response.statusCode < 200 || response.statusCode > 299) {
        FetchFailure failure{FetchFailure::Kind::http};
        failure.status = response.statusCode;
        co_return fail(failure);
    }
    co_return response.body;
}

std::optional<RemoteCatalogue::Envelope> RemoteCatalogue::decodeCached()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto data = m_cache->catalogueData();
    if (!data)
        return std::nullopt;
    const auto signature = m_cache->catalogueSignature();
    if (!signature)
        return std::nullopt;
    if (signature->size() != Ed25519PublicKey::signatureSize || !m_publicKey
        || !m_publicKey->isValidSignature(*signature, *data)) {
        logError(lcStoreCatalogue, "decodeCached: cached signature failed; clearing cache");
        m_cache->clear();
        return std::nullopt;
    }
    auto envelope = decode(*data);
    if (!envelope || envelope->version != 1)
        return std::nullopt;
    return std::move(envelope).value();
}

std::optional<QByteArray> RemoteCatalogue::decodeSignatureFile(const QByteArray& file)
{
    qsizetype begin = 0, end = file.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (begin < end && blank(file.at(begin)))
        ++begin;
    while (end > begin && blank(file.at(end - 1)))
        --end;
    const QByteArray text = file.mid(begin, end - begin);
    if (text.isEmpty() || text.size() % 4 != 0)
        return std::nullopt;
    Sodium::ensureInitialised();
    QByteArray out(text.size() / 4 * 3, Qt::Uninitialized);
    size_t length = 0;
    const char* stop = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(out.data()), size_t(out.size()), text.constData(),
                          size_t(text.size()), nullptr, &length, &stop, sodium_base64_VARIANT_ORIGINAL)
            != 0
        || stop != text.constData() + text.size())
        return std::nullopt;
    if (length != size_t(Ed25519PublicKey::signatureSize))
        return std::nullopt;
    out.truncate(qsizetype(length));
    return out;
}

Result<RemoteCatalogue::Envelope, QString> RemoteCatalogue::decode(const QByteArray& json)
{
    auto document = JsonReader::parseObject(json);
    if (!document)
        return fail(describe(document.error()));
    JsonReader& keys = *document;
    Envelope envelope;
    envelope.version = keys.require<qint64>(QStringLiteral("version"));
    envelope.issuedAt = keys.require<QString>(QStringLiteral("issuedAt"), catalogueDate);
    envelope.products = keys.array(QStringLiteral("products")).decodeEach([](JsonReader& r) {
        RemoteProduct p;
        p.bundleId = r.require<QString>(QStringLiteral("bundleId"));
        p.variantId = r.require<QString>(QStringLiteral("variantId"));
        p.displayName = r.require<QString>(QStringLiteral("displayName"));
        p.author = r.require<QString>(QStringLiteral("author"));
        p.releaseDate = r.require<QString>(QStringLiteral("releaseDate"), catalogueDate);
        p.priceCents = r.require<qint64>(QStringLiteral("priceCents"));
        p.currency = r.require<QString>(QStringLiteral("currency"));
        p.type = r.require<QString>(QStringLiteral("type"));
        p.assetURL = r.optional<QString>(QStringLiteral("assetURL"));
        p.status = r.require<QString>(QStringLiteral("status"));
        return p;
    });
    if (keys.failed())
        return fail(describe(keys.error()));
    return envelope;
}

} // namespace gaugelet
