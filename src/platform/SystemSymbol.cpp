#include "platform/SystemSymbol.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
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
    QPainterPath check;
    check.moveTo(6.8, 12.4);
    check.lineTo(10.4, 16.0);
    check.lineTo(17.2, 8.4);
    QPainterPathStroker stroker;
    stroker.setWidth(2.6);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(disc.subtracted(stroker.createStroke(check)));
}

// A paw: one broad pad and four toes.
void drawPawprint(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath pad;
    pad.moveTo(12, 12.2);
    pad.cubicTo(15.6, 12.2, 19.0, 17.0, 18.0, 19.6);
    pad.cubicTo(17.2, 21.8, 14.4, 20.6, 12, 20.6);
    pad.cubicTo(9.6, 20.6, 6.8, 21.8, 6.0, 19.6);
    pad.cubicTo(5.0, 17.0, 8.4, 12.2, 12, 12.2);
    p.drawPath(pad);
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

struct Symbol {
    QString themeIcon; // empty: the freedesktop icon names have none
    std::function<void(QPainter&)> draw;
};

const QHash<QString, Symbol>& symbols()
{
    static const QHash<QString, Symbol> table{
        {QStringLiteral("figure.walk"), {QString(), [](QPainter& p) { drawFigure(p, false); }}},
        {QStringLiteral("figure.run"), {QString(), [](QPainter& p) { drawFigure(p, true); }}},
        {QStringLiteral("circle"), {QString(), drawCircle}},
        {QStringLiteral("checkmark.circle.fill"), {QString(), drawCheckmarkCircleFill}},
        {QStringLiteral("pawprint"), {QString(), drawPawprint}},
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
