#include "platform/statusitem/SniTrayFallback.h"

#include "platform/statusitem/StatusItem.h"
#include "platform/statusitem/StatusItemLog.h"
#include "platform/statusitem/TrayIcon.h"
#include "platform/statusitem/TrayTileIconEngine.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPointer>
#include <algorithm>
#include <tuple>

namespace gaugelet {

SniTrayFallback::SniTrayFallback(StatusItem* item, QObject* parent) : QObject(parent), m_item(item)
{
    m_trayCheck.setSingleShot(true);
    connect(&m_trayCheck, &QTimer::timeout, this, [this] {
        if (!m_shown)
            return;
        update();
        Q_EMIT trayChanged();
        if (++m_trayChecks < 3)
            m_trayCheck.start(m_trayCheck.interval() * 4);
    });
}

SniTrayFallback::~SniTrayFallback()
{
    qDeleteAll(m_icons);
}

void SniTrayFallback::setShown(bool shown)
{
    if (shown && !m_shown)
        retry();
    m_shown = shown;
    if (shown) {
        update();
    } else {
        for (TrayIcon* icon : std::as_const(m_icons))
            icon->hide();
    }
}

bool SniTrayFallback::isInTray() const
{
    return m_shown
           && std::any_of(m_icons.cbegin(), m_icons.cend(), [](TrayIcon* icon) { return !icon->geometry().isEmpty(); });
}

void SniTrayFallback::update()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    const QList<StatusItem::Segment> segments = m_item->publishedSegments();
    // Slots as the items: one icon comes or goes at a time and the others
    // keep their places in the tray; each shows the tile of its place.
    while (m_icons.size() > segments.size()) {
        TrayIcon* gone = m_icons.takeLast();
        m_pictures.remove(gone);
        m_keys.remove(gone);
        delete gone;
        scheduleTrayChecks();
    }
    while (m_icons.size() < segments.size() && !m_noTray) {
        TrayIcon* icon = TrayIcon::create();
        if (!icon) {
            m_noTray = true;
            logInfo(lcStatusItem, "sni.noTray icons=%lld", qlonglong(m_icons.size()));
            break;
        }
        connect(icon, &TrayIcon::activated, this, [this, icon] {
            const QPoint at = QCursor::pos();
            logInfo(lcStatusItem, "sni.click method=tray item=%s x=%d y=%d", qUtf8Printable(m_keys.value(icon)), at.x(),
                    at.y());
            Q_EMIT clicked(at);
        });
        connect(icon, &TrayIcon::trayChanged, this, [this] {
            Q_EMIT trayChanged();
            scheduleTrayChecks();
        });
        m_icons.append(icon);
        scheduleTrayChecks();
    }
    if (m_icons.size() < segments.size())
        return;
    const QList<TrayIcon*> shown = iconsInShownOrder();
    const QList<StatusItem::Pictures>& pictures = m_item->pictures();
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const StatusItem::Segment& segment = segments[i];
        TrayIcon* icon = shown[i];
        m_keys.insert(icon, segment.key);
        QString tip = segment.name.isEmpty() ? m_title : segment.name;
        if (!segment.name.isEmpty() && !segment.figure.isEmpty())
            tip += QLatin1Char('\n') + segment.figure;
        icon->setToolTip(tip);
        if (i < pictures.size() && pictures[i].key == segment.key && pictures[i].frame == segment.frame) {
            const QList<QImage> images = pictures[i].images;
            const qint64 picture = images.isEmpty() ? 0 : images.constFirst().cacheKey();
            if (m_pictures.value(icon, -1) != picture) {
                m_pictures.insert(icon, picture);
                // Drawn for the tray's icon size when the tray paints it: one
                // of the composed pictures where the heights match.
                const QRectF frame = segment.frame;
                icon->setIcon(QIcon(new TrayTileIconEngine(
                    frame.size(), [item = QPointer<StatusItem>(m_item), frame, images](int pixels) -> QImage {
                        for (const QImage& image : images) {
                            if (image.height() == pixels)
                                return image;
                        }
                        return item ? item->render(frame, pixels) : QImage();
                    })));
            }
        }
        // An icon shows once it has a picture.
        if (m_pictures.contains(icon))
            icon->show();
    }
}

QList<TrayIcon*> SniTrayFallback::iconsInShownOrder() const
{
    // Left to right (top to bottom in a vertical tray); icons no tray holds
    // yet after them, in the order they came.
    QList<std::tuple<bool, int, int, qsizetype>> keys;
    for (qsizetype i = 0; i < m_icons.size(); ++i) {
        const QRect place = m_icons[i]->geometry();
        keys.append({place.isEmpty(), place.isEmpty() ? 0 : place.x(), place.isEmpty() ? 0 : place.y(), i});
    }
    std::sort(keys.begin(), keys.end());
    QList<TrayIcon*> out;
    for (const auto& key : std::as_const(keys))
        out.append(m_icons[std::get<3>(key)]);
    return out;
}

void SniTrayFallback::scheduleTrayChecks()
{
    // A tray places an icon a moment after it took it in, and tells nobody:
    // where the icons are is read again a few times.
    m_trayChecks = 0;
    m_trayCheck.start(trayCheckMs);
}

} // namespace gaugelet
