#include "store/ZipReader.h"

#include "StoreTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using Kind = ZipReader::ReadError::Kind;

namespace {

quint32 get32(const QByteArray& a, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(a.constData() + at);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

void set16(QByteArray& a, qsizetype at, quint32 v)
{
    a[at] = char(v & 0xFF);
    a[at + 1] = char((v >> 8) & 0xFF);
}

void set32(QByteArray& a, qsizetype at, quint32 v)
{
    set16(a, at, v & 0xFFFF);
    set16(a, at + 2, v >> 16);
}

qsizetype eocdOf(const QByteArray& a) { return a.lastIndexOf(QByteArray("PK\x05\x06", 4)); }
qsizetype cdOffsetOf(const QByteArray& a) { return qsizetype(get32(a, eocdOf(a) + 16)); }

// The central-directory record of the i-th member (archives here have no
// extra fields or comments in their records, as zip -X writes them).
qsizetype cdRecord(const QByteArray& a, int index)
{
    qsizetype p = cdOffsetOf(a);
    for (int i = 0; i < index; ++i) {
        const auto* r = reinterpret_cast<const uchar*>(a.constData() + p);
        p += 46 + (r[28] | (r[29] << 8)) + (r[30] | (r[31] << 8)) + (r[32] | (r[33] << 8));
    }
    return p;
}

void renameInDirectory(QByteArray& a, int index, const QByteArray& name)
{
    const qsizetype r = cdRecord(a, index);
    const int length = uchar(a[r + 28]) | (uchar(a[r + 29]) << 8);
    ASSERT_EQ(length, name.size());
    a.replace(r + 46, name.size(), name);
}

QByteArray threeMembers()
{
    return zipArchive({{QStringLiteral("one.txt"), "first"},
                       {QStringLiteral("two.txt"), "second member"},
                       {QStringLiteral("six.txt"), "third"}});
}

ZipReader::ReadError readError(const QByteArray& archive)
{
    auto reader = ZipReader::read(archive);
    EXPECT_FALSE(reader);
    return reader ? ZipReader::ReadError{} : reader.error();
}

} // namespace

TEST(ZipReader, IndexesAndExtractsStoredMembersMadeByZip)
{
    const QByteArray big(70000, 'x');
    const QByteArray archive = zipArchive({{QStringLiteral("manifest.json"), "{}"}, {QStringLiteral("assets/big.bin"), big}});
    auto reader = ZipReader::read(archive);
    ASSERT_TRUE(reader) << reader.error().describe().toStdString();
    ASSERT_EQ(reader->entries.size(), 2);
    EXPECT_EQ(reader->entries[0].path, QStringLiteral("manifest.json"));
    EXPECT_EQ(reader->entries[1].path, QStringLiteral("assets/big.bin"));
    EXPECT_EQ(reader->entries[1].compressedSize, 70000u);
    EXPECT_EQ(reader->entries[1].uncompressedSize, 70000u);
    EXPECT_EQ(reader->entries[1].compressionMethod, 0);
    EXPECT_EQ(*reader->file(QStringLiteral("assets/big.bin")), big);
    EXPECT_EQ(*reader->extract(reader->entries[0]), QByteArray("{}"));
}

TEST(ZipReader, FileThatIsNotPresentIsAnInvalidPath)
{
    auto reader = ZipReader::read(threeMembers());
    ASSERT_TRUE(reader);
    const auto missing = reader->file(QStringLiteral("nope.txt"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), (ZipReader::ReadError{Kind::invalidPath, QStringLiteral("not present: nope.txt"), 0, {}}));
}

TEST(ZipReader, DeflatedMemberFailsIndexingEvenIfNeverAskedFor)
{
    const QByteArray archive = zipArchive({{QStringLiteral("a.txt"), "stored?"}, {QStringLiteral("b.txt"), QByteArray(4000, 'z')}},
                                          {QStringLiteral("-9")});
    const auto error = readError(archive);
    EXPECT_EQ(error.kind, Kind::unsupportedCompression);
    EXPECT_EQ(error.method, 8);
    EXPECT_EQ(error.entry, QStringLiteral("b.txt"));
}

TEST(ZipReader, TooSmallAndEmptyArchives)
{
    EXPECT_EQ(readError(QByteArray(21, 'P')).kind, Kind::fileTooSmall);
    QByteArray empty(22, '\0');
    empty.replace(0, 4, QByteArray("PK\x05\x06", 4));
    auto reader = ZipReader::read(empty);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->entries.isEmpty());
    EXPECT_EQ(readError(QByteArray(100, '\0')).kind, Kind::eocdNotFound);
}

