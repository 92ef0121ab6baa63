#include "settings/general/GeneralTab.h"

#include "platform/core/InfoDictionary.h"
#include "platform/core/PropertyList.h"
#include "platform/core/WallClock.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/style/DesignStyle.h"
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
class GeneralTabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WallClock::setSourceForTesting([] { return testNow; });
        defaults = std::make_unique<Defaults>(dir.filePath("config/defaults.plist"));
        Defaults::setStandard(defaults.get());
        setRelaunchHooksForTesting(RelaunchHooks{
            [this](const QString& program, const QStringList&) {
                starts << program;
                // What the new instance would read.
                fileAtStart = PropertyList::fromData(readFile(defaults->filePath())).value().toMap();
                return startSucceeds;
            },
            [this] { ++quits; }});
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
        setRelaunchHooksForTesting(std::nullopt);
        Defaults::setStandard(nullptr);
        defaults.reset();
        WallClock::setSourceForTesting({});
    }

    QTemporaryDir dir;
    std::unique_ptr<Defaults> defaults;
    SparkleUpdater updater;
    std::unique_ptr<GeneralTab> tab;
    std::optional<QString> panelAnswer;
    QList<GeneralTab::PanelRequest> requests;
    QList<GeneralTab::BackupAlert> alerts;
    QStringList starts;
    QVariantMap fileAtStart;
    bool startSucceeds = true;
    int quits = 0;
};

QByteArray backup(const QVariantMap& values, const QVariant& version = qint64(1))
{
    return PropertyList::toXml(QVariantMap{{"version", version}, {"values", values}});
}

} // namespace

TEST_F(GeneralTabTest, UpdateStatusFollowsTheFirstRuleThatHolds)
{
    struct Case {
        const char* name;
        bool checking;
        std::optional<QString> error;
        bool available;
        std::optional<QString> latest;
        std::optional<QDateTime> checkedAt;
        QString status;
        DesignStyle::Colour colour;
        QString checked; // empty: hidden
    };
    const QString error = QStringLiteral("The update feed could not be reached.");
    const QDateTime fiveMinutesAgo = testNow.addSecs(-5 * 60);
    const Case cases[] = {
        {"checking", true, error, true, "2.0", fiveMinutesAgo, "Checking…", DesignStyle::Colour::secondary, {}},
        {"error over update", false, error, true, "2.0", fiveMinutesAgo, error, DesignStyle::Colour::red, {}},
        {"update", false, {}, true, "2.0", fiveMinutesAgo, "2.0 available", DesignStyle::Colour::link, {}},
        {"update without version, never checked", false, {}, true, {}, {}, "Not yet checked",
         DesignStyle::Colour::secondary, {}},
        {"update without version, checked", false, {}, true, {}, fiveMinutesAgo, "Up to date",
         DesignStyle::Colour::secondary, "· checked 5 minutes ago"},
        {"never checked", false, {}, false, {}, {}, "Not yet checked", DesignStyle::Colour::secondary, {}},
        {"checked yesterday", false, {}, false, "1.0", testNow.addDays(-1), "Up to date",
         DesignStyle::Colour::secondary, "· checked yesterday"},
    };
    auto* status = child<QLabel>(*tab, "updateStatus");
    auto* checked = child<QLabel>(*tab, "updateChecked");
    tab->show();
    for (const Case& c : cases) {
        updater.setIsChecking(c.checking);
        updater.setLastError(c.error);
        updater.setHasUpdateAvailable(c.available);
        updater.setLatestVersion(c.latest);
        updater.setLastCheckedAt(c.checkedAt);
        spinFor(1);
        EXPECT_EQ(status->text(), c.status) << c.name;
        EXPECT_EQ(status->textFormat(), Qt::PlainText) << c.name;
        EXPECT_EQ(status->palette().color(QPalette::WindowText), DesignStyle::colour(c.colour, tab.get())) << c.name;
        EXPECT_EQ(checked->isVisible(), !c.checked.isEmpty()) << c.name;
        if (!c.checked.isEmpty()) {
            EXPECT_EQ(checked->text(), c.checked) << c.name;
        }
    }
}

