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

// A gauge in a 24 × 24 box: an open dial, tick dots and a needle at half scale.
void drawStatusGauge(QPainter& p, bool dots)
{
    QPen pen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 3.5, 19, 19), -30 * 16, 240 * 16);
    if (dots) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        for (const QPointF& dot : {QPointF(7.0, 16.5), QPointF(7.5, 10.0), QPointF(12.0, 7.5), QPointF(16.5, 10.0),
                                   QPointF(17.0, 16.5)})
            p.drawEllipse(dot, 1.1, 1.1);
    }
    p.setPen(pen);
    p.drawLine(QPointF(12, 14), QPointF(12, 9.0));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(12, 14), 2.0, 2.0);
}

// A filled bell: dome, flared rim and clapper.
void drawBellFill(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath bell;
    bell.moveTo(12, 2.5);
    bell.cubicTo(7.5, 2.5, 5.5, 6.5, 5.5, 10.5);
    bell.lineTo(5.5, 14.5);
    bell.lineTo(3.5, 17.5);
    bell.lineTo(20.5, 17.5);
    bell.lineTo(18.5, 14.5);
    bell.lineTo(18.5, 10.5);
    bell.cubicTo(18.5, 6.5, 16.5, 2.5, 12, 2.5);
    bell.closeSubpath();
    p.drawPath(bell);
    p.drawEllipse(QPointF(12, 19.8), 2.3, 2.3);
}

// A filled circle with a downward arrow cut out of it.
void drawArrowDownCircleFill(QPainter& p)
{
    QPainterPath circle;
    circle.addEllipse(QPointF(12, 12), 10, 10);
    QPainterPath arrow;
    arrow.moveTo(10.6, 6.0);
    arrow.lineTo(13.4, 6.0);
    arrow.lineTo(13.4, 12.5);
    arrow.lineTo(16.5, 12.5);
    arrow.lineTo(12.0, 17.5);
    arrow.lineTo(7.5, 12.5);
    arrow.lineTo(10.6, 12.5);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
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
