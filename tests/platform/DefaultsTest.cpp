#include "platform/core/Defaults.h"
#include "platform/core/FileSystem.h"
#include "platform/core/PropertyList.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QSize>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace gaugelet;

TEST(Defaults, TypedReadersReturnNothingForAbsentOrOtherType)
{
    Defaults d;
    d.set("s", QStringLiteral("text"));
    d.set("b", true);
    d.set("i", 42);
    d.set("r", 2.5);
    EXPECT_EQ(d.string("s"), QStringLiteral("text"));
    EXPECT_EQ(d.boolean("b"), true);
    EXPECT_EQ(d.integer("i"), 42);
    EXPECT_EQ(d.real("r"), 2.5);
    // integers read as reals, nothing else crosses types
    EXPECT_EQ(d.real("i"), 42.0);
    EXPECT_FALSE(d.boolean("s"));
    EXPECT_FALSE(d.integer("r"));
    EXPECT_FALSE(d.string("b"));
    EXPECT_FALSE(d.string("missing"));
    EXPECT_EQ(d.string("b", "fallback"), "fallback");
    EXPECT_EQ(d.real("s", 7.0), 7.0);
}

TEST(Defaults, NonFiniteRealsCountAsAbsent)
{
    Defaults d;
    d.set("nan", std::numeric_limits<double>::quiet_NaN());
    d.set("inf", std::numeric_limits<double>::infinity());
    d.set("ninf", -std::numeric_limits<double>::infinity());
    EXPECT_EQ(d.real("nan", 3.0), 3.0);
    EXPECT_EQ(d.real("inf", 3.0), 3.0);
    EXPECT_EQ(d.real("ninf", 3.0), 3.0);
}

TEST(Defaults, RegistrationDomainIsReadBehindUserValuesAndNeverSaved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    {
        Defaults d(path);
        d.registerDefaults({{"global.fpsLimit", 15}, {"x", "registered"}});
        EXPECT_EQ(d.integer("global.fpsLimit"), 15);
        d.set("x", QStringLiteral("user"));
        EXPECT_EQ(d.string("x"), QStringLiteral("user"));
        d.remove("x");
        EXPECT_EQ(d.string("x"), QStringLiteral("registered"));
        d.set("kept", 1);
        EXPECT_TRUE(d.flush());
    }
    Defaults reread(path);
    EXPECT_FALSE(reread.object("global.fpsLimit").isValid());
    EXPECT_EQ(reread.integer("kept"), 1);
}

TEST(Defaults, ChangedFiresOnRealChangesOnly)
{
    Defaults d;
    QSignalSpy spy(&d, &Defaults::changed);
    d.set("k", 1);
    d.set("k", 1);
    d.set("k", 2);
    d.remove("k");
    d.remove("k");
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toString(), "k");
}

TEST(Defaults, StoringTheSameValueAgainChangesNothingAndAnotherTypeIsAChange)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        QVariant first;
        QVariant second;
        int changes; // for storing first, then second
    } cases[] = {
        {"a NaN again", nan, nan, 1},
        {"a NaN in a list again", QVariantList{1, nan}, QVariantList{1, nan}, 1},
        {"a NaN in a dict again", QVariantMap{{"a", nan}}, QVariantMap{{"a", nan}}, 1},
        {"an equal list", QVariantList{"x", true}, QVariantList{"x", true}, 1},
        {"an integer for a real in a list", QVariantList{1.0}, QVariantList{1}, 2},
        {"an integer for a real in a dict", QVariantMap{{"a", 2.0}}, QVariantMap{{"a", 2}}, 2},
        {"another key in a dict", QVariantMap{{"a", 1}}, QVariantMap{{"b", 1}}, 2},
    };
    for (const auto& c : cases) {
        Defaults d;
        QSignalSpy set(&d, &Defaults::changed);
        d.set("k", c.first);
        d.set("k", c.second);
        EXPECT_EQ(set.count(), c.changes) << c.name;
        EXPECT_EQ(d.object("k").typeId(), c.second.typeId()) << c.name;

        // Replacing the user values and registering defaults judge alike.
        Defaults r;
        QSignalSpy replaced(&r, &Defaults::changed);
        r.replaceUserValues([](const QString&) { return true; }, {{"k", c.first}});
        r.replaceUserValues([](const QString&) { return true; }, {{"k", c.second}});
        EXPECT_EQ(replaced.count(), c.changes) << c.name;
        Defaults g;
        QSignalSpy registered(&g, &Defaults::changed);
        g.registerDefaults({{"k", c.first}});
        g.registerDefaults({{"k", c.second}});
        EXPECT_EQ(registered.count(), c.changes) << c.name;
    }
}

