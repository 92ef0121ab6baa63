#include "store/views/StoreTab.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "store/StoreCoordinator.h"
#include "store/StoreLog.h"
#include "store/views/InstalledBundleRow.h"
#include "store/views/StoreItemRow.h"
#include "store/views/StoreSection.h"
#include "store/views/StoreSymbolView.h"
#include "store/views/StoreTextLabel.h"
#include "store/views/StoreWrappingLabel.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QVBoxLayout>

namespace gaugelet {

namespace {
constexpr int kPageMargin = 16;
constexpr int kSectionSpacing = 18;

StoreTextLabel* captionLine(const QString& text, QWidget* parent)
{
    auto* label = new StoreTextLabel(text, DesignStyle::font(DesignStyle::TextStyle::caption),
                                     DesignStyle::Colour::secondary, parent);
    label->setWordWrap(true);
    return label;
}
} // namespace

StoreTab::StoreTab(const ViewEnvironment& env, QWidget* parent)
    : QWidget(parent), m_env(env), m_store(env.store)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    // A grouped form whose scroll area shows the window's own background.
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    outer->addWidget(m_scroll);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* page = new QVBoxLayout(content);
    page->setContentsMargins(kPageMargin, kPageMargin, kPageMargin, kPageMargin);
    page->setSpacing(kSectionSpacing);

    m_catalogue = new StoreSection(content);
    m_catalogueLine = captionLine(QString(), m_catalogue->panel());
    m_catalogueLine->hide();
    m_installed = new StoreSection(content);
    m_installed->setHeader(tr("Installed"));

    // The error row: the orange warning triangle beside the title and the
    // text, which wraps over as many lines as it needs, inside long words too.
    m_error = new StoreSection(content);
    m_errorRow = new QWidget(m_error->panel());
    auto* errorLayout = new QHBoxLayout(m_errorRow);
    errorLayout->setContentsMargins(0, 4, 0, 4);
    errorLayout->setSpacing(10);
    auto* symbolBox = new QVBoxLayout;
    symbolBox->setContentsMargins(0, 1, 0, 0);
    auto* symbol = new StoreSymbolView(QStringLiteral("exclamationmark.triangle.fill"), DesignStyle::Colour::orange, 20,
                                       m_errorRow);
    symbol->setFixedSize(22, 20);
    symbolBox->addWidget(symbol);
    symbolBox->addStretch(1);
    errorLayout->addLayout(symbolBox);
    auto* errorTexts = new QVBoxLayout;
    errorTexts->setSpacing(4);
    errorTexts->addWidget(new StoreTextLabel(tr("Couldn't activate"), StoreTextLabel::mediumFont(),
                                             DesignStyle::Colour::primary, m_errorRow));
    m_errorText = new StoreWrappingLabel(DesignStyle::font(DesignStyle::TextStyle::callout), DesignStyle::Colour::primary,
                                         m_errorRow);
    errorTexts->addWidget(m_errorText);
    errorLayout->addLayout(errorTexts, 1);
    m_error->setRows({m_errorRow});

    m_footer = new StoreSection(content);
    m_footerText = captionLine(tr("Bundles are signed off-device. Every install verifies a manifest signature plus "
                                  "per-asset SHA-256 hashes; nothing lands on disk until both checks pass."),
                               m_footer->panel());
    m_footer->setRows({m_footerText});

    page->addWidget(m_catalogue);
    page->addWidget(m_installed);
    page->addWidget(m_error);
    page->addWidget(m_footer);
    page->addStretch(1);
    m_scroll->setWidget(content);

    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, &StoreTab::schedulePreviewVisibility);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::rangeChanged, this, &StoreTab::schedulePreviewVisibility);

    if (m_store) {
        // Every announcement leads to one pass at the end of the turn, after
        // the new values are stored.
        connect(m_store, &StoreCoordinator::objectWillChange, this, &StoreTab::scheduleUpdate);
        connect(m_store, &StoreCoordinator::availableChanged, this, &StoreTab::scheduleUpdate);
        connect(m_store, &StoreCoordinator::inflightInstallIdChanged, this, &StoreTab::scheduleUpdate);
        connect(m_store, &StoreCoordinator::lastErrorChanged, this, &StoreTab::scheduleUpdate);
        if (InstalledBundleRegistry* bundles = m_store->bundles())
            connect(bundles, &InstalledBundleRegistry::installedChanged, this, &StoreTab::scheduleUpdate);
    }
    updateNow();
}

