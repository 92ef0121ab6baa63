#include "settings/general/GeneralTab.h"

#include "BackupTestSupport.h"
#include "platform/core/InfoDictionary.h"
#include "platform/core/PropertyList.h"
#include "platform/core/WallClock.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/style/DesignStyle.h"
#include "schema/SettingsSchema.h"
#include "settings/general/ConfigBackup.h"
#include "settings/general/RelaunchApp.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"
#include "update/SparkleUpdater.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

const QDateTime testNow = QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);

template <typename T>
T* child(QWidget& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// A tab with scripted panels and recorded alerts over a file-backed store.
class GeneralTabTest : public BackupFixture {
protected:
    void SetUp() override
    {
        WallClock::setSourceForTesting([] { return testNow; });
        BackupFixture::SetUp();
        InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey,
                                            QStringLiteral("https://updates.example.org/appcast.xml"));
        tab = std::make_unique<GeneralTab>(&updater, false);
        tab->setPanelRunnerForTesting([this](QWidget*, const GeneralTab::PanelRequest& request, auto done) {
            requests << request;
            done(panelAnswer);
        });
        tab->setAlertPresenterForTesting([this](QWidget*, const GeneralTab::BackupAlert& alert, auto) {
            alerts << alert;
        });
    }

    void TearDown() override
    {
        tab.reset();
        InfoDictionary::clearOverridesForTesting();
        BackupFixture::TearDown();
        WallClock::setSourceForTesting({});
    }

    SparkleUpdater updater;
    std::unique_ptr<GeneralTab> tab;
    std::optional<QString> panelAnswer;
    QList<GeneralTab::PanelRequest> requests;
    QList<GeneralTab::BackupAlert> alerts;
};

} // namespace

// The rules behind the texts: UpdateStatusModelTest. The tab shows each tone
// in its colour, the "checked" note only when there is one, and the progress
// indicator while checking.
TEST_F(GeneralTabTest, UpdateStatusShowsTheModelsTextToneAndButtons)
{
    struct Case {
        const char* name;
        std::function<void()> set;
        QString status;
        DesignStyle::Colour colour;
        QString checked; // empty: hidden
    };
    const Case cases[] = {
        {"error", [&] { updater.setLastError(QStringLiteral("unreachable")); }, "unreachable", DesignStyle::Colour::red,
         {}},
        {"update",
         [&] {
             updater.setLastError(std::nullopt);
             updater.setHasUpdateAvailable(true);
             updater.setLatestVersion(QStringLiteral("2.0"));
         },
         "2.0 available", DesignStyle::Colour::link, {}},
        {"checked",
         [&] {
             updater.setHasUpdateAvailable(false);
             updater.setLastCheckedAt(testNow.addDays(-1));
         },
         "Up to date", DesignStyle::Colour::secondary, "· checked yesterday"},
    };
    auto* status = child<QLabel>(*tab, "updateStatus");
    auto* checked = child<QLabel>(*tab, "updateChecked");
    auto* check = child<QPushButton>(*tab, "checkForUpdates");
    auto* install = child<QPushButton>(*tab, "installUpdate");
    tab->show();
    for (const Case& c : cases) {
        c.set();
        spinFor(1);
        EXPECT_EQ(status->text(), c.status) << c.name;
        EXPECT_EQ(status->palette().color(QPalette::WindowText), DesignStyle::colour(c.colour, tab.get())) << c.name;
        EXPECT_EQ(checked->isVisible(), !c.checked.isEmpty()) << c.name;
        EXPECT_EQ(checked->text(), c.checked) << c.name;
        EXPECT_EQ(install->isEnabled(), c.colour == DesignStyle::Colour::link) << c.name;
    }
    updater.setIsChecking(true);
    spinFor(1);
    EXPECT_FALSE(check->isEnabled());
    EXPECT_EQ(check->text(), "Checking…");
    EXPECT_FALSE(check->icon().isNull()); // the progress indicator
    updater.setIsChecking(false);
    spinFor(1);
    EXPECT_TRUE(check->isEnabled());
    EXPECT_TRUE(check->icon().isNull());
}

