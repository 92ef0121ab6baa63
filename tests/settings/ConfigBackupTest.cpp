#include "settings/general/ConfigBackup.h"

#include "ConfigBackupCheck.h"

#include "platform/core/Defaults.h"
#include "platform/core/InfoDictionary.h"
#include "platform/core/PropertyList.h"
#include "schema/SettingsSchema.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

const QString logCategory = QStringLiteral("dev.gaugelet.config-backup");
const QString malformedText = QStringLiteral("File is not a valid Gaugelet settings backup.");

QByteArray jsonPins() { return R"([{"providerId":"cpu.total","visualizerId":"viz.numberLabel"}])"; }

// A store with one value of every kind under carried keys, a registered
// default, and keys that never travel.
void fillStore(Defaults& d)
{
    d.registerDefaults({{SettingsSchema::fpsLimit, 30}, {SettingsSchema::popupTwoColumn, "auto"}});
    d.set(SettingsSchema::pinnedSlots, jsonPins());
    d.set(SettingsSchema::themeId, "one.dark");
    d.set(SettingsSchema::alarms, QByteArray(R"([{"id":"a1"}])"));
    d.set(SettingsSchema::runnerTintThreshold, 0.65);
    d.set(SettingsSchema::spriteYOffset, -2);
    d.set("global.checkedAt", QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC));
    d.set("global.list", QVariantList{"a", 1, 2.5, true});
    d.set("global.dict", QVariantMap{{"inner", QVariantMap{{"x", 1}}}});
    d.set(SettingsSchema::providerEnabled.key(u"net.total"), false);
    d.set(SettingsSchema::visualizerSize.key(u"viz.pie"), 26.0);
    d.set(SettingsSchema::tagOverride.key(u"cpu.total"), "PROC");
    d.set(SettingsSchema::storeSeen.key(u"pack.fox"), true);
    d.set(SettingsSchema::sampleAlarmSeeded, true);
    d.set(SettingsSchema::pinLabel.key(u"cpu.total::viz.numberLabel.tag.shown"), true);
    d.set(SettingsSchema::setupWindowDismissed, true);
    d.set(SettingsSchema::catalogueCache, QByteArray("cache"));
    d.set("unrelated", "stays");
}

QVariantMap carriedOf(const QVariantMap& values)
{
    QVariantMap out;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (ConfigBackup::isCarried(it.key()))
            out.insert(it.key(), it.value());
    }
    return out;
}

QVariantMap readRoot(const QString& path)
{
    auto parsed = PropertyList::fromData(readFile(path));
    EXPECT_TRUE(parsed.hasValue());
    return parsed ? parsed->toMap() : QVariantMap{};
}

QByteArray backupXml(const QVariant& root) { return PropertyList::toXml(root); }

// A binary property list of depth nested one-element arrays.
QByteArray deepBinaryPlist(int depth)
{
    QByteArray out("bplist00");
    const int objects = depth + 1;
    const int refSize = 3;
    QList<quint32> offsets;
    auto putBE = [&out](quint64 v, int size) {
        for (int i = size - 1; i >= 0; --i)
            out.append(char((v >> (8 * i)) & 0xff));
    };
    for (int i = 0; i < objects; ++i) {
        offsets.append(quint32(out.size()));
        if (i + 1 < objects) {
            out.append(char(0xA1));
            putBE(quint64(i) + 1, refSize);
        } else {
            out.append(char(0xA0));
        }
    }
    const quint64 tableOffset = quint64(out.size());
    const int offsetSize = 4;
    for (quint32 o : offsets)
        putBE(o, offsetSize);
    out.append(QByteArray(6, '\0'));
    out.append(char(offsetSize));
    out.append(char(refSize));
    putBE(quint64(objects), 8);
    putBE(0, 8);
    putBE(tableOffset, 8);
    return out;
}

class ConfigBackupTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        writeFile(path(name), bytes);
        return path(name);
    }

    QTemporaryDir dir;
};

} // namespace

