// Draws the three built-in runner sprites as running cycles, one transparent
// PNG per frame: <out>/<kind>/assets/<kind>_<i>.png, plus <out>/contact-sheet.png
// showing every frame on a light and a dark bar at menu-bar size.
//
//   gaugelet-spritegen OUTPUT_DIR
//
// Every animal faces right and is drawn from paths in a 96 x 72 pixel frame;
// a dark outline keeps the silhouette readable on light and dark bars.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>

namespace {

constexpr int frameWidth = 96;
constexpr int frameHeight = 72;
constexpr int frameCount = 8;

struct Colors {
    QColor body;
    QColor outline;
    QColor light;
    QColor dark;
};

// A two-segment leg from the hip: thigh angle and knee bend in degrees
// (0 = straight down, positive = forward).
void drawLeg(QPainter& p, QPointF hip, double thigh, double shin, double upper, double lower, double width,
             const Colors& c, const QColor& fill, bool far)
{
    const double a1 = qDegreesToRadians(thigh);
    const QPointF knee = hip + QPointF(std::sin(a1) * upper, std::cos(a1) * upper);
    const double a2 = qDegreesToRadians(thigh + shin);
    const QPointF foot = knee + QPointF(std::sin(a2) * lower, std::cos(a2) * lower);
    QPainterPath leg(hip);
    leg.lineTo(knee);
    leg.lineTo(foot);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c.outline, width + 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(leg);
    p.setPen(QPen(far ? fill.darker(125) : fill, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(leg);
}

void fillOutlined(QPainter& p, const QPainterPath& path, const QColor& fill, const Colors& c, double pen = 2.5)
{
    p.setPen(QPen(c.outline, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

// Gallop phase helpers: front and back pairs swing in opposition; the far leg
// of each pair trails its near leg a little.
double swing(double phase, double offset, double amplitude) { return amplitude * std::sin(phase + offset); }

// Hind leg: the thigh swings about the hip, the hock folds backwards most
// while the foot is carried forward.
void hindLeg(QPainter& p, QPointF hip, double phase, double reach, double upper, double lower, double width,
             const Colors& c, const QColor& fill, bool far)
{
    const double thigh = 8 + reach * std::sin(phase);
    const double fold = -35 - 20 * std::max(0.0, std::cos(phase));
    drawLeg(p, hip, thigh, fold, upper, lower, width, c, fill, far);
}

// Fore leg: swings opposite the hind pair; the wrist folds back while lifted.
void foreLeg(QPainter& p, QPointF shoulder, double phase, double reach, double upper, double lower, double width,
             const Colors& c, const QColor& fill, bool far)
{
    const double arm = -4 + reach * std::sin(phase + M_PI);
    const double fold = -50 * std::max(0.0, std::cos(phase + M_PI));
    drawLeg(p, shoulder, arm, fold, upper, lower, width, c, fill, far);
}

void drawFox(QPainter& p, double phase)
{
    const Colors c{QColor("#E2762B"), QColor("#4A2110"), QColor("#FFF1E0"), QColor("#7A3512")};
    const double bob = -3.0 * std::abs(std::sin(phase));
    p.translate(0, bob);

    // Tail: a bushy plume trailing up and back, swaying.
    const double sway = 4.0 * std::sin(phase + 1.0);
    QPainterPath tail(QPointF(30, 34));
    tail.cubicTo(QPointF(18, 30 + sway), QPointF(6, 24 + sway), QPointF(3, 16 + sway));
    tail.cubicTo(QPointF(10, 14 + sway), QPointF(22, 20 + sway * 0.5), QPointF(32, 28));
    tail.closeSubpath();
    fillOutlined(p, tail, c.body, c);
    QPainterPath tip(QPointF(3, 16 + sway));
    tip.cubicTo(QPointF(6, 21 + sway), QPointF(10, 22 + sway), QPointF(12, 21 + sway));
    tip.cubicTo(QPointF(11, 17 + sway), QPointF(7, 15 + sway), QPointF(3, 16 + sway));
    p.setPen(Qt::NoPen);
    p.setBrush(c.light);
    p.drawPath(tip);

    // Far legs first.
    hindLeg(p, QPointF(36, 40), phase + 0.7, 40, 11, 12, 4.5, c, c.dark, true);
    foreLeg(p, QPointF(62, 40), phase + 0.7, 40, 10, 12, 4.5, c, c.dark, true);

    // Body.
    QPainterPath body;
    body.addEllipse(QRectF(26, 26, 44, 20));
    fillOutlined(p, body, c.body, c);
    QPainterPath belly;
    belly.addEllipse(QRectF(40, 37, 24, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(c.light);
    p.drawPath(belly);

    // Head: skull, pointed snout and two ears.
    QPainterPath head;
    head.moveTo(62, 30);
    head.cubicTo(QPointF(64, 20), QPointF(72, 17), QPointF(78, 20));
    head.lineTo(91, 27);
    head.cubicTo(QPointF(92, 29), QPointF(90, 31), QPointF(86, 31));
    head.cubicTo(QPointF(80, 33), QPointF(72, 36), QPointF(64, 36));
    head.closeSubpath();
    QPainterPath ears;
    ears.moveTo(67, 21);
    ears.lineTo(67, 8);
    ears.lineTo(74, 18);
    ears.closeSubpath();
    ears.moveTo(72, 19);
    ears.lineTo(76, 7);
    ears.lineTo(79, 20);
    ears.closeSubpath();
    fillOutlined(p, ears, c.body, c);
    fillOutlined(p, head, c.body, c);
    QPainterPath cheek;
    cheek.moveTo(74, 31);
    cheek.cubicTo(QPointF(80, 29), QPointF(86, 30), QPointF(88, 30));
    cheek.cubicTo(QPointF(84, 33), QPointF(78, 34), QPointF(74, 31));
    p.setPen(Qt::NoPen);
    p.setBrush(c.light);
    p.drawPath(cheek);
    p.setBrush(c.outline);
    p.drawEllipse(QPointF(90, 27.5), 2.0, 2.0); // nose
    p.drawEllipse(QPointF(77, 23.5), 1.7, 1.7); // eye

    // Near legs.
    hindLeg(p, QPointF(38, 40), phase, 40, 11, 12, 5, c, c.body, false);
    foreLeg(p, QPointF(64, 40), phase, 40, 10, 12, 5, c, c.body, false);
}

void drawHare(QPainter& p, double phase)
{
    const Colors c{QColor("#B18E6B"), QColor("#3B2C1E"), QColor("#F4EBDD"), QColor("#7C6148")};
    const double bob = -4.0 * std::abs(std::sin(phase));
    p.translate(0, bob);

    // Far legs: long hind leg, short fore leg.
    hindLeg(p, QPointF(30, 42), phase + 0.5, 50, 12, 16, 5, c, c.dark, true);
    foreLeg(p, QPointF(62, 42), phase + 0.5, 40, 10, 11, 3.5, c, c.dark, true);

    // Cotton tail.
    QPainterPath tail;
    tail.addEllipse(QRectF(14, 27, 11, 10));
    fillOutlined(p, tail, c.light, c);

    // Body: a long, arched oval.
    QPainterPath body;
    body.moveTo(20, 38);
    body.cubicTo(QPointF(22, 24), QPointF(50, 22), QPointF(66, 28));
    body.cubicTo(QPointF(72, 32), QPointF(70, 44), QPointF(60, 46));
    body.cubicTo(QPointF(44, 49), QPointF(22, 48), QPointF(20, 38));
    body.closeSubpath();
    fillOutlined(p, body, c.body, c);

    // Long ears laid back with the run.
    const double flap = 3.0 * std::sin(phase + 0.8);
    QPainterPath ears;
    ears.moveTo(67, 24);
    ears.cubicTo(QPointF(58, 16 + flap), QPointF(48, 10 + flap), QPointF(42, 11 + flap));
    ears.cubicTo(QPointF(44, 17 + flap), QPointF(56, 22), QPointF(70, 25));
    ears.closeSubpath();
    ears.moveTo(71, 21);
    ears.cubicTo(QPointF(64, 11 + flap), QPointF(56, 3 + flap), QPointF(49, 3 + flap));
    ears.cubicTo(QPointF(50, 10 + flap), QPointF(62, 18), QPointF(76, 22));
    ears.closeSubpath();
    fillOutlined(p, ears, c.body, c);

    // Head.
    QPainterPath head;
    head.moveTo(64, 28);
    head.cubicTo(QPointF(66, 18), QPointF(80, 16), QPointF(86, 24));
    head.cubicTo(QPointF(90, 28), QPointF(88, 34), QPointF(82, 35));
    head.cubicTo(QPointF(74, 37), QPointF(66, 36), QPointF(64, 28));
    head.closeSubpath();
    fillOutlined(p, head, c.body, c);
    p.setPen(Qt::NoPen);
    p.setBrush(c.outline);
    p.drawEllipse(QPointF(78, 24), 1.8, 1.8);
    p.drawEllipse(QPointF(88, 28.5), 1.5, 1.3);
    p.setBrush(c.light);
    p.drawEllipse(QRectF(40, 38, 18, 7)); // belly

    // Near legs.
    hindLeg(p, QPointF(32, 42), phase, 50, 12, 16, 5.5, c, c.body, false);
    foreLeg(p, QPointF(64, 42), phase, 40, 10, 11, 4, c, c.body, false);
}

void drawPiglet(QPainter& p, double phase)
{
    const Colors c{QColor("#F2A3B5"), QColor("#7E3348"), QColor("#FBD3DC"), QColor("#C96F86")};
    const double bob = -2.5 * std::abs(std::sin(phase));
    p.translate(0, bob);

    // Far legs: short trotters.
    drawLeg(p, QPointF(32, 46), swing(phase, M_PI, 32), -20 * std::max(0.0, std::cos(phase + M_PI)), 7, 7, 6, c, c.dark, true);
    drawLeg(p, QPointF(60, 46), swing(phase, 0.0, 32), -20 * std::max(0.0, std::cos(phase)), 7, 7, 6, c, c.dark, true);

    // Curly tail.
    QPainterPath tail(QPointF(20, 34));
    tail.cubicTo(QPointF(12, 30), QPointF(10, 22), QPointF(16, 22));
    tail.cubicTo(QPointF(21, 22), QPointF(19, 29), QPointF(14, 28));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c.outline, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(tail);
    p.setPen(QPen(c.body, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(tail);

    // Round body.
    QPainterPath body;
    body.addRoundedRect(QRectF(18, 24, 52, 28), 14, 14);
    fillOutlined(p, body, c.body, c);

    // Head with a snout disc and a floppy ear.
    QPainterPath head;
    head.addEllipse(QRectF(56, 20, 26, 24));
    fillOutlined(p, head, c.body, c);
    QPainterPath ear;
    const double flop = 2.0 * std::sin(phase + 1.2);
    ear.moveTo(62, 24);
    ear.lineTo(64, 11 + flop);
    ear.lineTo(72, 21);
    ear.closeSubpath();
    fillOutlined(p, ear, c.body, c);
    QPainterPath snout;
    snout.addRoundedRect(QRectF(78, 28, 11, 11), 4, 4);
    fillOutlined(p, snout, c.light, c);
    p.setPen(Qt::NoPen);
    p.setBrush(c.outline);
    p.drawEllipse(QPointF(83, 33.5), 1.0, 1.6);
    p.drawEllipse(QPointF(86, 33.5), 1.0, 1.6);
    p.drawEllipse(QPointF(72, 28), 1.8, 1.8); // eye
    p.setBrush(c.light);
    p.drawEllipse(QRectF(34, 42, 22, 7)); // belly

    // Near legs.
    drawLeg(p, QPointF(34, 46), swing(phase, 0.0, 32), -20 * std::max(0.0, std::cos(phase)), 7, 7, 6.5, c, c.body, false);
    drawLeg(p, QPointF(62, 46), swing(phase, M_PI, 32), -20 * std::max(0.0, std::cos(phase + M_PI)), 7, 7, 6.5, c, c.body, false);
}

using DrawFn = void (*)(QPainter&, double);

struct Kind {
    const char* id;
    DrawFn draw;
};

QImage renderFrame(DrawFn draw, int index)
{
    QImage image(frameWidth, frameHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, 2.0 * M_PI * index / frameCount);
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gaugelet-spritegen OUTPUT_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const Kind kinds[] = {{"fox", drawFox}, {"hare", drawHare}, {"piglet", drawPiglet}};

    // Contact sheet: each kind on a light and a dark bar at 22 and 44 pixels high.
    const int cell = 40;
    QImage sheet(frameCount * cell * 2 + 20, 3 * 2 * 30 + 20, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor("#EDEDED"));
    QPainter sp(&sheet);
    sp.fillRect(QRect(sheet.width() / 2, 0, sheet.width() / 2, sheet.height()), QColor("#1E1E1E"));
    sp.setRenderHint(QPainter::SmoothPixmapTransform);

    int row = 0;
    for (const Kind& kind : kinds) {
        const QString dir = out + QLatin1Char('/') + QLatin1String(kind.id) + QStringLiteral("/assets");
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(dir));
            return 1;
        }
        for (int i = 0; i < frameCount; ++i) {
            const QImage frame = renderFrame(kind.draw, i);
            const QString path = QStringLiteral("%1/%2_%3.png").arg(dir, QLatin1String(kind.id)).arg(i);
            if (!frame.save(path, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
            const QImage small = frame.scaledToHeight(22, Qt::SmoothTransformation);
            sp.drawImage(QPoint(10 + i * cell, 10 + row * 30), small);
            sp.drawImage(QPoint(sheet.width() / 2 + 10 + i * cell, 10 + row * 30), small);
        }
        ++row;
    }
    sp.end();
    sheet.save(out + QStringLiteral("/contact-sheet.png"), "PNG");
    // A large view of the first frames for a closer look.
    QImage big(frameWidth * 3, frameHeight, QImage::Format_ARGB32_Premultiplied);
    big.fill(QColor("#808080"));
    QPainter bp(&big);
    for (int k = 0; k < 3; ++k)
        bp.drawImage(QPoint(k * frameWidth, 0), renderFrame(kinds[k].draw, 1));
    bp.end();
    big.scaled(big.size() * 3).save(out + QStringLiteral("/first-frames.png"), "PNG");
    // Every frame of every kind, full size, for checking the gait.
    QImage strip(frameWidth * frameCount, frameHeight * 3, QImage::Format_ARGB32_Premultiplied);
    strip.fill(QColor("#9A9A9A"));
    QPainter stp(&strip);
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < frameCount; ++i)
            stp.drawImage(QPoint(i * frameWidth, k * frameHeight), renderFrame(kinds[k].draw, i));
    stp.end();
    strip.save(out + QStringLiteral("/all-frames.png"), "PNG");
    std::printf("wrote %d frames for %d kinds under %s\n", frameCount, 3, qPrintable(out));
    return 0;
}
