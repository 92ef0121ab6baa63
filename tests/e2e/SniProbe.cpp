// A small client of the session bus and the X display for the end-to-end
// test: it reads what the StatusNotifierWatcher knows, reads an item's
// IconPixmap, sends Activate / SecondaryActivate / ContextMenu, and grabs the
// screen into a PNG.
//
//   sniprobe items                       the registered items, one a line
//   sniprobe icon SERVICE [FILE.png]     "<width> <height> <sha1>" of the 1× picture (saved)
//   sniprobe activate SERVICE X Y        Activate(x, y)
//   sniprobe secondary SERVICE X Y       SecondaryActivate(x, y)
//   sniprobe context SERVICE X Y         ContextMenu(x, y)
//   sniprobe grab FILE.png [X Y W H]     the screen (or a part of it)
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <memory>

namespace {

struct Pixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;
};

const QDBusArgument& operator>>(const QDBusArgument& arg, Pixmap& pixmap)
{
    arg.beginStructure();
    arg >> pixmap.width >> pixmap.height >> pixmap.bytes;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const Pixmap& pixmap)
{
    arg.beginStructure();
    arg << pixmap.width << pixmap.height << pixmap.bytes;
    arg.endStructure();
    return arg;
}

} // namespace

Q_DECLARE_METATYPE(Pixmap)

namespace {

int fail(const QString& text)
{
    std::fprintf(stderr, "sniprobe: %s\n", qPrintable(text));
    return 2;
}

QString serviceOf(const QString& entry)
{
    const int slash = int(entry.indexOf(QLatin1Char('/')));
    return slash < 0 ? entry : entry.left(slash);
}

int items()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.kde.StatusNotifierWatcher") << QStringLiteral("RegisteredStatusNotifierItems");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return fail(reply.errorMessage());
    const QStringList list = qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toStringList();
    for (const QString& entry : list)
        std::printf("%s\n", qPrintable(serviceOf(entry)));
    return 0;
}

int icon(const QString& service, const QString& saveTo)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("IconPixmap");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return fail(reply.errorMessage());
    const QDBusArgument arg = qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().value<QDBusArgument>();
    QList<Pixmap> pixmaps;
    arg >> pixmaps;
    if (pixmaps.isEmpty())
        return fail(QStringLiteral("no pixmap"));
    const Pixmap& first = pixmaps.first();
    if (!saveTo.isEmpty() && first.width > 0 && first.height > 0 && first.bytes.size() >= first.width * first.height * 4) {
        // Network byte order ARGB32.
        QImage image(first.width, first.height, QImage::Format_ARGB32);
        for (int y = 0; y < first.height; ++y) {
            for (int x = 0; x < first.width; ++x) {
                const auto* p = reinterpret_cast<const uchar*>(first.bytes.constData()) + (y * first.width + x) * 4;
                image.setPixel(x, y, qRgba(p[1], p[2], p[3], p[0]));
            }
        }
        image.save(saveTo);
    }
    std::printf("%d %d %s\n", first.width, first.height,
                QCryptographicHash::hash(first.bytes, QCryptographicHash::Sha1).toHex().constData());
    return 0;
}

int activate(const QString& service, const QString& method, int x, int y)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"),
                                                       QStringLiteral("org.kde.StatusNotifierItem"), method);
    call << x << y;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return fail(reply.errorMessage());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QLatin1String("grab")) {
        QGuiApplication app(argc, argv);
        if (argc < 3)
            return fail(QStringLiteral("grab FILE.png [X Y W H]"));
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return fail(QStringLiteral("no screen"));
        QPixmap shot = argc >= 7 ? screen->grabWindow(0, atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]))
                                 : screen->grabWindow(0);
        return shot.save(QString::fromLocal8Bit(argv[2])) ? 0 : fail(QStringLiteral("cannot save"));
    }
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Pixmap>();
    qDBusRegisterMetaType<QList<Pixmap>>();
    if (command == QLatin1String("items"))
        return items();
    if (command == QLatin1String("icon") && argc >= 3)
        return icon(QString::fromLocal8Bit(argv[2]), argc >= 4 ? QString::fromLocal8Bit(argv[3]) : QString());
    const char* method = command == QLatin1String("activate")    ? "Activate"
                       : command == QLatin1String("secondary")   ? "SecondaryActivate"
                       : command == QLatin1String("context")     ? "ContextMenu"
                                                                  : nullptr;
    if (method && argc >= 5)
        return activate(QString::fromLocal8Bit(argv[2]), QString::fromLatin1(method), atoi(argv[3]), atoi(argv[4]));
    return fail(QStringLiteral("unknown command; see the source's head"));
}
