#include "settings/general/UpdateStatusModel.h"

#include "platform/core/InfoDictionary.h"
#include "support/TestSupport.h"
#include "update/SparkleUpdater.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

const QDateTime testNow = QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);

class UpdateStatusModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey,
                                            QStringLiteral("https://updates.example.org/appcast.xml"));
    }
    void TearDown() override { InfoDictionary::clearOverridesForTesting(); }

    SparkleUpdater updater;
};

} // namespace

TEST_F(UpdateStatusModelTest, UpdateStatusFollowsTheFirstRuleThatHolds)
{
    using Tone = UpdateStatusModel::Tone;
    struct Case {
        const char* name;
        bool checking;
        std::optional<QString> error;
        bool available;
        std::optional<QString> latest;
        std::optional<QDateTime> checkedAt;
        QString status;
        Tone tone;
        QString checked; // empty: hidden
    };
    const QString error = QStringLiteral("The update feed could not be reached.");
    const QDateTime fiveMinutesAgo = testNow.addSecs(-5 * 60);
    const Case cases[] = {
        {"checking", true, error, true, "2.0", fiveMinutesAgo, "Checking…", Tone::plain, {}},
        {"error over update", false, error, true, "2.0", fiveMinutesAgo, error, Tone::error, {}},
        {"update", false, {}, true, "2.0", fiveMinutesAgo, "2.0 available", Tone::available, {}},
        {"update without version, never checked", false, {}, true, {}, {}, "Not yet checked", Tone::plain, {}},
        {"update without version, checked", false, {}, true, {}, fiveMinutesAgo, "Up to date", Tone::plain,
         "· checked 5 minutes ago"},
        {"never checked", false, {}, false, {}, {}, "Not yet checked", Tone::plain, {}},
        {"checked yesterday", false, {}, false, "1.0", testNow.addDays(-1), "Up to date", Tone::plain,
         "· checked yesterday"},
    };
    UpdateStatusModel model(&updater);
    for (const Case& c : cases) {
        updater.setIsChecking(c.checking);
        updater.setLastError(c.error);
        updater.setHasUpdateAvailable(c.available);
        updater.setLatestVersion(c.latest);
        updater.setLastCheckedAt(c.checkedAt);
        const auto status = model.status(testNow);
        EXPECT_EQ(status.text, c.status) << c.name;
        EXPECT_EQ(status.tone, c.tone) << c.name;
        EXPECT_EQ(status.checked, c.checked) << c.name;
    }
}

TEST_F(UpdateStatusModelTest, ButtonsFollowCheckingAndAvailability)
{
    UpdateStatusModel model(&updater);
    QSignalSpy changed(&model, &UpdateStatusModel::changed);
    auto status = model.status(testNow);
    EXPECT_TRUE(status.canCheck);
    EXPECT_EQ(status.checkTitle, "Check for updates");
    EXPECT_FALSE(status.canInstall);
    EXPECT_TRUE(status.explainsChecks);

    updater.setIsChecking(true);
    status = model.status(testNow);
    EXPECT_FALSE(status.canCheck);
    EXPECT_TRUE(status.checking);
    EXPECT_EQ(status.checkTitle, "Checking…");

    updater.setIsChecking(false);
    updater.setHasUpdateAvailable(true);
    status = model.status(testNow);
    EXPECT_TRUE(status.canCheck);
    EXPECT_EQ(status.checkTitle, "Check for updates");
    EXPECT_TRUE(status.canInstall);

    updater.setHasUpdateAvailable(false);
    EXPECT_FALSE(model.status(testNow).canInstall);
    EXPECT_EQ(changed.count(), 4);
}

// A build without an update feed says so plainly, offers no check, and shows
// no error for the probe it made at launch.
TEST_F(UpdateStatusModelTest, WithoutAFeedTheBuildSaysItDoesNotCheck)
{
    InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey, std::nullopt);
    UpdateStatusModel model(&updater);
    updater.setLastError(QStringLiteral("Feed URL not configured."));
    const auto status = model.status(testNow);
    EXPECT_EQ(status.text, "This build does not check for updates.");
    EXPECT_EQ(status.tone, UpdateStatusModel::Tone::plain);
    EXPECT_FALSE(status.canCheck);
    EXPECT_FALSE(status.canInstall);
    EXPECT_FALSE(status.explainsChecks);
}
