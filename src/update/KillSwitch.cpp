#include "update/KillSwitch.h"

#include "platform/core/InfoDictionary.h"
#include "platform/core/JsonReader.h"
#include "update/KillSwitchCache.h"
#include "update/KillSwitchFetcher.h"
#include "update/NumericCompare.h"
#include "update/UpdateLog.h"


namespace gaugelet {

namespace {

QString linkText(const std::optional<KillSwitch::ForwardLink>& link)
{
    return link ? link->url.toString(QUrl::FullyEncoded) : QStringLiteral("nil");
}

KillSwitch::Verdict failOpen()
{
    logError(lcKillSwitch, "no fresh cache; failing open");
    return KillSwitch::Verdict::allow();
}

} // namespace

QString KillSwitch::Payload::DecodeError::describe() const
{
    switch (kind) {
    case Kind::tooLarge:
        return QStringLiteral("document larger than %1 bytes").arg(KillSwitch::maxDocumentBytes);
    case Kind::notJSON:
        return QStringLiteral("not JSON: ") + detail;
    case Kind::notObject:
        return QStringLiteral("not a JSON object");
    case Kind::wrongType:
        return QStringLiteral("wrong type for key \"%1\"").arg(key);
    }
    return {};
}

Result<KillSwitch::Payload, KillSwitch::Payload::DecodeError> KillSwitch::Payload::decode(const QByteArray& body)
{
    using Error = DecodeError;
    if (body.size() > KillSwitch::maxDocumentBytes)
        return fail(Error{Error::Kind::tooLarge, {}, {}});

    // Qt's parser limits nesting depth itself, so a deeply nested body is a
    // parse error, not a deep recursion.
    auto document = JsonReader::parseObject(body);
    if (!document) {
        if (document.error().kind == JsonReader::Error::Kind::notJson)
            return fail(Error{Error::Kind::notJSON, {}, document.error().detail});
        return fail(Error{Error::Kind::notObject, {}, {}});
    }
    JsonReader& keys = *document;
    Payload payload;
    payload.live = keys.optional<bool>(QStringLiteral("live"));
    payload.alpha = keys.optional<bool>(QStringLiteral("alpha"));
    payload.message = keys.optional<QString>(QStringLiteral("message"));
    payload.author = keys.optional<QString>(QStringLiteral("author"));
    payload.minVersion = keys.optional<QString>(QStringLiteral("min_version"));
    payload.linkURL = keys.optional<QString>(QStringLiteral("link_url"));
    payload.linkLabel = keys.optional<QString>(QStringLiteral("link_label"));
    // Every key is optional, so the only failure left is a value of another type.
    if (keys.failed())
        return fail(Error{Error::Kind::wrongType, keys.error().key, {}});
    return payload;
}

KillSwitch::Verdict KillSwitch::Verdict::terminate(QString message, std::optional<ForwardLink> link)
{
    return Verdict{Kind::terminate, std::move(message), {}, std::move(link)};
}

KillSwitch::Verdict KillSwitch::Verdict::forceUpdate(QString message, QString minVersion,
                                                     std::optional<ForwardLink> link)
{
    return Verdict{Kind::forceUpdate, std::move(message), std::move(minVersion), std::move(link)};
}

KillSwitch::Verdict KillSwitch::Verdict::allow()
{
    return Verdict{Kind::allow, {}, {}, std::nullopt};
}

QString KillSwitch::bundleVersion()
{
    return InfoDictionary::string(InfoDictionary::shortVersionKey).value_or(QStringLiteral("0.0.0"));
}

QUrl KillSwitch::configURL()
{
    const auto text = InfoDictionary::string(InfoDictionary::gateURLKey);
    return text ? QUrl(*text, QUrl::StrictMode) : QUrl();
}

KillSwitch::Verdict KillSwitch::checkBlocking(const Env& env)
{
    logInfo(lcKillSwitch, "checkBlocking start channel=%s version=%s", qUtf8Printable(rawValue(env.channel)),
            qUtf8Printable(logPrintable(env.currentVersion)));

    if (env.currentVersion.contains(QLatin1String("-dev"), Qt::CaseSensitive)) {
        logInfo(lcKillSwitch, "checkBlocking: local dev version %s, bypassing gate",
                qUtf8Printable(logPrintable(env.currentVersion)));
        return Verdict::allow();
    }

    Verdict verdict = Verdict::allow();
    const QUrl url = configURL();
    Result<QByteArray, KillSwitchFetcher::FetchError> fetched =
        env.fetcher ? env.fetcher->fetch(url, fetchTimeoutSeconds)
                    : Result<QByteArray, KillSwitchFetcher::FetchError>(
                          fail(KillSwitchFetcher::FetchError{KillSwitchFetcher::FetchError::Kind::unknown, {}, 0}));

    if (!fetched) {
        QString description = fetched.error().describe();
        if (url.isEmpty())
            description += QStringLiteral(" (gate URL not configured)");
        logError(lcKillSwitch, "config fetch failed: %s", qUtf8Printable(logPrintable(description)));
        verdict = verdictFromCache(env);
    } else {
        auto payload = Payload::decode(fetched.value());
        if (!payload) {
            logError(lcKillSwitch, "malformed config payload, falling back to cache");
            verdict = verdictFromCache(env);
        } else {
            if (env.cache) {
                env.cache->setLastFetchAt(env.now);
                env.cache->setLastResponse(fetched.value());
            }
            verdict = evaluate(payload.value(), env);
        }
    }

    switch (verdict.kind) {
    case Verdict::Kind::terminate:
        logInfo(lcKillSwitch, "verdict=terminate link=%s", qUtf8Printable(linkText(verdict.link)));
        break;
    case Verdict::Kind::forceUpdate:
        logInfo(lcKillSwitch, "verdict=force_update min=%s link=%s", qUtf8Printable(logPrintable(verdict.minVersion)),
                qUtf8Printable(linkText(verdict.link)));
        break;
    case Verdict::Kind::allow:
        logInfo(lcKillSwitch, "verdict=allow");
        break;
    }
    return verdict;
}

KillSwitch::Verdict KillSwitch::evaluate(const Payload& payload, const Env& env)
{
    // The link comes first, so a bad one is logged whatever the verdict.
    auto link = forwardLink(payload);
    const std::optional<bool> flag = env.channel == Channel::release ? payload.live : payload.alpha;
    const QString message = payload.message.value_or(QString());
    if (flag != true)
        return Verdict::terminate(message, std::move(link));
    if (!payload.minVersion || payload.minVersion->isEmpty())
        return Verdict::allow();
    if (numericCompare(env.currentVersion, *payload.minVersion) < 0)
        return Verdict::forceUpdate(message, *payload.minVersion, std::move(link));
    return Verdict::allow();
}

std::optional<KillSwitch::ForwardLink> KillSwitch::forwardLink(const Payload& payload)
{
    if (!payload.linkURL || payload.linkURL->isEmpty())
        return std::nullopt;
    const QUrl url(*payload.linkURL, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    // A link without a host opens nothing useful; it is refused like a bad scheme.
    if (!url.isValid() || scheme.isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || url.host().isEmpty()) {
        logError(lcKillSwitch, "rejected link_url: %s", qUtf8Printable(logPrintable(*payload.linkURL)));
        return std::nullopt;
    }
    const QString label =
        payload.linkLabel && !payload.linkLabel->isEmpty() ? *payload.linkLabel : QStringLiteral("Open");
    return ForwardLink{url, label};
}

KillSwitch::Verdict KillSwitch::verdictFromCache(const Env& env)
{
    if (!env.cache)
        return failOpen();
    const std::optional<QDateTime> fetchedAt = env.cache->lastFetchAt();
    if (!fetchedAt || !fetchedAt->isValid() || !env.now.isValid())
        return failOpen();
    // A stamp in the future counts as fresh.
    const double age = double(fetchedAt->msecsTo(env.now)) / 1000.0;
    if (age >= cacheLifetimeSeconds)
        return failOpen();
    const std::optional<QByteArray> body = env.cache->lastResponse();
    if (!body)
        return failOpen();
    auto payload = Payload::decode(*body);
    if (!payload)
        return failOpen();
    return evaluate(payload.value(), env);
}

} // namespace gaugelet
