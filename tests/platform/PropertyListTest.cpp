#include "platform/core/Defaults.h"
#include "platform/core/PropertyList.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace gaugelet;

namespace {

void appendBE(QByteArray& out, quint64 value, int width)
{
    for (int i = width - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// A binary list from encoded objects; object 0 is the root.
QByteArray binaryList(const std::vector<QByteArray>& objects, int refSize)
{
    QByteArray out("bplist00");
    std::vector<quint64> offsets;
    for (const QByteArray& object : objects) {
        offsets.push_back(quint64(out.size()));
        out += object;
    }
    const quint64 table = quint64(out.size());
    for (quint64 offset : offsets)
        appendBE(out, offset, 4);
    out += QByteArray(6, '\0');
    out += char(4);
    out += char(refSize);
    appendBE(out, objects.size(), 8);
    appendBE(out, 0, 8);
    appendBE(out, table, 8);
    return out;
}

QByteArray marker(int type, quint64 count)
{
    QByteArray out;
    if (count < 15) {
        out += char((type << 4) | int(count));
    } else {
        out += char((type << 4) | 0x0f);
        out += char(0x13);
        appendBE(out, count, 8);
    }
    return out;
}

QByteArray arrayOf(const std::vector<quint64>& refs, int refSize)
{
    QByteArray out = marker(0xA, refs.size());
    for (quint64 ref : refs)
        appendBE(out, ref, refSize);
    return out;
}

QByteArray dictOf(const std::vector<std::pair<quint64, quint64>>& pairs, int refSize)
{
    QByteArray out = marker(0xD, pairs.size());
    for (const auto& pair : pairs)
        appendBE(out, pair.first, refSize);
    for (const auto& pair : pairs)
        appendBE(out, pair.second, refSize);
    return out;
}

QByteArray ascii(const QByteArray& text)
{
    return marker(0x5, quint64(text.size())) + text;
}

QByteArray utf16(const std::vector<char16_t>& units)
{
    QByteArray out = marker(0x6, units.size());
    for (char16_t unit : units)
        appendBE(out, unit, 2);
    return out;
}

// Arrays nested `depth` deep, the innermost empty.
QByteArray nestedBinary(int depth)
{
    std::vector<QByteArray> objects;
    objects.reserve(size_t(std::max(depth, 1)));
    for (int i = 0; i < depth - 1; ++i)
        objects.push_back(arrayOf({quint64(i + 1)}, 4));
    objects.push_back(arrayOf({}, 4));
    return binaryList(objects, 4);
}

QByteArray nestedXml(int depth)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
        + QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) + "</plist>";
}

} // namespace

TEST(PropertyList, NestingDeeperThan256LevelsIsRefusedInBothForms)
{
    // Deep enough to overflow libplist's recursion (parse of the binary form,
    // free of the XML form) if it ever saw them.
    EXPECT_FALSE(PropertyList::fromData(nestedBinary(100000)));
    EXPECT_FALSE(PropertyList::fromData(nestedXml(200000)));

    EXPECT_TRUE(PropertyList::fromData(nestedBinary(256)));
    EXPECT_FALSE(PropertyList::fromData(nestedBinary(257)));
    EXPECT_TRUE(PropertyList::fromData(nestedXml(256)));
    EXPECT_FALSE(PropertyList::fromData(nestedXml(257)));
    // A shared object counts at every place it is referenced from.
    std::vector<QByteArray> objects{arrayOf({1, 2}, 2)};
    for (int i = 1; i < 256; ++i)
        objects.push_back(arrayOf({quint64(i + 1)}, 2));
    objects.push_back(arrayOf({}, 2));
    objects[0] = arrayOf({2, 1}, 2); // the short path first, then the long one through 1
    EXPECT_FALSE(PropertyList::fromData(binaryList(objects, 2)));
}

