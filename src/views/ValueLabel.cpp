#include "views/ValueLabel.h"

#include "views/Spacing.h"

#include <QEvent>
#include <QFontMetrics>
#include <algorithm>

namespace gaugelet {

ValueLabel::ValueLabel(DesignStyle::TextStyle style, qreal designWidth, QWidget* parent)
    : QLabel(parent), m_style(style), m_designWidth(designWidth)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    takeStyleFont();
    measure();
}

void ValueLabel::takeStyleFont()
{
    setFont(DesignStyle::monospacedDigits(DesignStyle::font(m_style)));
}

void ValueLabel::setRange(int low, int high, const std::function<QString(int)>& text)
{
    QStringList texts;
    for (int v = low; v <= high; ++v)
        texts.append(text(v));
    setTexts(std::move(texts));
}

void ValueLabel::setTexts(QStringList texts)
{
    m_texts = std::move(texts);
    measure();
}

int ValueLabel::textWidth(const QString& text) const
{
    const QFontMetrics metrics(font());
    const QRect ink = metrics.boundingRect(text);
    return std::max({metrics.horizontalAdvance(text), ink.right() + 1, 0}) - std::min(ink.left(), 0);
}

void ValueLabel::measure()
{
    int widest = 0;
    for (const QString& t : std::as_const(m_texts))
        widest = std::max(widest, textWidth(t));
    m_widest = widest;
    updateGeometry();
}

QSize ValueLabel::sizeHint() const
{
    // A text outside the list (a stored value beyond the control's range)
    // widens the label rather than being cut.
    const int text = std::max(m_widest, textWidth(this->text()));
    const QMargins m = contentsMargins();
    const int width = std::max(Spacing::scaled(m_designWidth), text + 2 * margin() + m.left() + m.right());
    return {width, QLabel::sizeHint().height()};
}

QSize ValueLabel::minimumSizeHint() const
{
    return sizeHint();
}

void ValueLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        measure();
    QLabel::changeEvent(event);
}

void ValueLabel::showEvent(QShowEvent* event)
{
    // Qt tells only windows of a new application font: the label hears of
    // one from its window, and takes one that came while it was hidden.
    window()->installEventFilter(this);
    takeStyleFont();
    QLabel::showEvent(event);
}

bool ValueLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ApplicationFontChange && watched == window())
        takeStyleFont();
    return QLabel::eventFilter(watched, event);
}

} // namespace gaugelet