TEST(ConfigBackupKeys, CarriesTheSettingsButNotPinStylingSetupOrCaches)
{
    const std::pair<QString, bool> cases[] = {
        {SettingsSchema::pinnedSlots, true},
        {QStringLiteral("pinnedSlots.extra"), false},
        {SettingsSchema::themeId, true},
        {QStringLiteral("global."), true},
        {SettingsSchema::providerEnabled.key(u"cpu.total"), true},
        {SettingsSchema::visualizerSize.key(u"viz.pie"), true},
        {SettingsSchema::tagOverride.key(u"cpu.total"), true},
        {SettingsSchema::storeSeen.key(u"pack.fox"), true},
        {QStringLiteral("store.other"), false},
        {SettingsSchema::sampleAlarmSeeded, true},
        {SettingsSchema::pinLabel.key(u"cpu.total::viz.pie.tag.shown"), false},
        {SettingsSchema::setupWindowDismissed, false},
        {SettingsSchema::killSwitchLastResponse, false},
        {QStringLiteral("Global.themeId"), false},
        {QStringLiteral(""), false},
    };
    for (const auto& [key, carried] : cases)
        EXPECT_EQ(ConfigBackup::isCarried(key), carried) << key.toStdString();
}

TEST_F(ConfigBackupTest, SavedFileHoldsTheCarriedKeysWithRegisteredDefaults)
{
    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, QStringLiteral("1.4.2"));
    Defaults d;
    fillStore(d);
    LogCapture log(logCategory);
    const QString file = path("settings.gaugeletbackup");
    ASSERT_TRUE(ConfigBackup::exportTo(d, file).hasValue());
    InfoDictionary::clearOverridesForTesting();

    EXPECT_TRUE(readFile(file).startsWith("<?xml"));
    const QVariantMap root = readRoot(file);
    EXPECT_EQ(root.keys(), (QStringList{"appVersion", "exportedAt", "values", "version"}));
    EXPECT_EQ(root["version"], QVariant(qint64(1)));
    EXPECT_EQ(root["appVersion"], QVariant("1.4.2"));
    EXPECT_EQ(root["exportedAt"].typeId(), QMetaType::QDateTime);
    const QVariantMap values = root["values"].toMap();
    EXPECT_EQ(values, carriedOf(d.dictionaryRepresentation()));
    EXPECT_EQ(values[SettingsSchema::fpsLimit], QVariant(qint64(30))); // registered only
    EXPECT_FALSE(values.contains(SettingsSchema::pinLabel.key(u"cpu.total::viz.numberLabel.tag.shown")));
    EXPECT_FALSE(values.contains(SettingsSchema::setupWindowDismissed));
    EXPECT_FALSE(values.contains(SettingsSchema::catalogueCache));
    EXPECT_EQ(log.count("exported settings to settings.gaugeletbackup"), 1);
}

TEST_F(ConfigBackupTest, WithoutAVersionTheFileSaysZero)
{
    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, std::nullopt);
    Defaults d;
    ASSERT_TRUE(ConfigBackup::exportTo(d, path("a.gaugeletbackup")).hasValue());
    InfoDictionary::clearOverridesForTesting();
    EXPECT_EQ(readRoot(path("a.gaugeletbackup"))["appVersion"], QVariant("0"));
}

