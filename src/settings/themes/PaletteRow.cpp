#include "settings/themes/PaletteRow.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"
#include "views/TextLook.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

namespace {

constexpr qreal kSwatchW = 14;
constexpr qreal kSwatchH = 18;
constexpr qreal kSwatchGap = 2;
constexpr qreal kStripPad = 2;
constexpr qreal kStripW = 8 * kSwatchW + 7 * kSwatchGap + 2 * kStripPad;
constexpr qreal kStripH = kSwatchH + 2 * kStripPad;
constexpr qreal kGap = 12;
constexpr qreal kMarkSide = 16;
constexpr qreal kRowPad = 3;

QFont nameFont()
{
    return TextLook::weighted(DesignStyle::TextStyle::body, QFont::Medium);
}

} // namespace

PaletteRow::PaletteRow(Palette palette, bool selected, std::function<void()> onSelect, QWidget* parent)
    : QAbstractButton(parent), m_palette(std::move(palette)), m_selected(selected), m_onSelect(std::move(onSelect))
{
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(m_palette.name);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_onSelect)
            m_onSelect();
    });
}

void PaletteRow::setSelected(bool selected)
{
    if (assignIfChanged(m_selected, selected))
        update();
}

QSize PaletteRow::sizeHint() const
{
    const QFontMetricsF name(nameFont());
    const QFontMetricsF caption(DesignStyle::font(DesignStyle::TextStyle::caption));
    const qreal textH = name.height() + 2 + caption.height();
    const qreal h = std::max(kStripH, textH) + 2 * kRowPad;
    const qreal w = kStripW + kGap + name.horizontalAdvance(m_palette.name) + kGap + kMarkSide;
    return QSizeF(w, h).toSize() + QSize(1, 1);
}

void PaletteRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect());

    // The swatch strip.
    const QRectF strip(0.5, (area.height() - kStripH) / 2, kStripW, kStripH);
    p.setPen(Qt::NoPen);
    p.setBrush(m_palette.bg);
    p.drawRoundedRect(strip, 6, 6);
    const QColor accents[] = {m_palette.accent1, m_palette.accent2, m_palette.accent3, m_palette.accent4,
                              m_palette.accent5, m_palette.accent6, m_palette.accent7, m_palette.accent8};
    qreal x = strip.left() + kStripPad;
    for (const QColor& c : accents) {
        p.setBrush(c);
        p.drawRoundedRect(QRectF(x, strip.top() + kStripPad, kSwatchW, kSwatchH), 3, 3);
        x += kSwatchW + kSwatchGap;
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(DesignStyle::colour(DesignStyle::Colour::tertiary, this), 0.5));
    p.drawRoundedRect(strip, 6, 6);

    // The name and "Dark" / "Light".
    const QFont nf = nameFont();
    const QFont cf = DesignStyle::font(DesignStyle::TextStyle::caption);
    const QFontMetricsF nm(nf);
    const QFontMetricsF cm(cf);
    const qreal textX = strip.right() + kGap;
    const qreal textW = std::max<qreal>(0, area.width() - textX - kGap - kMarkSide);
    const qreal textH = nm.height() + 2 + cm.height();
    qreal y = (area.height() - textH) / 2;
    p.setFont(nf);
    p.setPen(DesignStyle::colour(DesignStyle::Colour::primary, this));
    p.drawText(QRectF(textX, y, textW, nm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               nm.elidedText(m_palette.name, Qt::ElideRight, textW));
    y += nm.height() + 2;
    p.setFont(cf);
    p.setPen(DesignStyle::colour(DesignStyle::Colour::secondary, this));
    p.drawText(QRectF(textX, y, textW, cm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               m_palette.isDark ? tr("Dark") : tr("Light"));

    // The check mark, or an empty ring.
    const QString symbol = m_selected ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle");
    const QColor colour =
        m_selected ? m_palette.accent1 : DesignStyle::colour(DesignStyle::Colour::tertiary, this);
    const QImage mark = SystemSymbol::tinted(symbol, kMarkSide, colour, devicePixelRatioF());
    p.drawImage(QRectF(area.width() - kMarkSide - 1, (area.height() - kMarkSide) / 2, kMarkSide, kMarkSide), mark);
}

} // namespace gaugelet
