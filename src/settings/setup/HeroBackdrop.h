#pragma once

#include <QImage>
#include <QPalette>
#include <QWidget>

namespace gaugelet {

// The dark, lit backdrop of the setup checklist's illustrations: a grey
// gradient with a soft diagonal sheen, and centred on it one light card (the
// illustration's content, always drawn in the light scheme, whatever the
// desktop's). Subclasses give the card's width and the height of its content
// and paint the content.
class HeroBackdrop : public QWidget {
    Q_OBJECT
public:
    explicit HeroBackdrop(QWidget* parent = nullptr);

    // Rounds the top corners (for a hero at the top of a rounded card).
    void setTopCornerRadius(qreal radius);

    // The light palette the content is drawn in.
    static QPalette lightPalette();

protected:
    // The card's full width (padding included) and its content's height.
    virtual qreal cardWidth() const = 0;
    virtual qreal contentHeight() const = 0;
    // Paints the content inside the card's padding.
    virtual void paintContent(QPainter& painter, const QRectF& content) const = 0;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // The program's icon: a white rounded tile, centred on midY at the
    // content's leading edge, with the gauge symbol symbolSide points square; gives the tile.
    static QRectF paintAppTile(QPainter& painter, qreal left, qreal midY, qreal side, qreal radius, qreal symbolSide);

    static constexpr qreal cardPadding = 12;
    static constexpr qreal cardCornerRadius = 14;

private:
    QImage sheen(const QSize& size) const;

    qreal m_topCornerRadius = 0;
    mutable QImage m_sheen; // cached for the current size
};

} // namespace gaugelet
