// A status item cut into segments, for checking live changes of the row on
// real panels: each line read from stdin names the row's tiles ("a x b c");
// each tile is a 22-point square of a colour of its own, published as one
// item per tile, exactly as the program publishes its row. Clicks are logged
// by the status item ("sni.click … item=<tile> x=… y=…"); "ready <n>" is
// printed once n items are registered.
//
//   segmenteditem < commands
#include "platform/statusitem/Layer.h"
#include "platform/statusitem/SniStatusItem.h"
#include "platform/statusitem/StatusItem.h"

#include <QCryptographicHash>
#include <QGuiApplication>
#include <QImage>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

using namespace gaugelet;

namespace {

QColor colorOf(const QString& key)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1);
    return QColor(uchar(hash[0]), uchar(hash[1]), uchar(hash[2]));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    StatusItem item(StatusItem::Presentation::statusNotifier);
    QList<Layer::Ptr> tiles;
    constexpr double side = 22;
    constexpr double gap = 6;

    auto show = [&](const QStringList& keys) {
        for (const Layer::Ptr& tile : std::as_const(tiles))
            tile->removeFromSuperlayer();
        tiles.clear();
        QList<StatusItem::Segment> segments;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            auto tile = Layer::create();
            QImage image(int(side * 2), int(side * 2), QImage::Format_ARGB32_Premultiplied);
            image.fill(colorOf(keys[i]));
            tile->setContents(image);
            tile->setContentsScale(2.0);
            tile->setFrame(QRectF(double(i) * (side + gap), 0, side, side));
            item.button()->layer()->addSublayer(tile);
            tiles.append(tile);
            segments.append({keys[i], tile->frame(), QStringLiteral("Tile %1").arg(keys[i]), QString()});
        }
        item.setLength(keys.isEmpty() ? StatusItem::variableLength : double(keys.size()) * (side + gap) - gap);
        item.setSegments(segments);
    };

    QObject::connect(item.statusNotifier(), &SniStatusItem::registeredWithWatcher, &app, [&] {
        std::printf("ready %lld\n", static_cast<long long>(item.statusNotifier()->items().size()));
        std::fflush(stdout);
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[1024];
        if (!std::fgets(line, sizeof line, stdin)) {
            QCoreApplication::quit();
            return;
        }
        show(QString::fromUtf8(line).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts));
    });
    return QGuiApplication::exec();
}
