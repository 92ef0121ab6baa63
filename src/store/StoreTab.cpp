#include "store/StoreTab.h"

#include "platform/core/MainThread.h"
#include "store/InstalledBundleRow.h"
#include "store/StoreCoordinator.h"
#include "store/StoreItemRow.h"
#include "store/StoreSection.h"
#include "store/StoreSymbolView.h"
#include "store/StoreTabModel.h"
#include "store/StoreTextLabel.h"
#include "store/StoreWrappingLabel.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
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
    m_scroll->setObjectName(QStringLiteral("scrollArea"));
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
    m_catalogue->setObjectName(QStringLiteral("catalogue"));
    m_catalogueLine = captionLine(QString(), m_catalogue->panel());
    m_catalogueLine->setObjectName(QStringLiteral("catalogueLine"));
    m_catalogueLine->hide();
    m_installed = new StoreSection(content);
    m_installed->setObjectName(QStringLiteral("installed"));
    m_installed->setHeader(tr("Installed"));

    // The error row: the orange warning triangle beside the title and the
    // text, which wraps over as many lines as it needs, inside long words too.
    m_error = new StoreSection(content);
    m_error->setObjectName(QStringLiteral("error"));
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
    m_errorText->setObjectName(QStringLiteral("errorText"));
    errorTexts->addWidget(m_errorText);
    errorLayout->addLayout(errorTexts, 1);
    m_error->setRows({m_errorRow});

    m_footer = new StoreSection(content);
    m_footer->setObjectName(QStringLiteral("footer"));
    m_footerText = captionLine(tr("Bundles are signed off-device. Every install verifies a manifest signature plus "
                                  "per-asset SHA-256 hashes; nothing lands on disk until both checks pass."),
                               m_footer->panel());
    m_footerText->setObjectName(QStringLiteral("footerText"));
    m_footer->setRows({m_footerText});

    page->addWidget(m_catalogue);
    page->addWidget(m_installed);
    page->addWidget(m_error);
    page->addWidget(m_footer);
    page->addStretch(1);
    m_scroll->setWidget(content);

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
    const StoreTabModel::Catalogue catalogue = m_model->catalogue();
    // Rows are kept by id: a row whose item is unchanged keeps its widgets
    // (and its running preview); a changed item gets a new row.
    QHash<QString, StoreItemRow*> kept;
    QList<QWidget*> rows;
    for (const StoreItem& item : catalogue.items) {
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
    QHash<QString, InstalledBundleRow*> kept;
    QList<QWidget*> rows;
    for (const BundleManifest& manifest : m_model->installed()) {
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
    const std::optional<QString> error = m_model->error();
    m_errorText->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
}

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
