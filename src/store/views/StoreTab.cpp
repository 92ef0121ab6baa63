#include "store/views/StoreTab.h"

#include "platform/core/MainThread.h"
#include "store/StoreCoordinator.h"
#include "store/StoreTabModel.h"
#include "store/views/InstalledBundleRow.h"
#include "store/views/StoreItemRow.h"
#include "store/views/StoreSymbolView.h"
#include "store/views/StoreTextLabel.h"
#include "store/views/StoreWrappingLabel.h"
#include "views/GroupedSection.h"
#include "views/PageScrollArea.h"
#include "views/Spacing.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>

namespace gaugelet {

namespace {

StoreTextLabel* captionLine(const QString& text, QWidget* parent)
{
    auto* label = new StoreTextLabel(text, DesignStyle::font(DesignStyle::TextStyle::caption),
                                     DesignStyle::Colour::secondary, parent);
    label->setWordWrap(true);
    return label;
}
} // namespace

StoreTab::StoreTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_store(env.store)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    // A grouped form whose scroll area shows the window's own background.
    m_scroll = new PageScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrollArea"));
    outer->addWidget(m_scroll);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* page = new QVBoxLayout(content);
    page->setContentsMargins(Spacing::margins(Spacing::Step::xxl));
    page->setSpacing(Spacing::px(Spacing::Step::xxl));

    m_catalogue = new GroupedSection({}, content);
    m_catalogue->setObjectName(QStringLiteral("catalogue"));
    m_catalogueLine = captionLine(QString(), m_catalogue->panel());
    m_catalogueLine->setObjectName(QStringLiteral("catalogueLine"));
    m_catalogueLine->hide();
    m_installed = new GroupedSection({}, content);
    m_installed->setObjectName(QStringLiteral("installed"));
    m_installed->setHeader(tr("Installed"));

    // The error row: the orange warning triangle beside the title and the
    // text, which wraps over as many lines as it needs, inside long words too.
    m_error = new GroupedSection({}, content);
    m_error->setObjectName(QStringLiteral("error"));
    auto* errorRow = new QWidget(m_error->panel());
    auto* errorLayout = new QHBoxLayout(errorRow);
    errorLayout->setContentsMargins(Spacing::margins(Spacing::Step::none, Spacing::Step::xs));
    errorLayout->setSpacing(Spacing::px(Spacing::Step::ml));
    auto* symbolBox = new QVBoxLayout;
    symbolBox->setContentsMargins(Spacing::top(Spacing::Step::hairline));
    auto* symbol =
        new StoreSymbolView(QStringLiteral("exclamationmark.triangle.fill"), DesignStyle::Colour::orange, 20, errorRow);
    symbol->setFixedSize(22, 20);
    symbolBox->addWidget(symbol);
    symbolBox->addStretch(1);
    errorLayout->addLayout(symbolBox);
    auto* errorTexts = new QVBoxLayout;
    errorTexts->setSpacing(Spacing::px(Spacing::Step::xs));
    errorTexts->addWidget(new StoreTextLabel(tr("Couldn't activate"), StoreTextLabel::mediumFont(),
                                             DesignStyle::Colour::primary, errorRow));
    m_errorText = new StoreWrappingLabel(DesignStyle::font(DesignStyle::TextStyle::callout),
                                         DesignStyle::Colour::primary, errorRow);
    m_errorText->setObjectName(QStringLiteral("errorText"));
    errorTexts->addWidget(m_errorText);
    errorLayout->addLayout(errorTexts, 1);
    m_error->setRows({errorRow});

    auto* footer = new GroupedSection({}, content);
    footer->setObjectName(QStringLiteral("footer"));
    auto* footerText = captionLine(tr("Bundles are signed off-device. Every install verifies a manifest signature plus "
                                      "per-asset SHA-256 hashes; nothing lands on disk until both checks pass."),
                                   footer->panel());
    footerText->setObjectName(QStringLiteral("footerText"));
    footer->setRows({footerText});