TEST(Defaults, EveryTypeSurvivesTheFileRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/defaults.plist");
    // XML property lists keep dates to the second.
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);
    {
        Defaults d(path);
        d.set("s", QStringLiteral("héllo <&>"));
        d.set("b", false);
        d.set("i", qint64(-5));
        d.set("big", qint64(1) << 40);
        d.set("r", 0.1);
        d.set("data", QByteArray("\x00\x01\xff", 3));
        d.set("date", when);
        d.set("list", QVariantList{1, "two", 3.5});
        d.set("dict", QVariantMap{{"a", true}, {"nested", QVariantMap{{"b", 2}}}});
    }
    Defaults d(path);
    EXPECT_EQ(d.string("s"), QStringLiteral("héllo <&>"));
    EXPECT_EQ(d.boolean("b"), false);
    EXPECT_EQ(d.integer("i"), -5);
    EXPECT_EQ(d.integer("big"), qint64(1) << 40);
    EXPECT_EQ(d.real("r"), 0.1);
    EXPECT_EQ(d.data("data"), QByteArray("\x00\x01\xff", 3));
    EXPECT_EQ(d.date("date"), when);
    EXPECT_EQ(d.array("list"), (QVariantList{qint64(1), "two", 3.5}));
    const QVariantMap dict = d.dict("dict").value();
    EXPECT_EQ(dict.value("a"), true);
    EXPECT_EQ(dict.value("nested").toMap().value("b"), qint64(2));
}

TEST(Defaults, WritesAreCoalescedAndSavedWithoutAnExplicitFlush)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    Defaults d(path);
    for (int i = 0; i < 50; ++i)
        d.set("n", i);
    EXPECT_FALSE(QFile::exists(path)); // nothing written synchronously
    ASSERT_TRUE(test::waitUntil([&] { return QFile::exists(path); }));
    Defaults reread(path);
    EXPECT_EQ(reread.integer("n"), 49);
}

TEST(Defaults, CorruptFileIsKeptAsideAndNeverOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    const QByteArray garbage = "<?xml version=\"1.0\"?><plist><dict><key>a</key>";
    test::writeFile(path, garbage);
    {
        Defaults d(path);
        EXPECT_FALSE(d.object("a").isValid());
        d.set("fresh", 1);
        EXPECT_TRUE(d.flush());
    }
    EXPECT_EQ(test::readFile(path + ".corrupt"), garbage);
    EXPECT_EQ(Defaults(path).integer("fresh"), 1);
}

TEST(Defaults, NonDictionaryRootCountsAsCorrupt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    test::writeFile(path, PropertyList::toXml(QVariantList{1, 2}));
    Defaults d(path);
    EXPECT_TRUE(QFile::exists(path + ".corrupt"));
    EXPECT_TRUE(d.userValues().isEmpty());
}

TEST(Defaults, ReadsFromOtherThreadsWhileTheMainThreadWrites)
{
    Defaults d;
    std::atomic<bool> stop{false};
    std::atomic<int> badReads{0};
    QThread* reader = QThread::create([&] {
        while (!stop) {
            auto v = d.integer("k");
            if (v && (*v < 0 || *v > 10000))
                ++badReads;
        }
    });
    reader->start();
    for (int i = 0; i < 10000; ++i)
        d.set("k", i);
    stop = true;
    reader->wait();
    delete reader;
    EXPECT_EQ(badReads, 0);
    EXPECT_EQ(d.integer("k"), 9999);
}

TEST(PropertyList, RejectsGarbageAndAcceptsBinary)
{
    EXPECT_FALSE(PropertyList::fromData(QByteArray()));
    EXPECT_FALSE(PropertyList::fromData("not a plist at all"));
    auto xml = PropertyList::fromData(PropertyList::toXml(QVariantMap{{"k", "v"}}));
    ASSERT_TRUE(xml);
    EXPECT_EQ(xml->toMap().value("k"), "v");
    // "bplist00" with a dict {k: 1}, written by hand.
    const QByteArray binary = QByteArray::fromHex(
        "62706c6973743030d1010251611001080b0d000000000000010100000000000000030000000000000000000000000000000f");
    auto parsed = PropertyList::fromData(binary);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->toMap().value("a"), qint64(1));
}