// A build without an update feed says so plainly, in the secondary colour,
// offers no check, and shows no error for the probe it made at launch.
TEST_F(GeneralTabTest, WithoutAFeedTheBuildSaysItDoesNotCheck)
{
    InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey, std::nullopt);
    GeneralTab noFeed(&updater, false);
    noFeed.show();
    updater.setLastError(QStringLiteral("Feed URL not configured."));
    spinFor(1);
    auto* status = child<QLabel>(noFeed, "updateStatus");
    EXPECT_EQ(status->text(), "This build does not check for updates.");
    EXPECT_EQ(status->palette().color(QPalette::WindowText), DesignStyle::colour(DesignStyle::Colour::secondary, &noFeed));
    EXPECT_FALSE(child<QPushButton>(noFeed, "checkForUpdates")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(noFeed, "installUpdate")->isEnabled());
    for (QLabel* label : noFeed.findChildren<QLabel*>())
        EXPECT_FALSE(label->isVisible() && label->text().contains("contacts the update server"));
    noFeed.resize(540, 490);
    spinFor(30);
    EXPECT_TRUE(noFeed.grab().save(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots/settings-general-no-feed.png")));
}

TEST_F(GeneralTabTest, ErrorTextsFromTheFeedStayPlain)
{
    updater.setLastError(QStringLiteral("<b>bad</b> <a href='x'>feed</a>"));
    spinFor(1);
    auto* status = child<QLabel>(*tab, "updateStatus");
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
    EXPECT_EQ(status->text(), "<b>bad</b> <a href='x'>feed</a>");
}

TEST_F(GeneralTabTest, VersionTextFallsBackToDev)
{
    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, QStringLiteral("1.4.2"));
    EXPECT_EQ(GeneralTab(&updater, false).findChild<QLabel*>("currentVersion")->text(), "1.4.2");
    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, std::nullopt);
    EXPECT_EQ(GeneralTab(&updater, false).findChild<QLabel*>("currentVersion")->text(), "dev");
    InfoDictionary::clearOverridesForTesting();
}

TEST_F(GeneralTabTest, TheFiguresShowTheMeasuredSizeAfterTheTabComesOnScreen)
{
    int measured = 0;
    tab->setBundleSizeForTesting([&] {
        ++measured;
        return 12;
    });
    auto* figure = child<QLabel>(*tab, "figureValue0");
    EXPECT_EQ(figure->text(), "0");
    EXPECT_EQ(child<QLabel>(*tab, "figureValue1")->text(), QString::number(GeneralTab::runtimeDependencyCount));
    EXPECT_EQ(child<QLabel>(*tab, "figureValue2")->text(), "~" + QString::number(GeneralTab::idleMemoryMB));
    EXPECT_EQ(child<QLabel>(*tab, "figureValue3")->text(), "~" + QString::asprintf("%.2f", GeneralTab::idleCPUPercent));
    tab->show();
    EXPECT_EQ(figure->text(), "0"); // after the first paint
    ASSERT_TRUE(waitUntil([&] { return figure->text() == "12"; }));
    EXPECT_EQ(tab->bundleMB(), 12);
    tab->hide();
    tab->show();
    spinFor(5);
    EXPECT_EQ(measured, 2); // again each time it comes on screen
}

TEST_F(GeneralTabTest, LaunchAtLoginIsSeededAndOnlyTheUserChangesIt)
{
    QTemporaryDir xdg;
    // The autostart folder's place is taken by a file: registering must fail.
    writeFile(xdg.filePath("config/autostart"), "not a folder");
    LoginItemService service({xdg.filePath("config"), {}, xdg.filePath("bin/gaugelet")});
    LoginItemService::setMainAppService(&service);
    LogCapture log(QStringLiteral("default"));

    GeneralTab on(&updater, true);
    GeneralTab off(&updater, false);
    EXPECT_TRUE(on.findChild<QCheckBox*>("launchAtLogin")->isChecked());
    EXPECT_FALSE(off.findChild<QCheckBox*>("launchAtLogin")->isChecked());
    on.show();
    off.show();
    spinFor(5);
    EXPECT_EQ(log.countPrefix("Gaugelet: failed to toggle launch-at-login: "), 0); // opening calls nothing

    auto* toggle = off.findChild<QCheckBox*>("launchAtLogin");
    toggle->click();
    EXPECT_EQ(log.countPrefix("Gaugelet: failed to toggle launch-at-login: "), 1);
    EXPECT_TRUE(toggle->isChecked()); // left as the user set it
    EXPECT_TRUE(off.launchAtLogin());
    EXPECT_NE(service.status(), LoginItemService::Status::enabled);
    LoginItemService::setMainAppService(nullptr);
}

// The flow's rules and texts: BackupFlowModelTest.
TEST_F(GeneralTabTest, SavingAsksForAFileWritesItAndShowsTheAlert)
{
    defaults->set(SettingsSchema::themeId, "one.dark");
    panelAnswer = dir.filePath("mine.gaugeletbackup");
    child<QPushButton>(*tab, "saveSettings")->click();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].title, "Save Gaugelet settings");
    EXPECT_EQ(requests[0].proposedFileName, "Gaugelet settings 2026-12-06.gaugeletbackup");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, "Settings saved");
    EXPECT_TRUE(tab->backupAlert().has_value());
    const QVariantMap root = PropertyList::fromData(readFile(*panelAnswer)).value().toMap();
    EXPECT_EQ(root["values"].toMap()[SettingsSchema::themeId], QVariant("one.dark"));
}

