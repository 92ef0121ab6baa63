#include "store/views/StoreBadge.h"

#include "platform/style/DesignStyle.h"

#include <QApplication>
#include <QPainter>

namespace gaugelet {

namespace {
constexpr int kPaddingH = 6;

int verticalPadding(StoreBadge::Kind kind)
{
    return kind == StoreBadge::Kind::newItem ? 1 : 2;
}

QFont badgeFont(StoreBadge::Kind kind)
{
    if (kind == StoreBadge::Kind::newItem) {
        QFont font = DesignStyle::font(DesignStyle::TextStyle::caption2);
        font.setBold(true);
        return font;
    }
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    return font;
}
} // namespace

StoreBadge::StoreBadge(Kind kind, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    setFont(badgeFont(kind));
    setAccessibleName(kind == Kind::newItem ? text() : tr("Contains adult content, 18 plus"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

const QColor& StoreBadge::adultContentColour()
{
    static const QColor colour = QColor::fromRgbF(0.94f, 0.33f, 0.41f, 1.0f);
    return colour;
}

QString StoreBadge::text() const
{
    return m_kind == Kind::newItem ? tr("NEW") : tr("18+ NSFW");
}

QSize StoreBadge::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kPaddingH, metrics.height() + 2 * verticalPadding(m_kind)};
}

void StoreBadge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect());
    p.setFont(font());
    if (m_kind == Kind::newItem) {
        const qreal radius = box.height() / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(DesignStyle::colour(DesignStyle::Colour::accent, this));
        p.drawRoundedRect(box, radius, radius);
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, text());
        return;
    }
    p.setPen(adultContentColour());
    p.drawText(box, Qt::AlignCenter, text());
    // A 1-point stroke centred on the outline, inside the widget.
    p.setPen(QPen(adultContentColour(), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

} // namespace gaugelet