StoreTab::~StoreTab() = default;

QList<StoreItem> StoreTab::uniqueItems(const QList<StoreItem>& items, QStringList* duplicates)
{
    QList<StoreItem> unique;
    unique.reserve(items.size());
    QSet<QString> seen;
    for (const StoreItem& item : items) {
        if (seen.contains(item.id)) {
            if (duplicates && !duplicates->contains(item.id))
                duplicates->append(item.id);
            continue;
        }
        seen.insert(item.id);
        unique.append(item);
    }
    return unique;
}

QList<StoreItem> StoreTab::installableItems(const QList<StoreItem>& items, const QList<BundleManifest>& installed)
{
    QSet<QString> installedIds;
    for (const BundleManifest& manifest : installed)
        installedIds.insert(manifest.id);
    QList<StoreItem> installable;
    for (const StoreItem& item : items) {
        if (!installedIds.contains(item.id))
            installable.append(item);
    }
    return installable;
}

void StoreTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    schedulePreviewVisibility();
    // The catalogue is fetched once per life of the page, and never twice at once.
    if (m_didLoad || m_loading || !m_store)
        return;
    m_loading = true;
    auto running = firstLoad();
    (void)running;
}

void StoreTab::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    schedulePreviewVisibility();
}

QCoro::Task<void> StoreTab::firstLoad()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QPointer<StoreTab> self(this);
    QPointer<StoreCoordinator> store(m_store);
    co_await store->refresh();
    // The window closed while the catalogue loaded: its page is gone (or on
    // its way out) and nothing is marked seen.
    if (!self)
        co_return;
    m_loading = false;
    if (!store || !window()->isVisible())
        co_return;
    // The rows are drawn before the marks go in, so what is new shows as new
    // until the coordinator announces its next change.
    updateNow();
    m_didLoad = true;
    if (Defaults* defaults = Defaults::standard()) {
        for (const StoreItem& item : store->available())
            defaults->set(StoreCoordinator::seenKeyPrefix + item.id, true);
    }
    updatePage(false);
    Q_EMIT loaded();
}

void StoreTab::scheduleUpdate()
{
    m_dirty = true;
    if (m_updateQueued)
        return;
    m_updateQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_updateQueued = false;
            if (m_dirty)
                updateNow();
        },
        Qt::QueuedConnection);
}

void StoreTab::updateNow() { updatePage(true); }

void StoreTab::updatePage(bool redrawNew)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_dirty = false;
    updateCatalogue(redrawNew);
    updateInstalled();
    updateError();
    schedulePreviewVisibility();
}

