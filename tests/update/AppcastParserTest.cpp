#include "update/AppcastParser.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

const QByteArray head = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><title>Gaugelet</title>)";
const QByteArray tail = "</channel></rss>";

std::optional<QString> latest(const QByteArray& items)
{
    AppcastParser parser;
    return parser.latestVersion(head + items + tail);
}

} // namespace

TEST(AppcastParser, ElementVersionWinsOverEnclosureAttributes)
{
    EXPECT_EQ(latest(R"(<item><sparkle:shortVersionString>2.1</sparkle:shortVersionString>
        <enclosure url="https://x.org/a.tar.gz" sparkle:shortVersionString="9.9" sparkle:version="99"/></item>)"),
              "2.1");
}

TEST(AppcastParser, EnclosureAttributesWithAndWithoutPrefix)
{
    EXPECT_EQ(latest(R"(<item><enclosure url="u" sparkle:version="512"/></item>)"), "512");
    EXPECT_EQ(latest(R"(<item><enclosure url="u" version="3.0"/></item>)"), "3.0");
    EXPECT_EQ(latest(R"(<item><enclosure url="u" shortVersionString="3.1" version="77"/></item>)"), "3.1");
    // The enclosure's short version is preferred to a version element.
    EXPECT_EQ(latest(R"(<item><sparkle:version>100</sparkle:version>
        <enclosure url="u" sparkle:shortVersionString="1.4"/></item>)"),
              "1.4");
    // The Sparkle namespace under another prefix counts as "sparkle:".
    AppcastParser parser;
    EXPECT_EQ(parser.latestVersion(R"(<rss xmlns:s="http://www.andymatuschak.org/xml-namespaces/sparkle">
        <channel><item><enclosure url="u" s:version="8"/></item></channel></rss>)"),
              "8");
}

TEST(AppcastParser, AnUndeclaredSparklePrefixStillCounts)
{
    AppcastParser parser;
    EXPECT_EQ(parser.latestVersion(R"(<rss version="2.0"><channel><item>
        <enclosure url="u" sparkle:version="42"/></item></channel></rss>)"),
              "42");
}

TEST(AppcastParser, TextIsTrimmedPieceByPieceAndJoined)
{
    EXPECT_EQ(latest("<item><sparkle:version>\n   1.2.3 \r\n</sparkle:version></item>"), "1.2.3");
    EXPECT_EQ(latest("<item><sparkle:version> 1.<!-- split -->2 </sparkle:version></item>"), "1.2");
    EXPECT_EQ(latest("<item><sparkle:version><![CDATA[4.0]]></sparkle:version></item>"), "4.0");
}

TEST(AppcastParser, OnlyTheFirstItemCounts)
{
    EXPECT_EQ(latest(R"(<item><title>old</title></item>
        <item><sparkle:version>5</sparkle:version></item>)"),
              std::nullopt);
    EXPECT_EQ(latest(R"(<item><sparkle:version>2</sparkle:version></item>
        <item><sparkle:shortVersionString>9</sparkle:shortVersionString></item>)"),
              "2");
    // Outside every item a version element is ignored.
    EXPECT_EQ(latest(R"(<sparkle:version>7</sparkle:version><item><enclosure url="u"/></item>)"), std::nullopt);
}

TEST(AppcastParser, FirstItemsDownloadLinksAreCollected)
{
    AppcastParser parser;
    parser.latestVersion(head + R"(<item><link> https://x.org/notes </link>
        <enclosure url="https://x.org/g-2.tar.gz" sparkle:version="2"/></item>
        <item><enclosure url="https://x.org/g-1.tar.gz"/></item>)" + tail);
    EXPECT_EQ(parser.enclosureURL, "https://x.org/g-2.tar.gz");
    EXPECT_EQ(parser.link, "https://x.org/notes");
}

TEST(AppcastParser, NoItemsOrNotXmlFindsNothing)
{
    EXPECT_EQ(latest(""), std::nullopt);
    AppcastParser parser;
    EXPECT_EQ(parser.latestVersion("{\"version\": \"2.0\"}"), std::nullopt);
    AppcastParser empty;
    EXPECT_EQ(empty.latestVersion(QByteArray()), std::nullopt);
}

TEST(AppcastParser, WhatWasFoundBeforeAnXmlErrorCounts)
{
    AppcastParser parser;
    EXPECT_EQ(parser.latestVersion(head + "<item><sparkle:version>6</sparkle:version><broken"), "6");
}

TEST(AppcastParser, DocumentTypeDeclarationsEndTheParse)
{
    // An entity bomb: the parse stops at the DTD, before any expansion.
    QByteArray bomb = R"(<?xml version="1.0"?><!DOCTYPE rss [<!ENTITY a "aaaaaaaaaa">)";
    for (int i = 1; i < 10; ++i)
        bomb += QStringLiteral("<!ENTITY %1 \"&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;&%2;\">")
                    .arg(QChar('a' + i))
                    .arg(QChar('a' + i - 1))
                    .toLatin1();
    bomb += R"(]><rss><channel><item><version>&j;</version></item></channel></rss>)";
    AppcastParser parser;
    EXPECT_EQ(parser.latestVersion(bomb), std::nullopt);

    AppcastParser external;
    EXPECT_EQ(external.latestVersion(R"(<?xml version="1.0"?><!DOCTYPE rss SYSTEM "file:///etc/passwd">
        <rss><channel><item><version>1</version></item></channel></rss>)"),
              std::nullopt);
}

TEST(AppcastParser, HugeAndDeeplyNestedFeedsEndWithoutCrashing)
{
    const int depth = 200'000;
    QByteArray deep = head + "<item><sparkle:version>3</sparkle:version>";
    deep += QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth) + "</item>" + tail;
    AppcastParser parser;
    EXPECT_EQ(parser.latestVersion(deep), "3");

    QByteArray unclosed = head + QByteArray("<item>").repeated(1) + QByteArray("<x>").repeated(400'000);
    AppcastParser second;
    EXPECT_EQ(second.latestVersion(unclosed), std::nullopt);
}
