#include "settings/shared/ScrollingPage.h"

#include "views/PageScrollArea.h"
#include "views/Spacing.h"

#include <QVBoxLayout>

namespace gaugelet {

QScrollArea* addScrollingPage(QWidget* tab, QWidget* content)
{
    auto* outer = new QVBoxLayout(tab);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new PageScrollArea(tab);
    outer->addWidget(scroll);
    scroll->setPage(content);
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
    return column;
}

} // namespace gaugelet
