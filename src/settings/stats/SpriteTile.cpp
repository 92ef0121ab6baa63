#include "settings/stats/SpriteTile.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"
#include "settings/shared/SettingsText.h"
#include "settings/stats/SpriteThumb.h"
#include "views/ToolTip.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

constexpr int kWidth = 50;
constexpr int kHeight = 46;
constexpr int kThumbSide = 22;
constexpr int kThumbToName = 3;
// The name's room from the tile's sides.
constexpr int kNameInset = 2;

QFont nameFont()
{
    return SettingsText::designFont(9);
}

int nameHeight()
{
    return int(std::ceil(QFontMetricsF(nameFont()).height()));
}

} // namespace

int SpriteTile::tileHeight()
{
    return std::max(kHeight, kThumbSide + kThumbToName + nameHeight() + 2 * kNameInset);
}

QSize SpriteTile::sizeHint() const
{
    const QString name = m_viz ? m_viz->displayName() : QString();
    const int nameWidth = int(std::ceil(QFontMetricsF(nameFont()).horizontalAdvance(name)));
    return {std::max(kWidth, nameWidth + 2 * kNameInset), tileHeight()};
}

SpriteTile::SpriteTile(VisualizerPtr viz, const QString& providerId, QWidget* parent)
    : QAbstractButton(parent), m_viz(std::move(viz))
{
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    const QString name = m_viz ? m_viz->displayName() : QString();
    setAccessibleName(name);
    setToolTip(ToolTip::fromPlainText(name));
    m_thumb = new SpriteThumb(m_viz, providerId, kThumbSide, this);
    // The sprite over its name, the two centred in the tile.
    const int top = (height() - (kThumbSide + kThumbToName + nameHeight())) / 2;
    m_thumb->move((width() - kThumbSide) / 2, std::max(0, top));
}

void SpriteTile::setSelected(bool selected)
{
    if (assignIfChanged(m_selected, selected))
        update();
}

void SpriteTile::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = DesignStyle::colour(DesignStyle::Colour::accent, this);
    QColor fill = m_selected ? accent : DesignStyle::colour(DesignStyle::Colour::secondary, this);
    fill.setAlphaF(fill.alphaF() * (m_selected ? 0.2 : 0.1));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()), 7, 7);
    if (m_selected) {
        p.setPen(QPen(accent, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 6.25, 6.25);
    }
    const QFont f = nameFont();
    const QFontMetricsF fm(f);
    p.setFont(f);
    p.setPen(DesignStyle::colour(DesignStyle::Colour::primary, this));
    const QRectF text(kNameInset, m_thumb->geometry().bottom() + 1 + kThumbToName, width() - 2 * kNameInset,
                      fm.height());
    p.drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
               fm.elidedText(m_viz ? m_viz->displayName() : QString(), Qt::ElideRight, text.width()));
}

} // namespace gaugelet
