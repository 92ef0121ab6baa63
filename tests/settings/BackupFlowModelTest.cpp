#include "settings/general/BackupFlowModel.h"

#include "BackupTestSupport.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/SingleInstance.h"
#include "settings/general/RelaunchApp.h"

#include <QCoreApplication>
#include <QLocale>
#include <ctime>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

const QDateTime testNow = QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);

// The flow over a file-backed store, with recorded alerts and a scripted relaunch.
class BackupFlowModelTest : public BackupFixture {
protected:
    void SetUp() override
    {
        BackupFixture::SetUp();
        QObject::connect(&flow, &BackupFlowModel::alertRaised, [this](const BackupFlowModel::Alert& alert) {
            alerts << alert;
        });
    }

    BackupFlowModel flow;
    QList<BackupFlowModel::Alert> alerts;
};

} // namespace

TEST_F(BackupFlowModelTest, DefaultFileNameUsesAsciiDigitsAndTheGregorianCalendarEverywhere)
{
    const QLocale saved;
    for (const char* locale : {"en_US", "ar_EG", "fa_IR", "th_TH", "hi_IN"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        EXPECT_EQ(BackupFlowModel::defaultBackupFileName(testNow), "Gaugelet settings 2026-12-06.gaugeletbackup")
            << locale;
    }
    QLocale::setDefault(saved);
}

TEST_F(BackupFlowModelTest, DefaultFileNameIsDatedInTheUsersTimeZone)
{
    // The same instants carry other dates east and west of UTC.
    const struct {
        const char* zone;
        QDateTime now;
        const char* name;
    } cases[] = {
        {"Pacific/Kiritimati", testNow, "Gaugelet settings 2026-12-07.gaugeletbackup"},
        {"Pacific/Pago_Pago", QDateTime(QDate(2026, 12, 6), QTime(5, 0), Qt::UTC),
         "Gaugelet settings 2026-12-05.gaugeletbackup"},
        {"Europe/Berlin", QDateTime(QDate(2026, 12, 6), QTime(23, 30), Qt::UTC),
         "Gaugelet settings 2026-12-07.gaugeletbackup"},
    };
    const QByteArray saved = qgetenv("TZ");
    for (const auto& c : cases) {
        qputenv("TZ", c.zone);
        ::tzset();
        EXPECT_EQ(BackupFlowModel::defaultBackupFileName(c.now), QString::fromLatin1(c.name)) << c.zone;
    }
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    ::tzset();
}

TEST_F(BackupFlowModelTest, PanelsAskForABackupOrAPropertyList)
{
    const auto save = BackupFlowModel::saveRequest(testNow);
    EXPECT_EQ(save.mode, BackupFlowModel::PanelRequest::Mode::save);
    EXPECT_EQ(save.title, "Save Gaugelet settings");
    EXPECT_EQ(save.prompt, "Save");
    EXPECT_EQ(save.proposedFileName, "Gaugelet settings 2026-12-06.gaugeletbackup");
    ASSERT_EQ(save.nameFilters.size(), 2);
    EXPECT_TRUE(save.nameFilters[0].contains("(*.gaugeletbackup)"));
    EXPECT_TRUE(save.nameFilters[1].contains("(*.plist)"));

    const auto open = BackupFlowModel::openRequest();
    EXPECT_EQ(open.mode, BackupFlowModel::PanelRequest::Mode::open);
    EXPECT_EQ(open.title, "Load Gaugelet settings");
    EXPECT_EQ(open.prompt, "Load");
    ASSERT_EQ(open.nameFilters.size(), 3);
    EXPECT_TRUE(open.nameFilters[0].contains("(*.gaugeletbackup *.plist)"));
}

TEST_F(BackupFlowModelTest, SavingWritesTheFileAndSaysSoUntilDismissed)
{
    defaults->set("global.themeId", "one.dark");
    const QString path = dir.filePath("mine.gaugeletbackup");
    flow.exportTo(path);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].kind, BackupFlowModel::Alert::Kind::info);
    EXPECT_EQ(alerts[0].title, "Settings saved");
    EXPECT_EQ(alerts[0].message, "Wrote settings to mine.gaugeletbackup.");
    ASSERT_TRUE(flow.alert().has_value());
    // Dismissing an older alert leaves the newer one.
    const QUuid first = alerts[0].id;
    flow.exportTo(path);
    flow.dismissAlert(first);
    EXPECT_TRUE(flow.alert().has_value());
    flow.dismissAlert(alerts[1].id);
    EXPECT_FALSE(flow.alert().has_value());
    const QVariantMap root = PropertyList::fromData(readFile(path)).value().toMap();
    EXPECT_EQ(root["values"].toMap()["global.themeId"], QVariant("one.dark"));
}

