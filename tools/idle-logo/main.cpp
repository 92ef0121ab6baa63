// Draws resources/taskbar-idle-logo.png (18 × 18) and its @2x (36 × 36): a
// small gauge with its needle at half scale, readable on light and dark panels.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cmath>
#include <cstdio>

static QImage draw(int scale)
{
    QImage image(18 * scale, 18 * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QPointF centre(9, 11);
    const double radius = 7;
    // A dark rim under a light arc keeps the shape visible on either panel.
    for (const auto& [colour, width] : {std::pair{QColor(0, 0, 0, 150), 3.6}, std::pair{QColor(235, 235, 235), 2.2}}) {
        QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), -30 * 16, 240 * 16);
    }
    // Ticks at the ends and the top.
    p.setPen(QPen(QColor(40, 180, 160), 1.4, Qt::SolidLine, Qt::RoundCap));
    const QPointF tip(centre.x(), centre.y() - radius + 2.2);
    p.drawLine(centre, tip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 180, 160));
    p.drawEllipse(centre, 1.8, 1.8);
    p.end();
    return image;
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const bool ok = draw(1).save(dir + QStringLiteral("/taskbar-idle-logo.png"))
                    && draw(2).save(dir + QStringLiteral("/taskbar-idle-logo@2x.png"));
    std::printf("%s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
