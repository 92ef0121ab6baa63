#include "views/PaletteStyledWidget.h"

#include <QEvent>

namespace gaugelet {

void PaletteStyledWidget::restyle()
{
    m_styling = true;
    applyStyle();
    m_styling = false;
}

void PaletteStyledWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && !m_styling)
        restyle();
    QWidget::changeEvent(event);
}

} // namespace gaugelet