TEST(Defaults, IntegerValueReadsNumbersAndNumericText)
{
    gaugelet::Defaults d;
    const struct {
        QVariant stored;
        std::optional<qint64> expected;
    } cases[] = {
        {QVariant(qint64(20)), 20},
        {QVariant(10.0), 10},
        {QVariant(10.9), 10},
        {QVariant(-3.5), -3},
        {QVariant(1e300), std::numeric_limits<qint64>::max()},
        {QVariant(true), 1},
        {QVariant(QStringLiteral("20")), 20},
        {QVariant(QStringLiteral(" -5x")), -5},
        {QVariant(QStringLiteral("15.7")), 15},
        {QVariant(QStringLiteral("abc")), 0},
        {QVariant(QVariantList{1}), std::nullopt},
    };
    for (const auto& c : cases) {
        d.set(QStringLiteral("k"), c.stored);
        EXPECT_EQ(d.integerValue(QStringLiteral("k")), c.expected) << c.stored.toString().toStdString();
    }
    d.remove(QStringLiteral("k"));
    EXPECT_EQ(d.integerValue(QStringLiteral("k")), std::nullopt);
}

// Only what a save of ours left behind is removed: its exact name (sixteen
// lowercase hex digits), a regular file of ours that starts as the store's
// files do. A person's copies, links, files of other programs and the
// temporaries of earlier builds stay.
TEST(Defaults, OnlyTemporariesOfAnInterruptedSaveAreRemovedAtLoad)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    const QByteArray saved = PropertyList::toXml(QVariantMap{{"k", 1}});
    test::writeFile(path, saved);
    const QString saving = path + ".saving-";
    const QStringList ours{saving + "0a1b2c3d4e5f6789", saving + "0000000000000000", saving + "ffffffffffffffff"};
    test::writeFile(ours[0], saved);
    test::writeFile(ours[1], saved.left(20)); // cut off while being written
    test::writeFile(ours[2], {});             // cut off before anything was written
    QStringList kept;
    for (const char* suffix : {".BACKUP", ".old123", ".201612", ".aB3xZ9", ".backup", ".corrupt"}) {
        kept << path + QLatin1String(suffix);
        test::writeFile(kept.last(), saved);
    }
    kept << saving + "0123456789abcdef" << saving + "1123456789abcdef" << saving + "2123456789abcdef"
         << saving + "3123456789abcdef" << path + ".saving-ab-def"
         << dir.filePath("other.plist.saving-0a1b2c3d4e5f6789");
    test::writeFile(kept[6], "my notes about the settings");
    ASSERT_TRUE(QFile::link(ours[0] + ".target", kept[7]));
    test::writeFile(ours[0] + ".target", saved);
    test::writeFile(kept[8], saved);
    ASSERT_EQ(::chown(QFile::encodeName(kept[8]).constData(), ::geteuid() + 1, ::getegid()), 0);
    ASSERT_TRUE(QDir().mkpath(kept[9]));
    test::writeFile(kept[10], saved);
    test::writeFile(kept[11], saved);
    for (const char* suffix :
         {"backup", "Copy01", "aB3xZ9", "0A1B2C3D4E5F6789", "0a1b2c3d4e5f678", "0a1b2c3d4e5f678g"}) {
        kept << saving + QLatin1String(suffix);
        test::writeFile(kept.last(), saved);
    }

    Defaults d(path);
    EXPECT_EQ(d.integer("k"), 1);
    for (const QString& name : ours)
        EXPECT_EQ(FileSystem::entryKind(name), FileSystem::EntryKind::missing) << qPrintable(name);
    for (const QString& name : kept)
        EXPECT_NE(FileSystem::entryKind(name), FileSystem::EntryKind::missing) << qPrintable(name);
    EXPECT_TRUE(QFile::exists(ours[0] + ".target"));

    // The name a save writes for a moment is one the clean-up takes for its own.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_CREATE);
    d.set("k", 2);
    ASSERT_TRUE(d.flush());
    alignas(inotify_event) char events[4096];
    ASSERT_GT(::read(watch, events, sizeof events), 0);
    ::close(watch);
    const QString temporary = dir.filePath(QFile::decodeName(reinterpret_cast<const inotify_event*>(events)->name));
    ASSERT_TRUE(temporary.startsWith(saving)) << qPrintable(temporary);
    test::writeFile(temporary, saved);
    EXPECT_EQ(Defaults(path).integer("k"), 2);
    EXPECT_EQ(FileSystem::entryKind(temporary), FileSystem::EntryKind::missing) << qPrintable(temporary);
}