TEST(ZipReader, EndRecordFoundBehindTheLongestComment)
{
    QByteArray archive = threeMembers();
    set16(archive, eocdOf(archive) + 20, 65535);
    archive.append(QByteArray(65535, 'c'));
    auto reader = ZipReader::read(archive);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->entries.size(), 3);

    archive.append('c'); // the record now starts 65,558 bytes before the end
    EXPECT_EQ(readError(archive).kind, Kind::eocdNotFound);
}

TEST(ZipReader, SignatureInCommentNearestTheEndWins)
{
    QByteArray fake(22, '\0');
    fake.replace(0, 4, QByteArray("PK\x05\x06", 4)); // zero records
    QByteArray archive = threeMembers();
    set16(archive, eocdOf(archive) + 20, 30);
    archive.append(fake + QByteArray(8, 'c'));
    auto reader = ZipReader::read(archive);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->entries.isEmpty());

    // A signature within the last 21 bytes can never hold a whole record.
    QByteArray tail = threeMembers();
    set16(tail, eocdOf(tail) + 20, 10);
    tail.append(QByteArray("PK\x05\x06", 4) + QByteArray(6, 'c'));
    auto real = ZipReader::read(tail);
    ASSERT_TRUE(real);
    EXPECT_EQ(real->entries.size(), 3);
}

TEST(ZipReader, CountsThatLie)
{
    QByteArray fewer = threeMembers();
    set16(fewer, eocdOf(fewer) + 10, 2);
    auto reader = ZipReader::read(fewer);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->entries.size(), 2);

    QByteArray more = threeMembers();
    set16(more, eocdOf(more) + 10, 4);
    EXPECT_EQ(readError(more), (ZipReader::ReadError{Kind::malformedHeader, QStringLiteral("CD truncated"), 0, {}}));

    QByteArray badMagic = threeMembers();
    badMagic[cdRecord(badMagic, 1) + 2] = 'X';
    EXPECT_EQ(readError(badMagic).text, QStringLiteral("CD entry magic"));
}

TEST(ZipReader, DirectoryBoundsAreCheckedWithoutWrapping)
{
    QByteArray offset = threeMembers();
    set32(offset, eocdOf(offset) + 16, 0xFFFFFFF0u);
    EXPECT_EQ(readError(offset).text, QStringLiteral("CD offset out of range"));

    QByteArray size = threeMembers();
    set32(size, eocdOf(size) + 12, 0xFFFFFFFFu);
    EXPECT_EQ(readError(size).text, QStringLiteral("CD offset out of range"));

    // A name length reaching past the archive's end.
    QByteArray name = threeMembers();
    const qsizetype last = cdRecord(name, 2);
    set16(name, last + 28, 0xFFFF);
    set32(name, eocdOf(name) + 12, quint32(eocdOf(name) - cdOffsetOf(name)));
    EXPECT_EQ(readError(name).text, QStringLiteral("CD entry name overflow"));
}

TEST(ZipReader, Zip64ArchiveIsOutsideTheSubset)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("h.txt")), "hello\n");
    QProcess zip;
    zip.setWorkingDirectory(dir.path());
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-X"), QStringLiteral("-0"), QStringLiteral("-fz"),
                                      QStringLiteral("z.zip"), QStringLiteral("h.txt")});
    ASSERT_TRUE(zip.waitForFinished());
    // Its end record carries the ZIP64 escape value as the directory offset.
    EXPECT_EQ(readError(readFile(dir.filePath(QStringLiteral("z.zip")))).text, QStringLiteral("CD offset out of range"));
}

TEST(ZipReader, DataDescriptorsAreReadFromTheCentralDirectory)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("h.txt")), "hello\n");
    QProcess sh;
    sh.setWorkingDirectory(dir.path());
    // Streaming output makes zip write data descriptors (zeros in the local header).
    sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("zip -q -X -0 -fz- - h.txt | cat > dd.zip")});
    ASSERT_TRUE(sh.waitForFinished());
    const QByteArray archive = readFile(dir.filePath(QStringLiteral("dd.zip")));
    ASSERT_EQ(archive[6] & 0x08, 0x08);
    auto reader = ZipReader::read(archive);
    ASSERT_TRUE(reader);
    EXPECT_EQ(*reader->file(QStringLiteral("h.txt")), QByteArray("hello\n"));
}

