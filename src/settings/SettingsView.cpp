#include "settings/SettingsView.h"

#include "alarms/views/AlarmsSettingsView.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "settings/general/GeneralTab.h"
#include "settings/setup/SetupTab.h"
#include "settings/shared/SetLaunchAtLogin.h"
#include "settings/stats/StatsTab.h"
#include "settings/themes/ThemesTab.h"
#include "store/views/StoreTab.h"
#include "views/Symbol.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace gaugelet {

namespace {

enum TabIndex { general, stats, alarms, themes, setup, store };

constexpr qreal layoutPointSize = 10;
// The tab icons, in points.
constexpr int kTabSymbolSide = 16;

} // namespace

QList<SettingsView::TabInfo> SettingsView::tabs()
{
    return {
        {tr("General"), QStringLiteral("gearshape")},
        {tr("Stats"), QStringLiteral("chart.bar.doc.horizontal")},
        {tr("Alarms"), QStringLiteral("bell")},
        {tr("Themes"), QStringLiteral("paintpalette")},
        {tr("Setup"), QStringLiteral("checklist")},
        {tr("Store"), QStringLiteral("bag")},
    };
}

SettingsView::SettingsView(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(true);
    m_tabs->tabBar()->setExpanding(false);
    m_tabs->tabBar()->setDrawBase(true);
    // Where the window is narrower than the tabs (a large font on a small
    // screen), the bar scrolls them rather than widening the window past it.
    m_tabs->setUsesScrollButtons(true);
    layout->addWidget(m_tabs);

    // Every page is an empty holder until its tab is shown.
    for (const TabInfo& tab : tabs()) {
        auto* holder = new QWidget;
        auto* holderLayout = new QVBoxLayout(holder);
        holderLayout->setContentsMargins(0, 0, 0, 0);
        m_tabs->addTab(holder, tab.title);
        m_contents.append(nullptr);
    }
    refreshIcons();
    showTab(general);
    connect(m_tabs, &QTabWidget::currentChanged, this, &SettingsView::showTab);
}

QWidget* SettingsView::tabContent(int index) const
{
    return index >= 0 && index < m_contents.size() ? m_contents[index].data() : nullptr;
}

QSize SettingsView::contentSize() const
{
    // The tab bar lays its tabs out at their natural widths; the window takes
    // them all, with the bar's own margins on both sides.
    QTabBar* bar = m_tabs->tabBar();
    const int tabsWidth = bar->sizeHint().width();
    const int margin = 2 * style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, bar);
    // The pages' text grows with the font: the height grows in proportion to
    // the line height past that of the 10-point font the pages were laid out
    // for (13 pixels, the design's body size).
    QFont reference = font();
    reference.setPointSizeF(layoutPointSize);
    const qreal scale = QFontMetricsF(font()).height() / QFontMetricsF(reference).height();
    return {std::max(smallestWidth, tabsWidth + margin),
            std::max(smallestHeight, int(std::ceil(smallestHeight * scale)))};
}

QSize SettingsView::sizeHint() const
{
    return contentSize();
}

void SettingsView::showTab(int index)
{
    if (index < 0 || index >= m_contents.size())
        return;
    // The Alarms pane lives only while its tab is shown.
    if (m_current == alarms && index != alarms && m_contents[alarms]) {
        delete m_contents[alarms].data();
        m_contents[alarms] = nullptr;
    }
    m_current = index;
    if (m_contents[index])
        return;
    QWidget* holder = m_tabs->widget(index);
    QWidget* content = buildTab(index, holder);
    holder->layout()->addWidget(content);
    m_contents[index] = content;
}

QWidget* SettingsView::buildTab(int index, QWidget* parent)
{
    switch (index) {
    case general: {
        // Seeded from the login-item service now; the tab reads it again when shown.
        auto* tab = new GeneralTab(m_env.updater, isLaunchAtLoginEnabled(), parent);
        m_general = tab;
        return tab;
    }
    case stats: return new StatsTab(m_env, parent);
    case alarms: return new AlarmsSettingsView(m_env, parent);
    case themes: return new ThemesTab(m_env, parent);
    case setup: return new SetupTab(parent);
    case store: return new StoreTab(m_env, parent);
    default: return new QWidget(parent);
    }
}

void SettingsView::refreshIcons()
{
    const QColor colour = DesignStyle::colour(DesignStyle::Colour::primary, this);
    const qreal dpr = devicePixelRatioF();
    const QList<TabInfo> list = tabs();
    for (int i = 0; i < list.size(); ++i)
        m_tabs->setTabIcon(i, QIcon(Symbol::pixmap(list[i].symbol, kTabSymbolSide, colour, dpr)));
}

void SettingsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refreshIcons();
    if (event->type() == QEvent::FontChange) {
        refreshIcons();
        updateGeometry();
    }
}

} // namespace gaugelet