TEST_F(ConfigBackupTest, LoadRestoresEveryCarriedKeyAndRemovesLaterOnes)
{
    Defaults d;
    fillStore(d);
    const QVariantMap savedCarried = carriedOf(d.userValues());
    const QString file = path("round.gaugeletbackup");
    ASSERT_TRUE(ConfigBackup::exportTo(d, file).hasValue());

    // Changes after the save: a new badge override, edits, a removal, and
    // keys that never travel.
    d.set(SettingsSchema::tagOverride.key(u"gpu.total"), "G");
    d.set(SettingsSchema::themeId, "ayu.light");
    d.set(SettingsSchema::visualizerSize.key(u"viz.runner.fox"), 33.0);
    d.remove(SettingsSchema::providerEnabled.key(u"net.total"));
    d.set(SettingsSchema::pinLabel.key(u"cpu.total::viz.numberLabel.tag.shown"), false);
    d.set(SettingsSchema::setupWindowDismissed, false);

    LogCapture log(logCategory);
    ASSERT_TRUE(ConfigBackup::importFrom(file, d).hasValue());

    QVariantMap restored = carriedOf(d.userValues());
    // The registered defaults travelled as values and come back as the user's.
    EXPECT_EQ(restored.take(SettingsSchema::fpsLimit), QVariant(qint64(30)));
    EXPECT_EQ(restored.take(SettingsSchema::popupTwoColumn), QVariant("auto"));
    EXPECT_EQ(restored, savedCarried);
    EXPECT_FALSE(d.hasUserValue(SettingsSchema::tagOverride.key(u"gpu.total")));
    EXPECT_FALSE(d.hasUserValue(SettingsSchema::visualizerSize.key(u"viz.runner.fox")));
    // Pin styling, the setup flag and caches are neither restored nor removed.
    EXPECT_EQ(d.object(SettingsSchema::pinLabel.key(u"cpu.total::viz.numberLabel.tag.shown")), QVariant(false));
    EXPECT_EQ(d.object(SettingsSchema::setupWindowDismissed), QVariant(false));
    EXPECT_EQ(d.object(SettingsSchema::catalogueCache), QVariant(QByteArray("cache")));
    EXPECT_EQ(d.object("unrelated"), QVariant("stays"));
    EXPECT_EQ(log.countPrefix("restored "), 1);
}

TEST_F(ConfigBackupTest, UncarriedEntriesAreSkippedButCounted)
{
    const QVariantMap root{
        {"version", 1},
        {"values", QVariantMap{{SettingsSchema::themeId, "one.light"},
                               {SettingsSchema::pinLabel.key(u"cpu.total::viz.pie.value.text"), "x"},
                               {SettingsSchema::setupWindowDismissed, true},
                               {SettingsSchema::killSwitchLastResponse, QByteArray("{}")},
                               {SettingsSchema::providerEnabled.key(u"cpu.total"), false}}},
    };
    Defaults d;
    LogCapture log(logCategory);
    ASSERT_TRUE(ConfigBackup::importFrom(write("s.gaugeletbackup", backupXml(root)), d).hasValue());
    EXPECT_EQ(d.userValues(), (QVariantMap{{SettingsSchema::themeId, "one.light"}, {SettingsSchema::providerEnabled.key(u"cpu.total"), false}}));
    EXPECT_EQ(log.count("restored 5 keys from s.gaugeletbackup"), 1);
}

