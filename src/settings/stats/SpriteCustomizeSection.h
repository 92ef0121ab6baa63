#pragma once

#include "menubar/Pin.h"
#include "menubar/Visualizer.h"
#include "views/GroupedSection.h"
#include "views/KeyedRows.h"
#include "views/TurnCoalescer.h"
#include "views/ViewEnvironment.h"

#include <QList>
#include <QPointer>
#include <optional>

class QLabel;
class QHBoxLayout;
class QVBoxLayout;

namespace gaugelet {

class PinManager;
class PinnedSpriteEditor;
class ProviderColumnRow;
class SpriteThumb;
class SpriteTile;
class StatRegistry;
class VisualizerRegistry;

// "Providers": every statistic in a column, and for the chosen one its pinned
// runner sprite, the sprite choices, the editor of the pinned sprite's labels
// and the provider's own settings. Pin and registry changes update it in
// place: the editor is made again only when the pinned sprite's pin changes,
// the provider's settings only when another provider is chosen.
class SpriteCustomizeSection : public GroupedSection {
    Q_OBJECT
public:
    explicit SpriteCustomizeSection(const ViewEnvironment& env, QWidget* parent = nullptr);

    std::optional<QString> selectedProviderId() const { return m_selectedProviderId; }
    void setSelectedProviderId(const QString& providerId);
    // The chosen provider when it exists, else the first one; none without providers.
    std::optional<QString> effectiveProviderId() const;

    // The first pin of the provider whose visualizer is a registered runner.
    static std::optional<Pin> pinnedRunner(const QString& providerId, const PinManager& pins,
                                           const VisualizerRegistry& visualizers);
    // The runner visualizers, stably sorted by display name in code-point order.
    static QList<VisualizerPtr> runnerChoices(const VisualizerRegistry& visualizers);

    QList<ProviderColumnRow*> providerRows() const { return m_rows; }
    QWidget* detailPane() const { return m_detail; }
    SpriteThumb* headerThumb() const { return m_headerThumb; }
    QLabel* headerName() const { return m_headerName; }
    QLabel* headerSpriteName() const { return m_headerSprite; }
    QList<SpriteTile*> tiles() const { return m_tiles.rows(); }
    PinnedSpriteEditor* editor() const { return m_editor; }
    QLabel* pickHint() const { return m_hint; }
    QWidget* providerConfigView() const { return m_configView; }

private:
    void scheduleRefresh();
    void refresh();
    void rebuildDetail(const QString& providerId);
    void updateTiles(const QString& providerId, const std::optional<Pin>& pinned);
    void updateEditor(const QString& providerId, const std::optional<Pin>& pinned);

    ViewEnvironment m_env;
    std::optional<QString> m_selectedProviderId;
    TurnCoalescer m_refreshTurn{this, [this] { refresh(); }};

    QList<ProviderColumnRow*> m_rows;
    QWidget* m_detail = nullptr;
    QVBoxLayout* m_detailLayout = nullptr;
    std::optional<QString> m_detailProviderId;
    SpriteThumb* m_headerThumb = nullptr;
    QLabel* m_headerName = nullptr;
    QLabel* m_headerSprite = nullptr;
    QWidget* m_tileBox = nullptr;
    KeyedRows<QString, SpriteTile> m_tiles;
    QWidget* m_editorSlot = nullptr;
    QVBoxLayout* m_editorLayout = nullptr;
    PinnedSpriteEditor* m_editor = nullptr;
    std::optional<QString> m_editorPinId;
    QLabel* m_hint = nullptr;
    QWidget* m_configView = nullptr;
};

} // namespace gaugelet
