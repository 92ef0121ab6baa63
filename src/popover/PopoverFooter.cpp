#include "popover/PopoverFooter.h"

#include "platform/style/DesignStyle.h"
#include "popover/UpdateBadge.h"
#include "update/SparkleUpdater.h"
#include "views/Spacing.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace gaugelet {

PopoverFooter::PopoverFooter(const ViewEnvironment& env, PopoverActions actions, QWidget* parent)
    : QWidget(parent)
    , m_env(env)
    , m_actions(std::move(actions))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Spacing::px(Spacing::Step::m));

    m_settings = new QPushButton(tr("Settings…"), this);
    m_settings->setFlat(true);
    m_settings->setCursor(Qt::PointingHandCursor);
    // A link: no frame, no inset, so it lines up with the rows above.
    m_settings->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px 0px; background: transparent; }"));
    QPalette pal = m_settings->palette();
    pal.setColor(QPalette::ButtonText, DesignStyle::colour(DesignStyle::Colour::link, this));
    m_settings->setPalette(pal);
    row->addWidget(m_settings, 0, Qt::AlignVCenter);

    m_badge = new UpdateBadge(this);
    m_badge->hide();
    row->addWidget(m_badge, 0, Qt::AlignVCenter);
    row->addStretch(1);

    m_quit = new QPushButton(tr("Quit"), this);
    row->addWidget(m_quit, 0, Qt::AlignVCenter);

    // The owner's callbacks may close the popover and delete this footer, so
    // they run after the click has been handled.
    connect(m_settings, &QPushButton::clicked, this, [this] {
        if (auto action = m_actions.openSettings)
            QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
    });
    connect(m_badge, &QAbstractButton::clicked, this, [this] {
        if (auto action = m_actions.presentUpdate)
            QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
        else if (m_env.updater)
            m_env.updater->presentUserUpdate();
    });
    connect(m_quit, &QPushButton::clicked, this, [this] {
        if (auto action = m_actions.quit)
            QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
    });
    refresh();
}

bool PopoverFooter::isUpdateBadgeShown() const
{
    return !m_badge->isHidden();
}

void PopoverFooter::refresh()
{
    const bool available = m_env.updater && m_env.updater->hasUpdateAvailable();
    if (available)
        m_badge->setLatestVersion(m_env.updater->latestVersion());
    m_badge->setVisible(available);
}

} // namespace gaugelet
