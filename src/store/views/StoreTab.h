#pragma once

#include "views/KeyedRows.h"
#include "views/TurnCoalescer.h"
#include "views/ViewEnvironment.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

class QLabel;

namespace gaugelet {

class InstalledBundleRow;
class PageScrollArea;
class StoreCoordinator;
class StoreItemRow;
class GroupedSection;
class StoreTabModel;
class StoreTextLabel;
class StoreWrappingLabel;

// The settings window's "Store" tab: the catalogue with a live preview per
// row, what is installed, the store's last error and a note on signing.
// Everything it shows comes from the store coordinator and every action goes
// through it. The first time the tab is shown in a window it refreshes the
// catalogue once and then marks every listed item seen. The page lives as long
// as its window; it updates in place, one pass per event-loop turn, when the
// coordinator announces a change.
class StoreTab : public QWidget {
    Q_OBJECT

public:
    explicit StoreTab(const ViewEnvironment& env, QWidget* parent = nullptr);
    ~StoreTab() override;

    // The tab's state and rules: its first load, seen marks and sections.
    StoreTabModel* model() const { return m_model; }
    // True once this tab's first catalogue refresh has returned.
    bool didLoad() const;

    // Brings the page in line with the coordinator now instead of at the end
    // of the event-loop turn.
    void updateNow();

Q_SIGNALS:
    // The first refresh returned and the listed items were marked seen.
    void loaded();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Follows the model and the coordinator's announcements.
    void bind();
    void scheduleUpdate();
    // One pass over the page. Rows already drawn decide their "NEW" badge
    // again only when redrawNew is set (a change the coordinator announced).
    void updatePage(bool redrawNew);
    void updateCatalogue(bool redrawNew);
    void updateInstalled();
    void updateError();
    void schedulePreviewVisibility();
    // Shows the previews of rows inside the visible part of the page and hides
    // the others, so only what can be seen animates.
    void updatePreviewVisibility();

    QPointer<StoreCoordinator> m_store;
    StoreTabModel* m_model = nullptr;
    bool m_dirty = false;
    TurnCoalescer m_updateTurn{this, [this] { if (m_dirty) updateNow(); }};
    TurnCoalescer m_visibilityTurn{this, [this] { updatePreviewVisibility(); }};

    PageScrollArea* m_scroll = nullptr;
    GroupedSection* m_catalogue = nullptr;
    GroupedSection* m_installed = nullptr;
    GroupedSection* m_error = nullptr;
    StoreTextLabel* m_catalogueLine = nullptr;
    StoreWrappingLabel* m_errorText = nullptr;
    KeyedRows<QString, StoreItemRow> m_itemRows;
    KeyedRows<QString, InstalledBundleRow> m_installedRows;
};

} // namespace gaugelet
