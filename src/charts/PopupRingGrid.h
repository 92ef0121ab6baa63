#pragma once

#include "charts/PopupRingCell.h"

#include <QList>
#include <QRectF>
#include <QWidget>

namespace gaugelet {

// One ring per cell (as one per processor), in order. The rings run in a row
// spaced `spacing` apart and wrap into further rows when the row would pass
// the width the grid is given: a machine with 64 hardware threads fills
// several rows instead of overflowing the popover's column.
class PopupRingGrid : public QWidget {
    Q_OBJECT
public:
    PopupRingGrid(qreal diameter, qreal spacing, qreal lineWidth, QWidget* parent = nullptr);

    // Updates the rings in place (cells are told apart by position).
    void setCores(const QList<PopupRingCell>& cores);
    const QList<PopupRingCell>& cores() const { return m_cores; }

    // How many rings fit in one row of the given width (at least one).
    static int columnsForWidth(qreal width, qreal diameter, qreal spacing);
    // Where each ring stands when the grid is the given width wide.
    static QList<QRectF> cellRects(qsizetype count, qreal width, qreal diameter, qreal spacing);
    // The width of one unwrapped row of count rings.
    static qreal rowWidth(qsizetype count, qreal diameter, qreal spacing);
    // Each ring's frame in the grid at its current width, inside the room
    // kept around the rows for the strokes' outer halves.
    QList<QRectF> ringFrames() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<PopupRingCell> m_cores;
    qreal m_diameter;
    qreal m_spacing;
    qreal m_lineWidth;
};

} // namespace gaugelet
