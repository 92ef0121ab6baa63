#include "settings/stats/SpriteCustomizeSection.h"

#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "settings/shared/SettingsText.h"
#include "settings/stats/PinnedSpriteEditor.h"
#include "settings/stats/ProviderColumnRow.h"
#include "settings/stats/SpriteThumb.h"
#include "settings/stats/SpriteTile.h"
#include "stats/StatRegistry.h"
#include "stats/views/StatProviderViews.h"
#include "views/Divider.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"
#include "views/TextLook.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace gaugelet {

namespace {

const QString kRunnerGroup = QStringLiteral("runner");

} // namespace

SpriteCustomizeSection::SpriteCustomizeSection(const ViewEnvironment& env, QWidget* parent)
    : GroupedSection(tr("Providers"), parent, Rows::compact), m_env(env)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    addRow(TextLabel::caption(
        tr("Same stats you pin from the popover, plus the deeper knobs: swap the animal, rename its panel tag, "
           "style the name and value. Sprites you get in the Store show up here on their own."),
        panel()));

    auto* split = new QHBoxLayout;
    split->setSpacing(Spacing::px(Spacing::Step::xl));
    auto* columnBox = new QWidget(panel());
    columnBox->setFixedWidth(Spacing::scaled(152));
    auto* column = new QVBoxLayout(columnBox);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(Spacing::px(Spacing::Step::xs));
    if (m_env.registry) {
        for (const auto& provider : m_env.registry->providers()) {
            auto* row = new ProviderColumnRow(provider->id(), provider->displayName(), columnBox);
            const QString id = provider->id();
            connect(row, &ProviderColumnRow::clicked, this, [this, id] { setSelectedProviderId(id); });
            column->addWidget(row);
            m_rows.append(row);
        }
    }
    column->addStretch(1);
    split->addWidget(columnBox, 0, Qt::AlignTop);

    split->addWidget(new Divider(Qt::Vertical, panel()));

    m_detail = new QWidget(panel());
    m_detailLayout = new QVBoxLayout(m_detail);
    m_detailLayout->setContentsMargins(0, 0, 0, 0);
    m_detailLayout->setSpacing(Spacing::px(Spacing::Step::l));
    split->addWidget(m_detail, 1, Qt::AlignTop);
    addLayoutRow(split);

    refresh();
    if (m_env.pins)
        connect(m_env.pins, &PinManager::pinsChanged, this, &SpriteCustomizeSection::scheduleRefresh);
    if (m_env.visualizers)
        connect(m_env.visualizers, &VisualizerRegistry::visualizersChanged, this,
                &SpriteCustomizeSection::scheduleRefresh);
}

void SpriteCustomizeSection::setSelectedProviderId(const QString& providerId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_selectedProviderId = providerId;
    refresh();
}

std::optional<QString> SpriteCustomizeSection::effectiveProviderId() const
{
    if (!m_env.registry)
        return std::nullopt;
    if (m_selectedProviderId && m_env.registry->provider(*m_selectedProviderId))
        return m_selectedProviderId;
    if (m_env.registry->providers().empty())
        return std::nullopt;
    return m_env.registry->providers().front()->id();
}

std::optional<Pin> SpriteCustomizeSection::pinnedRunner(const QString& providerId, const PinManager& pins,
                                                        const VisualizerRegistry& visualizers)
{
    for (const Pin& pin : pins.pins()) {
        if (pin.providerId != providerId)
            continue;
        const VisualizerPtr viz = visualizers.visualizer(pin.visualizerId);
        if (viz && viz->group() == kRunnerGroup)
            return pin;
    }
    return std::nullopt;
}

QList<VisualizerPtr> SpriteCustomizeSection::runnerChoices(const VisualizerRegistry& visualizers)
{
    QList<VisualizerPtr> runners;
    for (const VisualizerPtr& v : visualizers.visualizers()) {
        if (v->group() == kRunnerGroup)
            runners.append(v);
    }
    std::stable_sort(runners.begin(), runners.end(), [](const VisualizerPtr& a, const VisualizerPtr& b) {
        return SettingsText::compareCodePoints(a->displayName(), b->displayName()) < 0;
    });
    return runners;
}

void SpriteCustomizeSection::scheduleRefresh()
{
    m_refreshTurn.request();
}

void SpriteCustomizeSection::refresh()
{
    const std::optional<QString> effective = effectiveProviderId();
    for (ProviderColumnRow* row : std::as_const(m_rows)) {
        row->setHighlighted(effective && row->providerId() == *effective);
        VisualizerPtr viz;
        if (m_env.pins && m_env.visualizers) {
            if (auto pin = pinnedRunner(row->providerId(), *m_env.pins, *m_env.visualizers))
                viz = m_env.visualizers->visualizer(pin->visualizerId);
        }
        row->thumb()->setVisualizer(viz);
    }

    if (effective != m_detailProviderId)
        rebuildDetail(effective.value_or(QString()));
    m_detailProviderId = effective;
    if (!effective)
        return;

    std::optional<Pin> pinned;
    VisualizerPtr pinnedViz;
    if (m_env.pins && m_env.visualizers) {
        pinned = pinnedRunner(*effective, *m_env.pins, *m_env.visualizers);
        if (pinned)
            pinnedViz = m_env.visualizers->visualizer(pinned->visualizerId);
    }
    m_headerThumb->setVisualizer(pinnedViz);
    m_headerSprite->setText(pinnedViz ? pinnedViz->displayName() : QString());
    m_headerSprite->setVisible(pinnedViz != nullptr);
    updateTiles(*effective, pinned);
    updateEditor(*effective, pinned);
}

