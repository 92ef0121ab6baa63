#include "update/FeedUpdaterController.h"

#include "platform/core/InfoDictionary.h"
#include "platform/core/MainThread.h"
#include "platform/net/HttpFetch.h"
#include "update/AppcastParser.h"
#include "update/NumericCompare.h"
#include "update/SparkleUpdater.h"
#include "update/UpdateDialog.h"
#include "update/UpdateLog.h"

#include <QDesktopServices>

namespace gaugelet {

namespace {

// Only a secure web link is opened from a feed.
std::optional<QUrl> downloadLink(const std::optional<QString>& text)
{
    if (!text || text->isEmpty())
        return std::nullopt;
    const QUrl url(*text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().toLower() != QLatin1String("https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace

FeedUpdaterController::FeedUpdaterController(Delegate* updaterDelegate, QObject* parent)
    : QObject(parent), m_delegate(updaterDelegate), m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
}

FeedUpdaterController::~FeedUpdaterController()
{
    if (UpdateDialog* dialog = m_dialog.data()) {
        dialog->disconnect(this);
        delete dialog;
    }
}

UpdateDialog* FeedUpdaterController::dialog() const
{
    return m_dialog.data();
}

void FeedUpdaterController::setUrlOpenerForTesting(std::function<bool(const QUrl&)> opener)
{
    m_openUrl = std::move(opener);
}

void FeedUpdaterController::checkForUpdates()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_cycleActive) {
        if (m_dialog) {
            m_dialog->show();
            m_dialog->raise();
            m_dialog->activateWindow();
        }
        return;
    }
    m_cycleActive = true;
    const quint64 cycle = ++m_cycle;
    m_downloadURL.reset();
    m_cycleError.reset();

    auto* dialog = new UpdateDialog();
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    m_dialog = dialog;
    connect(dialog, &QDialog::finished, this,
            [this, cycle, dialog] { dialogClosed(cycle, dialog->downloadChosen()); });
    // A dialog destroyed by someone else still ends its cycle. It is half
    // destroyed by now: forget it first and touch nothing of it.
    connect(dialog, &QObject::destroyed, this, [this, cycle] {
        m_dialog.clear();
        dialogClosed(cycle, false);
    });
    dialog->show();

    runCycle(QPointer<FeedUpdaterController>(this), cycle);
}

QCoro::Task<> FeedUpdaterController::runCycle(QPointer<FeedUpdaterController> self, quint64 cycle)
{
    const QString current = InfoDictionary::string(InfoDictionary::shortVersionKey).value_or(QStringLiteral("0"));
    const std::optional<QUrl> feed = SparkleUpdater::feedURL();
    if (!feed) {
        self->showFailure(tr("Gaugelet can't check for updates because no update feed is configured."));
        co_return;
    }

    HttpFetch::Request request;
    request.url = *feed;
    request.timeoutSeconds = feedTimeoutSeconds;
    const auto outcome = co_await HttpFetch::get(HttpFetch::sharedManager(), request);
    if (!self || !self->m_cycleActive || self->m_cycle != cycle || !self->m_dialog)
        co_return;

    if (!outcome) {
        self->showFailure(outcome.error().describe());
        co_return;
    }
    if (outcome->statusCode != 200) {
        self->showFailure(tr("Server returned HTTP %1.").arg(outcome->statusCode));
        co_return;
    }
    AppcastParser parser;
    const auto found = parser.latestVersion(outcome->body);
    if (!found) {
        self->showFailure(tr("Couldn't parse appcast feed."));
        co_return;
    }
    if (numericCompare(*found, current) > 0) {
        self->m_downloadURL = downloadLink(parser.enclosureURL);
        if (!self->m_downloadURL)
            self->m_downloadURL = downloadLink(parser.link);
        self->m_dialog->showUpdateAvailable(*found, current, self->m_downloadURL.has_value());
    } else {
        self->m_dialog->showUpToDate(current);
    }
}

void FeedUpdaterController::showFailure(const QString& text)
{
    m_cycleError = text;
    if (m_dialog)
        m_dialog->showError(text);
}

void FeedUpdaterController::dialogClosed(quint64 cycle, bool downloadChosen)
{
    if (!m_cycleActive || cycle != m_cycle)
        return;
    m_cycleActive = false;
    if (downloadChosen && m_downloadURL) {
        logInfo(lcAppUpdater, "updater: opening download %s", qUtf8Printable(m_downloadURL->toString(QUrl::FullyEncoded)));
        if (m_openUrl)
            m_openUrl(*m_downloadURL);
    }
    if (UpdateDialog* dialog = m_dialog.data()) {
        m_dialog.clear();
        dialog->disconnect(this);
        dialog->deleteLater();
    }
    const std::optional<QString> error = m_cycleError;
    if (m_delegate)
        m_delegate->updaterDidFinishUpdateCycle(error);
    Q_EMIT updateCycleFinished();
}

} // namespace gaugelet
