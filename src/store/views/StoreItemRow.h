#pragma once

#include "store/StoreItem.h"

#include <QPointer>
#include <QWidget>

namespace gaugelet {

class StoreActionButton;
class StoreCoordinator;
class Spinner;
class StoreSymbolView;

// One catalogue entry of the store tab: its preview (or a symbol of its
// kind), name with the new and adult-content badges, author and id, price,
// and "Install" or, while its install runs, a small progress indicator.
class StoreItemRow : public QWidget {
    Q_OBJECT

public:
    // isNew is decided by the tab each time it draws the row.
    StoreItemRow(StoreItem item, StoreCoordinator* store, bool isNew, QWidget* parent = nullptr);

    const StoreItem& item() const { return m_item; }

    // "Free" for a price of 0, else the amount with two decimals and the
    // currency code ("4.99 USD").
    static QString priceText(const StoreItem& item);
    // The thumbnail's symbol when there is no preview.
    static QString placeholderSymbol(BundleManifest::BundleType type);

    // Switches between "Install" and the progress indicator.
    void setInFlight(bool inFlight);
    bool isInFlight() const { return m_inFlight; }
    // Shows or hides the "NEW" badge.
    void setNew(bool isNew);
    bool isMarkedNew() const { return m_isNew; }
    // Puts the coordinator's preview in the thumbnail when one is cached and
    // none is shown yet.
    void adoptPreview();
    // Shows or hides the preview (it animates or plays only while shown).
    void setPreviewShown(bool shown);

    // The pieces that change, for tests and screenshots. The fixed texts and
    // the adult-content badge are named children: "name", "author", "id",
    // "price" and "adultBadge".
    QWidget* previewWidget() const { return m_preview; }
    StoreSymbolView* placeholder() const { return m_placeholder; }
    StoreActionButton* installButton() const { return m_install; }
    Spinner* progressIndicator() const { return m_progress; }
    QWidget* newBadge() const { return m_newBadge; }

private:
    void startInstall();

    StoreItem m_item;
    QPointer<StoreCoordinator> m_store;
    bool m_inFlight = false;
    bool m_isNew = false;
    QWidget* m_thumbnail = nullptr;
    QWidget* m_preview = nullptr;
    StoreSymbolView* m_placeholder = nullptr;
    StoreActionButton* m_install = nullptr;
    Spinner* m_progress = nullptr;
    QWidget* m_newBadge = nullptr;
};

} // namespace gaugelet