void SpriteCustomizeSection::rebuildDetail(const QString& providerId)
{
    // Another provider: the pane is made anew, its settings view included.
    while (QLayoutItem* item = m_detailLayout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    m_headerThumb = nullptr;
    m_headerName = nullptr;
    m_headerSprite = nullptr;
    m_tileBox = nullptr;
    m_tiles.forget();
    m_editorSlot = nullptr;
    m_editorLayout = nullptr;
    m_editor = nullptr;
    m_editorPinId.reset();
    m_hint = nullptr;
    m_configView = nullptr;

    StatProvider* provider = m_env.registry ? m_env.registry->provider(providerId) : nullptr;
    m_detail->setVisible(provider != nullptr);
    if (!provider)
        return;

    auto* header = new QWidget(m_detail);
    auto* h = new QHBoxLayout(header);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(Spacing::px(Spacing::Step::m));
    m_headerThumb = new SpriteThumb(nullptr, providerId, 22, header);
    h->addWidget(m_headerThumb, 0, Qt::AlignVCenter);
    m_headerName = TextLook::weightedLabel(provider->displayName(), DesignStyle::TextStyle::title3, QFont::DemiBold,
                                           DesignStyle::Colour::primary, header);
    h->addWidget(m_headerName, 0, Qt::AlignVCenter);
    m_headerSprite = TextLabel::make(QString(), DesignStyle::TextStyle::caption, DesignStyle::Colour::secondary,
                                         header);
    h->addWidget(m_headerSprite, 0, Qt::AlignVCenter);
    h->addStretch(1);
    m_detailLayout->addWidget(header);

    auto* picker = new QWidget(m_detail);
    auto* pv = new QVBoxLayout(picker);
    pv->setContentsMargins(0, 0, 0, 0);
    pv->setSpacing(Spacing::px(Spacing::Step::s));
    pv->addWidget(TextLabel::make(tr("Pinned sprite"), DesignStyle::TextStyle::caption,
                                      DesignStyle::Colour::secondary, picker));
    auto* scroll = new QScrollArea(picker);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->viewport()->setAutoFillBackground(false);
    m_tileBox = new QWidget(scroll);
    auto* tiles = new QHBoxLayout(m_tileBox);
    Spacing::apply(tiles, Spacing::bottom(Spacing::Step::xxs), Spacing::Step::m);
    tiles->addStretch(1);
    scroll->setWidget(m_tileBox);
    m_tileBox->setAutoFillBackground(false);
    scroll->setFixedHeight(SpriteTile::tileHeight() + Spacing::px(Spacing::Step::xxs)
                           + scroll->horizontalScrollBar()->sizeHint().height());
    pv->addWidget(scroll);
    m_detailLayout->addWidget(picker);

    m_editorSlot = new QWidget(m_detail);
    m_editorLayout = new QVBoxLayout(m_editorSlot);
    m_editorLayout->setContentsMargins(0, 0, 0, 0);
    m_detailLayout->addWidget(m_editorSlot);

    m_configView = StatProviderViews::configView(*provider, m_env, m_detail);
    if (m_configView)
        m_detailLayout->addWidget(m_configView);
}

void SpriteCustomizeSection::updateTiles(const QString& providerId, const std::optional<Pin>& pinned)
{
    if (!m_env.visualizers || !m_tileBox)
        return;
    const QList<VisualizerPtr> choices = runnerChoices(*m_env.visualizers);
    QList<QString> ids;
    for (const VisualizerPtr& viz : choices)
        ids.append(viz->id());
    const auto create = [&](const QString& vizId) {
        auto* tile = new SpriteTile(choices[ids.indexOf(vizId)], providerId, m_tileBox);
        connect(tile, &SpriteTile::clicked, this, [this, providerId, vizId] {
            GAUGELET_ASSERT_MAIN_THREAD();
            if (m_env.pins)
                m_env.pins->toggle(providerId, vizId);
            refresh();
        });
        return tile;
    };
    // A tile shows one visualizer object; a replaced one gets a new tile.
    const auto update = [&](SpriteTile* tile, const QString& vizId) {
        return tile->visualizer() == choices[ids.indexOf(vizId)];
    };
    const QList<SpriteTile*> tiles = m_tiles.reconcile(ids, create, update);
    KeyedRows<QString, SpriteTile>::place(static_cast<QBoxLayout*>(m_tileBox->layout()), tiles);
    for (SpriteTile* tile : tiles)
        tile->setSelected(pinned && tile->visualizer()->id() == pinned->visualizerId);
}

void SpriteCustomizeSection::updateEditor(const QString& providerId, const std::optional<Pin>& pinned)
{
    if (!m_editorLayout)
        return;
    const std::optional<QString> pinId = pinned ? std::optional<QString>(pinned->id()) : std::nullopt;
    if (pinId == m_editorPinId && (m_editor || m_hint))
        return;
    m_editorPinId = pinId;
    if (m_editor) {
        m_editor->hide();
        m_editor->deleteLater();
        m_editor = nullptr;
    }
    if (m_hint) {
        m_hint->hide();
        m_hint->deleteLater();
        m_hint = nullptr;
    }
    StatProvider* provider = m_env.registry ? m_env.registry->provider(providerId) : nullptr;
    if (!provider)
        return;
    if (pinned) {
        m_editor = new PinnedSpriteEditor(*pinned, *provider, m_editorSlot);
        m_editorLayout->addWidget(m_editor);
    } else {
        m_hint =
            TextLabel::caption(tr("Pick a sprite to put %1 on the panel.").arg(provider->displayName()), m_editorSlot);
        m_editorLayout->addWidget(m_hint);
    }
}

} // namespace gaugelet
