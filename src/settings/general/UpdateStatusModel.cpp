#include "settings/general/UpdateStatusModel.h"

#include "platform/core/MainThread.h"
#include "settings/general/RelativeDate.h"
#include "update/SparkleUpdater.h"

namespace gaugelet {

UpdateStatusModel::UpdateStatusModel(SparkleUpdater* updater, QObject* parent) : QObject(parent), m_updater(updater)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_updater) {
        for (auto signal : {&SparkleUpdater::isCheckingChanged, &SparkleUpdater::lastErrorChanged,
                            &SparkleUpdater::hasUpdateAvailableChanged, &SparkleUpdater::latestVersionChanged,
                            &SparkleUpdater::lastCheckedAtChanged})
            connect(m_updater, signal, this, &UpdateStatusModel::changed);
    }
}

UpdateStatusModel::Status UpdateStatusModel::status(const QDateTime& now) const
{
    // A build without an update feed says so and offers no check; what a
    // probe at launch made of the missing feed is not the user's concern.
    const bool hasFeed = m_updater && SparkleUpdater::hasFeed();
    const bool checking = m_updater && m_updater->isChecking();
    const std::optional<QString> error = m_updater ? m_updater->lastError() : std::nullopt;
    const bool available = m_updater && m_updater->hasUpdateAvailable();
    const std::optional<QString> latest = m_updater ? m_updater->latestVersion() : std::nullopt;
    const std::optional<QDateTime> checkedAt = m_updater ? m_updater->lastCheckedAt() : std::nullopt;

    Status status;
    if (m_updater && !hasFeed) {
        status.text = tr("This build does not check for updates.");
    } else if (checking) {
        status.text = tr("Checking…");
    } else if (error) {
        status.text = *error;
        status.tone = Tone::error;
    } else if (available && latest) {
        status.text = tr("%1 available").arg(*latest);
        status.tone = Tone::available;
    } else if (!checkedAt) {
        status.text = tr("Not yet checked");
    } else {
        status.text = tr("Up to date");
        status.checked = tr("· checked %1").arg(RelativeDate::format(*checkedAt, now));
    }
    status.checking = checking;
    status.checkTitle = checking ? tr("Checking…") : tr("Check for updates");
    status.canCheck = !checking && hasFeed;
    status.canInstall = available;
    status.explainsChecks = hasFeed;
    return status;
}

void UpdateStatusModel::checkNow()
{
    if (m_updater)
        m_updater->checkNow();
}

void UpdateStatusModel::installUpdate()
{
    if (m_updater)
        m_updater->presentUserUpdate();
}

} // namespace gaugelet
