#include "store/StoreItem.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

StoreItem item()
{
    StoreItem i;
    i.id = QStringLiteral("dev.gaugelet.fox");
    i.displayName = QStringLiteral("Fox");
    i.author = QStringLiteral("Gaugelet");
    i.releaseDate = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    i.priceCents = 199;
    i.currency = QStringLiteral("EUR");
    i.type = BundleManifest::BundleType::soundPack;
    i.downloadHandle = QStringLiteral("dev.gaugelet.fox");
    return i;
}

} // namespace

TEST(StoreItem, ItemsWithoutAddressesThatAgreeEverywhereAreEqual)
{
    EXPECT_EQ(item(), item());
    EXPECT_EQ(qHash(item(), 7), qHash(item(), 7));
}

TEST(StoreItem, EveryFieldTakesPartInEqualityAndHashing)
{
    const StoreItem base = item();
    QList<StoreItem> variants;
    for (int field = 0; field < 10; ++field) {
        StoreItem v = base;
        switch (field) {
        case 0: v.id += QLatin1Char('x'); break;
        case 1: v.displayName += QLatin1Char('x'); break;
        case 2: v.author += QLatin1Char('x'); break;
        case 3: v.releaseDate = v.releaseDate.addSecs(1); break;
        case 4: v.priceCents = 0; break;
        case 5: v.currency = QStringLiteral("USD"); break;
        case 6: v.type = BundleManifest::BundleType::runnerSprite; break;
        case 7: v.downloadHandle = QStringLiteral("/tmp/fox.gaugebundle"); break;
        case 8: v.assetURL = QUrl(QStringLiteral("https://example.invalid/fox.gaugebundle")); break;
        case 9: v.isNSFW = true; break;
        }
        EXPECT_NE(v, base) << "field " << field;
        EXPECT_NE(qHash(v, 0), qHash(base, 0)) << "field " << field;
        variants.append(v);
    }
    QSet<StoreItem> set(variants.begin(), variants.end());
    set.insert(base);
    EXPECT_EQ(set.size(), 11);
}

TEST(StoreItem, PresentAddressesCompareByValue)
{
    StoreItem a = item();
    StoreItem b = item();
    a.assetURL = QUrl(QStringLiteral("https://example.invalid/a.gaugebundle"));
    b.assetURL = QUrl(QStringLiteral("https://example.invalid/a.gaugebundle"));
    EXPECT_EQ(a, b);
    b.assetURL = QUrl(QStringLiteral("https://example.invalid/b.gaugebundle"));
    EXPECT_NE(a, b);
}

TEST(StoreItem, BundleTypesFormSets)
{
    QSet<BundleManifest::BundleType> types{BundleManifest::BundleType::soundPack};
    EXPECT_TRUE(types.contains(BundleManifest::BundleType::soundPack));
    EXPECT_FALSE(types.contains(BundleManifest::BundleType::runnerSprite));
}
