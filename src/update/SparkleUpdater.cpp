#include "update/SparkleUpdater.h"

#include "platform/core/InfoDictionary.h"
#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"
#include "platform/core/WallClock.h"
#include "platform/net/HttpFetch.h"
#include "update/AppcastParser.h"
#include "update/FeedUpdaterController.h"
#include "update/NumericCompare.h"
#include "update/SparkleUpdaterDelegate.h"
#include "update/UpdateLog.h"

#include <QTimer>

namespace gaugelet {

SparkleUpdater::SparkleUpdater(QObject* parent) : QObject(parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_currentVersion = InfoDictionary::string(InfoDictionary::shortVersionKey).value_or(QStringLiteral("0"));

    m_delegate = std::make_unique<SparkleUpdaterDelegate>();
    m_controller = std::make_unique<FeedUpdaterController>(m_delegate.get());
    m_delegate->owner = this;

    const QString feed = InfoDictionary::string(InfoDictionary::feedURLKey).value_or(QStringLiteral("<missing>"));
    const bool keyConfigured = InfoDictionary::string(InfoDictionary::feedPublicKeyKey).has_value();
    logInfo(lcAppUpdater, "sparkle: updater started feed=%s pubkey_configured=%s auto_checks=disabled",
            qUtf8Printable(feed), keyConfigured ? "true" : "false");
}

SparkleUpdater::~SparkleUpdater() = default;

void SparkleUpdater::setHasUpdateAvailable(bool value)
{
    publish(this, m_hasUpdateAvailable, value, &SparkleUpdater::hasUpdateAvailableChanged);
}

void SparkleUpdater::setLatestVersion(const std::optional<QString>& value)
{
    publish(this, m_latestVersion, value, &SparkleUpdater::latestVersionChanged);
}

void SparkleUpdater::setLastCheckedAt(const std::optional<QDateTime>& value)
{
    publish(this, m_lastCheckedAt, value, &SparkleUpdater::lastCheckedAtChanged);
}

void SparkleUpdater::setIsChecking(bool value)
{
    publish(this, m_isChecking, value, &SparkleUpdater::isCheckingChanged);
}

void SparkleUpdater::setLastError(const std::optional<QString>& value)
{
    publish(this, m_lastError, value, &SparkleUpdater::lastErrorChanged);
}

void SparkleUpdater::setOnUpdateCycleEnded(std::function<void()> callback)
{
    m_onUpdateCycleEnded = std::move(callback);
}

std::function<void()> SparkleUpdater::takeOnUpdateCycleEnded()
{
    return std::exchange(m_onUpdateCycleEnded, nullptr);
}

std::optional<QUrl> SparkleUpdater::feedURL()
{
    const auto text = InfoDictionary::string(InfoDictionary::feedURLKey);
    const QUrl url = text ? QUrl(*text, QUrl::StrictMode) : QUrl();
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    return url;
}

void SparkleUpdater::checkNow()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_isChecking) {
        logDebug(lcAppUpdater, "checkNow: probe already in flight, dropping re-entrant call");
        return;
    }
    setIsChecking(true);
    setLastError(std::nullopt);
    QTimer::singleShot(0, this, [this] { probeAppcast(QPointer<SparkleUpdater>(this)); });
}

QCoro::Task<> SparkleUpdater::probeAppcast(QPointer<SparkleUpdater> self)
{
    if (!self)
        co_return;
    const std::optional<QUrl> feed = feedURL();
    if (!feed) {
        self->setLastError(tr("Feed URL not configured."));
        logError(lcAppUpdater, "appcast probe: SUFeedURL missing or invalid");
        self->finishProbe();
        co_return;
    }

    HttpFetch::Request request;
    request.url = *feed;
    request.timeoutSeconds = probeTimeoutSeconds;
    const auto outcome = co_await HttpFetch::get(HttpFetch::sharedManager(), request);
    if (!self)
        co_return;

    if (!outcome) {
        const QString description = outcome.error().describe();
        self->setLastError(description);
        logError(lcAppUpdater, "appcast probe failed: %s", qUtf8Printable(description));
        self->finishProbe();
        co_return;
    }
    const int status = outcome->statusCode;
    if (status != 200) {
        self->setLastError(tr("Server returned HTTP %1.").arg(status));
        logError(lcAppUpdater, "appcast probe: HTTP %d", status);
        self->finishProbe();
        co_return;
    }

    AppcastParser parser;
    const std::optional<QString> found = parser.latestVersion(outcome->body);
    if (!found) {
        self->setLastError(tr("Couldn't parse appcast feed."));
        logError(lcAppUpdater, "appcast probe: parse failed (no version found in feed)");
        self->finishProbe();
        co_return;
    }

    const bool hasUpdate = numericCompare(*found, self->m_currentVersion) > 0;
    self->setLatestVersion(*found);
    self->setHasUpdateAvailable(hasUpdate);
    logInfo(lcAppUpdater, "appcast probe: latest=%s current=%s hasUpdate=%s",
            qUtf8Printable(logPrintable(*found)), qUtf8Printable(logPrintable(self->m_currentVersion)),
            hasUpdate ? "true" : "false");
    self->finishProbe();
}

void SparkleUpdater::finishProbe()
{
    // After the outcome is published: a queued step clears the flag and stamps the time.
    QTimer::singleShot(0, this, [this] {
        setIsChecking(false);
        setLastCheckedAt(WallClock::now());
    });
}

void SparkleUpdater::presentUserUpdate()
{
    presentUpdateUI("sparkle: user-presented update UI");
}

void SparkleUpdater::presentForcedUpdate()
{
    presentUpdateUI("sparkle: force-update flow triggered (kill-switch minVersion gate)");
}

void SparkleUpdater::presentUpdateUI(const char* line)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    logInfo(lcAppUpdater, "%s", line);
    m_controller->checkForUpdates();
}

} // namespace gaugelet
