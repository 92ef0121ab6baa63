#include "popover/ValueChip.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/core/Defaults.h"
#include "platform/style/DesignStyle.h"
#include "schema/SettingsSchema.h"
#include "stats/Color.h"
#include "views/Spacing.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

ValueChip::Style ValueChip::Style::stored(const Defaults& defaults)
{
    Style style;
    style.bgEnabled = SettingsSchema::boolean(SettingsSchema::statBgEnabled, defaults);
    style.bgHex = SettingsSchema::string(SettingsSchema::statBgHex, defaults);
    style.fgEnabled = SettingsSchema::boolean(SettingsSchema::statFgEnabled, defaults);
    style.fgHex = SettingsSchema::string(SettingsSchema::statFgHex, defaults);
    return style;
}

QColor ValueChip::fallbackBackground()
{
    QColor gray(142, 142, 147);
    gray.setAlphaF(0.28f);
    return gray;
}

ValueChip::ValueChip(QWidget* parent)
    : QWidget(parent)
{
    setFont(DesignStyle::monospacedDigits(DesignStyle::font(DesignStyle::TextStyle::title3)));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ValueChip::setText(const QString& text)
{
    if (text == m_text)
        return;
    const QSize before = sizeHint();
    m_text = text;
    // A new width asks the layout again; the same width only repaints.
    if (sizeHint() != before)
        updateGeometry();
    update();
}

void ValueChip::setStyle(const Style& style)
{
    if (!assignIfChanged(m_style, style))
        return;
    updateGeometry();
    update();
}

std::optional<QColor> ValueChip::foreground() const
{
    if (!m_style.fgEnabled)
        return std::nullopt;
    if (auto parsed = Color::fromHex(m_style.fgHex))
        return *parsed;
    return DesignStyle::colour(DesignStyle::Colour::primary, this);
}

std::optional<QColor> ValueChip::background() const
{
    if (!m_style.bgEnabled)
        return std::nullopt;
    if (auto parsed = Color::fromHex(m_style.bgHex))
        return *parsed;
    return fallbackBackground();
}

QMargins ValueChip::inset() const
{
    return m_style.bgEnabled ? Spacing::margins(Spacing::Step::m, Spacing::Step::xxs) : QMargins();
}

QSize ValueChip::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const QMargins m = inset();
    return QSize(fm.horizontalAdvance(m_text) + m.left() + m.right(), fm.height() + m.top() + m.bottom());
}

void ValueChip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (auto fill = background()) {
        const QRectF r = QRectF(rect());
        QPainterPath capsule;
        capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
        p.fillPath(capsule, *fill);
    }
    p.setPen(foreground().value_or(palette().color(QPalette::WindowText)));
    p.setFont(font());
    p.drawText(rect().marginsRemoved(inset()), Qt::AlignCenter, m_text);
}

void ValueChip::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

} // namespace gaugelet
