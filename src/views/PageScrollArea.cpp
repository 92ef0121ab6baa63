#include "views/PageScrollArea.h"

namespace gaugelet {

PageScrollArea::PageScrollArea(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
}

void PageScrollArea::setPage(QWidget* content)
{
    setWidget(content);
    content->setAutoFillBackground(false);
}

} // namespace gaugelet
