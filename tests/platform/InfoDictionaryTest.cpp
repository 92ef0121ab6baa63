#include "platform/core/InfoDictionary.h"

#include "BuildInfo.h"

#include <gtest/gtest.h>

using namespace gaugelet;

TEST(InfoDictionary, BuildSettingsAreReadByKeyAndEmptyOnesAreAbsent)
{
    InfoDictionary::clearOverridesForTesting();
    const QString version = QString::fromUtf8(buildinfo::shortVersion);
    EXPECT_EQ(InfoDictionary::string(u"CFBundleShortVersionString"),
              version.isEmpty() ? std::nullopt : std::optional<QString>(version));
    if (QByteArray(buildinfo::feedUrl).isEmpty()) {
        EXPECT_EQ(InfoDictionary::string(u"SUFeedURL"), std::nullopt);
    }
    EXPECT_EQ(InfoDictionary::string(u"NoSuchKey"), std::nullopt);
}

TEST(InfoDictionary, TestOverridesReplaceAndRemoveValues)
{
    InfoDictionary::setStringForTesting(InfoDictionary::feedURLKey, "https://example.org/appcast.xml");
    InfoDictionary::setStringForTesting(InfoDictionary::shortVersionKey, std::nullopt);
    EXPECT_EQ(InfoDictionary::string(u"SUFeedURL"), "https://example.org/appcast.xml");
    EXPECT_EQ(InfoDictionary::string(u"CFBundleShortVersionString"), std::nullopt);
    InfoDictionary::clearOverridesForTesting();
    EXPECT_EQ(InfoDictionary::string(u"SUFeedURL"),
              QByteArray(buildinfo::feedUrl).isEmpty() ? std::nullopt
                                                      : std::optional<QString>(QString::fromUtf8(buildinfo::feedUrl)));
}
