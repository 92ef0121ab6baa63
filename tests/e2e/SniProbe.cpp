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
//   sniprobe grab FILE.png [X Y W H [ZOOM]]  the screen (or a part of it, enlarged ZOOM times
//                                        without smoothing)
//   sniprobe painted X Y W H             exits 0 once that part of the screen holds more than
//                                        one colour (something is drawn there), 1 if not
//   sniprobe ink X Y W H                 as painted, and prints "<width> <height> <hash>": the
//                                        box of what is drawn there, and a hash of its pixels
//   sniprobe frames X Y W H SECONDS      that part every 10 ms, a line a frame: "<ms> <colour>@<x>…" for
//                                        each run of 8+ equal pixels along its middle row (bar its first colour)
//   sniprobe zoom IN.png OUT.png ZOOM    a picture enlarged ZOOM times without smoothing
//   sniprobe contrast X Y W H            exits 0 when 90 % of the ink's core (pixels 3/4 covered)
//                                        there reaches 4.5:1 on the panel's (commonest) colour
//   sniprobe shown SHOT.png SERVICE...   each item's pictures ("<w>x<h> … (<n> bytes)") and where in SHOT the
//                                        one offered shows as drawn ("at X,Y: M/N" drawn pixels); exits 1
//                                        unless each item offers one, found whole
//   sniprobe portal dark|light SECONDS   serves the desktop portal's color-scheme setting
//   sniprobe record SECONDS [DIR]        from now until SECONDS after the first item registers (a
//                                        minute more at most while none has), every picture of the
//                                        item that registered last: "<ms since start> <width>
//                                        <height> <sha1>"; the first line is "ready" once it listens;
//                                        the first eight pictures are saved as DIR/e2e-icon-<n>.png
//   sniprobe hold NAME                   owns NAME, serving nothing, prints "ready"; runs until ended
//   sniprobe xgrab keyboard|pointer SECONDS  grabs that on the root window, as a screen locker does,
//                                        trying every 50 ms: prints the milliseconds it took and
//                                        exits 0, or exits 1 when SECONDS pass first
//   sniprobe xhold keyboard|pointer|both SECONDS  takes that (5 s at most), prints "ready", holds it
//                                        for SECONDS, then lets go
#include <QColor>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <tuple>
#include <utility>
#include <xcb/xcb.h>

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

QImage toImage(const Pixmap& pixmap)
{
    if (pixmap.width <= 0 || pixmap.height <= 0 || pixmap.bytes.size() < qsizetype(pixmap.width) * pixmap.height * 4)
        return {};
    // Network byte order ARGB32.
    QImage image(pixmap.width, pixmap.height, QImage::Format_ARGB32);
    const auto* p = reinterpret_cast<const uchar*>(pixmap.bytes.constData());
    for (int y = 0; y < pixmap.height; ++y) {
        for (int x = 0; x < pixmap.width; ++x, p += 4)
            image.setPixel(x, y, qRgba(p[1], p[2], p[3], p[0]));
    }
    return image;
}

