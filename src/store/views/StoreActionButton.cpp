#include "store/views/StoreActionButton.h"

#include "platform/style/DesignStyle.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace gaugelet {

namespace {
constexpr int kPaddingH = 9;
constexpr int kPaddingV = 3;
constexpr qreal kRadius = 5;
} // namespace

StoreActionButton::StoreActionButton(const QString& text, Role role, QWidget* parent)
    : QPushButton(text, parent), m_role(role)
{
    // Small control size: the callout-sized text of a small button.
    setFont(DesignStyle::font(DesignStyle::TextStyle::callout));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

QSize StoreActionButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 2 * kPaddingH, metrics.height() + 2 * kPaddingV};
}

void StoreActionButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool dark = DesignStyle::isDark(palette());
    QColor fill;
    QColor border = Qt::transparent;
    QColor textColour;
    if (m_role == Role::prominent) {
        fill = DesignStyle::colour(DesignStyle::Colour::accent, this);
        textColour = palette().color(QPalette::HighlightedText);
    } else {
        fill = DesignStyle::colour(DesignStyle::Colour::controlBackground, this);
        border = DesignStyle::colour(DesignStyle::Colour::separator, this);
        border.setAlphaF(std::min<float>(1.0f, border.alphaF() * 2));
        textColour = DesignStyle::colour(DesignStyle::Colour::red, this);
    }
    if (!isEnabled()) {
        fill.setAlphaF(fill.alphaF() * 0.5);
        textColour.setAlphaF(0.5);
    } else if (isDown()) {
        fill = dark ? fill.lighter(130) : fill.darker(115);
    }
    p.setPen(border.alpha() > 0 ? QPen(border, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(box, kRadius, kRadius);
    if (hasFocus()) {
        QColor ring = DesignStyle::colour(DesignStyle::Colour::accent, this);
        ring.setAlphaF(0.5);
        p.setPen(QPen(ring, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(1, 1, -1, -1), kRadius - 1, kRadius - 1);
    }
    p.setPen(textColour);
    p.setFont(font());
    p.drawText(box, Qt::AlignCenter, text());
}

} // namespace gaugelet
