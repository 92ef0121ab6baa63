// The least a Qt tray program can do, as the yardstick of the whole-process
// benchmark (scripts/procbench.sh): once a second it reads the files a
// system monitor reads (/proc/stat, /proc/meminfo, /proc/pressure/memory, the
// byte counters of every interface), paints a 96x22 row of four numbers at
// twice the size, and publishes it as the IconPixmap of a StatusNotifierItem
// with NewIcon. It uses nothing of the program but Qt.
//   minimaltray
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QtEndian>

namespace {

struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes; // ARGB32, network byte order
};
using IconPixmapList = QList<IconPixmap>;

QDBusArgument& operator<<(QDBusArgument& arg, const IconPixmap& p)
{
    arg.beginStructure();
    arg << p.width << p.height << p.bytes;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, IconPixmap& p)
{
    arg.beginStructure();
    arg >> p.width >> p.height >> p.bytes;
    arg.endStructure();
    return arg;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(IconPixmap)
Q_DECLARE_METATYPE(IconPixmapList)

class Item : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ id)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(IconPixmapList IconPixmap READ iconPixmap)
public:
    QString category() const { return QStringLiteral("SystemServices"); }
    QString id() const { return QStringLiteral("minimaltray"); }
    QString status() const { return QStringLiteral("Active"); }
    IconPixmapList iconPixmap() const { return {m_pixmap}; }

    void tick()
    {
        // CPU busy share from the aggregate line of /proc/stat.
        const QList<QByteArray> cpu = readAll(QStringLiteral("/proc/stat")).split('\n').value(0).simplified().split(' ');
        quint64 total = 0, idle = 0;
        for (int i = 1; i < cpu.size(); ++i) {
            total += cpu[i].toULongLong();
            if (i == 4 || i == 5)
                idle += cpu[i].toULongLong();
        }
        const double busy = total > m_total ? 100.0 * (1.0 - double(idle - m_idle) / double(total - m_total)) : 0.0;
        m_total = total;
        m_idle = idle;
        // Memory in use from /proc/meminfo; the pressure file is read as a monitor does.
        quint64 memTotal = 0, memAvailable = 0;
        for (const QByteArray& line : readAll(QStringLiteral("/proc/meminfo")).split('\n')) {
            if (line.startsWith("MemTotal:"))
                memTotal = line.simplified().split(' ').value(1).toULongLong();
            else if (line.startsWith("MemAvailable:"))
                memAvailable = line.simplified().split(' ').value(1).toULongLong();
        }
        (void)readAll(QStringLiteral("/proc/pressure/memory"));
        // Bytes moved by every interface but loopback.
        quint64 bytes = 0;
        const QString net = QStringLiteral("/sys/class/net/");
        for (const QString& name : QDir(net).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (name == QLatin1String("lo"))
                continue;
            bytes += readAll(net + name + QStringLiteral("/statistics/rx_bytes")).trimmed().toULongLong();
            bytes += readAll(net + name + QStringLiteral("/statistics/tx_bytes")).trimmed().toULongLong();
        }
        const quint64 rate = bytes >= m_bytes && m_bytes ? bytes - m_bytes : 0;
        m_bytes = bytes;

        // 96x22 at 2x: four numbers.
        QImage image(192, 44, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.scale(2, 2);
        painter.setPen(Qt::white);
        const QStringList texts = {QString::number(qRound(busy)) + u'%',
                                   QString::number(memTotal ? qRound(100.0 * (1.0 - double(memAvailable) / double(memTotal))) : 0) + u'%',
                                   QString::number(rate / 1024) + u'K', QStringLiteral("0%")};
        for (int i = 0; i < texts.size(); ++i)
            painter.drawText(QRectF(i * 24, 0, 24, 22), Qt::AlignCenter, texts[i]);
        painter.end();
        QByteArray argb(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        auto* words = reinterpret_cast<quint32*>(argb.data());
        for (qsizetype i = 0; i < argb.size() / 4; ++i)
            words[i] = qToBigEndian(words[i]);
        m_pixmap = IconPixmap{image.width(), image.height(), argb};
        QDBusConnection::sessionBus().send(
            QDBusMessage::createSignal(QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.kde.StatusNotifierItem"),
                                       QStringLiteral("NewIcon")));
    }

private:
    IconPixmap m_pixmap;
    quint64 m_total = 0, m_idle = 0, m_bytes = 0;
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    qDBusRegisterMetaType<IconPixmap>();
    qDBusRegisterMetaType<IconPixmapList>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
    bus.registerService(service);
    Item item;
    item.tick();
    bus.registerObject(QStringLiteral("/StatusNotifierItem"), &item, QDBusConnection::ExportAllProperties);
    bus.send(QDBusMessage::createMethodCall(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                            QStringLiteral("/StatusNotifierWatcher"),
                                            QStringLiteral("org.kde.StatusNotifierWatcher"),
                                            QStringLiteral("RegisterStatusNotifierItem"))
                 << service);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &item, &Item::tick);
    timer.start(1000);
    return app.exec();
}

#include "MinimalTray.moc"
