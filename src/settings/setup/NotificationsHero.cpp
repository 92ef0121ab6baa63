#include "settings/setup/NotificationsHero.h"

#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

namespace {

using Style = DesignStyle::TextStyle;

QFont boldFont(Style style)
{
    QFont f = DesignStyle::font(style);
    f.setBold(true);
    return f;
}

struct Lines {
    QString app, title, body, time;
    QFont appFont = DesignStyle::font(Style::caption2);
    QFont titleFont = boldFont(Style::callout);
    QFont bodyFont = DesignStyle::font(Style::caption);
    QFont timeFont = DesignStyle::font(Style::caption2);
};

Lines lines()
{
    Lines l;
    l.app = NotificationsHero::tr("GAUGELET");
    l.title = NotificationsHero::tr("CPU ≥ 90%");
    l.body = NotificationsHero::tr("Snooze 5m or dismiss to silence.");
    l.time = NotificationsHero::tr("now");
    return l;
}

constexpr qreal iconSide = 34;
constexpr qreal iconRadius = 8;
constexpr qreal spacing = 10;
constexpr qreal lineSpacing = 1;

qreal textBlockHeight(const Lines& l)
{
    return QFontMetricsF(l.appFont).height() + lineSpacing + QFontMetricsF(l.titleFont).height() + lineSpacing
        + QFontMetricsF(l.bodyFont).height();
}

} // namespace

NotificationsHero::NotificationsHero(QWidget* parent) : HeroBackdrop(parent)
{
    setObjectName(QStringLiteral("NotificationsHero"));
}

qreal NotificationsHero::contentHeight() const
{
    return std::max(iconSide, textBlockHeight(lines()));
}

void NotificationsHero::paintContent(QPainter& p, const QRectF& content) const
{
    const Lines l = lines();
    const QPalette light = lightPalette();
    const QColor primary = DesignStyle::colour(DesignStyle::Colour::primary, light);
    const QColor secondary = DesignStyle::colour(DesignStyle::Colour::secondary, light);
    const qreal midY = content.center().y();

    // The icon tile with the program's gauge.
    // The symbol at the body size: a little taller than the font's pixel size.
    const qreal symbolSide = QFontInfo(DesignStyle::font(Style::body)).pixelSize() * 1.25;
    const QRectF tile = paintAppTile(p, content.left(), midY, iconSide, iconRadius, symbolSide);

    // "now", trailing.
    const QFontMetricsF timeMetrics(l.timeFont);
    const qreal timeWidth = timeMetrics.horizontalAdvance(l.time);
    p.setFont(l.timeFont);
    p.setPen(secondary);
    p.drawText(QRectF(content.right() - timeWidth, midY - timeMetrics.height() / 2, timeWidth + 1, timeMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter, l.time);

    // The text block, leading, between the tile and the time.
    const qreal left = tile.right() + spacing;
    const qreal width = std::max<qreal>(0, content.right() - timeWidth - spacing - left);
    qreal y = midY - textBlockHeight(l) / 2;
    auto line = [&](const QString& text, const QFont& font, const QColor& colour) {
        const QFontMetricsF m(font);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRectF(left, y, width, m.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   m.elidedText(text, Qt::ElideRight, width));
        y += m.height() + lineSpacing;
    };
    line(l.app, l.appFont, secondary);
    line(l.title, l.titleFont, primary);
    line(l.body, l.bodyFont, secondary);
}

} // namespace gaugelet
