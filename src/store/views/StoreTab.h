#pragma once

#include "store/BundleManifest.h"
#include "store/StoreItem.h"
#include "views/ViewEnvironment.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <QCoro/QCoroTask>

class QLabel;
class QScrollArea;

namespace gaugelet {

class InstalledBundleRow;
class StoreCoordinator;
class StoreItemRow;
class StoreSection;
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

    // True once this tab's first catalogue refresh has returned.
    bool didLoad() const { return m_didLoad; }
    bool isLoading() const { return m_loading; }

    // The items a catalogue lists, each id once (the first entry wins); the
    // ids listed more than once go to duplicates.
    static QList<StoreItem> uniqueItems(const QList<StoreItem>& items, QStringList* duplicates = nullptr);
    // The items not installed yet, in catalogue order.
    static QList<StoreItem> installableItems(const QList<StoreItem>& items, const QList<BundleManifest>& installed);

    // Brings the page in line with the coordinator now instead of at the end
    // of the event-loop turn.
    void updateNow();

    // The parts of the page, for tests, screenshots and benchmarks.
    QScrollArea* scrollArea() const { return m_scroll; }
    StoreSection* catalogueSection() const { return m_catalogue; }
    StoreSection* installedSection() const { return m_installed; }
    StoreSection* errorSection() const { return m_error; }
    StoreSection* footerSection() const { return m_footer; }
    // The catalogue section's single line ("All caught up: …", "No bundles
    // available right now."), or empty while it lists rows or is hidden.
    QString catalogueLine() const;
    // The rows in the order shown.
    QList<StoreItemRow*> itemRows() const;
    QList<InstalledBundleRow*> installedRows() const;
    StoreWrappingLabel* errorText() const { return m_errorText; }
    QLabel* footerText() const;

Q_SIGNALS:
    // The first refresh returned and the listed items were marked seen.
    void loaded();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QCoro::Task<void> firstLoad();
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

    ViewEnvironment m_env;
    QPointer<StoreCoordinator> m_store;
    bool m_didLoad = false;
    bool m_loading = false;
    bool m_dirty = false;
    bool m_updateQueued = false;
    bool m_visibilityQueued = false;
    QList<StoreItem> m_loggedDuplicatesFor;

    QScrollArea* m_scroll = nullptr;
    StoreSection* m_catalogue = nullptr;
    StoreSection* m_installed = nullptr;
    StoreSection* m_error = nullptr;
    StoreSection* m_footer = nullptr;
    StoreTextLabel* m_catalogueLine = nullptr;
    StoreTextLabel* m_footerText = nullptr;
    StoreWrappingLabel* m_errorText = nullptr;
    QWidget* m_errorRow = nullptr;
    QHash<QString, StoreItemRow*> m_itemRows;
    QHash<QString, InstalledBundleRow*> m_installedRows;
};

} // namespace gaugelet
