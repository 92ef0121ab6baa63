// The default colours of every tile reach 4.5:1 against the panel they are
// drawn for (WCAG 2 relative luminance), on a dark and on a light panel; the
// pie's track, which carries no value, reaches 3:1. And the row as drawn, on
// panels of many colours whatever the portal says: every figure and line
// reads against what surrounds it, and runner sprites stay visible and
// uncovered. The composed rows go to build/screenshots/tiles-*.png, zoomed.

#include "TileRig.h"
#include "menubar/MenubarController.h"
#include "menubar/MenubarPreset.h"
#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/RunnerLayerBridge.h"
#include "menubar/SparklineVisualizer.h"
#include "menubar/TagSpec.h"
#include "platform/style/Appearance.h"
#include "stats/Color.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <cmath>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::tiles;

namespace {

double channel(double c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The ratio of a colour, blended by its opacity over the background, to that background.
double contrast(const QColor& foreground, const QColor& background)
{
    const double a = foreground.alphaF();
    const QColor blended = QColor::fromRgbF(float(foreground.redF() * a + background.redF() * (1 - a)),
                                            float(foreground.greenF() * a + background.greenF() * (1 - a)),
                                            float(foreground.blueF() * a + background.blueF() * (1 - a)));
    const double l1 = luminance(blended);
    const double l2 = luminance(background);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

double ratio(double l1, double l2)
{
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

// The status row's 2x picture over a panel's colour, with each pixel's
// luminance and the row's own opacity kept for measuring.
struct Composed {
    Composed(const QImage& row, const QColor& panel) : alpha(row.convertToFormat(QImage::Format_ARGB32))
    {
        image = QImage(row.size(), QImage::Format_ARGB32);
        image.fill(panel);
        QPainter p(&image);
        QImage plain = row;
        plain.setDevicePixelRatio(1.0);
        p.drawImage(0, 0, plain);
        p.end();
        lum.resize(qsizetype(image.width()) * image.height());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lum[qsizetype(y) * image.width() + x] = luminance(QColor(image.pixel(x, y)));
    }
    double L(int x, int y) const { return lum[qsizetype(y) * image.width() + x]; }
    int A(int x, int y) const { return qAlpha(alpha.pixel(x, y)); }

    QImage alpha;
    QImage image;
    QList<double> lum;
};

// How an element reads: of its ink (the pixels at least 90 % as opaque as
// its most opaque, so antialiased rims do not count), the share that reaches
// 4.5:1 against something within 2.5 points around it, be it the panel, the
// element's own contour or plate, or the tile beneath.
struct Legibility {
    int ink = 0;
    int legible = 0;
    double share() const { return ink > 0 ? double(legible) / ink : 0; }
};

Legibility legibility(const Composed& c, const QRect& region)
{
    const QRect r = region.intersected(c.image.rect());
    int maxAlpha = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            maxAlpha = std::max(maxAlpha, c.A(x, y));
    Legibility out;
    if (maxAlpha == 0)
        return out;
    constexpr int radius = 5; // 2x pixels
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (c.A(x, y) < 0.9 * maxAlpha)
                continue;
            ++out.ink;
            // A rim pixel, blended between two neighbours that differ 4.5:1
            // (the letter and its contour, or the panel), is on a legible edge.
            double lo = 1, hi = 0;
            for (int v = std::max(0, y - 1); v <= std::min(c.image.height() - 1, y + 1); ++v)
                for (int u = std::max(0, x - 1); u <= std::min(c.image.width() - 1, x + 1); ++u) {
                    lo = std::min(lo, c.L(u, v));
                    hi = std::max(hi, c.L(u, v));
                }
            if (ratio(lo, hi) >= 4.5) {
                ++out.legible;
                continue;
            }
            double best = 1;
            for (int v = std::max(0, y - radius); v <= std::min(c.image.height() - 1, y + radius); ++v)
                for (int u = std::max(0, x - radius); u <= std::min(c.image.width() - 1, x + radius); ++u)
                    best = std::max(best, ratio(c.L(x, y), c.L(u, v)));
            if (best >= 4.5)
                ++out.legible;
        }
    }
    return out;
}

QRect pixels(const QRectF& points)
{
    return QRectF(points.topLeft() * 2, points.size() * 2).toAlignedRect();
}

// Where an image drawn "resize aspect" into a frame lands.
QRectF aspectFit(const QSizeF& image, const QRectF& frame)
{
    const double k = std::min(frame.width() / image.width(), frame.height() / image.height());
    const QSizeF size = image * k;
    return QRectF(frame.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

// A mask (alpha only) of the row's size at 2x holding `image` drawn into `frame`.
QImage maskOf(const QSize& rowPixels, const QImage& image, const QRectF& frame)
{
    QImage mask(rowPixels, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    if (image.isNull())
        return mask;
    QPainter p(&mask);
    QImage plain = image;
    plain.setDevicePixelRatio(1.0);
    p.drawImage(QRectF(frame.topLeft() * 2, frame.size() * 2), plain);
    p.end();
    return mask;
}

// A runner pin's sprite as laid out in one row: its frame, its frames'
// pictures and the ink of the labels over it, all in the row's 2x pixels.
struct Sprite {
    Pin pin;
    QRectF frame;
    QList<QImage> frames;
    QImage labels;
};

Sprite spriteOf(Rig& rig, const Pin& pin, const QSize& rowPixels)
{
    RunnerLayerBridge& bridge = rig.controller->runnerBridge();
    Sprite out{pin, bridge.layers.value(pin.id())->frame(), {}, QImage(rowPixels, QImage::Format_ARGB32_Premultiplied)};
    out.labels.fill(Qt::transparent);
    QPainter p(&out.labels);
    for (const Layer::Ptr& label : {bridge.tagLayers.value(pin.id()), bridge.valueLayers.value(pin.id())}) {
        if (!label)
            continue;
        QImage plain = label->contents();
        plain.setDevicePixelRatio(1.0);
        p.drawImage(QRectF(label->frame().topLeft() * 2, label->frame().size() * 2), plain);
    }
    p.end();
    out.frames = rig.visualizers->visualizer(pin.visualizerId)
                     ->frames(currentTheme(), rig.registry->snapshots().value(pin.providerId));
    return out;
}

struct SpriteCheck {
    // Of the sprite's pixels (the animal's and its contour's) outside the
    // labels, the share 3:1 from the panel.
    double visible = 0;
    double covered = 0; // of its pixels (worst frame), the share under a label's ink
};

// How much of a sprite stands out from the panel where no label lies over
// it, and how much of it (in the frame that loses most) its labels cover.
SpriteCheck spriteCheck(const Sprite& sprite, const Composed& c, const QColor& panel)
{
    SpriteCheck out;
    const QRect spritePixels = pixels(sprite.frame).intersected(c.image.rect());
    const double panelLum = luminance(panel);
    int standing = 0;
    for (int y = spritePixels.top(); y <= spritePixels.bottom(); ++y) {
        for (int x = spritePixels.left(); x <= spritePixels.right(); ++x) {
            if (c.A(x, y) < 128 || qAlpha(sprite.labels.pixel(x, y)) > 0)
                continue;
            if (ratio(c.L(x, y), panelLum) >= 3)
                ++standing;
        }
    }
    int animal = 0; // the sprite's pixels outside labels, in its first frame
    for (const QImage& frame : sprite.frames) {
        const QImage mask = maskOf(c.image.size(), frame, aspectFit(frame.deviceIndependentSize(), sprite.frame));
        int body = 0, under = 0;
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                if (qAlpha(mask.pixel(x, y)) < 128)
                    continue;
                ++body;
                if (qAlpha(sprite.labels.pixel(x, y)) > 25)
                    ++under;
                else if (&frame == &sprite.frames.first() && qAlpha(sprite.labels.pixel(x, y)) == 0)
                    ++animal;
            }
        }
        if (body > 0)
            out.covered = std::max(out.covered, double(under) / body);
    }
    out.visible = animal > 0 ? double(standing) / animal : 0;
    return out;
}

} // namespace

TEST(TileContrast, DefaultColoursReadOnDarkAndLightPanels)
{
    for (bool dark : {true, false}) {
        const Theme theme = dark ? Theme::dark : Theme::light;
        const QColor panel = Appearance::assumedPanelBackground(dark);
        QColor badge = NumberLabelVisualizer::textColor(theme);
        badge.setAlphaF(badge.alphaF() * 0.8f);
        const auto tagDefault = Color::fromHex(MenubarController::defaultTagForeground(TagSpec{}, dark));
        ASSERT_TRUE(tagDefault.has_value());
        const struct {
            const char* what;
            QColor colour;
            double minimum;
        } cases[] = {
            {"number value", NumberLabelVisualizer::textColor(theme), 4.5},
            {"number badge", badge, 4.5},
            {"sparkline line", SparklineVisualizer::lineColor(theme), 4.5},
            {"pie arc, low load", PieVisualizer::loadColor(0.3, theme), 4.5},
            {"pie arc, high load", PieVisualizer::loadColor(0.7, theme), 4.5},
            {"pie arc, full load", PieVisualizer::loadColor(0.9, theme), 4.5},
            {"pie track", PieVisualizer::trackColor(theme), 3.0},
            {"tag and value labels", *tagDefault, 4.5},
            {"+N chip", RunnerLayerBridge::chipColor(dark), 4.5},
        };
        for (const auto& c : cases) {
            EXPECT_GE(contrast(c.colour, panel), c.minimum)
                << c.what << " on a " << (dark ? "dark" : "light") << " panel: " << c.colour.name(QColor::HexArgb).toStdString();
        }
    }
}

TEST(TileContrast, TheRatioFollowsTheWcagFormula)
{
    EXPECT_NEAR(contrast(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrast(Qt::white, Qt::white), 1.0, 1e-9);
    // The old pie green on a light panel: the reason its shade changed.
    EXPECT_LT(contrast(QColor(0x34, 0xC7, 0x59), Appearance::assumedPanelBackground(false)), 2.0);
}

// The whole row as drawn, on eight panel colours, for each way the program
// learns the panel's shade: the portal preferring light or dark or saying
// nothing on a desktop whose panel it does not describe (the shade is then a
// guess, and tiles must read on any panel), and the two hosts whose panel's
// shade is known (GNOME's bar, always dark; Plasma's, following its scheme;
// there tiles are drawn for that shade and measured on panels of it).
TEST(TileContrast, EveryTileReadsOnEveryPanelWhateverThePortalSays)
{
    Rig rig;
    if (!rig.runnersInstalled())
        GTEST_SKIP() << "the shipped runner packs could not be unpacked";
    const bool paletteDark = QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
    enum class Shade { dark, mid, light };
    const struct {
        const char* name;
        bool dark;
        bool known;
    } schemes[] = {
        {"portal-light", false, false}, {"portal-dark", true, false},  {"no-portal", paletteDark, false},
        {"gnome", true, true},          {"plasma-light", false, true}, {"plasma-dark", true, true},
    };
    const struct {
        QColor colour;
        Shade shade;
    } panels[] = {
        {QColor(0x00, 0x00, 0x00), Shade::dark},  {QColor(0x20, 0x21, 0x24), Shade::dark},
        {QColor(0x2A, 0x2E, 0x32), Shade::dark},  {QColor(0x35, 0x35, 0x35), Shade::dark},
        {QColor(0x29, 0x80, 0xB9), Shade::mid},   {QColor(0x80, 0x80, 0x80), Shade::mid},
        {QColor(0xDE, 0xDE, 0xDE), Shade::light}, {QColor(0xFF, 0xFF, 0xFF), Shade::light},
    };

    // One row of every kind: a number with its badge, network's rates, a pie
    // with its value label, a sparkline with a shape, a bare runner; then the
    // presets whose runners carry labels.
    const Pin number{cpu, QStringLiteral("viz.numberLabel")};
    const Pin rates{net, QStringLiteral("viz.numberLabel")};
    const Pin pie{gpu, QStringLiteral("viz.pie")};
    const Pin line{mem, QStringLiteral("viz.sparkline")};
    const Pin runner{swapStat, QStringLiteral("viz.runner.fox")};
    // The pie with its value label only (its tag would cover the rest of the ring).
    writeStyling(pie.id(), Styling::tagAndValue, true);
    TagSpec pieTag = TagSpec::load(pie.id(), pie.providerId, QStringLiteral("GPU"), TagSpec::Namespace::tag);
    pieTag.shown = false;
    TagSpec::save(pieTag, pie.id(), TagSpec::Namespace::tag, true);
    for (const Pin& pin : {number, rates, line, runner})
        writeStyling(pin.id(), Styling::none, true);
    rig.providers.value(cpu)->next.badgeText = QStringLiteral("CPU");
    rig.show({line});
    rig.feedChangingValues();
    publish(*rig.registry, rig.media);
    rig.settle();

    struct Row {
        QString name;
        QImage image;
        QList<std::pair<std::string, QRect>> figures; // element, 2x pixels
        QList<Sprite> runners;
    };
    const QString dir = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    std::string table = "\nscheme        panel    element                           ink  legible  (share)\n";
    for (const auto& scheme : schemes) {
        Appearance::instance()->setOverrideForTesting(scheme.dark, scheme.known);
        rig.settle();
        // The rows of this scheme, drawn once and measured on every panel.
        QList<Row> rows;
        {
            rig.show({number, rates, pie, line, runner});
            RunnerLayerBridge& bridge = rig.controller->runnerBridge();
            Row row{QStringLiteral("kinds"), rig.item->image2x(), {}, {}};
            row.runners.append(spriteOf(rig, runner, row.image.size()));
            const QRectF numberFrame = bridge.staticLayers.value(number.id())->frame();
            // The badge stands over the value: the upper two fifths and the rest.
            row.figures.append(
                {"number badge",
                 pixels(QRectF(numberFrame.topLeft(), QSizeF(numberFrame.width(), numberFrame.height() * 0.4)))});
            row.figures.append({"number value", pixels(numberFrame.adjusted(0, numberFrame.height() * 0.4, 0, 0))});
            row.figures.append({"network rates", pixels(bridge.staticLayers.value(rates.id())->frame())});
            row.figures.append({"pie wedge", pixels(bridge.staticLayers.value(pie.id())->frame())});
            if (const Layer::Ptr value = bridge.valueLayers.value(pie.id()))
                row.figures.append({"pie value", pixels(value->frame())});
            else
                ADD_FAILURE() << "the pie shows no value label";
            if (const Layer::Ptr tag = bridge.tagLayers.value(pie.id()))
                row.figures.append({"pie tag", pixels(tag->frame())});
            row.figures.append({"sparkline line", pixels(bridge.staticLayers.value(line.id())->frame())});
            rows.append(row);
        }
        for (const MenubarPreset& preset : MenubarPreset::all()) {
            if (preset.id == QLatin1String("preset.simple"))
                continue;
            preset.apply(*rig.pins, *rig.registry, *rig.visualizers);
            rig.settle();
            rig.item->compositor()->flush();
            RunnerLayerBridge& bridge = rig.controller->runnerBridge();
            Row row{preset.id.section(u'.', 1), rig.item->image2x(), {}, {}};
            for (const MenubarPreset::Slot& slot : preset.slots) {
                const Pin pin{slot.providerId, slot.visualizerId};
                const std::string id = pin.id().toStdString();
                if (bridge.layers.contains(pin.id()))
                    row.runners.append(spriteOf(rig, pin, row.image.size()));
                if (const Layer::Ptr tile = bridge.staticLayers.value(pin.id()))
                    row.figures.append({"preset number " + id, pixels(tile->frame())});
                if (const Layer::Ptr tag = bridge.tagLayers.value(pin.id()))
                    row.figures.append({"runner tag " + id, pixels(tag->frame())});
                if (const Layer::Ptr value = bridge.valueLayers.value(pin.id()))
                    row.figures.append({"runner value " + id, pixels(value->frame())});
                else if (bridge.layers.contains(pin.id()))
                    ADD_FAILURE() << preset.id.toStdString() << ": " << id << " shows no value";
            }
            rows.append(row);
        }

        for (const auto& panel : panels) {
            const bool measured =
                !scheme.known || (scheme.dark ? panel.shade == Shade::dark : panel.shade == Shade::light);
            const std::string where = std::string(scheme.name) + " on " + panel.colour.name().toStdString();
            int height = 8;
            int width = 0;
            for (const Row& row : rows) {
                height += row.image.height() + 8;
                width = std::max(width, row.image.width() + 16);
            }
            QImage sheet(width, height, QImage::Format_ARGB32);
            sheet.fill(panel.colour);
            QPainter paint(&sheet);
            int y = 8;
            for (const Row& row : rows) {
                const Composed composed(row.image, panel.colour);
                paint.drawImage(8, y, composed.image);
                y += row.image.height() + 8;
                for (const auto& [element, region] : row.figures) {
                    const Legibility l = legibility(composed, region);
                    char text[200];
                    std::snprintf(text, sizeof text, "%-13s %s  %-32s %5d  %5d  (%.2f)%s\n", scheme.name,
                                  panel.colour.name().toLatin1().constData(), element.c_str(), l.ink, l.legible,
                                  l.share(), measured ? "" : "  not this host's panel");
                    table += text;
                    if (!measured)
                        continue;
                    EXPECT_GT(l.ink, 20) << where << ": " << element << " draws nothing";
                    EXPECT_GE(l.share(), 0.95) << where << ": " << element << " in row " << row.name.toStdString();
                }
                for (const Sprite& runnerSprite : row.runners) {
                    const Pin& pin = runnerSprite.pin;
                    const SpriteCheck sprite = spriteCheck(runnerSprite, composed, panel.colour);
                    char text[200];
                    std::snprintf(text, sizeof text, "%-13s %s  sprite %-25s visible %.2f, covered %.2f\n", scheme.name,
                                  panel.colour.name().toLatin1().constData(), pin.id().toLatin1().constData(),
                                  sprite.visible, sprite.covered);
                    table += text;
                    if (!measured)
                        continue;
                    EXPECT_GE(sprite.visible, 0.25)
                        << where << ": " << pin.id().toStdString() << " fades into the panel";
                    EXPECT_LE(sprite.covered, 0.2)
                        << where << ": " << pin.id().toStdString() << " is hidden by its labels";
                }
            }
            paint.end();
            // Zoomed 4 times from the 2x picture: 8 screen pixels per point.
            const QImage zoomed = sheet.scaled(sheet.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            EXPECT_TRUE(zoomed.save(dir
                                    + QStringLiteral("/tiles-%1-%2.png")
                                          .arg(panel.colour.name().mid(1).toUpper(), QLatin1String(scheme.name))));
        }
    }
    std::printf("%s", table.c_str());
}