TEST(PropertyList, NulInAnyStringOrKeyIsRefused)
{
    const QByteArray head = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>";
    const QByteArray tail = "</dict></plist>";
    EXPECT_TRUE(PropertyList::fromData(head + "<key>a</key><string>xy</string>" + tail));
    EXPECT_FALSE(PropertyList::fromData(head + "<key>a</key><string>" + QByteArray(1, '\0') + "</string>" + tail));
    EXPECT_FALSE(PropertyList::fromData(head + "<key>a" + QByteArray(1, '\0') + "b</key><string>x</string>" + tail));
    EXPECT_FALSE(PropertyList::fromData(head + "<key>a</key><string>x&#0;y</string>" + tail));

    const auto dictWith = [](const QByteArray& key, const QByteArray& value) {
        return binaryList({dictOf({{1, 2}}, 1), key, value}, 1);
    };
    EXPECT_TRUE(PropertyList::fromData(dictWith(ascii("a"), utf16({u'x', u'\u00e9'}))));
    EXPECT_FALSE(PropertyList::fromData(dictWith(ascii("a"), utf16({u'x', 0, u'\u00e9'}))));
    EXPECT_FALSE(PropertyList::fromData(dictWith(utf16({u'a', 0, u'\u00e9'}), ascii("x"))));
    EXPECT_FALSE(PropertyList::fromData(dictWith(ascii(QByteArray("a\0b", 3)), ascii("x"))));
    EXPECT_FALSE(PropertyList::fromData(dictWith(ascii("a"), ascii(QByteArray("x\0y", 3)))));
}

TEST(PropertyList, SharedObjectsAreReadButCyclesAndExplosionsAreRefused)
{
    // {a: "v", b: "v"} with one string object.
    auto shared = PropertyList::fromData(binaryList({dictOf({{1, 2}, {3, 2}}, 1), ascii("a"), ascii("v"), ascii("b")}, 1));
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->toMap().value("a"), "v");
    EXPECT_EQ(shared->toMap().value("b"), "v");

    EXPECT_FALSE(PropertyList::fromData(binaryList({arrayOf({0}, 1)}, 1)));
    EXPECT_FALSE(PropertyList::fromData(binaryList({arrayOf({1}, 1), arrayOf({0}, 1)}, 1)));
    // 60 levels of two references each: 2^60 values once expanded.
    std::vector<QByteArray> objects;
    objects.reserve(61);
    for (int i = 0; i < 60; ++i)
        objects.push_back(arrayOf({quint64(i + 1), quint64(i + 1)}, 1));
    objects.push_back(ascii("x"));
    EXPECT_FALSE(PropertyList::fromData(binaryList(objects, 1)));
    // References and counts past the end.
    EXPECT_FALSE(PropertyList::fromData(binaryList({arrayOf({7}, 1)}, 1)));
    EXPECT_FALSE(PropertyList::fromData(binaryList({marker(0xA, 1000)}, 1)));
    EXPECT_FALSE(PropertyList::fromData(binaryList({marker(0x6, quint64(1) << 62)}, 1)));
}

namespace {

// The list with object `index`'s entry of its (4-byte) offset table replaced.
QByteArray withObjectOffset(QByteArray list, int index, quint32 offset)
{
    quint64 table = 0;
    for (qsizetype i = list.size() - 8; i < list.size(); ++i)
        table = (table << 8) | quint8(list[i]);
    for (int i = 0; i < 4; ++i)
        list[qsizetype(table) + 4 * index + i] = char((offset >> (8 * (3 - i))) & 0xff);
    return list;
}

} // namespace

