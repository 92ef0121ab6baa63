#include "update/FeedUpdaterController.h"

#include "platform/core/InfoDictionary.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"
#include "update/UpdateDialog.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

class RecordingDelegate : public FeedUpdaterController::Delegate {
public:
    void updaterDidFinishUpdateCycle(const std::optional<QString>& error) override { ends.append(error); }
    QList<std::optional<QString>> ends;
};

QByteArray appcast(const QByteArray& version, const QByteArray& url = "https://example.org/gaugelet-2.tar.gz")
{
    return R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item>)"
           R"(<sparkle:shortVersionString>)"
        + version + R"(</sparkle:shortVersionString><enclosure url=")" + url + R"("/></item></channel></rss>)";
}

class FeedUpdater : public ::testing::Test {
protected:
    void SetUp() override
    {
        InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, "1.9");
        controller.setUrlOpenerForTesting([this](const QUrl& url) {
            opened << url;
            return true;
        });
    }
    void TearDown() override { InfoDictionary::clearOverridesForTesting(); }

    void serve(const HttpAnswer& answer)
    {
        server = std::make_unique<LocalHttpServer>(LocalHttpServer::always(answer), trustedTlsIdentity());
        InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey, server->url("/appcast.xml").toString());
    }

    UpdateDialog* waitForState(UpdateDialog::State state)
    {
        EXPECT_TRUE(waitUntil([&] { return controller.dialog() && controller.dialog()->state() == state; }));
        return controller.dialog();
    }

    static void saveScreenshot(QWidget* widget, const QString& name)
    {
        QDir().mkpath(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots"));
        spinFor(20); // let the box lay out its new texts
        widget->grab().save(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots/") + name);
    }

    RecordingDelegate delegate;
    FeedUpdaterController controller{&delegate};
    std::unique_ptr<LocalHttpServer> server;
    QList<QUrl> opened;
};

} // namespace

TEST_F(FeedUpdater, NewerVersionOffersItsDownloadAndEndsTheCycleOnce)
{
    serve({200, appcast("2.0")});
    controller.checkForUpdates();
    ASSERT_NE(controller.dialog(), nullptr);
    EXPECT_TRUE(controller.dialog()->isVisible());
    EXPECT_EQ(controller.dialog()->state(), UpdateDialog::State::checking);
    saveScreenshot(controller.dialog(), "update-dialog-checking.png");

    UpdateDialog* dialog = waitForState(UpdateDialog::State::updateAvailable);
    ASSERT_NE(dialog->downloadButton(), nullptr);
    EXPECT_EQ(dialog->informativeText(),
              "Gaugelet 2.0 is now available—you have 1.9. Would you like to download it now?");
    saveScreenshot(dialog, "update-dialog-available.png");

    dialog->downloadButton()->click();
    EXPECT_EQ(opened, (QList<QUrl>{QUrl("https://example.org/gaugelet-2.tar.gz")}));
    ASSERT_EQ(delegate.ends.size(), 1);
    EXPECT_EQ(delegate.ends.at(0), std::nullopt);
    EXPECT_FALSE(controller.isCycleRunning());
    // The dialog goes away later; that is not a second end.
    spinFor(30);
    EXPECT_EQ(controller.dialog(), nullptr);
    EXPECT_EQ(delegate.ends.size(), 1);
}

