// Every tile as a panel shows it when it fits each tile into a 24-pixel square
// slot (lxqt-panel, KDE Plasma, GNOME's AppIndicator extension, tint2): the
// value's digits stay at least 8 pixels tall there, and no label or glyph is
// drawn outside its tile. The scaled squares go to build/screenshots/ as
// square-*.png, zoomed 8 times, for a person to look at.

#include "RunnerTestSupport.h"
#include "StatusRowFakes.h"
#include "TileRig.h"
#include "menubar/MenubarController.h"
#include "menubar/MenubarPreset.h"
#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/PinManager.h"
#include "menubar/RunnerLabelImage.h"
#include "menubar/RunnerVisualizer.h"
#include "menubar/SparklineVisualizer.h"
#include "menubar/SquareFit.h"
#include "menubar/TagSpec.h"
#include "menubar/TileView.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/style/Appearance.h"
#include "stats/NetworkProvider.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::runner;
using namespace gaugelet::test::statusrow;
using namespace gaugelet::test::tiles;

namespace {

// Ink: the bounding box of every pixel with some opacity, in image pixels.
QRect inkBox(const QImage& image, int alphaThreshold = 24)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int left = argb.width(), top = argb.height(), right = -1, bottom = -1;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) > alphaThreshold) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The heights of the lines of ink in an image (rows with ink, split by empty
// rows), in image pixels.
QList<int> inkLineHeights(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QList<int> heights;
    int run = 0;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        bool ink = false;
        for (int x = 0; x < argb.width() && !ink; ++x)
            ink = qAlpha(line[x]) > 24;
        if (ink) {
            ++run;
        } else if (run > 0) {
            heights.append(run);
            run = 0;
        }
    }
    if (run > 0)
        heights.append(run);
    return heights;
}

struct Preset {
    const char* name;
    Styling styling;
};

const Preset presets[] = {
    {"Default", Styling::none},         // nothing applied: no labels stored
    {"Simple", Styling::none},          // tag and value stored hidden
    {"Enhanced", Styling::tagAndValue}, // tag and value behind, offsets -10 and +10
    {"All-in", Styling::tagAndValue},
};

