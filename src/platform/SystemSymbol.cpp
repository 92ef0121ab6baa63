#include "platform/SystemSymbol.h"

#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
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

// A tick from lower left up to the right.
void drawCheckmark(QPainter& p)
{
    p.setPen(QPen(Qt::black, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(4.5, 12.8);
    tick.lineTo(9.6, 18.0);
    tick.lineTo(19.5, 6.0);
    p.drawPath(tick);
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
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
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
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
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
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(body.subtracted(cut));
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