TEST_F(GeneralTabTest, ButtonsFollowCheckingAndAvailability)
{
    auto* check = child<QPushButton>(*tab, "checkForUpdates");
    auto* install = child<QPushButton>(*tab, "installUpdate");
    EXPECT_TRUE(check->isEnabled());
    EXPECT_EQ(check->text(), "Check for updates");
    EXPECT_FALSE(install->isEnabled());

    updater.setIsChecking(true);
    spinFor(1);
    EXPECT_FALSE(check->isEnabled());
    EXPECT_EQ(check->text(), "Checking…");
    EXPECT_FALSE(check->icon().isNull()); // the progress indicator

    updater.setIsChecking(false);
    updater.setHasUpdateAvailable(true);
    spinFor(1);
    EXPECT_TRUE(check->isEnabled());
    EXPECT_EQ(check->text(), "Check for updates");
    EXPECT_TRUE(check->icon().isNull());
    EXPECT_TRUE(install->isEnabled());

    updater.setHasUpdateAvailable(false);
    spinFor(1);
    EXPECT_FALSE(install->isEnabled());
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
    EXPECT_EQ(child<QLabel>(*tab, "figureValue3")->text(), "~" + QString::asprintf("%.1f", GeneralTab::idleCPUPercent));
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

TEST_F(GeneralTabTest, DefaultFileNameUsesAsciiDigitsAndTheGregorianCalendarEverywhere)
{
    const QLocale saved;
    for (const char* locale : {"en_US", "ar_EG", "fa_IR", "th_TH", "hi_IN"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        EXPECT_EQ(GeneralTab::defaultBackupFileName(testNow), "Gaugelet settings 2026-12-06.gaugeletbackup") << locale;
    }
    QLocale::setDefault(saved);
}

TEST_F(GeneralTabTest, SavingAsksForAFileWritesItAndSaysSo)
{
    defaults->set("global.themeId", "one.dark");
    panelAnswer = dir.filePath("mine.gaugeletbackup");
    tab->saveSettings();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].mode, GeneralTab::PanelRequest::Mode::save);
    EXPECT_EQ(requests[0].title, "Save Gaugelet settings");
    EXPECT_EQ(requests[0].prompt, "Save");
    EXPECT_EQ(requests[0].proposedFileName, "Gaugelet settings 2026-12-06.gaugeletbackup");
    ASSERT_EQ(requests[0].nameFilters.size(), 2);
    EXPECT_TRUE(requests[0].nameFilters[0].contains("(*.gaugeletbackup)"));
    EXPECT_TRUE(requests[0].nameFilters[1].contains("(*.plist)"));

    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].kind, GeneralTab::BackupAlert::Kind::info);
    EXPECT_EQ(alerts[0].title, "Settings saved");
    EXPECT_EQ(alerts[0].message, "Wrote settings to mine.gaugeletbackup.");
    EXPECT_TRUE(tab->backupAlert().has_value());
    tab->dismissBackupAlert();
    EXPECT_FALSE(tab->backupAlert().has_value());
    const QVariantMap root = PropertyList::fromData(readFile(*panelAnswer)).value().toMap();
    EXPECT_EQ(root["values"].toMap()["global.themeId"], QVariant("one.dark"));
}

TEST_F(GeneralTabTest, SaveFailureShowsTheReason)
{
    panelAnswer = dir.filePath("missing/folder/x.gaugeletbackup");
    tab->saveSettings();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].kind, GeneralTab::BackupAlert::Kind::error);
    EXPECT_EQ(alerts[0].title, "Save failed");
    EXPECT_EQ(alerts[0].message, "The file “x.gaugeletbackup” could not be saved: No such file or directory.");
}

