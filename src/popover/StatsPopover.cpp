#include "popover/StatsPopover.h"

#include "alarms/AlarmLine.h"
#include "alarms/AlarmManager.h"
#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "platform/style/DesignStyle.h"
#include "popover/FiringAlarmsRow.h"
#include "popover/PopoverFooter.h"
#include "popover/ProviderRow.h"
#include "schema/SettingsNotifier.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "update/SparkleUpdater.h"
#include "views/Divider.h"
#include "views/PageScrollArea.h"
#include "views/Spacing.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

namespace gaugelet {

namespace {

QWidget* divider(Qt::Orientation orientation, QWidget* parent)
{
    auto* line = new Divider(orientation, parent);
    line->setObjectName(QStringLiteral("divider"));
    return line;
}

} // namespace

StatsPopover::StatsPopover(const ViewEnvironment& env, PopoverActions actions, ScreenSource screen, QWidget* parent)
    : QWidget(parent)
    , m_env(env)
    , m_actions(std::move(actions))
    , m_screen(std::move(screen))
{
    if (!m_screen)
        m_screen = [] { return ScreenInfo::instance()->mainScreen(); };
    setWindowTitle(QStringLiteral("Gaugelet"));
    m_outer = new QVBoxLayout(this);
    Spacing::apply(m_outer, Spacing::Step::xl, Spacing::Step::l);
    m_footer = new PopoverFooter(m_env, m_actions, this);
    m_outer->addWidget(m_footer);

    if (m_env.registry)
        connect(m_env.registry, &StatRegistry::snapshotsPublisher, this, &StatsPopover::scheduleUpdate);
    if (m_env.alarms) {
        connect(m_env.alarms, &AlarmManager::alarmsChanged, this, &StatsPopover::scheduleUpdate);
        connect(m_env.alarms, &AlarmManager::firingChanged, this, &StatsPopover::scheduleUpdate);
    }
    if (m_env.updater) {
        connect(m_env.updater, &SparkleUpdater::hasUpdateAvailableChanged, this, &StatsPopover::scheduleUpdate);
        connect(m_env.updater, &SparkleUpdater::latestVersionChanged, this, &StatsPopover::scheduleUpdate);
    }
    if (m_env.enablement)
        connect(m_env.enablement, &ProviderEnablementStore::cacheChanged, this, &StatsPopover::scheduleUpdate);
    if (m_env.pins)
        connect(m_env.pins, &PinManager::pinsChanged, this, &StatsPopover::scheduleUpdate);
    if (m_env.visualizers)
        connect(m_env.visualizers, &VisualizerRegistry::visualizersChanged, this, &StatsPopover::scheduleUpdate);
    if (m_env.theme)
        connect(m_env.theme, &ThemeStore::paletteChanged, this, &StatsPopover::scheduleUpdate);
    connect(ScreenInfo::instance(), &ScreenInfo::screensChanged, this, &StatsPopover::scheduleUpdate);
    connect(SettingsNotifier::standard(), &SettingsNotifier::popoverChanged, this, &StatsPopover::scheduleUpdate);

    updateNow();
}

StatsPopover::~StatsPopover() = default;

QList<StatProvider*> StatsPopover::visibleProviders(const ViewEnvironment& env)
{
    QList<StatProvider*> result;
    if (!env.registry)
        return result;
    for (const auto& provider : env.registry->providers()) {
        if (!env.enablement || env.enablement->isEnabled(provider->id()))
            result.append(provider.get());
    }
    return result;
}

QList<StatProvider*> StatsPopover::visibleProviders() const
{
    return visibleProviders(m_env);
}

std::pair<QList<StatProvider*>, QList<StatProvider*>> StatsPopover::splitColumns(const QList<StatProvider*>& providers)
{
    const int first = PopoverSize::firstColumnCount(int(providers.size()));
    return {providers.mid(0, first), providers.mid(first)};
}

PopoverSize StatsPopover::popoverSize() const
{
    const std::optional<ScreenFacts> screen = m_screen();
    const int firing = m_env.alarms ? int(m_env.alarms->firing().size()) : 0;
    return PopoverSize::compute(screen ? std::optional<QRectF>(screen->visibleFrame) : std::nullopt,
                                int(visibleProviders().size()), firing, storedTwoColumnMode(*Defaults::standard()));
}

StatsPopover::Structure StatsPopover::currentStructure() const
{
    Structure s;
    for (StatProvider* provider : visibleProviders())
        s.visibleIds.append(provider->id());
    if (m_env.alarms) {
        for (const Alarm& alarm : FiringAlarmsRow::firingAlarms(*m_env.alarms)) {
            s.firingIds.append(alarm.id);
            s.firingLines.append(alarmLine(alarm, m_env.registry) + QLatin1Char('/')
                                 + QString::number(alarm.notifySnoozeMinutes));
        }
    }
    s.size = popoverSize();
    return s;
}

void StatsPopover::scheduleUpdate()
{
    m_update.request();
}

void StatsPopover::updateNow()
{
    m_update.cancel();
    const Structure structure = currentStructure();
    if (!m_structure || !(*m_structure == structure)) {
        build(structure);
        return;
    }
    for (ProviderRow* row : std::as_const(m_rows))
        row->refresh();
    m_footer->refresh();
    scrollIfGrown();
}

bool StatsPopover::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // The rows' sizes as they are now, once their layouts have run.
    if (event->type() == QEvent::LayoutRequest) {
        scrollIfGrown();
        widenIfGrown();
    }
    return handled;
}