TEST_F(ConfigBackupTest, WrongStructuresAndVersionsChangeNothing)
{
    const QVariantMap goodValues{{SettingsSchema::themeId, "one.light"}};
    const QString incompatible2 = QStringLiteral("Backup file version 2 cannot be loaded by this build (expects 1).");
    const struct {
        const char* name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"version 2", backupXml(QVariantMap{{"version", 2}, {"values", goodValues}}), incompatible2},
        {"version 0", backupXml(QVariantMap{{"version", 0}, {"values", goodValues}}),
         QStringLiteral("Backup file version 0 cannot be loaded by this build (expects 1).")},
        {"version string", backupXml(QVariantMap{{"version", "1"}, {"values", goodValues}}), malformedText},
        {"version real", backupXml(QVariantMap{{"version", 1.0}, {"values", goodValues}}), malformedText},
        {"no version", backupXml(QVariantMap{{"values", goodValues}}), malformedText},
        {"no values", backupXml(QVariantMap{{"version", 1}}), malformedText},
        {"values array", backupXml(QVariantMap{{"version", 1}, {"values", QVariantList{"global.x"}}}), malformedText},
        {"array root", backupXml(QVariantList{QVariantMap{{"version", 1}, {"values", goodValues}}}), malformedText},
        {"string root", backupXml(QVariant("hello")), malformedText},
        // Not "version -1": the reader keeps the unsigned value, which is no
        // version of ours.
        {"version 2^64-1",
         backupXml(QVariantMap{{"version", 1}, {"values", goodValues}})
             .replace("<integer>1</integer>", "<integer>18446744073709551615</integer>"),
         malformedText},
        {"version 2^64",
         backupXml(QVariantMap{{"version", 1}, {"values", goodValues}})
             .replace("<integer>1</integer>", "<integer>18446744073709551616</integer>"),
         QStringLiteral("The file “bad.plist” could not be read as a property list: property list holds an integer "
                        "below -9223372036854775808 or above 18446744073709551615.")},
        // A structure problem is found before the version.
        {"version 2 without values", backupXml(QVariantMap{{"version", 2}}), malformedText},
    };
    for (const auto& c : cases) {
        Defaults d;
        fillStore(d);
        const QVariantMap before = d.userValues();
        int changes = 0;
        QObject::connect(&d, &Defaults::changed, [&] { ++changes; });
        auto result = ConfigBackup::importFrom(write("bad.plist", c.bytes), d);
        ASSERT_FALSE(result.hasValue()) << c.name;
        EXPECT_EQ(result.error().describe(), c.text) << c.name;
        EXPECT_EQ(d.userValues(), before) << c.name;
        EXPECT_EQ(changes, 0) << c.name;
    }
    Defaults d;
    auto result = ConfigBackup::importFrom(write("v2.plist", cases[0].bytes), d);
    ASSERT_TRUE(result.error().importError.has_value());
    EXPECT_EQ(*result.error().importError, ConfigBackup::ImportError::incompatibleVersion(2, 1));
}

TEST_F(ConfigBackupTest, FilesThatAreNoPropertyListFailWithTheReadersReason)
{
    for (const QByteArray& bytes : {QByteArray("not a plist at all"), QByteArray(), QByteArray("bplist00\x01\x02", 10),
                                    QByteArray("<?xml version=\"1.0\"?><plist><dict><key>version</key>")}) {
        Defaults d;
        fillStore(d);
        const QVariantMap before = d.userValues();
        auto result = ConfigBackup::importFrom(write("junk.gaugeletbackup", bytes), d);
        ASSERT_FALSE(result.hasValue()) << bytes.constData();
        EXPECT_FALSE(result.error().describe().isEmpty());
        EXPECT_TRUE(result.error().describe().contains("junk.gaugeletbackup")) << qPrintable(result.error().describe());
        EXPECT_EQ(d.userValues(), before);
    }
}