TEST_F(GeneralTabTest, CancellingEitherPanelWritesNothingAndShowsNothing)
{
    defaults->set("global.themeId", "one.dark");
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

TEST_F(GeneralTabTest, LoadingReplacesTheSettingsFlushesThemAndRelaunches)
{
    defaults->set("global.themeId", "one.dark");
    defaults->set("tag.override.cpu.total", "OLD");
    const QString file = dir.filePath("in.gaugeletbackup");
    writeFile(file, backup({{"global.themeId", "ayu.mirage"}, {"provider.gpu.total.enabled", false}}));
    panelAnswer = file;

    tab->loadSettings();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].mode, GeneralTab::PanelRequest::Mode::open);
    EXPECT_EQ(requests[0].title, "Load Gaugelet settings");
    EXPECT_EQ(requests[0].prompt, "Load");
    EXPECT_TRUE(alerts.isEmpty());
    ASSERT_EQ(starts.size(), 1);
    EXPECT_EQ(starts[0], QCoreApplication::applicationFilePath());
    // The new instance would have found the loaded settings on disk.
    EXPECT_EQ(fileAtStart, (QVariantMap{{"global.themeId", "ayu.mirage"}, {"provider.gpu.total.enabled", false}}));
    EXPECT_EQ(quits, 0); // from the next turn
    ASSERT_TRUE(waitUntil([&] { return quits == 1; }));

    // This instance writes nothing more.
    defaults->set("global.themeId", "gum.light");
    EXPECT_TRUE(defaults->flush());
    EXPECT_EQ(PropertyList::fromData(readFile(defaults->filePath())).value().toMap(), fileAtStart);
}

TEST_F(GeneralTabTest, AFailedStartStillQuits)
{
    startSucceeds = false;
    const QString file = dir.filePath("in.gaugeletbackup");
    writeFile(file, backup({{"global.themeId", "ayu.mirage"}}));
    panelAnswer = file;
    tab->loadSettings();
    EXPECT_EQ(starts.size(), 1);
    EXPECT_TRUE(waitUntil([&] { return quits == 1; }));
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(GeneralTabTest, LoadFailuresSayWhyAndDoNotRelaunch)
{
    defaults->set("global.themeId", "one.dark");
    const std::pair<QByteArray, QString> cases[] = {
        {backup({{"global.themeId", "x"}}, qint64(2)),
         "Backup file version 2 cannot be loaded by this build (expects 1)."},
        {backup({{"global.themeId", "x"}}, QStringLiteral("1")), "File is not a valid Gaugelet settings backup."},
        {PropertyList::toXml(QVariantList{}), "File is not a valid Gaugelet settings backup."},
    };
    for (const auto& [bytes, text] : cases) {
        alerts.clear();
        panelAnswer = dir.filePath("bad.gaugeletbackup");
        writeFile(*panelAnswer, bytes);
        tab->loadSettings();
        ASSERT_EQ(alerts.size(), 1);
        EXPECT_EQ(alerts[0].kind, GeneralTab::BackupAlert::Kind::error);
        EXPECT_EQ(alerts[0].title, "Load failed");
        EXPECT_EQ(alerts[0].message, text);
    }
    EXPECT_EQ(defaults->string("global.themeId"), "one.dark");
    spinFor(5);
    EXPECT_TRUE(starts.isEmpty());
    EXPECT_EQ(quits, 0);
}

TEST_F(GeneralTabTest, AFailedFlushShowsLoadFailedAndDoesNotRelaunch)
{
    // The settings folder's place is taken by a file: the flush cannot write.
    Defaults::setStandard(nullptr);
    writeFile(dir.filePath("blocked"), "file");
    Defaults unwritable(dir.filePath("blocked/defaults.plist"));
    Defaults::setStandard(&unwritable);
    unwritable.set("global.themeId", "one.dark");
    unwritable.set("tag.override.cpu.total", "PROC");
    unwritable.set("pin.cpu.total::viz.numberLabel.tag.shown", true);
    const QVariantMap before = unwritable.userValues();
    panelAnswer = dir.filePath("in.gaugeletbackup");
    writeFile(*panelAnswer, backup({{"global.themeId", "ayu.mirage"}, {"global.fpsLimit", 20}}));

    tab->loadSettings();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, "Load failed");
    EXPECT_TRUE(alerts[0].message.startsWith("The settings could not be saved before restarting"))
        << qPrintable(alerts[0].message);
    spinFor(5);
    EXPECT_TRUE(starts.isEmpty());
    EXPECT_EQ(quits, 0);
    EXPECT_FALSE(unwritable.isSavingStopped());
    // The load is undone: what was there before stays, to be saved later.
    EXPECT_EQ(unwritable.userValues(), before);
    Defaults::setStandard(defaults.get());
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