TEST_F(BackupFlowModelTest, SaveFailureShowsTheReason)
{
    flow.exportTo(dir.filePath("missing/folder/x.gaugeletbackup"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].kind, BackupFlowModel::Alert::Kind::error);
    EXPECT_EQ(alerts[0].title, "Save failed");
    EXPECT_EQ(alerts[0].message, "The file “x.gaugeletbackup” could not be saved: No such file or directory.");
}

TEST_F(BackupFlowModelTest, LoadingReplacesTheSettingsFlushesThemAndRelaunches)
{
    defaults->set("global.themeId", "one.dark");
    defaults->set("tag.override.cpu.total", "OLD");
    const QString file = dir.filePath("in.gaugeletbackup");
    writeFile(file, backup({{"global.themeId", "ayu.mirage"}, {"provider.gpu.total.enabled", false}}));

    flow.importFrom(file);
    EXPECT_TRUE(alerts.isEmpty());
    ASSERT_EQ(starts.size(), 1);
    EXPECT_EQ(starts[0], QCoreApplication::applicationFilePath());
    // The new copy queues for this one's bus name instead of handing over to it.
    EXPECT_EQ(startArguments.count(SingleInstance::waitArgument), 1);
    // A copy started at login comes back as one the user started: with its
    // window where nothing shows the row.
    const QString wait = SingleInstance::waitArgument, login = LoginItemService::loginArgument;
    EXPECT_EQ(relaunchArguments({"gaugelet", login, "-style", wait, login}), (QStringList{"-style", wait}));
    // The new instance would have found the loaded settings on disk.
    EXPECT_EQ(fileAtStart, (QVariantMap{{"global.themeId", "ayu.mirage"}, {"provider.gpu.total.enabled", false}}));
    EXPECT_EQ(quits, 0); // from the next turn
    ASSERT_TRUE(waitUntil([&] { return quits == 1; }));

    // This instance writes nothing more.
    defaults->set("global.themeId", "gum.light");
    EXPECT_TRUE(defaults->flush());
    EXPECT_EQ(PropertyList::fromData(readFile(defaults->filePath())).value().toMap(), fileAtStart);
}

TEST_F(BackupFlowModelTest, AFailedStartStillQuits)
{
    startSucceeds = false;
    const QString file = dir.filePath("in.gaugeletbackup");
    writeFile(file, backup({{"global.themeId", "ayu.mirage"}}));
    flow.importFrom(file);
    EXPECT_EQ(starts.size(), 1);
    EXPECT_TRUE(waitUntil([&] { return quits == 1; }));
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(BackupFlowModelTest, LoadFailuresSayWhyAndDoNotRelaunch)
{
    defaults->set("global.themeId", "one.dark");
    const std::pair<QByteArray, QString> cases[] = {
        {backup({{"global.themeId", "x"}}, qint64(2)),
         "Backup file version 2 cannot be loaded by this build (expects 1)."},
        {backup({{"global.themeId", "x"}}, QStringLiteral("1")), "File is not a valid Gaugelet settings backup."},
        {PropertyList::toXml(QVariantList{}), "File is not a valid Gaugelet settings backup."},
        // Within a backup's own limit (17 MB), but more than the settings file holds.
        {backup({{"global.themeId", QString(17'000'000, u'x')}}),
         "The settings in “bad.gaugeletbackup” are too large to load: with them, the settings file would be "
         "larger than the 16 MB Gaugelet can read."},
    };
    for (const auto& [bytes, text] : cases) {
        alerts.clear();
        const QString path = dir.filePath("bad.gaugeletbackup");
        writeFile(path, bytes);
        flow.importFrom(path);
        ASSERT_EQ(alerts.size(), 1);
        EXPECT_EQ(alerts[0].kind, BackupFlowModel::Alert::Kind::error);
        EXPECT_EQ(alerts[0].title, "Load failed");
        EXPECT_EQ(alerts[0].message, text);
    }
    EXPECT_EQ(defaults->string("global.themeId"), "one.dark");
    EXPECT_TRUE(defaults->fileProblems().isEmpty());
    spinFor(5);
    EXPECT_TRUE(starts.isEmpty());
    EXPECT_EQ(quits, 0);
}

TEST_F(BackupFlowModelTest, AFailedFlushShowsLoadFailedAndDoesNotRelaunch)
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
    const QString path = dir.filePath("in.gaugeletbackup");
    writeFile(path, backup({{"global.themeId", "ayu.mirage"}, {"global.fpsLimit", 20}}));

    flow.importFrom(path);
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
