// The application icon: a dark rounded square holding a gauge whose arc runs
// from green to orange, tick dots and a needle at half scale.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace {

QImage draw(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 64.0, side / 64.0);

    QPainterPath tile;
    tile.addRoundedRect(QRectF(3, 3, 58, 58), 13, 13);
    QLinearGradient bg(0, 3, 0, 61);
    bg.setColorAt(0, QColor(0x2B, 0x2F, 0x3A));
    bg.setColorAt(1, QColor(0x15, 0x17, 0x1D));
    p.fillPath(tile, bg);

    const QPointF centre(32, 36);
    const double radius = 19;
    QConicalGradient arcColours(centre, 210);
    arcColours.setColorAt(0.0, QColor(0x34, 0xC7, 0x59));
    arcColours.setColorAt(0.35, QColor(0xFF, 0xCC, 0x00));
    arcColours.setColorAt(0.67, QColor(0xFF, 0x6B, 0x2C));
    arcColours.setColorAt(1.0, QColor(0x34, 0xC7, 0x59));
    QPen arc(QBrush(arcColours), 6.5, Qt::SolidLine, Qt::RoundCap);
    p.setPen(arc);
    p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), -30 * 16, 240 * 16);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    for (int i = 0; i <= 4; ++i) {
        const double angle = (210 - i * 60) * M_PI / 180.0;
        p.drawEllipse(QPointF(centre.x() + 11 * std::cos(angle), centre.y() - 11 * std::sin(angle)), 1.4, 1.4);
    }
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, QPointF(centre.x() + 6, centre.y() - 13));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 3.6, 3.6);
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-app-icon HICOLOR_DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(root).arg(side);
        QDir().mkpath(dir);
        if (!draw(side).save(dir + QStringLiteral("/dev.gaugelet.app.png"))) {
            std::fprintf(stderr, "make-app-icon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