TEST(PropertyList, EachRefusedBinaryListSaysWhy)
{
    const QString malformed = QStringLiteral("not a property list");
    const QByteArray dict = binaryList({dictOf({{1, 2}}, 1), ascii("a"), ascii("v")}, 1);
    const quint32 table = quint32(dict.size() - 32 - 3 * 4);
    std::vector<QByteArray> explosion;
    explosion.reserve(61);
    for (int i = 0; i < 60; ++i)
        explosion.push_back(arrayOf({quint64(i + 1), quint64(i + 1)}, 1));
    explosion.push_back(ascii("x"));
    const struct {
        const char* name;
        QByteArray list;
        QString message;
    } cases[] = {
        {"the root's offset far past the file", withObjectOffset(dict, 0, 0xfffffff0u), malformed},
        {"a value's offset far past the file", withObjectOffset(dict, 2, 0x7fffffffu), malformed},
        {"an offset into the offset table", withObjectOffset(dict, 2, table), malformed},
        {"an offset into the header", withObjectOffset(dict, 1, 3), malformed},
        {"an array holding itself", binaryList({arrayOf({0}, 1)}, 1), QStringLiteral("property list refers to itself")},
        {"two arrays holding each other", binaryList({arrayOf({1}, 1), arrayOf({0}, 1)}, 1),
         QStringLiteral("property list refers to itself")},
        {"a dict whose value is the dict", binaryList({dictOf({{1, 0}}, 1), ascii("k")}, 1),
         QStringLiteral("property list refers to itself")},
        {"257 levels", nestedBinary(257), QStringLiteral("property list nested too deeply")},
        {"a NUL in a key", binaryList({dictOf({{1, 2}}, 1), ascii(QByteArray("a\0b", 3)), ascii("x")}, 1),
         QStringLiteral("property list holds a NUL character")},
        {"2^60 values once expanded", binaryList(explosion, 1), QStringLiteral("property list too large")},
    };
    ASSERT_TRUE(PropertyList::fromData(dict));
    for (const auto& c : cases) {
        auto value = PropertyList::fromData(c.list);
        ASSERT_FALSE(value) << c.name;
        EXPECT_EQ(value.error().describe().toStdString(), c.message.toStdString()) << c.name;
    }
}

TEST(Defaults, FileWithNulOrDeepNestingIsKeptAsideAndTheStoreStarts)
{
    const QByteArray nul = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><string>"
        + QByteArray(1, '\0') + "</string></dict></plist>";
    for (const QByteArray& contents : {nul, nestedBinary(100000)}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("defaults.plist");
        test::writeFile(path, contents);
        {
            Defaults d(path);
            EXPECT_TRUE(d.userValues().isEmpty());
            d.set("fresh", 1);
            EXPECT_TRUE(d.flush());
        }
        EXPECT_EQ(test::readFile(path + ".corrupt"), contents);
        EXPECT_EQ(Defaults(path).integer("fresh"), 1);
    }
}

TEST(PropertyList, FuzzCorpusAndCrashInputsAreReadSafely)
{
    const QDir dir(QStringLiteral(GAUGELET_SOURCE_DIR "/tests/platform/data/fuzz"));
    const QStringList names = dir.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        auto value = PropertyList::fromData(test::readFile(dir.filePath(name)));
        if (name.startsWith(QLatin1String("seed-"))) {
            EXPECT_TRUE(value) << name.toStdString();
        } else if (name.startsWith(QLatin1String("nul-")) || name.startsWith(QLatin1String("deep-"))
                   || name.startsWith(QLatin1String("cycle"))) {
            EXPECT_FALSE(value) << name.toStdString();
        }
        if (value) {
            EXPECT_TRUE(PropertyList::fromData(PropertyList::toXml(*value))) << name.toStdString();
        } else {
            EXPECT_FALSE(value.error().describe().isEmpty()) << name.toStdString();
        }
    }
}

namespace {

QByteArray xmlWith(const QByteArray& element)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>k</key>" + element
        + "</dict></plist>";
}

QByteArray binaryWith(const QByteArray& object)
{
    return binaryList({dictOf({{1, 2}}, 1), ascii("k"), object}, 1);
}

QByteArray binaryDate(double seconds)
{
    quint64 raw;
    std::memcpy(&raw, &seconds, sizeof raw);
    QByteArray out(1, char(0x33));
    appendBE(out, raw, 8);
    return out;
}

} // namespace

