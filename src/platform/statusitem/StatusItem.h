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
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace gaugelet {

class SniStatusItem;

// The program's one item in the desktop's status area. It has a button (a
// host layer plus an optional image), a length in points (variableLength lets
// the content decide) and an action run on clicks with the click position.
// The owner of the content may cut the row into segments (its tiles); each
// segment is published as a StatusNotifierItem of its own, the whole picture
// when there are none (with the QSystemTrayIcon fallback, one icon per
// segment, when no host shows the items).
//
// Its layer tree is composited once per main-loop turn after any change,
// segment by segment, at the heights the host shows (composedPixelSizes, by
// default every height in pixelSizes): a host offered several pictures may
// take another than its slot's and resample it, so only the height it shows
// is offered, drawn by the tree itself (layers with contents representations
// draw the one made for that scale). A segment whose layers are as they were (same
// revisions, same presented frames, same places) keeps its pictures: only
// the tiles that changed are drawn again. Keeping the layer tree, rather than
// having each tile draw its own picture per size, leaves one path for every
// piece a segment holds: static tiles, sprites with their animation timing,
// labels over a tile and the "+N" chip.
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

    // The heights in pixels hosts draw items at, which tiles draw their
    // pictures for: GNOME's bar and waybar's tray 16, most panels 22 or 24,
    // and their double on dense screens.
    static constexpr std::array<int, 6> pixelSizes{16, 22, 24, 32, 44, 48};
    // Pixels per point of a picture drawn `pixelSize` pixels high.
    static double scaleForPixelSize(int pixelSize);
    // The heights the segments' pictures are composed at, smallest first (a
    // change composes every segment anew and is announced, so that tiles
    // drawn for only these heights are drawn for the new ones).
    const QList<int>& composedPixelSizes() const { return m_composedSizes; }
    void setComposedPixelSizes(const QList<int>& sizes);

    // The whole row as last composed, at 1× and 2× (devicePixelRatio set),
    // drawn when asked for (the tray icon fallback shows it).
    const QImage& image1x() const;
    const QImage& image2x() const;

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
    // The pieces published one item (and tray icon) each: the segments, or
    // the whole picture as one (with no key, name or figure).
    QList<Segment> publishedSegments() const;

    // Each segment's pictures as last composed, in the segments' order (one
    // entry, the whole picture, when there are no segments): one image per
    // height of composedPixelSizes, smallest first, each with its scale as device
    // pixel ratio. An unchanged segment keeps the very same images.
    struct Pictures {
        QString key;
        QRectF frame;
        size_t signature = 0;
        QList<QImage> images;
    };
    const QList<Pictures>& pictures() const { return m_pictures; }
    // A piece of the row (`frame`, points) as last composed, drawn
    // `pixelSize` pixels high, for a height pixelSizes lacks (the tray's).
    QImage render(const QRectF& frame, int pixelSize) const;
    // How many segment pictures were drawn so far (tests, diagnostics).
    int pictureRenderCount() const { return m_pictureRenders; }

    LayerCompositor* compositor() const { return m_compositor.get(); }
    SniStatusItem* statusNotifier() const { return m_sni; }

Q_SIGNALS:
    // After every composition, with the new pictures.
    void imageChanged();
    // After the composed heights changed.
    void composedPixelSizesChanged();

private:
    friend class StatusItemButton;
    void buttonImageChanged();
    void updateGeometry();
    void composeImages();
    size_t signatureOf(const QRectF& area, double mediaTime) const;
    void composeRow() const;
    QImage presentedButtonImage() const;
    void setUp();

    std::unique_ptr<StatusItemButton> m_button;
    Layer::Ptr m_canvas;
    Layer::Ptr m_imageLayer;
    std::unique_ptr<LayerCompositor> m_compositor;
    double m_length = variableLength;
    std::function<void(QPoint)> m_action;
    std::optional<QPoint> m_lastClick;
    mutable QImage m_image1x;
    mutable QImage m_image2x;
    mutable bool m_rowStale = true;
    double m_composedAt = 0;
    QList<Segment> m_segments;
    QList<Pictures> m_pictures;
    QList<int> m_composedSizes{pixelSizes.cbegin(), pixelSizes.cend()};
    int m_pictureRenders = 0;
    SniStatusItem* m_sni = nullptr;
};

} // namespace gaugelet
