#include "popover/PinBar.h"

#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/style/DesignStyle.h"
#include "popover/PinChip.h"
#include "stats/StatProvider.h"
#include "stats/ThemeStore.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QEvent>
#include <QScrollBar>

namespace gaugelet {

PinBar::PinBar(StatProvider* provider, const ViewEnvironment& env, QWidget* parent)
    : QWidget(parent)
    , m_provider(provider)
    , m_env(env)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Spacing::px(Spacing::Step::m));
    auto* title = new QLabel(tr("Pin as:"), this);
    title->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    TextLabel::setColour(title, DesignStyle::colour(DesignStyle::Colour::secondary, this));
    row->addWidget(title, 0, Qt::AlignVCenter);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_strip = new QWidget(m_scroll);
    m_strip->setAutoFillBackground(false);
    m_stripLayout = new QHBoxLayout(m_strip);
    m_stripLayout->setContentsMargins(Spacing::bottom(Spacing::Step::xxs));
    m_stripLayout->setSpacing(Spacing::px(Spacing::Step::m));
    m_stripLayout->addStretch(1);
    m_scroll->setWidget(m_strip);
    m_scroll->horizontalScrollBar()->installEventFilter(this);
    row->addWidget(m_scroll, 1);
    refresh();
}

bool PinBar::isPinned(const PinManager& pins, const QString& providerId, const QString& visualizerId)
{
    for (const Pin& pin : pins.pins()) {
        if (pin.providerId == providerId && pin.visualizerId == visualizerId)
            return true;
    }
    return false;
}

QStringList PinBar::offeredVisualizerIds(const StatProvider& provider, const VisualizerRegistry& visualizers,
                                         const PinManager& pins)
{
    const QSet<QString> excluded = provider.excludedVisualizerIds();
    const QString providerId = provider.id();
    QStringList offers;
    for (const VisualizerPtr& visualizer : visualizers.visualizers()) {
        const QString id = visualizer->id();
        if (excluded.contains(id))
            continue;
        if (VisualizerRegistry::pinnedOnlyIds().contains(id) && !isPinned(pins, providerId, id))
            continue;
        offers.append(id);
    }
    return offers;
}

Theme PinBar::currentTheme() const
{
    return m_env.theme && m_env.theme->palette().isDark ? Theme::dark : Theme::light;
}

void PinBar::refresh()
{
    if (!m_env.visualizers || !m_env.pins || !m_provider)
        return;
    const QStringList offers = offeredVisualizerIds(*m_provider, *m_env.visualizers, *m_env.pins);
    if (offers != m_offers)
        rebuildChips(offers);
    const Theme theme = currentTheme();
    const QString providerId = m_provider->id();
    for (PinChip* chip : m_chips.rows()) {
        chip->setTheme(theme);
        chip->setPinned(isPinned(*m_env.pins, providerId, chip->visualizerId()));
    }
}

void PinBar::rebuildChips(const QStringList& offers)
{
    // A chip whose offer stays is kept, in its new place: it may be under the
    // pointer in the middle of a click. Only the others come and go.
    m_offers = offers;
    const Theme theme = currentTheme();
    const QString providerId = m_provider->id();
    const auto create = [&](const QString& id) {
        auto* chip = new PinChip(m_env.visualizers->visualizer(id), providerId, theme, m_strip);
        connect(chip, &QAbstractButton::clicked, this, [this, id] {
            if (m_env.pins && m_provider)
                m_env.pins->toggle(m_provider->id(), id);
        });
        return chip;
    };
    // A chip for another visualizer under the same id is made again.
    const auto fits = [&](PinChip* chip, const QString& id) {
        return chip->visualizer() == m_env.visualizers->visualizer(id);
    };
    KeyedRows<QString, PinChip>::place(m_stripLayout, m_chips.reconcile(offers, create, fits), 0, Qt::AlignVCenter);
    updateScrollHeight();
}

void PinBar::updateScrollHeight()
{
    int height = 0;
    for (PinChip* chip : m_chips.rows())
        height = std::max(height, chip->sizeHint().height());
    // Room for the chips, their bottom padding and, while the chips overflow,
    // the horizontal scroll bar the scroll area shows.
    QScrollBar* bar = m_scroll->horizontalScrollBar();
    const bool overflows = bar->isVisibleTo(m_scroll);
    m_scroll->setFixedHeight(height + 2 + (overflows ? bar->sizeHint().height() : 0));
}

bool PinBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll->horizontalScrollBar() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        updateScrollHeight();
    return QWidget::eventFilter(watched, event);
}

} // namespace gaugelet