// Every integer and date that is read is written back unchanged; one that
// could not be is refused, never clamped or wrapped.
TEST(PropertyList, IntegersAndDatesAreKeptExactlyOrRefused)
{
    const struct {
        const char* name;
        QByteArray data;
        QVariant kept; // invalid: refused
    } cases[] = {
        {"largest integer", xmlWith("<integer>9223372036854775807</integer>"), std::numeric_limits<qint64>::max()},
        {"smallest integer", xmlWith("<integer>-9223372036854775808</integer>"), std::numeric_limits<qint64>::min()},
        {"2^63", xmlWith("<integer>9223372036854775808</integer>"), QVariant(quint64(1) << 63)},
        {"2^64-1", xmlWith("<integer>18446744073709551615</integer>"), QVariant(~quint64(0))},
        {"2^64", xmlWith("<integer>18446744073709551616</integer>"), {}},
        {"beyond 64 bits", xmlWith("<integer>36893488147419103232</integer>"), {}},
        {"below -2^63", xmlWith("<integer>-9223372036854775809</integer>"), {}},
        {"octal-looking", xmlWith("<integer>010</integer>"), {}},
        {"first date kept", xmlWith("<date>1932-12-13T20:45:52Z</date>"),
         QDateTime(QDate(1932, 12, 13), QTime(20, 45, 52), QTimeZone::utc())},
        {"last date kept", xmlWith("<date>2069-01-19T03:14:07Z</date>"),
         QDateTime(QDate(2069, 1, 19), QTime(3, 14, 7), QTimeZone::utc())},
        {"date before", xmlWith("<date>1900-01-01T00:00:00Z</date>"), {}},
        {"date after", xmlWith("<date>2069-01-19T03:14:08Z</date>"), {}},
        {"binary 16-byte 2^64-1", binaryWith(QByteArray::fromHex("14") + QByteArray(8, '\0') + QByteArray(8, '\xff')),
         QVariant(~quint64(0))},
        {"binary 16-byte -1", binaryWith(QByteArray::fromHex("14") + QByteArray(16, '\xff')), qint64(-1)},
        {"binary 16-byte -2", binaryWith(QByteArray::fromHex("14") + QByteArray(15, '\xff') + QByteArray(1, '\xfe')),
         qint64(-2)},
        {"binary 8-byte -1", binaryWith(QByteArray::fromHex("13") + QByteArray(8, '\xff')), qint64(-1)},
        {"binary 16-byte 2^64",
         binaryWith(QByteArray::fromHex("14") + QByteArray(7, '\0') + QByteArray(1, '\1') + QByteArray(8, '\0')),
         {}},
        {"binary date in range", binaryWith(binaryDate(-1.0)),
         QDateTime(QDate(2000, 12, 31), QTime(23, 59, 59), QTimeZone::utc())},
        {"binary date after", binaryWith(binaryDate(4e9)), {}},
        {"binary date NaN", binaryWith(binaryDate(std::nan(""))), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto read = PropertyList::fromData(c.data);
        if (!c.kept.isValid()) {
            EXPECT_FALSE(read);
            continue;
        }
        ASSERT_TRUE(read) << read.error().describe().toStdString();
        EXPECT_EQ(read->toMap().value("k"), c.kept);
        EXPECT_EQ(read->toMap().value("k").typeId(), c.kept.typeId()); // -1 is no 2^64-1
        auto again = PropertyList::fromData(PropertyList::toXml(*read));
        ASSERT_TRUE(again);
        EXPECT_EQ(again->toMap().value("k"), c.kept);
        EXPECT_EQ(again->toMap().value("k").typeId(), c.kept.typeId());
    }
    // An unsigned value is stored as given, to be written exactly.
    EXPECT_EQ(PropertyList::normalized(QVariant(~quint64(0))), QVariant(~quint64(0)));
    EXPECT_EQ(PropertyList::normalized(QVariant(quint64(5))), QVariant(qint64(5)));
    EXPECT_TRUE(
        PropertyList::toXml(QVariantMap{{"k", ~quint64(0)}}).contains("<integer>18446744073709551615</integer>"));
    EXPECT_FALSE(PropertyList::normalized(QDateTime(QDate(2100, 1, 1), QTime(0, 0), QTimeZone::utc())).isValid());
}

TEST(Defaults, FileWithAValueThatCannotBeKeptIsSetAsideUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.plist");
    const QByteArray file = xmlWith("<date>2100-01-01T00:00:00Z</date>");
    test::writeFile(path, file);
    {
        Defaults d(path);
        ASSERT_TRUE(d.fileProblem());
        EXPECT_EQ(d.fileProblem()->kind, Defaults::FileProblem::Kind::keptAside);
        d.set("fresh", 1);
    }
    EXPECT_EQ(test::readFile(path + ".corrupt"), file);
}
