#include "settings/shared/ScrollingPage.h"

#include "views/Spacing.h"

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

QVBoxLayout* addSectionsPage(QWidget* tab)
{
    auto* form = new QWidget;
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(
        Spacing::margins(Spacing::Step::xxxl, Spacing::Step::xxl, Spacing::Step::xxxl, Spacing::Step::xxxl));
    column->setSpacing(Spacing::px(Spacing::Step::xxl));
    addScrollingPage(tab, form);
    // setWidget turns the content's background filling on; the form shows the window's.
    form->setAutoFillBackground(false);
    return column;
}

} // namespace gaugelet