namespace {

// An XML property list of exactly `size` bytes, as the store writes it.
QByteArray storeXmlOfSize(qint64 size)
{
    const qint64 base = PropertyList::toXml(QVariantMap{{"pad", QStringLiteral("x")}}).size() - 1;
    QByteArray xml = PropertyList::toXml(QVariantMap{{"pad", QString(size - base, u'x')}});
    EXPECT_EQ(xml.size(), size);
    return xml;
}

// A text that makes the store's file `size` bytes when stored as "change"
// beside the values of file.
QString changeFilling(const QByteArray& file, qint64 size)
{
    QVariantMap values = PropertyList::fromData(file)->toMap();
    values.insert("change", QString());
    return QString(size - PropertyList::toXml(values).size(), u'x');
}

mode_t modeOf(const QString& path)
{
    struct stat st { };
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_mode & 07777;
}

// An XML property list of exactly `size` bytes written without the
// indentation the store writes, as a person or another program may write it.
QByteArray compactXmlOfSize(qint64 size)
{
    QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)";
    const QByteArray end = "</dict></plist>";
    const QByteArray value(1000, 'v');
    for (int n = 0;; ++n) {
        QByteArray entry = "<key>k" + QByteArray::number(n) + "</key><string>" + value + "</string>";
        const qint64 left = size - xml.size() - end.size();
        if (left < 2 * entry.size()) {
            entry = "<key>k" + QByteArray::number(n) + "</key><string>"
                    + QByteArray(left - (entry.size() - value.size()), 'v') + "</string>";
            xml += entry + end;
            break;
        }
        xml += entry;
    }
    EXPECT_EQ(xml.size(), size);
    return xml;
}

void appendBigEndian(QByteArray& out, quint64 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// A binary property list {"k": data of `n` bytes}: as data it takes a third
// more room in XML.
QByteArray binaryWithData(qint64 n)
{
    QByteArray list = "bplist00";
    const qint64 dict = list.size();
    list += QByteArray::fromHex("d10102"); // a dict of one pair: key 1, value 2
    const qint64 key = list.size();
    list += QByteArray::fromHex("516b"); // "k"
    const qint64 data = list.size();
    list += QByteArray::fromHex("4f12"); // data, its length in 4 bytes
    appendBigEndian(list, quint64(n), 4);
    list += QByteArray(n, '\x5a');
    const qint64 table = list.size();
    for (const qint64 offset : {dict, key, data})
        appendBigEndian(list, quint64(offset), 4);
    list += QByteArray(6, '\0');
    list += char(4); // offset size
    list += char(1); // reference size
    appendBigEndian(list, 3, 8);
    appendBigEndian(list, 0, 8);
    appendBigEndian(list, quint64(table), 8);
    return list;
}

} // namespace