    page->addWidget(m_catalogue);
    page->addWidget(m_installed);
    page->addWidget(m_error);
    page->addWidget(footer);
    page->addStretch(1);
    m_scroll->setPage(content);

    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, &StoreTab::schedulePreviewVisibility);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::rangeChanged, this, &StoreTab::schedulePreviewVisibility);

    bind();
    updateNow();
}

StoreTab::~StoreTab() = default;

void StoreTab::bind()
{
    m_model = new StoreTabModel(m_store, this);
    // The rows are drawn before the marks go in, so what is new shows as new
    // until the coordinator announces its next change.
    connect(m_model, &StoreTabModel::rowsBeforeMarks, this, &StoreTab::updateNow);
    connect(m_model, &StoreTabModel::loaded, this, [this] {
        updatePage(false);
        Q_EMIT loaded();
    });
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
}

bool StoreTab::didLoad() const
{
    return m_model->didLoad();
}

void StoreTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    schedulePreviewVisibility();
    // The catalogue is fetched once per life of the page, and never twice at
    // once; items are marked seen only while the window is still open.
    m_model->load([this] { return window()->isVisible(); });
}

void StoreTab::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    schedulePreviewVisibility();
}

void StoreTab::scheduleUpdate()
{
    m_dirty = true;
    m_updateTurn.request();
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
    const StoreTabModel::Catalogue catalogue = m_model->catalogue();
    // Rows are kept by id: a row whose item is unchanged keeps its widgets
    // (and its running preview); a changed item gets a new row.
    QHash<QString, StoreItem> byId;
    QList<QString> ids;
    for (const StoreItem& item : catalogue.items) {
        if (!byId.contains(item.id)) {
            byId.insert(item.id, item);
            ids.append(item.id);
        }
    }
    const QList<StoreItemRow*> itemRows = m_itemRows.reconcile(
        ids,
        [&](const QString& id) {
            const StoreItem& item = byId[id];
            return new StoreItemRow(item, m_store, m_store->isNew(item), m_catalogue->panel());
        },
        [&](StoreItemRow* row, const QString& id) {
            const StoreItem& item = byId[id];
            if (!(row->item() == item))
                return false;
            if (redrawNew)
                row->setNew(m_store->isNew(item));
            return true;
        });
    QList<QWidget*> rows;
    for (StoreItemRow* row : itemRows) {
        row->adoptPreview();
        row->setInFlight(m_store->isInstalling(row->item().id));
        rows.append(row);
    }

    m_catalogue->setHeader(catalogue.header);
    if (!catalogue.line.isEmpty()) {
        m_catalogueLine->setText(catalogue.line);
        rows = {m_catalogueLine};
    }
    m_catalogue->setRows(catalogue.shown ? rows : QList<QWidget*>());
    m_catalogue->setVisible(catalogue.shown);
}

void StoreTab::updateInstalled()
{
    // The first manifest of an id is the one shown.
    QHash<QString, BundleManifest> byId;
    QList<QString> ids;
    for (const BundleManifest& manifest : m_model->installed()) {
        if (!byId.contains(manifest.id)) {
            byId.insert(manifest.id, manifest);
            ids.append(manifest.id);
        }
    }
    QList<QWidget*> rows;
    const auto create = [&](const QString& id) {
        return new InstalledBundleRow(byId[id], m_store, m_installed->panel());
    };
    const auto fits = [&](InstalledBundleRow* row, const QString& id) { return row->manifest() == byId[id]; };
    for (InstalledBundleRow* row : m_installedRows.reconcile(ids, create, fits))
        rows.append(row);
    m_installed->setRows(rows);
    m_installed->setVisible(!rows.isEmpty());
}

void StoreTab::updateError()
{
    const std::optional<QString> error = m_model->error();
    m_errorText->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
}

void StoreTab::schedulePreviewVisibility()
{
    m_visibilityTurn.request();
}

void StoreTab::updatePreviewVisibility()
{
    QWidget* viewport = m_scroll->viewport();
    const QRect visible = viewport->rect();
    for (StoreItemRow* row : m_itemRows.rows()) {
        const QRect area(row->mapTo(viewport, QPoint(0, 0)), row->size());
        row->setPreviewShown(isVisible() && area.intersects(visible));
    }
}

} // namespace gaugelet
