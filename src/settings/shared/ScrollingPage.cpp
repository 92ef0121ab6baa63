#include "settings/shared/ScrollingPage.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace gaugelet {

QScrollArea* addScrollingPage(QWidget* tab, QWidget* content)
{
    auto* outer = new QVBoxLayout(tab);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(tab);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    outer->addWidget(scroll);
    scroll->setWidget(content);
    return scroll;
}

} // namespace gaugelet