// Whatever the store writes, it reads back at the next start: a file over
// the limit is kept aside unread, and a save that would write one is
// refused, with the running values kept and the reason told.
TEST(Defaults, WhatASaveWritesIsReadBackAtTheNextStart)
{
    const qint64 limit = Defaults::maxFileBytes;
    const struct {
        const char* name;
        QByteArray file;
        QVariant change;
        bool loads;
        bool saves;
    } cases[] = {
        {"a file over the limit", storeXmlOfSize(limit + 1), 1, false, true},
        {"a file at the limit, which grows", storeXmlOfSize(limit), true, true, false},
        {"a save over the limit", storeXmlOfSize(1000), QString(limit, u'x'), true, false},
        {"a save exactly at the limit", storeXmlOfSize(1000), changeFilling(storeXmlOfSize(1000), limit), true, true},
        {"a binary file written as XML over the limit", binaryWithData(limit * 4 / 5), 1, true, false},
        {"a file just under the limit written larger", compactXmlOfSize(limit - 360), 1, true, false},
        {"a file under the limit written larger but within it", compactXmlOfSize(limit / 2), 1, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.plist");
        test::writeFile(path, c.file);
        Defaults d(path);
        EXPECT_EQ(!d.userValues().isEmpty(), c.loads);
        const QVariantMap loaded = d.userValues();
        d.set("change", c.change);
        EXPECT_EQ(d.flush(), c.saves);
        EXPECT_EQ(d.flush(), c.saves); // a refused save stays pending
        EXPECT_EQ(Defaults().replaceUserValues([](const QString&) { return true; }, d.userValues(),
                                               Defaults::Fit::withinFile),
                  c.saves);
        EXPECT_EQ(d.object("change"), c.change); // the running value stays either way
        const QByteArray written = test::readFile(path);
        EXPECT_LE(written.size(), limit);
        const Defaults next(path);
        EXPECT_TRUE(next.fileProblems().isEmpty());
        if (c.saves) {
            EXPECT_EQ(next.userValues(), d.userValues());
            continue;
        }
        EXPECT_EQ(written, c.file);
        EXPECT_EQ(next.userValues(), loaded);
        ASSERT_EQ(d.fileProblems().size(), 1);
        const Defaults::FileProblem problem = d.fileProblems().first();
        EXPECT_EQ(problem.kind, Defaults::FileProblem::Kind::notSaving);
        EXPECT_TRUE(problem.reason.startsWith("the settings have grown to ")) << qPrintable(problem.reason);
        EXPECT_TRUE(problem.reason.endsWith(" MB, more than the 16 MB Gaugelet can read back"))
            << qPrintable(problem.reason);
        EXPECT_EQ(d.lastSaveError(), problem.reason);
    }
}

// The largest unsigned 64-bit integer fits a property list: it is read,
// kept and written back exactly.
TEST(Defaults, AnUnsigned64BitIntegerIsKeptExactly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    test::writeFile(path, PropertyList::toXml(QVariantMap{{"small", 1}})
                              .replace("<integer>1</integer>", "<integer>18446744073709551615</integer>"));
    Defaults d(path);
    EXPECT_TRUE(d.fileProblems().isEmpty());
    EXPECT_EQ(d.object("small"), QVariant(~quint64(0)));
    EXPECT_EQ(d.integerValue("small"), std::numeric_limits<qint64>::max());
    d.set("other", 2);
    ASSERT_TRUE(d.flush());
    EXPECT_TRUE(test::readFile(path).contains("<integer>18446744073709551615</integer>"));
    EXPECT_EQ(Defaults(path).object("small"), QVariant(~quint64(0)));
}

// A link in the settings file's place when the program starts (a dotfiles
// setup) is written through, atomically beside the file it leads to, whose
// permissions are kept. A link put there or repointed while the program runs
// is replaced by the next save with a file of the user's alone, and what it
// points to is left alone.
TEST(Defaults, ASaveWritesThroughTheLinkItStartedWithOnly)
{
    const struct {
        const char* name;
        bool linkAtStart;
        bool linkedWhileRunning;
    } cases[] = {
        {"a link put in place while running", false, true},
        {"a link there at the start", true, false},
        {"a link there at the start, repointed while running", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.plist");
        const QString dotfile = dir.filePath("dotfiles/defaults.plist");
        const QString notes = dir.filePath("notes.txt");
        test::writeFile(dotfile, PropertyList::toXml(QVariantMap{{"k", 1}}));
        test::writeFile(notes, "notes");
        ASSERT_EQ(::chmod(QFile::encodeName(dotfile).constData(), 0640), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(notes).constData(), 0644), 0);
        if (c.linkAtStart) {
            ASSERT_TRUE(QFile::link("dotfiles/defaults.plist", path));
        }
        Defaults d(path);
        d.set("k", 2);
        ASSERT_TRUE(d.flush());
        if (c.linkedWhileRunning) {
            ASSERT_TRUE(QFile::remove(path));
            ASSERT_TRUE(QFile::link(notes, path));
        }
        d.set("k", 3);
        ASSERT_TRUE(d.flush());
        EXPECT_EQ(test::readFile(notes), "notes");
        EXPECT_EQ(Defaults(path).integer("k"), 3);
        const bool through = c.linkAtStart && !c.linkedWhileRunning;
        EXPECT_EQ(FileSystem::entryKind(path),
                  through ? FileSystem::EntryKind::symlink : FileSystem::EntryKind::regularFile);
        EXPECT_EQ(Defaults(dotfile).integer("k"), through ? 3 : c.linkAtStart ? 2 : 1);
        EXPECT_EQ(modeOf(through ? dotfile : path), through ? 0640u : 0600u);
        EXPECT_EQ(QDir(dir.path()).entryList({"*.saving-*"}, QDir::Files).size()
                      + QDir(dir.filePath("dotfiles")).entryList({"*.saving-*"}, QDir::Files).size(),
                  0);
    }
}

// A save keeps the permission bits the user gave the file, but never makes
// it set-user-ID, set-group-ID or sticky.
TEST(Defaults, ASaveKeepsTheFilesPermissions)
{
    const std::pair<mode_t, mode_t> cases[] = {{0640, 0640}, {04750, 0750}, {03604, 0604}};
    for (const auto& [given, kept] : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.plist");
        test::writeFile(path, PropertyList::toXml(QVariantMap{{"k", 1}}));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), given), 0);
        Defaults d(path);
        d.set("k", 2);
        ASSERT_TRUE(d.flush());
        EXPECT_EQ(modeOf(path), kept) << given;
    }
}

