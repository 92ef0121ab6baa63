#pragma once

#include <QIconEngine>
#include <QImage>
#include <functional>

namespace gaugelet {

// The picture of one tile in the system tray, drawn for the slot the tray
// paints it in (in device pixels): as high as the slot, or less where the
// tile would not fit its width (trays give an icon the height of their
// panel but keep its width), never resampled from another height, and
// centred in the slot. Drawn when first asked for at a height and kept for
// that height. Main thread only.
class TrayTileIconEngine final : public QIconEngine {
public:
    // The tile drawn `pixels` high, its device pixel ratio set.
    using Draw = std::function<QImage(int pixels)>;

    // A tile `points` large (its height the status bar's thickness).
    TrayTileIconEngine(QSizeF points, Draw draw);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

    // The height a slot of `slot` device pixels takes the tile at.
    int pixelsFor(QSize slot) const;
    // The picture for a slot `pixels` high.
    QImage picture(int pixels) const;

private:
    QSizeF m_points;
    Draw m_draw;
    mutable int m_pixels = 0;
    mutable QImage m_picture;
};

} // namespace gaugelet