TEST_F(FeedUpdater, LaterAndClosingTheWindowEndTheCycleWithoutOpeningAnything)
{
    serve({200, appcast("2.0")});
    controller.checkForUpdates();
    UpdateDialog* dialog = waitForState(UpdateDialog::State::updateAvailable);
    dialog->dismissButton()->click();
    EXPECT_EQ(delegate.ends.size(), 1);
    EXPECT_TRUE(opened.isEmpty());

    controller.checkForUpdates();
    dialog = waitForState(UpdateDialog::State::updateAvailable);
    dialog->close();
    spinFor(30);
    EXPECT_EQ(delegate.ends.size(), 2);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(FeedUpdater, SameVersionIsUpToDate)
{
    serve({200, appcast("1.9")});
    controller.checkForUpdates();
    UpdateDialog* dialog = waitForState(UpdateDialog::State::upToDate);
    EXPECT_EQ(dialog->text(), "You're up to date!");
    EXPECT_EQ(dialog->downloadButton(), nullptr);
    saveScreenshot(dialog, "update-dialog-uptodate.png");
    dialog->dismissButton()->click();
    EXPECT_EQ(delegate.ends.size(), 1);
}

TEST_F(FeedUpdater, OnlySecureDownloadLinksAreOffered)
{
    serve({200, appcast("3.0", "http://example.org/plain.tar.gz")});
    controller.checkForUpdates();
    UpdateDialog* dialog = waitForState(UpdateDialog::State::updateAvailable);
    EXPECT_EQ(dialog->downloadButton(), nullptr);
    EXPECT_EQ(controller.downloadURL(), std::nullopt);
    dialog->dismissButton()->click();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(delegate.ends.size(), 1);
}

TEST_F(FeedUpdater, FailuresAreShownAndReportedAtTheCycleEnd)
{
    controller.checkForUpdates();
    UpdateDialog* dialog = waitForState(UpdateDialog::State::failed);
    EXPECT_EQ(dialog->informativeText(), "Gaugelet can't check for updates because no update feed is configured.");
    saveScreenshot(dialog, "update-dialog-error.png");
    dialog->dismissButton()->click();
    ASSERT_EQ(delegate.ends.size(), 1);
    EXPECT_EQ(delegate.ends.at(0), dialog->informativeText());

    serve({500, "oops"});
    controller.checkForUpdates();
    dialog = waitForState(UpdateDialog::State::failed);
    EXPECT_EQ(dialog->informativeText(), "Server returned HTTP 500.");
    dialog->dismissButton()->click();

    serve({200, QByteArray("<rss>") + QByteArray("<x>").repeated(250'000)});
    controller.checkForUpdates();
    dialog = waitForState(UpdateDialog::State::failed);
    EXPECT_EQ(dialog->informativeText(), "Couldn't parse appcast feed.");
    dialog->dismissButton()->click();
    EXPECT_EQ(delegate.ends.size(), 3);
}

TEST_F(FeedUpdater, CheckingAgainDuringACycleRaisesTheSameWindow)
{
    serve(HttpAnswer::neverAnswering());
    controller.checkForUpdates();
    UpdateDialog* dialog = controller.dialog();
    ASSERT_TRUE(waitUntil([&] { return server->requestCount() == 1; }));
    controller.checkForUpdates();
    EXPECT_EQ(controller.dialog(), dialog);
    spinFor(30);
    EXPECT_EQ(server->requestCount(), 1);

    // Cancelling while the feed is still loading ends the cycle once; the
    // late answer (here, none) cannot reopen it.
    dialog->dismissButton()->click();
    EXPECT_EQ(delegate.ends.size(), 1);
    EXPECT_FALSE(controller.isCycleRunning());
}

TEST_F(FeedUpdater, WindowDestroyedByOthersEndsTheCycleOnce)
{
    serve({200, appcast("2.0")});
    controller.checkForUpdates();
    UpdateDialog* dialog = waitForState(UpdateDialog::State::updateAvailable);
    delete dialog;
    EXPECT_EQ(delegate.ends.size(), 1);
    EXPECT_FALSE(controller.isCycleRunning());
    spinFor(20);
    EXPECT_EQ(delegate.ends.size(), 1);
}

TEST(FeedUpdaterControllerLifetime, DestroyedControllerClosesItsWindowWithoutReporting)
{
    RecordingDelegate delegate;
    QPointer<UpdateDialog> dialog;
    {
        FeedUpdaterController controller(&delegate);
        controller.checkForUpdates();
        dialog = controller.dialog();
        ASSERT_FALSE(dialog.isNull());
    }
    spinFor(20);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_TRUE(delegate.ends.isEmpty());
    InfoDictionary::clearOverridesForTesting();
}
