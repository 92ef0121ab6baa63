#include "platform/SystemSymbol.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>

namespace gaugelet {

namespace {

// A figure in a 24 × 24 box: head, torso, arms and legs as round-capped
// strokes. The two poses differ in stride and lean.
void drawFigure(QPainter& p, bool running)
{
    QPen pen(Qt::black, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const QPointF head = running ? QPointF(14.5, 3.6) : QPointF(12.5, 3.4);
    p.drawEllipse(head, 2.4, 2.4);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen);
    const QPointF neck = running ? QPointF(13.2, 7.5) : QPointF(12.2, 7.5);
    const QPointF hip = running ? QPointF(10.8, 14.0) : QPointF(11.6, 14.5);
    p.drawLine(neck, hip);
    QPainterPath arms;
    if (running) {
        arms.moveTo(7.5, 12.0);
        arms.lineTo(9.5, 9.0);
        arms.lineTo(13.0, 8.5);
        arms.lineTo(16.0, 11.0);
        arms.lineTo(18.5, 10.0);
    } else {
        arms.moveTo(9.5, 13.5);
        arms.lineTo(10.5, 9.5);
        arms.lineTo(12.2, 8.5);
        arms.lineTo(14.5, 11.0);
        arms.lineTo(15.0, 14.0);
    }
    p.drawPath(arms);
    QPainterPath legs;
    if (running) {
        legs.moveTo(hip);
        legs.lineTo(15.0, 17.0);
        legs.lineTo(15.5, 21.5);
        legs.moveTo(hip);
        legs.lineTo(8.5, 18.0);
        legs.lineTo(4.5, 19.0);
    } else {
        legs.moveTo(hip);
        legs.lineTo(13.5, 18.0);
        legs.lineTo(14.0, 21.8);
        legs.moveTo(hip);
        legs.lineTo(10.0, 18.0);
        legs.lineTo(8.5, 21.8);
    }
    p.drawPath(legs);
}

// The settings window's tab symbols, each in a 24 × 24 box, drawn as
// outlines of one stroke weight so the six read as one set.
QPen symbolPen(qreal width = 1.8)
{
    return QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

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
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(gear);
}

void drawChartBarDoc(QPainter& p)
{
    p.setPen(symbolPen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 3, 3);
    QPen bar = symbolPen(2.6);
    p.setPen(bar);
    p.drawLine(QPointF(7.5, 8.5), QPointF(16.5, 8.5));
    p.drawLine(QPointF(7.5, 12.0), QPointF(13.0, 12.0));
    p.drawLine(QPointF(7.5, 15.5), QPointF(15.0, 15.5));
}

void drawBell(QPainter& p)
{
    QPainterPath bell;
    bell.moveTo(12, 3.2);
    bell.cubicTo(8.2, 3.2, 6.4, 6.2, 6.4, 9.6);
    bell.lineTo(6.4, 13.4);
    bell.lineTo(4.2, 17.2);
    bell.lineTo(19.8, 17.2);
    bell.lineTo(17.6, 13.4);
    bell.lineTo(17.6, 9.6);
    bell.cubicTo(17.6, 6.2, 15.8, 3.2, 12, 3.2);
    bell.closeSubpath();
    p.setPen(symbolPen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(bell);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath clapper;
    clapper.moveTo(9.4, 18.6);
    clapper.arcTo(QRectF(9.4, 16.0, 5.2, 5.2), 180, 180);
    clapper.closeSubpath();
    p.drawPath(clapper);
}

void drawPaintPalette(QPainter& p)
{
    QPainterPath palette;
    palette.moveTo(12, 3);
    palette.cubicTo(6.5, 3, 3, 7, 3, 12);
    palette.cubicTo(3, 17, 7, 21, 11.5, 21);
    palette.cubicTo(13.2, 21, 13.6, 19.8, 13.0, 18.6);
    palette.cubicTo(12.2, 17.0, 13.2, 15.5, 15.0, 15.5);
    palette.lineTo(17.0, 15.5);
    palette.cubicTo(19.5, 15.5, 21, 14.0, 21, 11.5);
    palette.cubicTo(21, 6.5, 17, 3, 12, 3);
    palette.closeSubpath();
    p.setPen(symbolPen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(palette);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const QPointF& dot : {QPointF(7.6, 11.6), QPointF(9.6, 7.6), QPointF(14.2, 7.2), QPointF(17.2, 10.4)})
        p.drawEllipse(dot, 1.5, 1.5);
}

void drawChecklist(QPainter& p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(symbolPen(1.7));
    for (qreal y : {6.0, 12.0, 18.0}) {
        QPainterPath tick;
        tick.moveTo(3.2, y);
        tick.lineTo(4.9, y + 1.7);
        tick.lineTo(8.0, y - 1.8);
        p.drawPath(tick);
    }
    p.setPen(symbolPen(2.0));
    for (qreal y : {6.0, 12.0, 18.0})
        p.drawLine(QPointF(11.0, y), QPointF(20.8, y));
}

void drawBag(QPainter& p)
{
    QPainterPath body;
    body.moveTo(5.4, 8.0);
    body.lineTo(18.6, 8.0);
    body.lineTo(19.6, 19.0);
    body.quadTo(19.8, 21.0, 17.8, 21.0);
    body.lineTo(6.2, 21.0);
    body.quadTo(4.2, 21.0, 4.4, 19.0);
    body.closeSubpath();
    p.setPen(symbolPen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    QPainterPath handle;
    handle.moveTo(8.6, 10.8);
    handle.lineTo(8.6, 7.0);
    handle.cubicTo(8.6, 4.6, 10.0, 3.2, 12.0, 3.2);
    handle.cubicTo(14.0, 3.2, 15.4, 4.6, 15.4, 7.0);
    handle.lineTo(15.4, 10.8);
    p.drawPath(handle);
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
        // The settings tabs: the freedesktop names have no equivalents (their
        // nearest icons are coloured application icons), so all six are ours.
        {QStringLiteral("gearshape"), {QString(), drawGearshape}},
        {QStringLiteral("chart.bar.doc.horizontal"), {QString(), drawChartBarDoc}},
        {QStringLiteral("bell"), {QString(), drawBell}},
        {QStringLiteral("paintpalette"), {QString(), drawPaintPalette}},
        {QStringLiteral("checklist"), {QString(), drawChecklist}},
        {QStringLiteral("bag"), {QString(), drawBag}},
    };
    return table;
}

} // namespace

bool SystemSymbol::isKnown(const QString& name)
{
    return symbols().contains(name);
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
    return image;
}

} // namespace gaugelet