TEST_F(GeneralTabTest, CancellingEitherPanelWritesNothingAndShowsNothing)
{
    defaults->set(SettingsSchema::themeId, "one.dark");
    int changes = 0;
    QObject::connect(defaults.get(), &Defaults::changed, [&] { ++changes; });
    panelAnswer = std::nullopt;
    tab->saveSettings();
    tab->loadSettings();
    EXPECT_EQ(requests.size(), 2);
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_FALSE(tab->backupAlert().has_value());
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(starts.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});
}

TEST_F(GeneralTabTest, LoadingAsksForAFileAndRelaunchesOrSaysWhyNot)
{
    const QString file = dir.filePath("in.gaugeletbackup");
    writeFile(file, backup({{SettingsSchema::themeId, "ayu.mirage"}}));
    panelAnswer = file;
    child<QPushButton>(*tab, "loadSettings")->click();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].mode, GeneralTab::PanelRequest::Mode::open);
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_EQ(starts.size(), 1);
    ASSERT_TRUE(waitUntil([&] { return quits == 1; }));

    writeFile(file, backup({{"global.themeId", "x"}}, qint64(2)));
    tab->loadSettings();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, "Load failed");
    EXPECT_EQ(starts.size(), 1);
}

TEST_F(GeneralTabTest, RealAlertsAreWindowModalPlainAndClearedByOK)
{
    QWidget window;
    auto* real = new GeneralTab(&updater, false, &window);
    real->setPanelRunnerForTesting([&](QWidget*, const GeneralTab::PanelRequest&, auto done) {
        done(dir.filePath("no/such/<b>bold&amp;.gaugeletbackup"));
    });
    window.show();
    real->saveSettings();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if ((box = qobject_cast<QMessageBox*>(w)) && box->isVisible())
                return true;
        return false;
    }));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->parentWidget(), &window);
    EXPECT_EQ(box->text(), "Save failed");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    auto* informative = box->findChild<QLabel*>("qt_msgbox_informativelabel");
    ASSERT_NE(informative, nullptr);
    EXPECT_EQ(informative->textFormat(), Qt::PlainText);
    EXPECT_TRUE(box->informativeText().contains("“<b>bold&amp;.gaugeletbackup”"));
    ASSERT_TRUE(real->backupAlert().has_value());
    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(waitUntil([&] { return !real->backupAlert().has_value(); }));
}

TEST_F(GeneralTabTest, RealSavePanelIsNonNativeAndWritesTheChosenFile)
{
    QWidget window;
    auto* real = new GeneralTab(&updater, false, &window);
    real->setAlertPresenterForTesting([this](QWidget*, const GeneralTab::BackupAlert& alert, auto) { alerts << alert; });
    window.show();
    real->saveSettings();
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if ((dialog = qobject_cast<QFileDialog*>(w)) && dialog->isVisible())
                return true;
        return false;
    }));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->windowTitle(), "Save Gaugelet settings");
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), "Save");
    EXPECT_EQ(dialog->nameFilters().size(), 2);
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "Gaugelet settings 2026-12-06.gaugeletbackup");

    dialog->setDirectory(dir.path());
    dialog->selectFile(dir.filePath("chosen"));
    QMetaObject::invokeMethod(dialog, "accept");
    ASSERT_TRUE(waitUntil([&] { return !alerts.isEmpty(); }));
    EXPECT_EQ(alerts[0].title, "Settings saved");
    EXPECT_TRUE(QFile::exists(dir.filePath("chosen.gaugeletbackup")));
}

TEST_F(GeneralTabTest, ScreenshotsOfTheUpdateStates)
{
    const QString folder = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    tab->resize(540, 490);
    tab->setBundleSizeForTesting([] { return 14; });
    tab->show();
    const struct {
        const char* name;
        std::function<void()> set;
    } states[] = {
        {"checking", [&] { updater.setIsChecking(true); }},
        {"error",
         [&] {
             updater.setIsChecking(false);
             updater.setLastError(QStringLiteral("The update feed at https://updates.example.org/appcast.xml could "
                                                 "not be reached: the connection timed out."));
         }},
        {"available",
         [&] {
             updater.setLastError(std::nullopt);
             updater.setHasUpdateAvailable(true);
             updater.setLatestVersion(QStringLiteral("1.5.0"));
         }},
        {"up-to-date",
         [&] {
             updater.setHasUpdateAvailable(false);
             updater.setLastCheckedAt(testNow.addSecs(-3 * 60));
         }},
    };
    for (const auto& state : states) {
        state.set();
        spinFor(30);
        EXPECT_TRUE(tab->grab().save(folder + QStringLiteral("/settings-general-%1.png").arg(state.name)));
    }
}
