#include "store/views/AdultContentBadge.h"

#include <QApplication>
#include <QPainter>

namespace gaugelet {

namespace {
constexpr int kPaddingH = 6;
constexpr int kPaddingV = 2;

QFont badgeFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    return font;
}
} // namespace

AdultContentBadge::AdultContentBadge(QWidget* parent) : QWidget(parent)
{
    setFont(badgeFont());
    setAccessibleName(tr("Contains adult content, 18 plus"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

const QColor& AdultContentBadge::badgeColour()
{
    static const QColor colour = QColor::fromRgbF(0.94f, 0.33f, 0.41f, 1.0f);
    return colour;
}

QString AdultContentBadge::text() const { return tr("18+ NSFW"); }

QSize AdultContentBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kPaddingH, metrics.height() + 2 * kPaddingV};
}

void AdultContentBadge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font());
    p.setPen(badgeColour());
    p.drawText(QRectF(rect()), Qt::AlignCenter, text());
    // A 1-point stroke centred on the outline, inside the widget.
    QPen outline(badgeColour(), 1.0);
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

} // namespace gaugelet
