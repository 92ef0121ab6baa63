#include "settings/setup/LoginItemHero.h"

#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

namespace {

using Style = DesignStyle::TextStyle;

constexpr qreal iconSide = 28;
constexpr qreal iconRadius = 7;
constexpr qreal symbolPointSize = 14;
constexpr qreal spacing = 10;
constexpr qreal lineSpacing = 1;
constexpr QSizeF switchSize(34, 20);
constexpr qreal knobInset = 2;

QFont nameFont()
{
    QFont f = DesignStyle::font(Style::caption);
    f.setBold(true);
    return f;
}

QFont subtitleFont()
{
    return DesignStyle::font(Style::caption2);
}

qreal textBlockHeight()
{
    return QFontMetricsF(nameFont()).height() + lineSpacing + QFontMetricsF(subtitleFont()).height();
}

} // namespace

LoginItemHero::LoginItemHero(QWidget* parent) : HeroBackdrop(parent)
{
    setObjectName(QStringLiteral("LoginItemHero"));
}

qreal LoginItemHero::contentHeight() const
{
    return std::max({iconSide, textBlockHeight(), switchSize.height()});
}

void LoginItemHero::paintContent(QPainter& p, const QRectF& content) const
{
    const QPalette light = lightPalette();
    const QColor primary = DesignStyle::colour(DesignStyle::Colour::primary, light);
    const QColor secondary = DesignStyle::colour(DesignStyle::Colour::secondary, light);
    const qreal midY = content.center().y();

    // The symbol at 14 pt, scaled with the application font like every text style.
    const qreal scale = DesignStyle::font(Style::body).pointSizeF() / DesignStyle::designPointSize(Style::body);
    const qreal symbolSide = QFontInfo(DesignStyle::font(Style::body, symbolPointSize * scale)).pixelSize() * 1.25;
    const QRectF tile = paintAppTile(p, content.left(), midY, iconSide, iconRadius, symbolSide);

    // The switch, on: a green capsule with the white knob at its trailing end.
    const QRectF track(content.right() - switchSize.width(), midY - switchSize.height() / 2, switchSize.width(),
                       switchSize.height());
    p.setPen(Qt::NoPen);
    p.setBrush(DesignStyle::colour(DesignStyle::Colour::green, light));
    p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    const qreal knob = track.height() - 2 * knobInset;
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(track.right() - knobInset - knob, track.top() + knobInset, knob, knob));

    const qreal left = tile.right() + spacing;
    const qreal width = std::max<qreal>(0, track.left() - spacing - left);
    qreal y = midY - textBlockHeight() / 2;
    auto line = [&](const QString& text, const QFont& font, const QColor& colour) {
        const QFontMetricsF m(font);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRectF(left, y, width, m.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   m.elidedText(text, Qt::ElideRight, width));
        y += m.height() + lineSpacing;
    };
    line(tr("Gaugelet"), nameFont(), primary);
    line(tr("Open at Login"), subtitleFont(), secondary);
}

} // namespace gaugelet