double luminance(QRgb rgb)
{
    const auto channel = [](int c) { return c <= 10 ? c / 3294.6 : std::pow((c / 255.0 + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

int contrast(const QImage& shot)
{
    // The ink's cover of a pixel goes with its distance from the panel in
    // encoded values (those antialiasing blends), not in luminance.
    const auto encoded = [](QRgb rgb) { return 0.2126 * qRed(rgb) + 0.7152 * qGreen(rgb) + 0.0722 * qBlue(rgb); };
    QHash<QRgb, int> counts;
    QRgb panel = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (++counts[shot.pixel(x, y)] > counts.value(panel))
                panel = shot.pixel(x, y);
    double farthest = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        farthest = std::max(farthest, std::abs(encoded(it.key()) - encoded(panel)));
    int core = 0, legible = 0; // pixels
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (farthest == 0 || std::abs(encoded(it.key()) - encoded(panel)) < 0.75 * farthest)
            continue;
        const double l = luminance(it.key()), lp = luminance(panel);
        core += it.value();
        legible += (std::max(l, lp) + 0.05) / (std::min(l, lp) + 0.05) >= 4.5 ? it.value() : 0;
    }
    std::printf("panel %s, ink core %d px, %d at 4.5:1\n", qPrintable(QColor(panel).name()), core, legible);
    return core >= 10 && legible >= 0.9 * core ? 0 : 1;
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

// The picture a panel of 22-pixel slots shows: the one 22 pixels high, else
// the first.
const Pixmap& shownAt22(const QList<Pixmap>& pixmaps)
{
    for (const Pixmap& pixmap : pixmaps) {
        if (pixmap.height == 22)
            return pixmap;
    }
    return pixmaps.first();
}

QList<Pixmap> readPixmaps(const QString& service)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"),
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("IconPixmap");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    QList<Pixmap> pixmaps;
    if (reply.type() == QDBusMessage::ReplyMessage)
        qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().value<QDBusArgument>() >> pixmaps;
    return pixmaps;
}

int icon(const QString& service, const QString& saveTo)
{
    const QList<Pixmap> pixmaps = readPixmaps(service);
    if (pixmaps.isEmpty())
        return fail(QStringLiteral("no pixmap"));
    const Pixmap& first = shownAt22(pixmaps);
    if (!saveTo.isEmpty())
        toImage(first).save(saveTo);
    std::printf("%d %d %s\n", first.width, first.height,
                QCryptographicHash::hash(first.bytes, QCryptographicHash::Sha1).toHex().constData());
    return 0;
}

// Where in the screenshot the picture shows as drawn: the place most of its
// drawn pixels match, how many do there, of how many. Opaque pixels match
// exactly, the others within 3 a channel laid over the panel's colour beside
// them (under the row's first clear pixel: panels may shade top to bottom).
std::tuple<QPoint, int, int> findWhole(const QImage& shot, const QImage& picture)
{
    QList<QPoint> drawn;
    QList<QPoint> clear(picture.height(), QPoint(-1, -1));
    QPoint anyClear;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(picture.pixel(x, y)) > 0)
                drawn.append({x, y});
            else if (clear[y].x() < 0)
                anyClear = clear[y] = {x, y};
        }
    }
    std::tuple<QPoint, int, int> best{QPoint(), 0, int(drawn.size())};
    for (int oy = 0; oy + picture.height() <= shot.height(); ++oy) {
        for (int ox = 0; ox + picture.width() <= shot.width(); ++ox) {
            const QPoint at(ox, oy);
            int same = 0;
            for (const QPoint& p : drawn) {
                const QRgb src = picture.pixel(p);
                const QRgb seen = shot.pixel(at + p);
                const QRgb under = shot.pixel(at + (clear[p.y()].x() < 0 ? anyClear : clear[p.y()]));
                const int a = qAlpha(src);
                bool ok = true;
                for (const int shift : {0, 8, 16}) {
                    const int laid = (int(src >> shift & 255) * a + int(under >> shift & 255) * (255 - a) + 127) / 255;
                    ok = ok && std::abs(int(seen >> shift & 255) - laid) <= (a == 255 ? 0 : 3);
                }
                same += int(ok);
            }
            if (same > std::get<1>(best))
                best = {at, same, int(drawn.size())};
        }
    }
    return best;
}

int shown(const QString& shotFile, const QStringList& services)
{
    const QImage shot = QImage(shotFile).convertToFormat(QImage::Format_RGB32);
    bool whole = !shot.isNull();
    for (const QString& service : services) {
        const QList<Pixmap> pixmaps = readPixmaps(service);
        qsizetype bytes = 0;
        for (const Pixmap& pixmap : pixmaps) {
            std::printf("%s%dx%d", bytes ? " " : "", pixmap.width, pixmap.height);
            bytes += 12 + pixmap.bytes.size();
        }
        const auto [at, same, drawn] =
            pixmaps.size() == 1 ? findWhole(shot, toImage(pixmaps.first())) : std::tuple<QPoint, int, int>{};
        std::printf(" (%lld bytes) at %d,%d: %d/%d\n", qlonglong(bytes), at.x(), at.y(), same, drawn);
        whole = whole && drawn >= 20 && same == drawn;
    }
    return whole ? 0 : 1;
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

// Reads the picture an item shows at 22 pixels: width, height and hash; an empty hash on failure.
QImage g_lastImage;

std::tuple<int, int, QByteArray> readIcon(const QString& service)
{
    const QList<Pixmap> pixmaps = readPixmaps(service);
    if (pixmaps.isEmpty())
        return {0, 0, QByteArray()};
    const Pixmap& shown = shownAt22(pixmaps);
    g_lastImage = toImage(shown);
    return {shown.width, shown.height, QCryptographicHash::hash(shown.bytes, QCryptographicHash::Sha1).toHex()};
}

// The org.freedesktop.portal.Settings interface, answering only the
// appearance's color-scheme (1 prefers dark, 2 light).
class Portal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    explicit Portal(uint scheme) : m_scheme(scheme) { }
public Q_SLOTS:
    QDBusVariant Read(const QString& group, const QString& key)
    {
        return QDBusVariant(QVariant::fromValue(ReadOne(group, key)));
    }
    QDBusVariant ReadOne(const QString& group, const QString& key)
    {
        if (group == QLatin1String("org.freedesktop.appearance") && key == QLatin1String("color-scheme"))
            return QDBusVariant(m_scheme);
        return QDBusVariant(QString());
    }

private:
    uint m_scheme;
};

