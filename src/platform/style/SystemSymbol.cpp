#include "platform/style/SystemSymbol.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <array>
#include <cmath>
#include <functional>

namespace gaugelet {

namespace {

QPen strokePen(qreal width = 2.0)
{
    return QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Solid black shapes, no outline.
void solid(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
}

// Round-capped black outlines of `width`, nothing filled.
void outline(QPainter& p, qreal width)
{
    p.setPen(strokePen(width));
    p.setBrush(Qt::NoBrush);
}

// Adds a subpath through `points`: a move to the first, a line to each next.
void addPolyline(QPainterPath& path, std::initializer_list<QPointF> points)
{
    path.moveTo(*points.begin());
    for (auto it = points.begin() + 1; it != points.end(); ++it)
        path.lineTo(*it);
}

// A path through `points`, closed into a polygon when asked.
QPainterPath polyline(std::initializer_list<QPointF> points, bool closed = false)
{
    QPainterPath path;
    addPolyline(path, points);
    if (closed)
        path.closeSubpath();
    return path;
}

// A path from path data in the manner of SVG, absolute commands only, every
// word separated by a space: "M x y" (move), "L x y" (line), "Q cx cy x y",
// "C c1x c1y c2x c2y x y" (curves) and "Z" (close).
QPainterPath pathData(const char* data)
{
    QPainterPath path;
    const QList<QByteArray> words = QByteArray(data).split(' ');
    qsizetype at = 0;
    const auto point = [&words, &at] {
        const QPointF p(words.at(at).toDouble(), words.at(at + 1).toDouble());
        at += 2;
        return p;
    };
    while (at < words.size()) {
        switch (words.at(at++).at(0)) {
        case 'M': path.moveTo(point()); break;
        case 'L': path.lineTo(point()); break;
        case 'Q': {
            const QPointF control = point();
            path.quadTo(control, point());
            break;
        }
        case 'C': {
            const QPointF first = point();
            const QPointF second = point();
            path.cubicTo(first, second, point());
            break;
        }
        case 'Z': path.closeSubpath(); break;
        default: break; // not a command word: passed over
        }
    }
    return path;
}

// A closed path through `count` points around `centre`, starting at `start`
// radians: even points at `outer`, odd ones at `inner` (a star or a seal).
QPainterPath starPolygon(QPointF centre, int count, qreal outer, qreal inner, qreal start)
{
    QPainterPath path;
    for (int i = 0; i < count; ++i) {
        const qreal angle = 2 * M_PI * i / count + start;
        const qreal r = i % 2 == 0 ? outer : inner;
        const QPointF pt(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

// A figure in a 24 × 24 box: head, torso, arms and legs as round-capped
// strokes. The two poses differ in stride and lean.
void drawFigure(QPainter& p, bool running)
{
    solid(p);
    const QPointF head = running ? QPointF(14.5, 3.6) : QPointF(12.5, 3.4);
    p.drawEllipse(head, 2.4, 2.4);
    outline(p, 2.4);
    const QPointF neck = running ? QPointF(13.2, 7.5) : QPointF(12.2, 7.5);
    const QPointF hip = running ? QPointF(10.8, 14.0) : QPointF(11.6, 14.5);
    p.drawLine(neck, hip);
    if (running)
        p.drawPath(polyline({{7.5, 12.0}, {9.5, 9.0}, {13.0, 8.5}, {16.0, 11.0}, {18.5, 10.0}}));
    else
        p.drawPath(polyline({{9.5, 13.5}, {10.5, 9.5}, {12.2, 8.5}, {14.5, 11.0}, {15.0, 14.0}}));
    QPainterPath legs;
    if (running) {
        addPolyline(legs, {hip, {15.0, 17.0}, {15.5, 21.5}});
        addPolyline(legs, {hip, {8.5, 18.0}, {4.5, 19.0}});
    } else {
        addPolyline(legs, {hip, {13.5, 18.0}, {14.0, 21.8}});
        addPolyline(legs, {hip, {10.0, 18.0}, {8.5, 21.8}});
    }
    p.drawPath(legs);
}

// A tick from lower left up to the right.
void drawCheckmark(QPainter& p)
{
    outline(p, 2.6);
    p.drawPath(polyline({{4.5, 12.8}, {9.6, 18.0}, {19.5, 6.0}}));
}

// A round gauge face with five dots along its upper arc and the needle at two
// thirds of the sweep.
void drawGauge(QPainter& p, double fraction)
{
    const QPointF centre(12, 12.5);
    p.setPen(QPen(Qt::black, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 10.0, 10.0);
    // The sweep runs clockwise from 210° (lower left) over the top to -30°.
    auto at = [&](double f, double radius) {
        const double angle = qDegreesToRadians(210.0 - 240.0 * f);
        return QPointF(centre.x() + radius * std::cos(angle), centre.y() - radius * std::sin(angle));
    };
    solid(p);
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(at(i / 4.0, 7.0), 1.1, 1.1);
    p.drawEllipse(centre, 2.0, 2.0);
    p.setPen(QPen(Qt::black, 1.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, at(fraction, 6.6));
}

// A circle outline with a dot and a stem: "i" in a ring.
void drawInfoCircle(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    solid(p);
    p.drawEllipse(QPointF(12, 7.6), 1.5, 1.5);
    p.drawRoundedRect(QRectF(10.8, 10.2, 2.4, 7.6), 1.2, 1.2);
}

// A filled drive: a rounded slab with a light and a slot cut out.
void drawExternalDrive(QPainter& p)
{
    QPainterPath body;
    body.addRoundedRect(QRectF(2, 6.5, 20, 11), 3, 3);
    QPainterPath cut;
    cut.addEllipse(QPointF(17.5, 12), 1.4, 1.4);
    cut.addRoundedRect(QRectF(5, 11, 7, 2), 1, 1);
    solid(p);
    p.drawPath(body.subtracted(cut));
}

// A speaker with two sound waves, in a 24 × 24 box.
void drawSpeakerWave2(QPainter& p)
{
    solid(p);
    p.drawPath(polyline({{3.0, 9.0}, {7.0, 9.0}, {12.0, 4.5}, {12.0, 19.5}, {7.0, 15.0}, {3.0, 15.0}}, true));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(10.5, 8.0, 8.0, 8.0), -50 * 16, 100 * 16);
    p.drawArc(QRectF(9.5, 4.0, 14.0, 16.0), -55 * 16, 110 * 16);
}

// A filled warning triangle with the exclamation mark cut out.
void drawWarningTriangle(QPainter& p)
{
    const QPainterPath triangle = polyline({{12.0, 2.5}, {22.5, 21.0}, {1.5, 21.0}}, true);
    QPainterPath mark;
    mark.addRoundedRect(QRectF(10.8, 8.0, 2.4, 7.5), 1.2, 1.2);
    mark.addEllipse(QPointF(12.0, 18.0), 1.4, 1.4);
    p.setPen(QPen(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::black);
    p.drawPath(triangle.subtracted(mark));
    p.setPen(Qt::NoPen);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawPath(mark);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// A filled scalloped seal with the check mark cut out.
void drawCheckmarkSeal(QPainter& p)
{
    const QPainterPath seal = starPolygon(QPointF(12.0, 12.0), 24, 10.5, 9.0, -M_PI / 2);
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::black);
    p.drawPath(seal);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    outline(p, 2.2);
    p.drawPath(polyline({{7.5, 12.3}, {10.6, 15.3}, {16.5, 8.8}}));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// --- The alarms pane's symbols (24 × 24 box, black on transparent) ----------------

// Punches a shape out of what is drawn so far (a glyph inside a filled disc).
void punch(QPainter& p, const std::function<void(QPainter&)>& draw)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    draw(p);
    p.restore();
}

void drawDisc(QPainter& p)
{
    solid(p);
    p.drawEllipse(QPointF(12, 12), 10.5, 10.5);
}

void drawInfoCircleFill(QPainter& p)
{
    drawDisc(p);
    punch(p, [](QPainter& q) {
        solid(q);
        q.drawEllipse(QPointF(12, 7.2), 1.6, 1.6);
        q.drawRoundedRect(QRectF(10.6, 10.2, 2.8, 8.0), 1.2, 1.2);
    });
}

void drawPlusCircleFill(QPainter& p)
{
    drawDisc(p);
    punch(p, [](QPainter& q) {
        q.setPen(strokePen(2.4));
        q.drawLine(QPointF(12, 7), QPointF(12, 17));
        q.drawLine(QPointF(7, 12), QPointF(17, 12));
    });
}

void drawExclamationCircleFill(QPainter& p)
{
    drawDisc(p);
    punch(p, [](QPainter& q) {
        solid(q);
        q.drawRoundedRect(QRectF(10.6, 5.6, 2.8, 8.6), 1.3, 1.3);
        q.drawEllipse(QPointF(12, 17.2), 1.6, 1.6);
    });
}

void drawPlayCircle(QPainter& p)
{
    outline(p, 1.8);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    p.setPen(strokePen(1.0));
    p.setBrush(Qt::black);
    p.drawPath(polyline({{9.5, 7.5}, {17, 12}, {9.5, 16.5}}, true));
}

void drawTrash(QPainter& p)
{
    outline(p, 1.8);
    p.drawLine(QPointF(3.5, 6), QPointF(20.5, 6));
    p.drawLine(QPointF(9.5, 6), QPointF(10, 3.2));
    p.drawLine(QPointF(10, 3.2), QPointF(14, 3.2));
    p.drawLine(QPointF(14, 3.2), QPointF(14.5, 6));
    p.drawPath(polyline({{5.5, 6}, {6.8, 20.5}, {17.2, 20.5}, {18.5, 6}}));
    p.drawLine(QPointF(10, 9.5), QPointF(10.3, 17));
    p.drawLine(QPointF(14, 9.5), QPointF(13.7, 17));
}

void drawChevronDown(QPainter& p)
{
    p.setPen(strokePen(2.6));
    p.drawLine(QPointF(4.5, 8.5), QPointF(12, 16));
    p.drawLine(QPointF(12, 16), QPointF(19.5, 8.5));
}

void drawChartUptrend(QPainter& p)
{
    p.setPen(strokePen(1.8));
    p.drawLine(QPointF(3, 3), QPointF(3, 21));
    p.drawLine(QPointF(3, 21), QPointF(21, 21));
    p.drawPath(polyline({{6, 17}, {10.5, 11.5}, {14, 14.5}, {20, 6.5}}));
}

void drawArrowUpArrowDown(QPainter& p)
{
    p.setPen(strokePen(1.9));
    p.drawLine(QPointF(8, 3.5), QPointF(8, 19));
    p.drawLine(QPointF(4, 7.5), QPointF(8, 3.5));
    p.drawLine(QPointF(8, 3.5), QPointF(12, 7.5));
    p.drawLine(QPointF(16, 5), QPointF(16, 20.5));
    p.drawLine(QPointF(12, 16.5), QPointF(16, 20.5));
    p.drawLine(QPointF(16, 20.5), QPointF(20, 16.5));
}

void drawSliderBelowRectangle(QPainter& p)
{
    outline(p, 1.8);
    p.drawRoundedRect(QRectF(3, 3.5, 18, 9), 2.5, 2.5);
    p.drawLine(QPointF(3, 18.5), QPointF(21, 18.5));
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(9, 18.5), 2.2, 2.2);
}

void drawRepeat(QPainter& p)
{
    outline(p, 1.9);
    // Two arrows, the lower one the upper turned half a turn about the centre.
    for (const qreal turn : {1.0, -1.0}) {
        const auto at = [turn](qreal x, qreal y) { return QPointF(12 + turn * (x - 12), 12 + turn * (y - 12)); };
        QPainterPath arrow;
        arrow.moveTo(at(3.5, 12));
        arrow.lineTo(at(3.5, 9.5));
        arrow.quadTo(at(3.5, 6.5), at(6.5, 6.5));
        arrow.lineTo(at(19.5, 6.5));
        p.drawPath(arrow);
        p.drawLine(at(16.5, 3.5), at(19.5, 6.5));
        p.drawLine(at(19.5, 6.5), at(16.5, 9.5));
    }
}

QPainterPath bellPath()
{
    return pathData("M 4 17.5 Q 6 15.5 6 12.5 L 6 10 C 6 6 8.7 3.5 12 3.5 C 15.3 3.5 18 6 18 10 L 18 12.5 "
                    "Q 18 15.5 20 17.5 Z");
}

void drawBell(QPainter& p)
{
    outline(p, 1.8);
    p.drawPath(bellPath());
    p.drawArc(QRectF(9.5, 17.5, 5, 4), 180 * 16, 180 * 16);
}

void drawBellSlash(QPainter& p)
{
    drawBell(p);
    punch(p, [](QPainter& q) {
        q.setPen(QPen(Qt::black, 4.2, Qt::SolidLine, Qt::RoundCap));
        q.drawLine(QPointF(3, 3), QPointF(21, 21));
    });
    p.setPen(strokePen(1.8));
    p.drawLine(QPointF(3, 3), QPointF(21, 21));
}

void drawMoonZzz(QPainter& p)
{
    QPainterPath moon;
    moon.addEllipse(QPointF(10, 13), 8, 8);
    QPainterPath bite;
    bite.addEllipse(QPointF(14.5, 9), 6.5, 6.5);
    solid(p);
    p.drawPath(moon.subtracted(bite));
    outline(p, 1.4);
    // Two z's, each three strokes.
    for (const auto& [left, right, top, bottom] :
         {std::array{15.0, 19.0, 2.5, 6.5}, std::array{19.5, 22.0, 9.0, 11.5}}) {
        p.drawLine(QPointF(left, top), QPointF(right, top));
        p.drawLine(QPointF(right, top), QPointF(left, bottom));
        p.drawLine(QPointF(left, bottom), QPointF(right, bottom));
    }
}

void drawStarFill(QPainter& p)
{
    p.setPen(strokePen(1.2));
    p.setBrush(Qt::black);
    p.drawPath(starPolygon(QPointF(12, 12.8), 10, 10.5, 4.6, -M_PI / 2));
}

void drawUturnBackwardCircle(QPainter& p)
{
    outline(p, 1.8);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    p.drawPath(pathData("M 8 10 L 13.5 10 C 16 10 17.2 11.7 17.2 13.4 C 17.2 15.2 16 16.8 13.5 16.8 L 11 16.8"));
    p.drawLine(QPointF(8, 10), QPointF(10.6, 7.4));
    p.drawLine(QPointF(8, 10), QPointF(10.6, 12.6));
}

// A ring of the symbol's full size.
void drawCircle(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 10.1, 10.1);
}

// A filled disc with a check mark cut out of it.
void drawCheckmarkCircleFill(QPainter& p)
{
    QPainterPath disc;
    disc.addEllipse(QPointF(12, 12), 11, 11);
    const QPainterPath check = polyline({{6.8, 12.4}, {10.4, 16.0}, {17.2, 8.4}});
    QPainterPathStroker stroker;
    stroker.setWidth(2.6);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    solid(p);
    p.drawPath(disc.subtracted(stroker.createStroke(check)));
}

// A paw: one broad pad and four toes.
void drawPawprint(QPainter& p)
{
    solid(p);
    p.drawPath(pathData("M 12 12.2 C 15.6 12.2 19.0 17.0 18.0 19.6 C 17.2 21.8 14.4 20.6 12 20.6 "
                        "C 9.6 20.6 6.8 21.8 6.0 19.6 C 5.0 17.0 8.4 12.2 12 12.2"));
    const auto toe = [&](double x, double y, double rx, double ry, double angle) {
        p.save();
        p.translate(x, y);
        p.rotate(angle);
        p.drawEllipse(QPointF(0, 0), rx, ry);
        p.restore();
    };
    toe(4.0, 10.6, 2.0, 2.6, -25);
    toe(8.6, 5.8, 2.2, 2.9, -10);
    toe(15.4, 5.8, 2.2, 2.9, 10);
    toe(20.0, 10.6, 2.0, 2.6, 25);
}

// --- The settings window's tab symbols (24 × 24 box, black on transparent) -------
// Outlines of one stroke weight, so the tabs read as one set (the bell is the
// alarms pane's).
void drawGearshape(QPainter& p)
{
    const QPointF c(12, 12);
    QPainterPath gear;
    constexpr int teeth = 8;
    constexpr qreal outer = 10.2, inner = 7.6;
    for (int i = 0; i < teeth * 4; ++i) {
        // Each tooth: rise, top, fall, valley; quarter steps of one tooth pitch.
        const qreal a = (i - 0.5) * (M_PI * 2 / (teeth * 4));
        const qreal r = (i % 4 == 1 || i % 4 == 2) ? outer : inner;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        i == 0 ? gear.moveTo(pt) : gear.lineTo(pt);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 3.4, 3.4);
    gear.setFillRule(Qt::OddEvenFill);
    solid(p);
    p.drawPath(gear);
}

void drawChartBarDoc(QPainter& p)
{
    outline(p, 1.8);
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 3, 3);
    p.setPen(strokePen(2.6));
    p.drawLine(QPointF(7.5, 8.5), QPointF(16.5, 8.5));
    p.drawLine(QPointF(7.5, 12.0), QPointF(13.0, 12.0));
    p.drawLine(QPointF(7.5, 15.5), QPointF(15.0, 15.5));
}

void drawPaintPalette(QPainter& p)
{
    outline(p, 1.8);
    p.drawPath(
        pathData("M 12 3 C 6.5 3 3 7 3 12 C 3 17 7 21 11.5 21 C 13.2 21 13.6 19.8 13.0 18.6 "
                 "C 12.2 17.0 13.2 15.5 15.0 15.5 L 17.0 15.5 C 19.5 15.5 21 14.0 21 11.5 C 21 6.5 17 3 12 3 Z"));
    solid(p);
    for (const QPointF& dot : {QPointF(7.6, 11.6), QPointF(9.6, 7.6), QPointF(14.2, 7.2), QPointF(17.2, 10.4)})
        p.drawEllipse(dot, 1.5, 1.5);
}

void drawChecklist(QPainter& p)
{
    outline(p, 1.7);
    for (qreal y : {6.0, 12.0, 18.0})
        p.drawPath(polyline({{3.2, y}, {4.9, y + 1.7}, {8.0, y - 1.8}}));
    p.setPen(strokePen(2.0));
    for (qreal y : {6.0, 12.0, 18.0})
        p.drawLine(QPointF(11.0, y), QPointF(20.8, y));
}

void drawBag(QPainter& p)
{
    outline(p, 1.8);
    p.drawPath(pathData("M 5.4 8.0 L 18.6 8.0 L 19.6 19.0 Q 19.8 21.0 17.8 21.0 L 6.2 21.0 Q 4.2 21.0 4.4 19.0 Z"));
    p.drawPath(pathData("M 8.6 10.8 L 8.6 7.0 C 8.6 4.6 10.0 3.2 12.0 3.2 C 14.0 3.2 15.4 4.6 15.4 7.0 L 15.4 10.8"));
}

// A gauge in a 24 × 24 box: an open dial, tick dots and a needle at half scale.
void drawStatusGauge(QPainter& p, bool dots)
{
    const QPen pen = strokePen(2.2);
    outline(p, 2.2);
    p.drawArc(QRectF(2.5, 3.5, 19, 19), -30 * 16, 240 * 16);
    if (dots) {
        solid(p);
        for (const QPointF& dot : {QPointF(7.0, 16.5), QPointF(7.5, 10.0), QPointF(12.0, 7.5), QPointF(16.5, 10.0),
                                   QPointF(17.0, 16.5)})
            p.drawEllipse(dot, 1.1, 1.1);
    }
    p.setPen(pen);
    p.drawLine(QPointF(12, 14), QPointF(12, 9.0));
    solid(p);
    p.drawEllipse(QPointF(12, 14), 2.0, 2.0);
}

// A filled bell: dome, flared rim and clapper.
void drawBellFill(QPainter& p)
{
    solid(p);
    p.drawPath(pathData("M 12 2.5 C 7.5 2.5 5.5 6.5 5.5 10.5 L 5.5 14.5 L 3.5 17.5 L 20.5 17.5 L 18.5 14.5 "
                        "L 18.5 10.5 C 18.5 6.5 16.5 2.5 12 2.5 Z"));
    p.drawEllipse(QPointF(12, 19.8), 2.3, 2.3);
}

// A filled circle with a downward arrow cut out of it.
void drawArrowDownCircleFill(QPainter& p)
{
    QPainterPath circle;
    circle.addEllipse(QPointF(12, 12), 10, 10);
    const QPainterPath arrow =
        polyline({{10.6, 6.0}, {13.4, 6.0}, {13.4, 12.5}, {16.5, 12.5}, {12.0, 17.5}, {7.5, 12.5}, {10.6, 12.5}}, true);
    solid(p);
    p.drawPath(circle.subtracted(arrow));
}

struct Symbol {
    QString themeIcon; // empty: the freedesktop icon names have none
    std::function<void(QPainter&)> draw;
};

const QHash<QString, Symbol>& symbols()
{
    static const QHash<QString, Symbol> table{
        {QStringLiteral("figure.walk"), {QString(), [](QPainter& p) { drawFigure(p, false); }}},
        {QStringLiteral("figure.run"), {QString(), [](QPainter& p) { drawFigure(p, true); }}},
        {QStringLiteral("checkmark"), {QString(), drawCheckmark}},
        {QStringLiteral("gauge.with.dots.needle.67percent"), {QString(), [](QPainter& p) { drawGauge(p, 0.67); }}},
        // Our own drawings: the theme's "help-about" and "drive-harddisk" are
        // coloured icons, and these are tinted like text.
        {QStringLiteral("info.circle"), {QString(), drawInfoCircle}},
        {QStringLiteral("externaldrive.fill"), {QString(), drawExternalDrive}},
        {QStringLiteral("speaker.wave.2"), {QString(), drawSpeakerWave2}},
        {QStringLiteral("exclamationmark.triangle.fill"), {QString(), drawWarningTriangle}},
        {QStringLiteral("checkmark.seal.fill"), {QString(), drawCheckmarkSeal}},
        // Drawn by us: these are tinted, so they must be one-colour templates.
        {QStringLiteral("info.circle.fill"), {QString(), drawInfoCircleFill}},
        {QStringLiteral("plus.circle.fill"), {QString(), drawPlusCircleFill}},
        {QStringLiteral("exclamationmark.circle.fill"), {QString(), drawExclamationCircleFill}},
        {QStringLiteral("play.circle"), {QString(), drawPlayCircle}},
        {QStringLiteral("trash"), {QString(), drawTrash}},
        {QStringLiteral("chevron.down"), {QString(), drawChevronDown}},
        {QStringLiteral("chart.line.uptrend.xyaxis"), {QString(), drawChartUptrend}},
        {QStringLiteral("arrow.up.arrow.down"), {QString(), drawArrowUpArrowDown}},
        {QStringLiteral("slider.horizontal.below.rectangle"), {QString(), drawSliderBelowRectangle}},
        {QStringLiteral("repeat"), {QString(), drawRepeat}},
        {QStringLiteral("bell"), {QString(), drawBell}},
        {QStringLiteral("bell.slash"), {QString(), drawBellSlash}},
        {QStringLiteral("moon.zzz"), {QString(), drawMoonZzz}},
        {QStringLiteral("star.fill"), {QString(), drawStarFill}},
        {QStringLiteral("arrow.uturn.backward.circle"), {QString(), drawUturnBackwardCircle}},
        {QStringLiteral("circle"), {QString(), drawCircle}},
        {QStringLiteral("checkmark.circle.fill"), {QString(), drawCheckmarkCircleFill}},
        {QStringLiteral("pawprint"), {QString(), drawPawprint}},
        // The settings tabs ("bell" is above): the freedesktop names have no
        // equivalents (their nearest icons are coloured application icons).
        {QStringLiteral("gearshape"), {QString(), drawGearshape}},
        {QStringLiteral("chart.bar.doc.horizontal"), {QString(), drawChartBarDoc}},
        {QStringLiteral("paintpalette"), {QString(), drawPaintPalette}},
        {QStringLiteral("checklist"), {QString(), drawChecklist}},
        {QStringLiteral("bag"), {QString(), drawBag}},
        {QStringLiteral("gauge.with.dots.needle.50percent"), {QString(), [](QPainter& p) { drawStatusGauge(p, true); }}},
        {QStringLiteral("gauge"), {QString(), [](QPainter& p) { drawStatusGauge(p, false); }}},
        {QStringLiteral("bell.fill"), {QString(), [](QPainter& p) { drawBellFill(p); }}},
        {QStringLiteral("arrow.down.circle.fill"), {QString(), [](QPainter& p) { drawArrowDownCircleFill(p); }}},
    };
    return table;
}

} // namespace

bool SystemSymbol::isKnown(const QString& name)
{
    return symbols().contains(name);
}

QImage SystemSymbol::tinted(const QString& name, qreal side, const QColor& colour, qreal devicePixelRatio)
{
    const qreal dpr = devicePixelRatio > 0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0;
    if (!(side > 0) || !std::isfinite(side) || side * dpr > 4096)
        return {};
    QImage image = SystemSymbol::image(name, std::max(1, int(std::ceil(side * dpr))));
    if (image.isNull())
        return image;
    // A template keeps its shape and takes the colour.
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(image.rect(), colour);
    p.end();
    image.setDevicePixelRatio(dpr);
    return image.copy(); // callers keep it: without the paint engine the painted image holds
}

QImage SystemSymbol::image(const QString& name, int side)
{
    const auto it = symbols().constFind(name);
    if (it == symbols().cend() || side < 1 || side > 4096)
        return {};
    if (!it->themeIcon.isEmpty() && QIcon::hasThemeIcon(it->themeIcon)) {
        QImage themed = QIcon::fromTheme(it->themeIcon).pixmap(side, side).toImage();
        if (!themed.isNull())
            return themed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 24.0, side / 24.0);
    it->draw(p);
    p.end();
    // Callers keep symbols (the status item's idle picture, buttons): a copy,
    // without the paint engine (and its stroker's buffers) the painted image holds.
    return image.copy();
}

} // namespace gaugelet