void StoreTab::updateCatalogue(bool redrawNew)
{
    const QList<StoreItem> available = m_store ? m_store->available() : QList<StoreItem>();
    QStringList duplicates;
    const QList<StoreItem> listed = uniqueItems(available, &duplicates);
    if (!duplicates.isEmpty() && available != m_loggedDuplicatesFor) {
        m_loggedDuplicatesFor = available;
        for (const QString& id : std::as_const(duplicates))
            logWarning(lcStoreCatalogue, "catalogue lists %s more than once; the store shows its first entry",
                       qUtf8Printable(id));
    }
    const QList<BundleManifest> installed =
        m_store && m_store->bundles() ? m_store->bundles()->installed() : QList<BundleManifest>();
    const QList<StoreItem> installable = installableItems(listed, installed);

    // Rows are kept by id: a row whose item is unchanged keeps its widgets
    // (and its running preview); a changed item gets a new row.
    QHash<QString, StoreItemRow*> kept;
    QList<QWidget*> rows;
    for (const StoreItem& item : installable) {
        StoreItemRow* row = m_itemRows.take(item.id);
        if (row && !(row->item() == item)) {
            row->hide();
            row->deleteLater();
            row = nullptr;
        }
        if (!row)
            row = new StoreItemRow(item, m_store, m_store->isNew(item), m_catalogue->panel());
        else if (redrawNew)
            row->setNew(m_store->isNew(item));
        row->adoptPreview();
        row->setInFlight(m_store->isInstalling(item.id));
        kept.insert(item.id, row);
        rows.append(row);
    }
    for (StoreItemRow* gone : std::as_const(m_itemRows)) {
        gone->hide();
        gone->deleteLater();
    }
    m_itemRows = std::move(kept);

    if (!available.isEmpty()) {
        m_catalogue->setHeader(tr("Available"));
        if (installable.isEmpty()) {
            m_catalogueLine->setText(tr("All caught up: every Store bundle is installed."));
            rows = {m_catalogueLine};
        }
        m_catalogue->setRows(rows);
        m_catalogue->show();
    } else if (m_didLoad) {
        m_catalogue->setHeader(QString());
        m_catalogueLine->setText(tr("No bundles available right now."));
        m_catalogue->setRows({m_catalogueLine});
        m_catalogue->show();
    } else {
        m_catalogue->setRows({});
        m_catalogue->hide();
    }
}

void StoreTab::updateInstalled()
{
    const QList<BundleManifest> installed =
        m_store && m_store->bundles() ? m_store->bundles()->installed() : QList<BundleManifest>();
    QHash<QString, InstalledBundleRow*> kept;
    QList<QWidget*> rows;
    for (const BundleManifest& manifest : installed) {
        if (kept.contains(manifest.id))
            continue;
        InstalledBundleRow* row = m_installedRows.take(manifest.id);
        if (row && !(row->manifest() == manifest)) {
            row->hide();
            row->deleteLater();
            row = nullptr;
        }
        if (!row)
            row = new InstalledBundleRow(manifest, m_store, m_installed->panel());
        kept.insert(manifest.id, row);
        rows.append(row);
    }
    for (InstalledBundleRow* gone : std::as_const(m_installedRows)) {
        gone->hide();
        gone->deleteLater();
    }
    m_installedRows = std::move(kept);
    m_installed->setRows(rows);
    m_installed->setVisible(!rows.isEmpty());
}

void StoreTab::updateError()
{
    const std::optional<QString> error = m_store ? m_store->lastError() : std::nullopt;
    m_errorText->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
}

QString StoreTab::catalogueLine() const
{
    if (m_catalogue->isHidden() || !m_catalogue->rows().contains(m_catalogueLine))
        return {};
    return m_catalogueLine->text();
}

QList<StoreItemRow*> StoreTab::itemRows() const
{
    QList<StoreItemRow*> rows;
    for (QWidget* widget : m_catalogue->rows()) {
        if (auto* row = qobject_cast<StoreItemRow*>(widget))
            rows.append(row);
    }
    return rows;
}

QList<InstalledBundleRow*> StoreTab::installedRows() const
{
    QList<InstalledBundleRow*> rows;
    for (QWidget* widget : m_installed->rows()) {
        if (auto* row = qobject_cast<InstalledBundleRow*>(widget))
            rows.append(row);
    }
    return rows;
}

QLabel* StoreTab::footerText() const { return m_footerText; }

void StoreTab::schedulePreviewVisibility()
{
    if (m_visibilityQueued)
        return;
    m_visibilityQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_visibilityQueued = false;
            updatePreviewVisibility();
        },
        Qt::QueuedConnection);
}

void StoreTab::updatePreviewVisibility()
{
    QWidget* viewport = m_scroll->viewport();
    const QRect visible = viewport->rect();
    for (StoreItemRow* row : std::as_const(m_itemRows)) {
        const QRect area(row->mapTo(viewport, QPoint(0, 0)), row->size());
        row->setPreviewShown(isVisible() && area.intersects(visible));
    }
}

} // namespace gaugelet
