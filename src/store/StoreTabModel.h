#pragma once

#include "store/BundleManifest.h"
#include "store/StoreItem.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include <QCoro/QCoroTask>

namespace gaugelet {

class StoreCoordinator;

// What the Store tab shows, without any widget: the first catalogue refresh
// of the tab's life and the seen marks it leaves, the catalogue section's
// items and line, the installed bundles and the last error. One model per
// tab. Main thread.
class StoreTabModel : public QObject {
    Q_OBJECT
public:
    // The catalogue section: the items to list as rows, in catalogue order,
    // or the one line it shows instead; hidden until there is something.
    struct Catalogue {
        QList<StoreItem> items;
        QString header;
        QString line;
        bool shown = false;
    };

    explicit StoreTabModel(StoreCoordinator* store, QObject* parent = nullptr);

    StoreCoordinator* store() const { return m_store; }
    // True once the first catalogue refresh has returned to a tab on screen.
    bool didLoad() const { return m_didLoad; }
    bool isLoading() const { return m_loading; }

    // The items a catalogue lists, each id once (the first entry wins); the
    // ids listed more than once go to duplicates.
    static QList<StoreItem> uniqueItems(const QList<StoreItem>& items, QStringList* duplicates = nullptr);
    // The items not installed yet, in catalogue order.
    static QList<StoreItem> installableItems(const QList<StoreItem>& items, const QList<BundleManifest>& installed);

    // Starts the catalogue refresh, once per life of the model and never
    // twice at once. When it returns while stillShown() holds, the tab draws
    // its rows (rowsBeforeMarks), every listed item is marked seen and
    // loaded() follows; otherwise nothing is marked.
    void load(std::function<bool()> stillShown);

    // The catalogue section now. A catalogue listing an id more than once is
    // logged once per list.
    Catalogue catalogue();
    // The installed bundles, each id once.
    QList<BundleManifest> installed() const;
    std::optional<QString> error() const;

Q_SIGNALS:
    // The refresh returned to a tab on screen: draw the rows as they are, so
    // what is new shows as new, before the seen marks go in.
    void rowsBeforeMarks();
    // The listed items were marked seen.
    void loaded();

private:
    QCoro::Task<void> firstLoad(std::function<bool()> stillShown);

    QPointer<StoreCoordinator> m_store;
    bool m_didLoad = false;
    bool m_loading = false;
    QList<StoreItem> m_loggedDuplicatesFor;
};

} // namespace gaugelet
