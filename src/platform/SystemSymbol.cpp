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

// A speaker with two sound waves, in a 24 × 24 box.
void drawSpeakerWave2(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath body;
    body.moveTo(3.0, 9.0);
    body.lineTo(7.0, 9.0);
    body.lineTo(12.0, 4.5);
    body.lineTo(12.0, 19.5);
    body.lineTo(7.0, 15.0);
    body.lineTo(3.0, 15.0);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(10.5, 8.0, 8.0, 8.0), -50 * 16, 100 * 16);
    p.drawArc(QRectF(9.5, 4.0, 14.0, 16.0), -55 * 16, 110 * 16);
}

// A filled warning triangle with the exclamation mark cut out.
void drawWarningTriangle(QPainter& p)
{
    QPainterPath triangle;
    triangle.moveTo(12.0, 2.5);
    triangle.lineTo(22.5, 21.0);
    triangle.lineTo(1.5, 21.0);
    triangle.closeSubpath();
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
    QPainterPath seal;
    const QPointF c(12.0, 12.0);
    const int points = 24;
    for (int i = 0; i <= points; ++i) {
        const double angle = 2 * M_PI * i / points - M_PI / 2;
        const double r = (i % 2 == 0) ? 10.5 : 9.0;
        const QPointF pt(c.x() + r * std::cos(angle), c.y() + r * std::sin(angle));
        if (i == 0)
            seal.moveTo(pt);
        else
            seal.lineTo(pt);
    }
    seal.closeSubpath();
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::black);
    p.drawPath(seal);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    QPainterPath check;
    check.moveTo(7.5, 12.3);
    check.lineTo(10.6, 15.3);
    check.lineTo(16.5, 8.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(check);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
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
        // Our own drawings: the theme's "help-about" and "drive-harddisk" are
        // coloured icons, and these are tinted like text.
        {QStringLiteral("info.circle"), {QString(), drawInfoCircle}},
        {QStringLiteral("externaldrive.fill"), {QString(), drawExternalDrive}},
        {QStringLiteral("speaker.wave.2"), {QString(), drawSpeakerWave2}},
        {QStringLiteral("exclamationmark.triangle.fill"), {QString(), drawWarningTriangle}},
        {QStringLiteral("checkmark.seal.fill"), {QString(), drawCheckmarkSeal}},
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
