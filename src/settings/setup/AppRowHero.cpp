#include "settings/setup/AppRowHero.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>

namespace gaugelet {

namespace {

using Style = DesignStyle::TextStyle;
using Colour = DesignStyle::Colour;

constexpr qreal spacing = 10;
constexpr qreal lineSpacing = 1;
constexpr QSizeF switchSize(34, 20);
constexpr qreal knobInset = 2;

QFont lineFont(const AppRowHero::Line& line)
{
    QFont f = DesignStyle::font(line.style);
    if (line.bold)
        f.setBold(true);
    return f;
}

QFont timeStampFont()
{
    return DesignStyle::font(Style::caption2);
}

} // namespace

AppRowHero::AppRowHero(Design design, QWidget* parent) : HeroBackdrop(parent), m_design(std::move(design))
{
    setObjectName(m_design.name);
}

AppRowHero* AppRowHero::loginItem(QWidget* parent)
{
    return new AppRowHero({.name = QStringLiteral("LoginItemHero"),
                           .cardWidth = 280,
                           .iconSide = 28,
                           .iconRadius = 7,
                           .symbolPointSize = 14,
                           .lines = {{tr("Gaugelet"), Style::caption, true, Colour::primary},
                                     {tr("Open at Login"), Style::caption2, false, Colour::secondary}},
                           .accessory = Accessory::switchOn,
                           .timeStamp = {}},
                          parent);
}

AppRowHero* AppRowHero::notification(QWidget* parent)
{
    return new AppRowHero(
        {.name = QStringLiteral("NotificationsHero"),
         .cardWidth = 330,
         .iconSide = 34,
         .iconRadius = 8,
         .symbolPointSize = std::nullopt,
         .lines = {{tr("GAUGELET"), Style::caption2, false, Colour::secondary},
                   {tr("CPU ≥ 90%"), Style::callout, true, Colour::primary},
                   {tr("Snooze 5m or dismiss to silence."), Style::caption, false, Colour::secondary}},
         .accessory = Accessory::timeStamp,
         .timeStamp = tr("now")},
        parent);
}

qreal AppRowHero::textBlockHeight() const
{
    qreal height = 0;
    for (const Line& line : m_design.lines)
        height += QFontMetricsF(lineFont(line)).height();
    return height + lineSpacing * std::max<qsizetype>(0, m_design.lines.size() - 1);
}

qreal AppRowHero::contentHeight() const
{
    const qreal accessory = m_design.accessory == Accessory::switchOn ? switchSize.height() : 0;
    return std::max({m_design.iconSide, textBlockHeight(), accessory});
}

void AppRowHero::paintContent(QPainter& p, const QRectF& content) const
{
    const QPalette light = lightPalette();
    const qreal midY = content.center().y();

    // The program's icon tile. The symbol is scaled with the application font
    // like every text style, a little taller than the font's pixel size.
    const qreal scale = DesignStyle::font(Style::body).pointSizeF() / DesignStyle::designPointSize(Style::body);
    const QFont symbolFont = m_design.symbolPointSize
                                 ? DesignStyle::font(Style::body, *m_design.symbolPointSize * scale)
                                 : DesignStyle::font(Style::body);
    const qreal symbolSide = QFontInfo(symbolFont).pixelSize() * 1.25;
    const QRectF tile = paintAppTile(p, content.left(), midY, m_design.iconSide, m_design.iconRadius, symbolSide);

    // The trailing accessory; the text block ends a spacing before it.
    qreal textRight = content.right();
    if (m_design.accessory == Accessory::switchOn) {
        // A green capsule with the white knob at its trailing end.
        const QRectF track(content.right() - switchSize.width(), midY - switchSize.height() / 2, switchSize.width(),
                           switchSize.height());
        p.setPen(Qt::NoPen);
        p.setBrush(DesignStyle::colour(Colour::green, light));
        p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
        const qreal knob = track.height() - 2 * knobInset;
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(track.right() - knobInset - knob, track.top() + knobInset, knob, knob));
        textRight = track.left();
    } else {
        const QFont font = timeStampFont();
        const QFontMetricsF metrics(font);
        const qreal width = metrics.horizontalAdvance(m_design.timeStamp);
        p.setFont(font);
        p.setPen(DesignStyle::colour(Colour::secondary, light));
        p.drawText(QRectF(content.right() - width, midY - metrics.height() / 2, width + 1, metrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, m_design.timeStamp);
        textRight = content.right() - width;
    }

    // The text block, between the tile and the accessory, centred on the row.
    const qreal left = tile.right() + spacing;
    const qreal width = std::max<qreal>(0, textRight - spacing - left);
    qreal y = midY - textBlockHeight() / 2;
    for (const Line& line : m_design.lines) {
        const QFont font = lineFont(line);
        const QFontMetricsF m(font);
        p.setFont(font);
        p.setPen(DesignStyle::colour(line.colour, light));
        p.drawText(QRectF(left, y, width, m.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   m.elidedText(line.text, Qt::ElideRight, width));
        y += m.height() + lineSpacing;
    }
}

} // namespace gaugelet