// One slot of the composed 2x row, as a host shows it: scaled into a 24-pixel
// square on the panel's colour, then zoomed 8 times with square pixels.
QImage squareOf(const QImage& row2x, const QRectF& slot, bool dark)
{
    const QRect pixels(int(std::floor(slot.left() * 2)), 0, int(std::ceil(slot.width() * 2)), row2x.height());
    QImage tile = row2x.copy(pixels);
    tile.setDevicePixelRatio(1.0); // pixel for pixel
    const QImage scaled = tile.scaled(QSize(24, 24), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage square(24, 24, QImage::Format_ARGB32_Premultiplied);
    square.fill(Appearance::assumedPanelBackground(dark));
    QPainter p(&square);
    p.drawImage(QPointF((24 - scaled.width()) / 2.0, (24 - scaled.height()) / 2.0), scaled);
    p.end();
    return square.scaled(square.size() * 8, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QString screenshotPath(const QString& name)
{
    const QString dir = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    return dir + QStringLiteral("/square-") + name + QStringLiteral(".png");
}

// The squares of every shown pin side by side, 8 pixels apart.
void writeStrip(const QString& name, const QList<QImage>& squares, bool dark)
{
    if (squares.isEmpty())
        return;
    QImage strip(int(squares.size()) * (192 + 8) + 8, 208, QImage::Format_ARGB32_Premultiplied);
    strip.fill(dark ? QColor(0x20, 0x20, 0x20) : QColor(0xFF, 0xFF, 0xFF));
    QPainter p(&strip);
    for (int i = 0; i < squares.size(); ++i)
        p.drawImage(8 + i * 200, 8, squares.at(i));
    p.end();
    EXPECT_TRUE(strip.save(screenshotPath(name)));
}

struct Kind {
    const char* name;
    QString visualizer;
    QList<QString> providers; // in the order pins are added
};

QList<Kind> kinds()
{
    return {
        {"number", QStringLiteral("viz.numberLabel"), {cpu, gpu, mem, swapStat, cpu}},
        {"number-network", QStringLiteral("viz.numberLabel"), {net}},
        {"pie", QStringLiteral("viz.pie"), {cpu, gpu, mem, swapStat, cpu}},
        {"sparkline", QStringLiteral("viz.sparkline"), {cpu, gpu, mem, net, swapStat}},
        {"runner-fox", QStringLiteral("viz.runner.fox"), {cpu, gpu, mem, net, swapStat}},
        {"runner-hare", QStringLiteral("viz.runner.hare"), {mem}},
        {"runner-piglet", QStringLiteral("viz.runner.piglet"), {mem}},
    };
}

// Everything a row shows stays inside its tile: every label's frame and its
// whole ink inside the row's height and inside its pin's slot.
void expectInsideTheTile(Rig& rig, const QString& id, const QImage& row2x, const std::string& where)
{
    RunnerLayerBridge& bridge = rig.controller->runnerBridge();
    const QRectF slot = rig.slot(id);
    for (const Layer::Ptr& label : {bridge.tagLayers.value(id), bridge.valueLayers.value(id)}) {
        if (!label)
            continue;
        const QRectF frame = label->frame();
        EXPECT_GE(frame.top(), 0) << where;
        EXPECT_LE(frame.bottom(), SquareFit::thickness) << where;
        EXPECT_GE(frame.left(), slot.left()) << where;
        EXPECT_LE(frame.right(), slot.right()) << where;
        // The label's picture holds all of its ink (nothing cut at its edges).
        const QImage picture = label->contents();
        const QRect ink = inkBox(picture);
        ASSERT_FALSE(ink.isNull()) << where;
        EXPECT_GT(ink.top(), 0) << where;
        EXPECT_LT(ink.bottom(), picture.height() - 1) << where;
    }
    // The composed row is exactly the status item's height: nothing is
    // placed where a host's slot would cut it off.
    EXPECT_EQ(row2x.height(), 44) << where;
}

} // namespace

// The table: for each kind of tile and each preset's label styling, the slot
// width and the height of the value's digits once a host has scaled the slot
// into a 24-pixel square. Digits must be at least 8 pixels tall there.
TEST(SquareTile, EveryKindStaysLegibleInASquareSlotInEveryPreset)
{
    Rig rig;
    if (!rig.runnersInstalled())
        GTEST_SKIP() << "the shipped runner packs could not be unpacked";
    std::string table = "\nkind             preset    slot width (pt)  digits at 24 px (px)\n";
    for (const Kind& kind : kinds()) {
        for (const Preset& preset : presets) {
            const QString provider = kind.providers.first();
            const Pin pin{provider, kind.visualizer};
            writeStyling(pin.id(), preset.styling, std::string_view(preset.name) != "Default");
            rig.show({pin});
            const std::string where = std::string(kind.name) + " / " + preset.name;
            RunnerLayerBridge& bridge = rig.controller->runnerBridge();
            ASSERT_EQ(bridge.pinOrder, QStringList{pin.id()}) << where;
            const double width = rig.slot(pin.id()).width();
            EXPECT_LE(width, SquareFit::thickness) << where;
            const double hostScale = SquareFit::hostScale(width);

            // The value's digits: the number tile draws them itself, the
            // others in their value label. Measured on the pictures at 2x.
            std::optional<double> digits;
            if (kind.visualizer == QLatin1String("viz.numberLabel")) {
                auto viz = rig.visualizers->visualizer(kind.visualizer);
                StatSnapshot snapshot = worstCase(provider);
                snapshot.badgeText.clear(); // the digits alone
                snapshot.providerId = provider;
                viz->renderKey(snapshot);
                const QImage picture = viz->makeView(snapshot, Theme::light)->render(4);
                const QList<int> lines = inkLineHeights(picture);
                ASSERT_FALSE(lines.isEmpty()) << where;
                digits = *std::min_element(lines.cbegin(), lines.cend()) / 4.0;
                // And nothing of the full tile (badge included) touches its edges.
                snapshot.badgeText = QStringLiteral("CPU");
                const QImage full = viz->makeView(snapshot, Theme::light)->render(4);
                const QRect ink = inkBox(full);
                EXPECT_GT(ink.top(), 0) << where;
                EXPECT_LT(ink.bottom(), full.height() - 1) << where;
                EXPECT_GT(ink.left(), 0) << where;
                EXPECT_LT(ink.right(), full.width() - 1) << where;
            } else if (const Layer::Ptr value = bridge.valueLayers.value(pin.id())) {
                // Only the digits of "100%", drawn as the value label draws them.
                AnimatedTagSpec digitsOnly = bridge.valueSpecs.value(pin.id());
                digitsOnly.text = QStringLiteral("100");
                digitsOnly.position = TagPosition::leading; // without the halo's ink
                const QImage picture = RunnerLabelImage::render(digitsOnly, 4);
                digits = inkBox(picture).height() / 4.0;
            }
            if (digits) {
                EXPECT_GE(*digits * hostScale, SquareFit::minimumDigitPixels) << where;
            }
            rig.item->compositor()->flush();
            QImage row = rig.item->image2x();
            expectInsideTheTile(rig, pin.id(), row, where);
            char line[160];
            std::snprintf(line, sizeof line, "%-16s %-9s %15.1f  %s\n", kind.name, preset.name, width,
                          digits ? QString::number(*digits * hostScale, 'f', 1).toLatin1().constData() : "(no digits)");
            table += line;
        }
    }
    // The "+N" chip, a slot of its own: its digits as tall as a value's.
    const QFont chip = RunnerLayerBridge::chipFont();
    const double chipWidth = std::ceil(SquareFit::metrics(chip).horizontalAdvance(QStringLiteral("+9"))) + 4;
    const double chipDigits = SquareFit::digitHeight(chip) * SquareFit::hostScale(chipWidth);
    EXPECT_GE(chipDigits, SquareFit::minimumDigitPixels);
    char line[160];
    std::snprintf(line, sizeof line, "%-16s %-9s %15.1f  %.1f\n", "+N chip", "any", chipWidth, chipDigits);
    table += line;
    std::printf("%s", table.c_str());
}

// One, two and five pins of each kind, and the presets themselves, as the
// squares a host shows, light and dark, written for a person to look at;
// every slot of them no wider than the row is high.
TEST(SquareTile, WritesTheSquaresOfEveryKindAndPreset)
{
    Rig rig;
    if (!rig.runnersInstalled())
        GTEST_SKIP() << "the shipped runner packs could not be unpacked";
    // The sparklines keep their own history: give them one with a shape.
    QList<Pin> sparklines;
    // Held here: a loop over a member of a temporary reads freed memory.
    const QList<Kind> all = kinds();
    for (const QString& provider : all.at(3).providers)
        sparklines.append(Pin{provider, QStringLiteral("viz.sparkline")});
    rig.show(sparklines);
    rig.feedChangingValues();
    for (bool dark : {false, true}) {
        Appearance::instance()->setOverrideForTesting(dark);
        rig.settle();
        const QString theme = dark ? QStringLiteral("dark") : QStringLiteral("light");
        for (const Kind& kind : kinds()) {
            for (int count : {1, 2, 5}) {
                if (kind.providers.size() < count)
                    continue;
                QList<Pin> list;
                for (int i = 0; i < count; ++i) {
                    const Pin pin{kind.providers.at(i), kind.visualizer};
                    if (!list.contains(pin)) {
                        // Pins beyond the first carry the tagged styling.
                        writeStyling(pin.id(), i == 0 ? Styling::none : Styling::tagAndValue, true);
                        list.append(pin);
                    }
                }
                rig.show(list);
                const QImage row = rig.item->image2x();
                QList<QImage> squares;
                for (const QString& id : rig.controller->runnerBridge().pinOrder) {
                    EXPECT_LE(rig.slot(id).width(), SquareFit::thickness) << kind.name << " " << id.toStdString();
                    expectInsideTheTile(rig, id, row, kind.name);
                    squares.append(squareOf(row, rig.slot(id), dark));
                }
                writeStrip(QStringLiteral("%1-%2pins-%3").arg(QString::fromLatin1(kind.name)).arg(count).arg(theme),
                           squares, dark);
            }
        }
        for (const MenubarPreset& preset : MenubarPreset::all()) {
            preset.apply(*rig.pins, *rig.registry, *rig.visualizers);
            rig.settle();
            rig.item->compositor()->flush();
            const QImage row = rig.item->image2x();
            QList<QImage> squares;
            for (const QString& id : rig.controller->runnerBridge().pinOrder) {
                EXPECT_LE(rig.slot(id).width(), SquareFit::thickness) << preset.name.toStdString();
                expectInsideTheTile(rig, id, row, preset.name.toStdString());
                squares.append(squareOf(row, rig.slot(id), dark));
            }
            EXPECT_EQ(squares.size(), preset.slots.size());
            writeStrip(QStringLiteral("preset-%1-%2").arg(preset.id.section(u'.', 1)).arg(theme), squares, dark);
        }
    }
}

TEST(SquareTile, RatesLoseTheirBytesPerSecondAndSpareDigits)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0 KB/s", "0K"},
        {"12 KB/s", "12K"},
        {"999 KB/s", "999K"},
        {"1.2 MB/s", "1.2M"},
        {"9.94 MB/s", "9.9M"},
        // Rounds up to ten: a whole number, not "10.0M".
        {"9.95 MB/s", "10M"},
        {"9.99 MB/s", "10M"},
        {"12.3 MB/s", "12M"},
        {"123.4 MB/s", "123M"},
        {"1.26 GB/s", "1.3G"},
        {"42%", "42%"},
        {"fast", "fast"},
    };
    for (const auto& [text, compact] : cases)
        EXPECT_EQ(SquareFit::compactRate(QString::fromLatin1(text)), QString::fromLatin1(compact)) << text;
}