class Recorder : public QObject {
    Q_OBJECT
public:
    Recorder(int recordMs, QString saveDir, QObject* parent = nullptr)
        : QObject(parent), m_recordMs(recordMs), m_saveDir(std::move(saveDir))
    {
        m_clock.start();
    }
    void listen()
    {
        QDBusConnection::sessionBus().connect(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                              QStringLiteral("/StatusNotifierWatcher"),
                                              QStringLiteral("org.kde.StatusNotifierWatcher"),
                                              QStringLiteral("StatusNotifierItemRegistered"), this,
                                              SLOT(onRegistered(QString)));
        std::printf("ready\n");
        std::fflush(stdout);
    }
public Q_SLOTS:
    void onRegistered(const QString& entry)
    {
        // A busy machine may start the program late: the time counts from
        // the first item.
        if (!std::exchange(m_registered, true))
            QTimer::singleShot(m_recordMs, QCoreApplication::instance(), &QCoreApplication::quit);
        // The idle logo's item gives way to the tiles' items: follow the
        // item that registered last.
        if (!m_service.isEmpty())
            QDBusConnection::sessionBus().disconnect(m_service, QStringLiteral("/StatusNotifierItem"),
                                                     QStringLiteral("org.kde.StatusNotifierItem"),
                                                     QStringLiteral("NewIcon"), this, SLOT(onNewIcon()));
        m_service = serviceOf(entry);
        QDBusConnection::sessionBus().connect(m_service, QStringLiteral("/StatusNotifierItem"),
                                              QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("NewIcon"),
                                              this, SLOT(onNewIcon()));
        onNewIcon();
    }
    void onNewIcon()
    {
        const auto [w, h, hash] = readIcon(m_service);
        if (hash.isEmpty() || hash == m_last)
            return;
        m_last = hash;
        if (!m_saveDir.isEmpty() && m_saved < 8)
            g_lastImage.save(QStringLiteral("%1/e2e-icon-%2.png").arg(m_saveDir).arg(m_saved++));
        std::printf("%lld %d %d %s\n", m_clock.elapsed(), w, h, hash.constData());
        std::fflush(stdout);
    }
private:
    QElapsedTimer m_clock;
    int m_recordMs;
    bool m_registered = false;
    QString m_service;
    QByteArray m_last;
    QString m_saveDir;
    int m_saved = 0;
};

// That part of the screen; null without a screen.
QImage screenArea(int x, int y, int w, int h)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0, x, y, w, h).toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

// The colours along the middle row of a part of the screen, frame by frame.
int frames(int x, int y, int w, int h, double seconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < qint64(seconds * 1000)) {
        const qint64 at = clock.elapsed();
        const QImage row = screenArea(x, y + h / 2, w, 1);
        if (row.isNull())
            return fail(QStringLiteral("no screen"));
        QByteArray line = QByteArray::number(at);
        for (int from = 0, to = 0; from < row.width(); from = to) {
            for (to = from; to < row.width() && row.pixel(to, 0) == row.pixel(from, 0);)
                ++to;
            if (to - from >= 8 && row.pixel(from, 0) != row.pixel(0, 0))
                line += ' ' + QByteArray::number(row.pixel(from, 0) & 0xffffff, 16).rightJustified(6, '0') + '@'
                        + QByteArray::number(from);
        }
        std::printf("%s\n", line.constData());
        std::fflush(stdout);
        QThread::msleep(10);
    }
    return 0;
}

