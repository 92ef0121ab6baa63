#include "platform/desktop/ApplicationIcon.h"

#include "ScopedEnv.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

using test::ScopedEnv;

// The program's icon offers each shipped size and draws each picture from
// the nearest file at least as large, scaled down to the size asked for.
TEST(ApplicationIcon, EachPictureComesFromTheNearestLargerFile)
{
    QTemporaryDir resources;
    const QList<std::pair<int, QColor>> shipped = {{16, Qt::red}, {48, Qt::green}, {256, Qt::blue}};
    for (const auto& [side, colour] : shipped) {
        const QString dir = resources.filePath(QStringLiteral("icons/hicolor/%1x%1/apps").arg(side));
        ASSERT_TRUE(QDir().mkpath(dir));
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(dir + QLatin1Char('/') + ApplicationIcon::name + QStringLiteral(".png")));
    }
    ScopedEnv env("GAUGELET_RESOURCES_DIR", resources.path().toUtf8());

    const QIcon icon = ApplicationIcon::icon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(48, 48), QSize(256, 256)}));
    const struct {
        int asked;
        int side;
        QColor colour;
    } rows[] = {{16, 16, Qt::red}, {24, 24, Qt::green}, {48, 48, Qt::green}, {64, 64, Qt::blue}, {512, 256, Qt::blue}};
    for (const auto& row : rows) {
        const QImage picture = icon.pixmap(row.asked).toImage();
        EXPECT_EQ(picture.size(), QSize(row.side, row.side)) << row.asked;
        EXPECT_EQ(picture.pixelColor(row.side / 2, row.side / 2), row.colour) << row.asked;
    }
}