TEST(Defaults, FileThatExistsButCannotBeOpenedIsNeverOverwritten)
{
    // Root opens any regular file, so the file here is a socket: it exists,
    // and open() fails for everyone.
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    ASSERT_TRUE(server.listen(path));
    {
        Defaults d(path);
        d.set("k", 1);
        EXPECT_FALSE(d.flush());
    }
    const QFileInfo after(path);
    EXPECT_TRUE(after.exists());
    EXPECT_FALSE(after.isFile());
    EXPECT_TRUE(QDir(dir.path()).entryList({"defaults.plist.*"}, QDir::Files).isEmpty());
}

// A save that fails leaves no temporary behind, and the next one retries.
TEST(Defaults, FailedSaveIsRetriedByTheNextFlushAndAtQuit)
{
    for (const int run : {0, 1, 2, 3}) {
        const bool atQuit = run % 2 == 1, folderInTheFilesPlace = run >= 2;
        QTemporaryDir dir;
        // The store's folder is a plain file for now, or a folder has taken
        // the file's place since the start, so every save fails.
        const QString folder = dir.filePath("config");
        const QString path = folder + "/defaults.plist";
        if (!folderInTheFilesPlace)
            test::writeFile(folder, "in the way");
        Defaults d(path);
        d.set("k", 7);
        if (folderInTheFilesPlace)
            test::writeFile(path + "/in-the-way", "in the way");
        EXPECT_FALSE(d.flush());
        EXPECT_TRUE(QDir(folder).entryList({"*.saving-*"}, QDir::Files).isEmpty());
        ASSERT_TRUE(folderInTheFilesPlace ? QDir(path).removeRecursively() : QFile::remove(folder));
        ASSERT_TRUE(QDir().mkpath(folder));
        if (atQuit)
            QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection);
        else
            EXPECT_TRUE(d.flush());
        EXPECT_EQ(Defaults(path).integer("k"), 7) << (atQuit ? "at quit" : "by flush");
    }
}

TEST(Defaults, ReplaceUserValuesSwapsOneRangeOfKeysAndAnnouncesRealChangesOnly)
{
    Defaults d;
    d.registerDefaults({{"a.registered", 5}});
    d.set("a.same", "x");
    d.set("a.changed", 1);
    d.set("a.typeChanged", 1);
    d.set("a.gone", true);
    d.set("a.backToDefault", 9);
    d.set("b.outside", "stays");
    QStringList announced;
    QObject::connect(&d, &Defaults::changed, [&](const QString& key) { announced << key; });
    auto withinA = [](const QString& key) { return key.startsWith("a."); };

    d.replaceUserValues(withinA, QVariantMap{{"a.same", "x"},
                                  {"a.changed", 2},
                                  {"a.typeChanged", 1.0},
                                  {"a.new", "n"},
                                  {"a.registered", 5},
                                  {"a.backToDefault", QVariant()},
                                  {"a.unstorable", QVariant::fromValue(QSize(1, 1))},
                                  {"b.outside", "ignored"},
                                  {"b.new", "ignored"}});
    EXPECT_EQ(d.userValues(), (QVariantMap{{"a.same", "x"},
                                           {"a.changed", qint64(2)},
                                           {"a.typeChanged", 1.0},
                                           {"a.new", "n"},
                                           {"a.registered", qint64(5)},
                                           {"b.outside", "stays"}}));
    announced.sort();
    EXPECT_EQ(announced, (QStringList{"a.backToDefault", "a.changed", "a.gone", "a.new", "a.typeChanged"}));

    announced.clear();
    d.replaceUserValues(withinA, d.userValues());
    EXPECT_TRUE(announced.isEmpty());
}