void StatsPopover::scrollIfGrown()
{
    // Rows that grew past the screen (addresses arriving), in height or
    // width, scroll from now on; not under a held button, whose release is a
    // click on a chip.
    if (!m_structure || m_scroll || !m_content || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    const std::optional<int> room = roomForRows();
    if ((room && m_content->sizeHint().height() > *room) || neededWidth(m_content, false) > screenWidth()) {
        const Structure structure = *m_structure;
        build(structure);
    }
}

bool StatsPopover::eventFilter(QObject* watched, QEvent* event)
{
    // Rows in the scroll area lay themselves out apart from the popover.
    if (event->type() == QEvent::LayoutRequest && m_scroll && watched == m_scroll->widget())
        widenIfGrown();
    return QWidget::eventFilter(watched, event);
}

int StatsPopover::neededWidth(const QWidget* rows, bool scrolls) const
{
    const QMargins margins = m_outer->contentsMargins();
    int needed = rows->minimumSizeHint().width();
    if (scrolls)
        needed += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                       m_scroll ? m_scroll->verticalScrollBar() : nullptr);
    return std::max(needed, m_footer->minimumSizeHint().width()) + margins.left() + margins.right();
}

int StatsPopover::screenWidth() const
{
    const std::optional<ScreenFacts> screen = m_screen();
    const double width = screen ? screen->visibleFrame.width() : 0;
    if (!std::isfinite(width) || width < 1)
        return int(PopoverSize::noScreenMaxWidth);
    return int(std::floor(std::min(width, double(QWIDGETSIZE_MAX))));
}

int StatsPopover::fittedWidth() const
{
    const int width = int(std::lround(m_size.width));
    const QWidget* rows = m_scroll ? m_scroll->widget() : m_content;
    return rows ? std::max(width, std::min(neededWidth(rows, m_scroll != nullptr), screenWidth())) : width;
}

void StatsPopover::widenIfGrown()
{
    if (m_inWindow || !m_content)
        return;
    const int width = fittedWidth();
    if (width > minimumWidth())
        setFixedWidth(width);
}

void StatsPopover::build(const Structure& structure)
{
    ++m_buildCount;
    m_structure = structure;
    m_size = structure.size;
    if (m_content) {
        m_outer->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
        m_content = nullptr;
    }
    m_scroll = nullptr;
    m_firing = nullptr;
    m_rows.clear();

    auto* sections = new QWidget;
    auto* stack = new QVBoxLayout(sections);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(Spacing::px(Spacing::Step::l));

    if (!structure.firingIds.isEmpty()) {
        m_firing = new FiringAlarmsRow(m_env, sections);
        stack->addWidget(m_firing);
        stack->addWidget(divider(Qt::Horizontal, sections));
    }

    const QList<StatProvider*> providers = visibleProviders();
    auto addColumn = [this](QWidget* parent, QVBoxLayout* column, const QList<StatProvider*>& list, bool dividerAfterLast) {
        for (int i = 0; i < list.size(); ++i) {
            auto* row = new ProviderRow(list[i], m_env, parent);
            m_rows.append(row);
            column->addWidget(row);
            if (i + 1 < list.size() || dividerAfterLast)
                column->addWidget(divider(Qt::Horizontal, parent));
        }
    };
    if (m_size.twoColumns) {
        const auto [first, second] = splitColumns(providers);
        auto* columns = new QHBoxLayout;
        columns->setSpacing(Spacing::px(Spacing::Step::xl));
        auto* left = new QVBoxLayout;
        left->setSpacing(Spacing::px(Spacing::Step::l));
        auto* right = new QVBoxLayout;
        right->setSpacing(Spacing::px(Spacing::Step::l));
        addColumn(sections, left, first, false);
        addColumn(sections, right, second, false);
        left->addStretch(1);
        right->addStretch(1);
        columns->addLayout(left, 1);
        columns->addWidget(divider(Qt::Vertical, sections));
        columns->addLayout(right, 1);
        stack->addLayout(columns);
    } else {
        addColumn(sections, stack, providers, true);
    }

    placeSections(sections, stack);
}

