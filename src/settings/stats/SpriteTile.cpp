#include "settings/stats/SpriteTile.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"
#include "settings/shared/SettingsText.h"
#include "settings/stats/SpriteThumb.h"
#include "views/ToolTip.h"

#include <QFontMetricsF>
#include <QPainter>

namespace gaugelet {

namespace {

QFont nameFont()
{
    return SettingsText::designFont(9);
}

} // namespace

SpriteTile::SpriteTile(VisualizerPtr viz, const QString& providerId, QWidget* parent)
    : QAbstractButton(parent), m_viz(std::move(viz))
{
    setFixedSize(50, 46);
    setCursor(Qt::PointingHandCursor);
    const QString name = m_viz ? m_viz->displayName() : QString();
    setAccessibleName(name);
    setToolTip(ToolTip::fromPlainText(name));
    m_thumb = new SpriteThumb(m_viz, providerId, 22, this);
    const qreal textH = QFontMetricsF(nameFont()).height();
    const qreal top = (46 - (22 + 3 + textH)) / 2;
    m_thumb->move(14, int(std::max<qreal>(0, top)));
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
    const QRectF text(2, m_thumb->geometry().bottom() + 1 + 3, width() - 4, fm.height());
    p.drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
               fm.elidedText(m_viz ? m_viz->displayName() : QString(), Qt::ElideRight, text.width()));
}

} // namespace gaugelet
