#include "settings/setup/SetupTab.h"

#include "platform/style/DesignStyle.h"
#include "settings/setup/SetupChecklist.h"
#include "settings/shared/ScrollingPage.h"
#include "views/Spacing.h"

#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace gaugelet {

SetupTab::SetupTab(QWidget* parent) : QWidget(parent)
{
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(Spacing::margins(Spacing::Step::xxxl));
    m_checklist = new SetupChecklist(page);
    pageLayout->addWidget(m_checklist);
    pageLayout->addStretch(1);
    addScrollingPage(this, page)->setObjectName(QStringLiteral("setup.scroll"));
}

void SetupTab::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter p(this);
    p.fillRect(rect(), DesignStyle::colour(DesignStyle::Colour::underPageBackground, this));
}

} // namespace gaugelet