TEST_F(ConfigBackupTest, PythonBinaryListLoadsLikeItsXmlTwin)
{
    Defaults fromBinary;
    Defaults fromXml;
    ASSERT_TRUE(
        ConfigBackup::importFrom(QStringLiteral(GAUGELET_TEST_DATA_DIR "/python-binary.gaugeletbackup"), fromBinary)
            .hasValue());
    ASSERT_TRUE(
        ConfigBackup::importFrom(QStringLiteral(GAUGELET_TEST_DATA_DIR "/python-xml.gaugeletbackup"), fromXml)
            .hasValue());
    EXPECT_EQ(fromBinary.userValues(), fromXml.userValues());
    EXPECT_EQ(fromBinary.userValues().size(), 13); // 16 entries, 3 not carried
    EXPECT_EQ(fromBinary.data(SettingsSchema::pinnedSlots), jsonPins());
    EXPECT_EQ(fromBinary.string(SettingsSchema::themeId), "ayu.mirage");
    EXPECT_EQ(fromBinary.integer(SettingsSchema::fpsLimit), 24);
    EXPECT_EQ(fromBinary.real(SettingsSchema::runnerTintThreshold), 0.65);
    EXPECT_EQ(fromBinary.boolean(SettingsSchema::providerEnabled.key(u"net.total")), false);
    EXPECT_EQ(fromBinary.date("global.lastSeen"), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    EXPECT_EQ(fromBinary.array("global.list"), (QVariantList{"a", qint64(1), 2.5, false}));
    EXPECT_FALSE(fromBinary.hasUserValue(SettingsSchema::setupWindowDismissed));
    EXPECT_FALSE(fromBinary.hasUserValue(SettingsSchema::pinLabel.key(u"cpu.total::viz.numberLabel.tag.shown")));
}

// A hostile file fails to load without crashing and changes nothing.
void expectRefusedUnchanged(const QString& file)
{
    Defaults d;
    fillStore(d);
    const QVariantMap before = d.userValues();
    auto result = ConfigBackup::importFrom(file, d);
    ASSERT_FALSE(result.hasValue());
    EXPECT_FALSE(result.error().describe().isEmpty());
    EXPECT_EQ(d.userValues(), before);
}

TEST_F(ConfigBackupTest, HostileBinaryOf100000LevelsFails)
{
    const QByteArray deepBinary = deepBinaryPlist(100'000);
    ASSERT_LT(deepBinary.size(), ConfigBackup::maxFileSize);
    expectRefusedUnchanged(write("deep-binary.gaugeletbackup", deepBinary));
}

TEST_F(ConfigBackupTest, HostileXmlOf200000LevelsFails)
{
    QByteArray deepXml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    deepXml += QByteArray("<array>").repeated(200'000) + QByteArray("</array>").repeated(200'000) + "</plist>";
    expectRefusedUnchanged(write("deep.gaugeletbackup", deepXml));
    // Unclosed, it stays under the size limit and reaches the reader.
    const QByteArray unclosed = "<?xml version=\"1.0\"?><plist version=\"1.0\">" + QByteArray("<array>").repeated(140'000);
    ASSERT_LT(unclosed.size(), ConfigBackup::maxFileSize);
    expectRefusedUnchanged(write("deep-unclosed.gaugeletbackup", unclosed));
}

TEST_F(ConfigBackupTest, OversizedAndSpecialFilesAreRefusedUnreadEachWithItsReason)
{
    // A valid backup padded past the limit would load if it were read.
    QByteArray padded = backupXml(QVariantMap{{"version", 1}, {"values", QVariantMap{{SettingsSchema::themeId, "x"}}}});
    padded.replace("<dict>", "<dict>" + QByteArray(int(ConfigBackup::maxFileSize), ' '));
    const QString big = write("big.gaugeletbackup", padded);
    ASSERT_TRUE(PropertyList::fromData(padded).hasValue());

    const QString valid = write("valid.gaugeletbackup",
                                backupXml(QVariantMap{{"version", 1}, {"values", QVariantMap{{SettingsSchema::themeId, "x"}}}}));
    const QString fifo = path("fifo.gaugeletbackup");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = path("folder.gaugeletbackup");
    ASSERT_TRUE(QDir().mkpath(folder));

    const std::pair<QString, QString> cases[] = {
        {big, "The file “big.gaugeletbackup” is too large to be a Gaugelet settings backup (the limit is 17 MB)."},
        // A FIFO without a writer must not block.
        {fifo, "The file “fifo.gaugeletbackup” is not a regular file and cannot be loaded."},
        {QStringLiteral("/dev/zero"), "The file “zero” is not a regular file and cannot be loaded."},
        {folder, "“folder.gaugeletbackup” is a folder, not a Gaugelet settings backup."},
    };
    for (const auto& [file, text] : cases) {
        Defaults d;
        fillStore(d);
        const QVariantMap before = d.userValues();
        auto result = ConfigBackup::importFrom(file, d);
        ASSERT_FALSE(result.hasValue()) << qPrintable(file);
        EXPECT_EQ(result.error().describe(), text);
        EXPECT_EQ(d.userValues(), before);
    }
    // A link to a backup is the backup.
    const QString link = path("link.gaugeletbackup");
    ASSERT_TRUE(QFile::link(valid, link));
    Defaults d;
    EXPECT_TRUE(ConfigBackup::importFrom(link, d).hasValue());
    EXPECT_EQ(d.string(SettingsSchema::themeId), "x");
}

TEST_F(ConfigBackupTest, WhatExportWritesImportLoadsAndLargerIsNotWritten)
{
    // 30,000 keys: a few MB, far above the old 1 MiB import limit.
    Defaults many;
    for (int i = 0; i < 30000; ++i)
        many.set(SettingsSchema::tagOverride.key(u"provider.%1").arg(i), QStringLiteral("label %1").arg(i));
    const QString file = path("many.gaugeletbackup");
    ASSERT_TRUE(ConfigBackup::exportTo(many, file).hasValue());
    EXPECT_GT(QFileInfo(file).size(), 1024 * 1024);
    Defaults loaded;
    auto result = ConfigBackup::importFrom(file, loaded);
    ASSERT_TRUE(result.hasValue()) << qPrintable(result.error().describe());
    EXPECT_EQ(loaded.userValues(), many.userValues());

    Defaults huge;
    huge.set("global.blob", QByteArray(int(ConfigBackup::maxFileSize), 'x'));
    auto refused = ConfigBackup::exportTo(huge, path("huge.gaugeletbackup"));
    ASSERT_FALSE(refused.hasValue());
    EXPECT_EQ(refused.error().describe().toStdString(), "The settings are too large to save as a backup (23 MB; the limit is 17 MB).");
    EXPECT_FALSE(QFileInfo::exists(path("huge.gaugeletbackup")));
}

TEST_F(ConfigBackupTest, MissingFilesAndUnwritableFoldersReportTheSystemsReason)
{
    Defaults d;
    auto missing = ConfigBackup::importFrom(path("gone.gaugeletbackup"), d);
    ASSERT_FALSE(missing.hasValue());
    EXPECT_FALSE(missing.error().importError.has_value());
    EXPECT_EQ(missing.error().describe(), "The file “gone.gaugeletbackup” could not be read: No such file or directory.");

    auto unwritable = ConfigBackup::exportTo(d, path("no/such/folder/x.gaugeletbackup"));
    ASSERT_FALSE(unwritable.hasValue());
    EXPECT_EQ(unwritable.error().describe(), "The file “x.gaugeletbackup” could not be saved: No such file or directory.");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{});
}

TEST_F(ConfigBackupTest, SavingReplacesAnExistingFileWhole)
{
    Defaults d;
    d.set(SettingsSchema::themeId, "one.dark");
    const QString file = write("old.gaugeletbackup", QByteArray(50'000, 'x'));
    ASSERT_TRUE(ConfigBackup::exportTo(d, file).hasValue());
    EXPECT_EQ(readRoot(file)["values"].toMap(), (QVariantMap{{SettingsSchema::themeId, "one.dark"}}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"old.gaugeletbackup"});
}

TEST(ConfigBackupKeys, RemovingCarriedKeysLeavesTheRestAndTheRegisteredDefaults)
{
    Defaults d;
    fillStore(d);
    ConfigBackup::removeCarriedKeys(d);
    EXPECT_EQ(d.userValues(), (QVariantMap{{SettingsSchema::pinLabel.key(u"cpu.total::viz.numberLabel.tag.shown"), true},
                                           {SettingsSchema::setupWindowDismissed, true},
                                           {SettingsSchema::catalogueCache, QByteArray("cache")},
                                           {"unrelated", "stays"}}));
    EXPECT_EQ(d.integer(SettingsSchema::fpsLimit), 30); // back to the registered default
}

TEST(ConfigBackup, FuzzInputsKeepTheFuzzTargetsProperty)
{
    for (const auto& [name, bytes] : test::fuzzInputs(QStringLiteral(GAUGELET_TEST_DATA_DIR "/fuzz"))) {
        EXPECT_EQ(fuzz::checkBackupImport(bytes), QString()) << name.toStdString();
        if (name.startsWith(QLatin1String("seed-"))) {
            Defaults defaults;
            EXPECT_TRUE(ConfigBackup::importData(bytes, name, defaults)) << name.toStdString();
        }
    }
}
