#include "settings/SetupTab.h"

#include "platform/style/DesignStyle.h"
#include "settings/SetupChecklist.h"

#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace gaugelet {

SetupTab::SetupTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("setup.scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidgetResizable(true);
    // The tab's own background shows through.
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    layout->addWidget(scroll);

    auto* page = new QWidget(scroll);
    page->setAutoFillBackground(false);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(20, 20, 20, 20);
    m_checklist = new SetupChecklist(page);
    pageLayout->addWidget(m_checklist);
    pageLayout->addStretch(1);
    scroll->setWidget(page);
}

void SetupTab::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter p(this);
    p.fillRect(rect(), DesignStyle::colour(DesignStyle::Colour::underPageBackground, this));
}

} // namespace gaugelet