void StatsPopover::placeSections(QWidget* sections, QVBoxLayout* stack)
{
    const int width = int(std::lround(m_size.width));
    if (m_inWindow) {
        m_size.scrolls = true;
        auto* page = new PageScrollArea;
        stack->setContentsMargins(Spacing::trailing(Spacing::Step::m));
        page->setPage(sections);
        m_scroll = page;
        m_content = page;
        m_outer->insertWidget(0, m_content, 1);
        // At least as wide as the rows need beside the scroll bar.
        const QMargins margins = m_outer->contentsMargins();
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, page->verticalScrollBar());
        setMinimumWidth(std::max(width, sections->minimumSizeHint().width() + bar + margins.left() + margins.right()));
        setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        // The rows as laid out decide, where the screen is known: the size
        // rule's estimate of a row's height is short of a row at a large font
        // and above a row at a small one.
        const std::optional<int> room = roomForRows();
        m_size.scrolls = room ? sections->sizeHint().height() > *room : m_size.scrolls;
        // Rows wider than the screen scroll sideways too.
        m_size.scrolls = m_size.scrolls || neededWidth(sections, false) > screenWidth();
        if (m_size.scrolls)
            wrapInScrollArea(sections, stack, room ? std::max(*room, 160) : int(std::floor(m_size.scrollMaxHeight())));
        else
            m_content = sections;
        m_outer->insertWidget(0, m_content);
        setFixedWidth(fittedWidth());
    }
    m_footer->refresh();
    updateGeometry();
}

void StatsPopover::setInWindow(bool inWindow)
{
    if (inWindow == m_inWindow)
        return;
    m_inWindow = inWindow;
    build(currentStructure());
}

QSize StatsPopover::sizeHint() const
{
    QSize hint = QWidget::sizeHint();
    if (!m_inWindow || !m_scroll || !m_scroll->widget())
        return hint;
    // In a window, the height of all the rows: the window opens as tall as
    // they need where the screen has room.
    hint.rheight() += m_scroll->widget()->sizeHint().height() - m_scroll->sizeHint().height();
    return hint.expandedTo(minimumSize());
}

std::optional<int> StatsPopover::roomForRows() const
{
    const std::optional<ScreenFacts> screen = m_screen();
    if (!screen || !(screen->visibleFrame.height() > 0))
        return std::nullopt;
    const QMargins margins = m_outer->contentsMargins();
    return int(std::floor(screen->visibleFrame.height())) - margins.top() - margins.bottom() - m_outer->spacing()
           - m_footer->sizeHint().height();
}

void StatsPopover::wrapInScrollArea(QWidget* sections, QVBoxLayout* stack, int maxHeight)
{
    // Keep the values clear of the scroll bar.
    stack->setContentsMargins(Spacing::trailing(Spacing::Step::m));
    m_scroll = new QScrollArea;
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setMaximumHeight(maxHeight);
    m_scroll->setWidget(sections);
    sections->installEventFilter(this);
    m_scroll->setMinimumHeight(std::min(sections->sizeHint().height(), m_scroll->maximumHeight()));
    m_scroll->viewport()->setAutoFillBackground(false);
    sections->setAutoFillBackground(false);
    m_content = m_scroll;
}

int StatsPopover::dividerCount() const
{
    if (!m_content)
        return 0;
    return int(m_content->findChildren<Divider*>(QStringLiteral("divider")).size());
}

} // namespace gaugelet
