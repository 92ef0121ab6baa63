#include "store/views/StoreWrappingLabel.h"

#include "platform/core/AssignIfChanged.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace gaugelet {

StoreWrappingLabel::StoreWrappingLabel(const QFont& font, DesignStyle::Colour colour, QWidget* parent)
    : QWidget(parent), m_colour(colour)
{
    setFont(font);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void StoreWrappingLabel::setText(const QString& text)
{
    if (!assignIfChanged(m_text, text))
        return;
    setAccessibleName(text);
    updateGeometry();
    update();
}

qreal StoreWrappingLabel::layoutText(QTextLayout& layout, qreal width) const
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setFont(font());
    layout.setCacheEnabled(true);
    const qreal leading = QFontMetricsF(font()).leading();
    qreal height = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(std::max<qreal>(1, width));
        if (height > 0)
            height += leading;
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

int StoreWrappingLabel::lineCount(int width) const
{
    QTextLayout layout(m_text);
    layoutText(layout, width);
    return layout.lineCount();
}

int StoreWrappingLabel::heightForWidth(int width) const
{
    if (m_text.isEmpty())
        return 0;
    QTextLayout layout(m_text);
    return int(std::ceil(layoutText(layout, width)));
}

QSize StoreWrappingLabel::sizeHint() const
{
    // Ask for a comfortable line; the layout gives what there is and asks
    // heightForWidth for the rest.
    const QFontMetrics metrics(font());
    const int natural = metrics.horizontalAdvance(m_text);
    const int width = std::min(natural + 1, metrics.averageCharWidth() * 60);
    return {width, heightForWidth(width)};
}

QSize StoreWrappingLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.averageCharWidth() * 4, m_text.isEmpty() ? 0 : metrics.height()};
}

void StoreWrappingLabel::paintEvent(QPaintEvent*)
{
    if (m_text.isEmpty())
        return;
    QTextLayout layout(m_text);
    layoutText(layout, width());
    QPainter p(this);
    p.setPen(DesignStyle::colour(m_colour, this));
    layout.draw(&p, QPointF(0, 0));
}

void StoreWrappingLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace gaugelet