TEST(Defaults, ReplacedValuesAreSavedEvenWhenOnlyTheUserDomainChanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    {
        Defaults d(path);
        d.registerDefaults({{"a.k", 5}});
        QSignalSpy changed(&d, &Defaults::changed);
        d.replaceUserValues([](const QString&) { return true; }, QVariantMap{{"a.k", 5}});
        EXPECT_EQ(changed.count(), 0); // the effective value is the same
        EXPECT_TRUE(d.flush());
    }
    EXPECT_EQ(Defaults(path).userValues(), (QVariantMap{{"a.k", qint64(5)}}));
}

TEST(Defaults, StoppedSavingWritesNothingMore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    Defaults d(path);
    d.set("k", 1);
    ASSERT_TRUE(d.flush());
    d.stopSaving();
    EXPECT_TRUE(d.isSavingStopped());
    d.set("k", 2);
    EXPECT_TRUE(d.flush());
    gaugelet::test::spinFor(300);
    EXPECT_EQ(Defaults(path).integer("k"), 1);
    EXPECT_EQ(d.integer("k"), 2); // kept in memory
}

TEST(Defaults, AFailedSaveKeepsTheSystemsReason)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Defaults d(dir.filePath("blocked/defaults.plist"));
    d.set("k", 1);
    EXPECT_FALSE(d.flush());
    EXPECT_FALSE(d.lastSaveError().isEmpty());
}

TEST(Defaults, EveryUnreadableFileIsKeptAsideUnderItsOwnNumberedName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    // Unreadable text, a root that is no dictionary, and a file too large to
    // be ours (sparse: nothing of it is read).
    const QList<QByteArray> contents{"<plist><dict><key>a</key>", PropertyList::toXml(QVariantList{1}), "big"};
    const QStringList names{path + ".corrupt", path + ".corrupt.1", path + ".corrupt.2"};
    for (int i = 0; i < contents.size(); ++i) {
        test::writeFile(path, contents[i]);
        if (i == 2) {
            ASSERT_TRUE(QFile(path).resize(Defaults::maxFileBytes + 1));
        }
        Defaults d(path);
        EXPECT_TRUE(d.userValues().isEmpty());
        const auto problem = d.fileProblem();
        ASSERT_TRUE(problem);
        EXPECT_EQ(problem->kind, Defaults::FileProblem::Kind::keptAside);
        EXPECT_EQ(problem->asidePath, names[i]);
        d.set("fresh", i);
        EXPECT_TRUE(d.flush());
    }
    EXPECT_EQ(test::readFile(names[0]), contents[0]);
    EXPECT_EQ(test::readFile(names[1]), contents[1]);
    EXPECT_EQ(QFileInfo(names[2]).size(), Defaults::maxFileBytes + 1);
    EXPECT_EQ(Defaults(path).integer("fresh"), 2);
    EXPECT_EQ(Defaults(path).fileProblem(), std::nullopt);
}

// A settings path that is no readable file: the start neither blocks nor
// saves over it, and the store says why.
TEST(Defaults, PathThatIsNoReadableFileIsLeftAloneAndReported)
{
    const struct {
        const char* name;
        std::function<void(const QString&)> make;
        QString reason;
    } cases[] = {
        {"dangling link", [](const QString& p) { ASSERT_TRUE(QFile::link(p + ".gone", p)); },
         QStringLiteral("it is a link to a file that does not exist")},
        {"folder", [](const QString& p) { ASSERT_TRUE(QDir().mkpath(p)); }, QStringLiteral("it is a folder, not a file")},
        {"fifo", [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); },
         QStringLiteral("it is not a regular file")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.plist");
        c.make(path);
        const auto before = FileSystem::entryKind(path);
        {
            Defaults d(path);
            const auto problem = d.fileProblem();
            ASSERT_TRUE(problem);
            EXPECT_EQ(*problem, (Defaults::FileProblem{Defaults::FileProblem::Kind::notSaving, path, c.reason, {}}));
            d.set("k", 1);
            EXPECT_FALSE(d.flush());
            EXPECT_FALSE(d.flush()); // still pending, still refused
        }
        EXPECT_EQ(FileSystem::entryKind(path), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 1);
    }
}