TEST(ZipReader, EncryptedMemberNeverYieldsItsBytes)
{
    const QByteArray archive = zipArchive({{QStringLiteral("s.txt"), "secret"}}, {QStringLiteral("-0"), QStringLiteral("-P"), QStringLiteral("pw")});
    auto reader = ZipReader::read(archive);
    ASSERT_TRUE(reader);
    const auto bytes = reader->file(QStringLiteral("s.txt"));
    ASSERT_FALSE(bytes);
    EXPECT_EQ(bytes.error().text, QStringLiteral("STORED size mismatch on s.txt"));
}

TEST(ZipReader, SizesThatDifferFailOnlyWhenExtracted)
{
    QByteArray archive = threeMembers();
    set32(archive, cdRecord(archive, 1) + 24, 99);
    auto reader = ZipReader::read(archive);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->file(QStringLiteral("one.txt")));
    const auto bytes = reader->file(QStringLiteral("two.txt"));
    ASSERT_FALSE(bytes);
    EXPECT_EQ(bytes.error(), (ZipReader::ReadError{Kind::malformedHeader, QStringLiteral("STORED size mismatch on two.txt"), 0, {}}));
}

TEST(ZipReader, MemberBoundsAreCheckedBeforeReading)
{
    QByteArray huge = threeMembers();
    set32(huge, cdRecord(huge, 0) + 20, 0xFFFFFFFFu);
    set32(huge, cdRecord(huge, 0) + 24, 0xFFFFFFFFu);
    auto reader = ZipReader::read(huge);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->file(QStringLiteral("one.txt")).error(),
              (ZipReader::ReadError{Kind::truncated, {}, 0, QStringLiteral("one.txt")}));

    QByteArray offset = threeMembers();
    set32(offset, cdRecord(offset, 2) + 42, 0xFFFFFFF0u);
    reader = ZipReader::read(offset);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->file(QStringLiteral("six.txt")).error().kind, Kind::truncated);

    QByteArray magic = threeMembers();
    magic[0] = 'X';
    reader = ZipReader::read(magic);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->file(QStringLiteral("one.txt")).error().text, QStringLiteral("LFH magic on one.txt"));

    reader = ZipReader::read(threeMembers());
    ZipReader::Entry forged{QStringLiteral("x"), 0xFFFFFFFFFFFFFFF0ull, 10, 10, 0};
    EXPECT_EQ(reader->extract(forged).error().kind, Kind::truncated);
    forged.localHeaderOffset = 0;
    forged.compressedSize = forged.uncompressedSize = 0xFFFFFFFFFFFFFFF0ull;
    EXPECT_EQ(reader->extract(forged).error().kind, Kind::truncated);
}

TEST(ZipReader, LocalHeaderStartingInTheLast30BytesIsTruncatedWithoutReadingPastTheEnd)
{
    // A comment that ends the archive with a local-header signature, so the
    // signature check passes and only the length check stands between the
    // reader and the bytes past the buffer (the sanitizers see any read).
    QByteArray archive = threeMembers();
    const QByteArray comment = QByteArray("PK\x03\x04", 4) + "abcd";
    set16(archive, eocdOf(archive) + 20, quint32(comment.size()));
    archive += comment;
    auto reader = ZipReader::read(QByteArray(archive.constData(), archive.size())); // an exact-size copy
    ASSERT_TRUE(reader);
    const quint64 n = quint64(reader->data.size());
    for (quint64 back = 1; back < 30; ++back) { // fewer than the header's 30 bytes left
        ZipReader::Entry entry{QStringLiteral("late"), n - back, 0, 0, 0};
        const auto bytes = reader->extract(entry);
        ASSERT_FALSE(bytes) << back;
        EXPECT_EQ(bytes.error().kind, Kind::truncated) << back;
    }
    ZipReader::Entry atSignature{QStringLiteral("late"), n - quint64(comment.size()), 0, 0, 0};
    EXPECT_EQ(reader->extract(atSignature).error().kind, Kind::truncated);
}