// The table: every kind of tile as the status item publishes it, one picture
// per height a host draws items at. Each picture is the tile drawn for that
// height (for a still tile, pixel for pixel the picture its visualizer drew
// at that scale, never the 2x one resampled), a 16-pixel number keeps digits
// at least 7 pixels tall, and a value change draws only its own tile again.
// The pictures, zoomed 6 times on the panel's colour (with the 22-pixel one
// resampled to 24 beside the 24-pixel one, as LXQt showed it before), go to
// build/screenshots/sizes-*.png.
TEST(SquareTile, EveryKindIsDrawnForEveryHeightAHostShows)
{
    Rig rig;
    if (!rig.runnersInstalled())
        GTEST_SKIP() << "the shipped runner packs could not be unpacked";
    struct Row {
        const char* name;
        QString visualizer;
        QString provider;
        bool still;
        bool digits;
        Styling styling = Styling::none;
    };
    const Row rows[] = {
        {"number", QStringLiteral("viz.numberLabel"), cpu, true, true},
        {"number-network", QStringLiteral("viz.numberLabel"), net, true, true},
        {"pie", QStringLiteral("viz.pie"), mem, true, false},
        {"sparkline", QStringLiteral("viz.sparkline"), gpu, true, false},
        {"runner-fox", QStringLiteral("viz.runner.fox"), cpu, false, false},
        {"pie-labelled", QStringLiteral("viz.pie"), gpu, true, false, Styling::tagAndValue},
        {"runner-fox-labelled", QStringLiteral("viz.runner.fox"), mem, false, false, Styling::tagAndValue},
    };
    std::string table = "\nkind             digits (px) at 16 22 24 32 44 48\n";
    for (bool dark : {false, true}) {
        Appearance::instance()->setOverrideForTesting(dark);
        rig.settle();
        for (const Row& row : rows) {
            const Pin pin{row.provider, row.visualizer};
            writeStyling(pin.id(), row.styling, true);
            rig.show({pin});
            const std::string where = std::string(row.name) + (dark ? " dark" : " light");
            ASSERT_EQ(rig.item->pictures().size(), 1) << where;
            const QList<QImage>& images = rig.item->pictures().constFirst().images;
            ASSERT_EQ(images.size(), qsizetype(StatusItem::pixelSizes.size())) << where;
            const Layer::Ptr still = rig.controller->runnerBridge().staticLayers.value(pin.id());
            ASSERT_EQ(bool(still), row.still) << where;
            std::string digitsLine;
            for (qsizetype i = 0; i < images.size(); ++i) {
                const int pixels = StatusItem::pixelSizes.at(size_t(i));
                const QImage& image = images.at(i);
                const std::string at = where + " at " + std::to_string(pixels);
                EXPECT_EQ(image.height(), pixels) << at;
                EXPECT_LE(image.width(), pixels) << at; // square slots show it whole
                EXPECT_FALSE(inkBox(image).isNull()) << at;
                if (still && row.styling == Styling::none) {
                    // Drawn for this height: the visualizer's own picture at
                    // this scale, copied pixel for pixel.
                    const double scale = StatusItem::scaleForPixelSize(pixels);
                    const auto drawn =
                        std::find_if(still->contentsRepresentations().cbegin(), still->contentsRepresentations().cend(),
                                     [&](const QImage& r) { return std::abs(r.devicePixelRatio() - scale) < 1e-9; });
                    ASSERT_NE(drawn, still->contentsRepresentations().cend()) << at;
                    const auto ink = [](const QImage& i) {
                        return i.convertToFormat(QImage::Format_ARGB32).copy(inkBox(i, 0));
                    };
                    EXPECT_EQ(ink(image), ink(*drawn)) << at;
                }
                if (row.digits) {
                    // The value's lines (a badge line above them only from 20 pixels up).
                    QList<int> lines = inkLineHeights(image);
                    ASSERT_FALSE(lines.isEmpty()) << at;
                    const bool directional = row.provider == net;
                    if (directional) // down over up, a clear row between them
                        EXPECT_EQ(lines.size(), 2) << at;
                    else
                        lines = {lines.last()};
                    const int digits = *std::min_element(lines.cbegin(), lines.cend());
                    const double needed =
                        pixels < SquareFit::compactBelowPixels
                            ? SquareFit::minimumSmallDigitPixels
                            : std::floor(SquareFit::minimumDigitPixels * pixels / SquareFit::slotPixels);
                    EXPECT_GE(digits, needed) << at;
                    digitsLine += " " + std::to_string(digits);
                }
            }
            if (!dark) {
                char line[160];
                std::snprintf(line, sizeof line, "%-16s %s\n", row.name,
                              row.digits ? digitsLine.c_str() : " (no digits of its own)");
                table += line;
            }
            // Zoomed on the panel's colour, each height side by side, and the
            // 22-pixel picture resampled to 24 after the 24-pixel one.
            QList<QImage> shown(images.cbegin(), images.cend());
            QImage resampled =
                images.at(1).scaled(images.at(2).size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            shown.insert(3, resampled);
            constexpr int zoom = 6;
            int sheetWidth = 4;
            for (const QImage& image : std::as_const(shown))
                sheetWidth += image.height() + 4;
            QImage sheet(sheetWidth * zoom, (48 + 8) * zoom, QImage::Format_ARGB32_Premultiplied);
            sheet.fill(dark ? QColor(0x20, 0x20, 0x20) : QColor(0xFF, 0xFF, 0xFF));
            QPainter p(&sheet);
            int x = 4 * zoom;
            for (const QImage& image : std::as_const(shown)) {
                QImage slot(image.height(), image.height(), QImage::Format_ARGB32_Premultiplied);
                slot.fill(Appearance::assumedPanelBackground(dark));
                QImage plain = image;
                plain.setDevicePixelRatio(1.0);
                QPainter s(&slot);
                s.drawImage((slot.width() - plain.width()) / 2, 0, plain);
                s.end();
                p.drawImage(x, 4 * zoom,
                            slot.scaled(slot.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation));
                x += (slot.width() + 4) * zoom;
            }
            p.end();
            const QString dir = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots");
            QDir().mkpath(dir);
            EXPECT_TRUE(sheet.save(
                QStringLiteral("%1/sizes-%2-%3.png")
                    .arg(dir, QString::fromLatin1(row.name), dark ? QStringLiteral("dark") : QStringLiteral("light"))));
        }
    }
    std::printf("%s", table.c_str());

    // Two number tiles; one value changes: only its tile is drawn again, the
    // other keeps its very pictures (so its item sends nothing).
    writeStyling(Pin{gpu, QStringLiteral("viz.numberLabel")}.id(), Styling::none, true);
    rig.show({Pin{cpu, QStringLiteral("viz.numberLabel")}, Pin{gpu, QStringLiteral("viz.numberLabel")}});
    // (A sample takes the provider's next snapshot: it is written anew each time.)
    const auto sampleNext = [&](const QString& cpuLabel) {
        rig.providers.value(gpu)->next = worstCase(gpu);
        rig.providers.value(cpu)->next = worstCase(cpu);
        rig.providers.value(cpu)->next.label = cpuLabel;
        rig.providers.value(cpu)->next.value = cpuLabel.chopped(1).toDouble() / 100;
        publish(*rig.registry, rig.media);
    };
    sampleNext(QStringLiteral("100%"));
    rig.settle();
    rig.item->compositor()->flush();
    ASSERT_EQ(rig.item->pictures().size(), 2);
    const QList<QImage> cpuBefore = rig.item->pictures().at(0).images;
    const QList<QImage> gpuBefore = rig.item->pictures().at(1).images;
    const int rendersBefore = rig.item->pictureRenderCount();
    sampleNext(QStringLiteral("7%"));
    rig.settle();
    rig.item->compositor()->flush();
    ASSERT_EQ(rig.item->pictures().size(), 2);
    EXPECT_EQ(rig.item->pictureRenderCount(), rendersBefore + 1);
    for (qsizetype i = 0; i < gpuBefore.size(); ++i) {
        EXPECT_EQ(rig.item->pictures().at(1).images.at(i).cacheKey(), gpuBefore.at(i).cacheKey());
        EXPECT_NE(rig.item->pictures().at(0).images.at(i).cacheKey(), cpuBefore.at(i).cacheKey());
    }
}

// A run's contour is the area stroking its glyphs' squeezed outline covers,
// at every height a host shows, however the glyphs' kept contours are put
// together: a glyph kept for one squeeze is never drawn for another, and the
// union kept of each loses nothing but some antialiasing at its edges.
TEST(SquareTile, ContourCoversWhatStrokingTheOutlineCovers)
{
    const QFont font = SquareFit::digitFont(SquareFit::valueDigitHeight, QFont::DemiBold);
    const QPen pen(Qt::black, 2 * TileView::contourWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const std::pair<QString, double> runs[] = {{QStringLiteral("37%"), 1.0},
                                               {QStringLiteral("37%"), 0.6},
                                               {QStringLiteral("1.2M"), 0.85},
                                               {QStringLiteral("73%"), 1.0}};
    for (const auto& run : runs) {
        const QString& text = run.first;
        const double factor = run.second;
        for (const int pixels : {16, 22, 24, 32, 44, 48}) {
            const double scale = pixels / SquareFit::thickness;
            const auto draw = [&](bool byStroking) {
                QImage image(int(std::ceil(30 * scale)), pixels, QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                image.setDotsPerMeterX(2835); // 72 dots per inch, as tiles are drawn
                image.setDotsPerMeterY(2835);
                image.setDevicePixelRatio(scale);
                QPainter p(&image);
                p.setRenderHint(QPainter::Antialiasing);
                p.setFont(font);
                p.setPen(Qt::NoPen); // the contour alone
                if (byStroking) {
                    QPainterPath glyphs;
                    glyphs.addText(QPointF(0, 0), p.font(), text);
                    p.translate(2.3, 16);
                    p.strokePath(QTransform::fromScale(factor, 1).map(glyphs), pen);
                } else {
                    SquareFit::drawSqueezed(p, QPointF(2.3, 16), text, factor, QColor(Qt::black));
                }
                return image;
            };
            const QImage drawn = draw(false);
            const QImage stroked = draw(true);
            int ink = 0, worst = 0;
            qint64 covered = 0, apart = 0;
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x) {
                    const int a = qAlpha(drawn.pixel(x, y)), b = qAlpha(stroked.pixel(x, y));
                    ink += b > 128;
                    covered += b;
                    apart += std::abs(a - b);
                    worst = std::max(worst, std::abs(a - b));
                }
            }
            const std::string at =
                text.toStdString() + " squeezed " + std::to_string(factor) + " at " + std::to_string(pixels);
            EXPECT_GT(ink, 20) << at;
            EXPECT_LE(apart, covered / 20) << at;
            EXPECT_LE(worst, 160) << at; // no pixel turned from covered to clear
        }
    }
}
