#include "settings/stats/PresetCard.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"
#include "settings/shared/SettingsText.h"
#include "views/TextLook.h"
#include "views/ToolTip.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

constexpr qreal kPadH = 10;
constexpr qreal kPadV = 8;
constexpr qreal kSpacing = 5;

QFont titleFont()
{
    return TextLook::weighted(DesignStyle::TextStyle::callout, QFont::DemiBold);
}

QFont badgeFont()
{
    QFont f = SettingsText::designFont(9);
    f.setBold(true);
    return f;
}

QColor withAlpha(QColor c, qreal alpha)
{
    c.setAlphaF(c.alphaF() * alpha);
    return c;
}

} // namespace

PresetCard::PresetCard(MenubarPreset preset, QWidget* parent) : QAbstractButton(parent), m_preset(std::move(preset))
{
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(m_preset.name);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    updateToolTip();
}

QString PresetCard::badgeText()
{
    return tr("✓ Current");
}

void PresetCard::setCurrent(bool current)
{
    if (!assignIfChanged(m_current, current))
        return;
    updateToolTip();
    updateGeometry(); // the badge takes room beside the name
    update();
}

void PresetCard::updateToolTip()
{
    // The preset's name is data: it never reads as markup.
    ToolTip::set(this, m_current ? tr("This is what your panel shows right now.")
                                 : tr("Use the %1 look.").arg(m_preset.name));
}

QSize PresetCard::sizeHint() const
{
    // Room for the whole name (with the badge beside it while current) and
    // the whole description: the cards share the row's width, none narrower.
    const QFontMetricsF title(titleFont());
    const QFontMetricsF badge(badgeFont());
    const QFontMetricsF blurb(DesignStyle::font(DesignStyle::TextStyle::caption2));
    const qreal rowH = std::max(title.height(), badge.height() + 4);
    const qreal h = kPadV + rowH + kSpacing + blurb.height() + kPadV;
    const qreal titleRow =
        title.horizontalAdvance(m_preset.name) + (m_current ? kSpacing + badge.horizontalAdvance(badgeText()) + 12 : 0);
    const qreal w = kPadH + std::max(titleRow, blurb.horizontalAdvance(m_preset.blurb)) + kPadH;
    return QSize(int(std::ceil(w)), int(std::ceil(h)));
}

QSize PresetCard::minimumSizeHint() const
{
    return sizeHint();
}

void PresetCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = DesignStyle::colour(DesignStyle::Colour::accent, this);
    const QRectF card = QRectF(rect());

    // Background, then the border drawn inside the card's edge.
    QPainterPath shape;
    shape.addRoundedRect(card, 8, 8);
    p.fillPath(shape, m_current ? withAlpha(accent, 0.12) : QColor(Qt::transparent));
    const QColor border = m_current ? withAlpha(accent, 0.55)
                                    : withAlpha(DesignStyle::colour(DesignStyle::Colour::secondary, this), 0.25);
    p.setPen(QPen(border, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), 7.5, 7.5);

    const QFont tf = titleFont();
    const QFont bf = badgeFont();
    const QFont cf = DesignStyle::font(DesignStyle::TextStyle::caption2);
    const QFontMetricsF tm(tf);
    const QFontMetricsF bm(bf);
    const QFontMetricsF cm(cf);
    const qreal rowH = std::max(tm.height(), bm.height() + 4);
    const qreal inner = card.width() - 2 * kPadH;

    qreal badgeW = 0;
    if (m_current) {
        badgeW = bm.horizontalAdvance(badgeText()) + 12;
        const QRectF capsule(card.right() - kPadH - badgeW, kPadV + (rowH - bm.height() - 4) / 2, badgeW,
                             bm.height() + 4);
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(accent, 0.16));
        p.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        p.setFont(bf);
        p.setPen(accent);
        p.drawText(capsule, Qt::AlignCenter, badgeText());
    }

    const qreal titleW = std::max<qreal>(0, inner - (m_current ? badgeW + kSpacing : 0));
    p.setFont(tf);
    p.setPen(DesignStyle::colour(DesignStyle::Colour::primary, this));
    p.drawText(QRectF(kPadH, kPadV, titleW, rowH), Qt::AlignLeft | Qt::AlignVCenter,
               tm.elidedText(m_preset.name, Qt::ElideRight, titleW));

    p.setFont(cf);
    p.setPen(DesignStyle::colour(DesignStyle::Colour::secondary, this));
    p.drawText(QRectF(kPadH, kPadV + rowH + kSpacing, inner, cm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               cm.elidedText(m_preset.blurb, Qt::ElideRight, inner));
}

} // namespace gaugelet