TEST(ZipReader, NamesThatBreakTheNameRuleFailIndexing)
{
    for (const QByteArray& name : {QByteArray("../one"), QByteArray("a//bcd"), QByteArray("/abcde"), QByteArray("abcde/"),
                                   QByteArray("./abcd"), QByteArray("ab/./c"), QByteArray("ab/../"), QByteArray("ab\0cde", 6)}) {
        QByteArray archive = zipArchive({{QStringLiteral("abcdef"), "x"}});
        renameInDirectory(archive, 0, name);
        const auto error = readError(archive);
        EXPECT_EQ(error.kind, Kind::invalidPath) << name.toStdString();
        EXPECT_EQ(error.text, QString::fromUtf8(name)) << name.toStdString();
    }
    QByteArray nonUtf8 = zipArchive({{QStringLiteral("abcdef"), "x"}});
    renameInDirectory(nonUtf8, 0, "ab\xff\xfe" "ef");
    EXPECT_EQ(readError(nonUtf8), (ZipReader::ReadError{Kind::invalidPath, QStringLiteral("non-UTF8"), 0, {}}));

    QByteArray empty = zipArchive({{QStringLiteral("a"), "x"}});
    set16(empty, cdRecord(empty, 0) + 28, 0);
    EXPECT_EQ(readError(empty).text, QStringLiteral("empty"));
}

TEST(ZipReader, FolderRecordFailsIndexing)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("assets/a.txt")), "a");
    QProcess zip;
    zip.setWorkingDirectory(dir.path());
    zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-0"), QStringLiteral("z.zip"), QStringLiteral("assets")});
    ASSERT_TRUE(zip.waitForFinished());
    EXPECT_EQ(readError(readFile(dir.filePath(QStringLiteral("z.zip")))).text, QStringLiteral("assets/"));
}

TEST(ZipReader, UnusualButSafeNamesPass)
{
    const QString name = QStringLiteral("sounds\\b c/Ünïcödé ✓.wav");
    auto reader = ZipReader::read(zipArchive({{name, "ok"}}));
    ASSERT_TRUE(reader) << reader.error().describe().toStdString();
    EXPECT_EQ(reader->entries[0].path, name);
    EXPECT_EQ(*reader->file(name), QByteArray("ok"));
}

TEST(ZipReader, DuplicateNamesAreBothIndexedAndTheFirstWins)
{
    QByteArray archive = zipArchive({{QStringLiteral("a.txt"), "first"}, {QStringLiteral("b.txt"), "other"}});
    renameInDirectory(archive, 1, "a.txt");
    auto reader = ZipReader::read(archive);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->entries.size(), 2);
    EXPECT_EQ(reader->entries[1].path, QStringLiteral("a.txt"));
    EXPECT_EQ(*reader->file(QStringLiteral("a.txt")), QByteArray("first"));
}

TEST(ZipReader, EveryTruncationFailsCleanly)
{
    const QByteArray archive = threeMembers();
    for (qsizetype length = 0; length < archive.size(); ++length) {
        // A copy, so a read past the end would leave the allocation (and be
        // caught by a sanitiser build).
        const auto reader = ZipReader::read(QByteArray(archive.constData(), length));
        ASSERT_FALSE(reader) << length;
        EXPECT_TRUE(reader.error().kind == Kind::eocdNotFound || reader.error().kind == Kind::fileTooSmall) << length;
    }
}

TEST(ZipReader, ShiftedArchiveNeverReadsOutOfBounds)
{
    // With leading bytes cut away every stored offset points too far.
    const QByteArray archive = threeMembers();
    int failures = 0;
    for (qsizetype drop = 1; drop < archive.size(); ++drop) {
        const QByteArray shifted = archive.mid(drop);
        auto reader = ZipReader::read(shifted);
        if (!reader) {
            ++failures;
            continue;
        }
        for (const auto& entry : reader->entries) {
            if (auto bytes = reader->extract(entry)) {
                EXPECT_LE(bytes->size(), shifted.size());
            }
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(ZipReader, FuzzRegressionInputsAreRejectedSafely)
{
    const QDir dir(QStringLiteral(GAUGELET_SOURCE_DIR "/tests/store/data/fuzz"));
    const QStringList names = dir.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        const QByteArray input = readFile(dir.filePath(name));
        auto reader = ZipReader::read(input);
        if (!reader)
            continue;
        for (const auto& entry : reader->entries) {
            if (auto bytes = reader->extract(entry)) {
                EXPECT_LE(bytes->size(), input.size()) << name.toStdString();
            }
        }
    }
}
