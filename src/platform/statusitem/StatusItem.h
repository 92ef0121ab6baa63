#pragma once

#include "platform/statusitem/Layer.h"
#include "platform/statusitem/LayerCompositor.h"
#include "platform/statusitem/StatusItemButton.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace gaugelet {

class SniStatusItem;

// The program's one item in the desktop's status area. It has a button (a
// host layer plus an optional image), a length in points (variableLength lets
// the content decide) and an action run on clicks with the click position.
// Its layer tree is composited once per main-loop turn after any change, at 1×
// and 2×. The owner of the content may cut the row into segments (its tiles);
// each segment is published as a StatusNotifierItem of its own, the whole
// picture when there are none (with the QSystemTrayIcon fallback, which shows
// the whole row, when no StatusNotifierWatcher exists).
class StatusItem : public QObject {
    Q_OBJECT
public:
    enum class Presentation {
        statusNotifier, // published on the session bus (fallback: tray icon)
        none,           // composed only (tests, previews)
    };

    static constexpr double variableLength = -1.0;

    explicit StatusItem(Presentation presentation = Presentation::statusNotifier, QObject* parent = nullptr);
    // Published on the bus at the given address (tests use a private one).
    explicit StatusItem(const QString& busAddress, QObject* parent = nullptr);
    ~StatusItem() override;

    StatusItemButton* button() { return m_button.get(); }
    const StatusItemButton* button() const { return m_button.get(); }

    double length() const { return m_length; }
    void setLength(double length);
    // The item's size in points: the length (or, when variable, the image's
    // width plus a small margin, or a square without an image) by the thickness.
    QSizeF size() const;

    // The action of clicks (left, right and middle alike).
    void setAction(std::function<void(QPoint)> action);
    void performAction(const QPoint& globalPosition);
    std::optional<QPoint> lastClickPosition() const { return m_lastClick; }

    // The last composed pictures, at 1× and 2× (devicePixelRatio set).
    const QImage& image1x() const { return m_image1x; }
    const QImage& image2x() const { return m_image2x; }

    // One piece of the row, published as an item of its own: a key that names
    // it (stable while the piece is the same tile), its frame in points, what
    // it shows (the statistic and the tile's kind, "CPU — Pie") and its
    // current figure ("37%"), for the item's title and tool tip.
    struct Segment {
        QString key;
        QRectF frame;
        QString name;
        QString figure;
        bool operator==(const Segment&) const = default;
    };
    // The pieces in the row's order; none publishes the whole picture as one.
    const QList<Segment>& segments() const { return m_segments; }
    void setSegments(const QList<Segment>& segments);

    LayerCompositor* compositor() const { return m_compositor.get(); }
    SniStatusItem* statusNotifier() const { return m_sni; }

Q_SIGNALS:
    // After every composition, when image1x/image2x are new.
    void imageChanged();

private:
    friend class StatusItemButton;
    void buttonImageChanged();
    void updateGeometry();
    void composeImages();
    QImage presentedButtonImage() const;
    void setUp();

    std::unique_ptr<StatusItemButton> m_button;
    Layer::Ptr m_canvas;
    Layer::Ptr m_imageLayer;
    std::unique_ptr<LayerCompositor> m_compositor;
    double m_length = variableLength;
    std::function<void(QPoint)> m_action;
    std::optional<QPoint> m_lastClick;
    QImage m_image1x;
    QImage m_image2x;
    QList<Segment> m_segments;
    SniStatusItem* m_sni = nullptr;
};

} // namespace gaugelet