// Grabs the keyboard or the pointer on the root window: true when the X
// server says it is ours.
bool grabRoot(xcb_connection_t* c, xcb_window_t root, bool keyboard)
{
    uint8_t status = XCB_GRAB_STATUS_FROZEN + 1;
    if (keyboard) {
        auto cookie = xcb_grab_keyboard(c, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(c, cookie, nullptr)) {
            status = reply->status;
            std::free(reply);
        }
    } else {
        auto cookie = xcb_grab_pointer(c, 0, root, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE,
                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
        if (xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(c, cookie, nullptr)) {
            status = reply->status;
            std::free(reply);
        }
    }
    return status == XCB_GRAB_STATUS_SUCCESS;
}

// sniprobe xgrab / xhold: what a screen locker does with the input.
int xgrab(const QString& what, double seconds, bool hold)
{
    const bool keyboard = what == QLatin1String("keyboard") || what == QLatin1String("both");
    const bool pointer = what == QLatin1String("pointer") || what == QLatin1String("both");
    if (!keyboard && !pointer)
        return fail(QStringLiteral("keyboard, pointer or both"));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen =
        xcb_connection_has_error(c) ? nullptr : xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) {
        xcb_disconnect(c);
        return fail(QStringLiteral("no display"));
    }
    QElapsedTimer clock;
    clock.start();
    const qint64 limitMs = hold ? 5000 : qint64(seconds * 1000);
    bool gotKeyboard = !keyboard;
    bool gotPointer = !pointer;
    while (!(gotKeyboard && gotPointer) && clock.elapsed() <= limitMs) {
        gotKeyboard = gotKeyboard || grabRoot(c, screen->root, true);
        gotPointer = gotPointer || grabRoot(c, screen->root, false);
        if (!(gotKeyboard && gotPointer))
            QThread::msleep(50);
    }
    const bool got = gotKeyboard && gotPointer;
    if (got) {
        if (hold)
            std::puts("ready");
        else
            std::printf("%lld\n", qlonglong(clock.elapsed()));
        std::fflush(stdout);
        if (hold)
            QThread::msleep(static_cast<unsigned long>(std::max(0.0, seconds) * 1000));
    }
    xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_disconnect(c);
    return got ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if ((command == QLatin1String("xgrab") || command == QLatin1String("xhold")) && argc >= 4)
        return xgrab(QString::fromLocal8Bit(argv[2]), atof(argv[3]), command == QLatin1String("xhold"));
    if (command == QLatin1String("grab")) {
        QGuiApplication app(argc, argv);
        if (argc < 3)
            return fail(QStringLiteral("grab FILE.png [X Y W H]"));
        QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return fail(QStringLiteral("no screen"));
        QPixmap shot = argc >= 7 ? screen->grabWindow(0, atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]))
                                 : screen->grabWindow(0);
        const int zoom = argc >= 8 ? std::max(1, atoi(argv[7])) : 1;
        if (zoom > 1)
            shot = shot.scaled(shot.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        return shot.save(QString::fromLocal8Bit(argv[2])) ? 0 : fail(QStringLiteral("cannot save"));
    }
    if ((command == QLatin1String("painted") || command == QLatin1String("ink") || command == QLatin1String("contrast"))
        && argc >= 6) {
        QGuiApplication app(argc, argv);
        const QImage shot = screenArea(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
        if (shot.isNull())
            return fail(QStringLiteral("no screen"));
        if (command == QLatin1String("contrast"))
            return contrast(shot);
        QRect ink;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (shot.pixel(x, y) != shot.pixel(0, 0))
                    ink |= QRect(x, y, 1, 1);
            }
        }
        if (command == QLatin1String("ink"))
            printf("%d %d %08x\n", ink.width(), ink.height(),
                   unsigned(qHashBits(shot.constBits(), shot.sizeInBytes())));
        return ink.isEmpty() ? 1 : 0;
    }
    if (command == QLatin1String("frames") && argc >= 7) {
        QGuiApplication app(argc, argv);
        return frames(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atof(argv[6]));
    }
    if (command == QLatin1String("zoom") && argc >= 5) {
        const QImage in(QString::fromLocal8Bit(argv[2]));
        const int zoom = std::max(1, atoi(argv[4]));
        if (in.isNull())
            return fail(QStringLiteral("cannot read %1").arg(QString::fromLocal8Bit(argv[2])));
        const QImage out = in.scaled(in.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        return out.save(QString::fromLocal8Bit(argv[3])) ? 0 : fail(QStringLiteral("cannot save"));
    }
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Pixmap>();
    qDBusRegisterMetaType<QList<Pixmap>>();
    if (command == QLatin1String("record") && argc >= 3) {
        const int recordMs = int(QString::fromLocal8Bit(argv[2]).toDouble() * 1000);
        Recorder recorder(recordMs, argc >= 4 ? QString::fromLocal8Bit(argv[3]) : QString());
        recorder.listen();
        QTimer::singleShot(recordMs + 60000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    if (command == QLatin1String("portal") && argc >= 4) {
        Portal portal(QString::fromLocal8Bit(argv[2]) == QLatin1String("dark") ? 1u : 2u);
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal, QDBusConnection::ExportAllSlots)
            || !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
            return fail(QStringLiteral("cannot serve the portal"));
        QTimer::singleShot(int(QString::fromLocal8Bit(argv[3]).toDouble() * 1000), &app, &QCoreApplication::quit);
        return app.exec();
    }
    if (command == QLatin1String("hold") && argc >= 3) {
        if (!QDBusConnection::sessionBus().registerService(QString::fromLocal8Bit(argv[2])))
            return fail(QStringLiteral("cannot own the name"));
        std::puts("ready");
        std::fflush(stdout);
        return app.exec();
    }
    if (command == QLatin1String("items"))
        return items();
    if (command == QLatin1String("shown") && argc >= 4) {
        QStringList services;
        for (int i = 3; i < argc; ++i)
            services.append(QString::fromLocal8Bit(argv[i]));
        return shown(QString::fromLocal8Bit(argv[2]), services);
    }
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

#include "SniProbe.moc"
