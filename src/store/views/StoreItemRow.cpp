#include "store/views/StoreItemRow.h"

#include "platform/core/MainThread.h"
#include "store/StoreCoordinator.h"
#include "store/views/StoreActionButton.h"
#include "store/views/StoreBadge.h"
#include "store/views/StorePreviewViews.h"
#include "store/views/StoreSymbolView.h"
#include "store/views/StoreTextLabel.h"
#include "views/Spacing.h"
#include "views/Spinner.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace gaugelet {

namespace {
constexpr int kThumbnailSide = 44;
constexpr int kPlaceholderSide = 24; // a title-2 sized symbol
} // namespace

StoreItemRow::StoreItemRow(StoreItem item, StoreCoordinator* store, bool isNew, QWidget* parent)
    : QWidget(parent), m_item(std::move(item)), m_store(store)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Spacing::px(Spacing::Step::l));

    // The thumbnail keeps its 44 × 44 frame whether the preview inside it is
    // shown or not, so showing and hiding previews never moves the row.
    m_thumbnail = new QWidget(this);
    m_thumbnail->setFixedSize(kThumbnailSide, kThumbnailSide);
    auto* thumbnailLayout = new QVBoxLayout(m_thumbnail);
    thumbnailLayout->setContentsMargins(0, 0, 0, 0);
    m_placeholder = new StoreSymbolView(placeholderSymbol(m_item.type), DesignStyle::Colour::secondary,
                                        kPlaceholderSide, m_thumbnail);
    thumbnailLayout->addWidget(m_placeholder, 0, Qt::AlignCenter);
    row->addWidget(m_thumbnail, 0, Qt::AlignTop);
    adoptPreview();

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Spacing::px(Spacing::Step::xxs));
    auto* title = new QHBoxLayout;
    title->setSpacing(Spacing::px(Spacing::Step::s));
    const auto identity = StoreTextLabel::identityLines(m_item.displayName, m_item.author, m_item.id, this);
    title->addWidget(identity.name, 0, Qt::AlignVCenter);
    m_newBadge = new StoreBadge(StoreBadge::Kind::newItem, this);
    title->addWidget(m_newBadge, 0, Qt::AlignVCenter);
    m_isNew = isNew;
    m_newBadge->setVisible(isNew);
    if (m_item.isNSFW) {
        auto* adultBadge = new StoreBadge(StoreBadge::Kind::adultContent, this);
        adultBadge->setObjectName(QStringLiteral("adultBadge"));
        title->addWidget(adultBadge, 0, Qt::AlignVCenter);
    }
    title->addStretch(1);
    texts->addLayout(title);
    // After the badges among the children too, so they are read in the order shown.
    for (QWidget* line : {identity.author, identity.id}) {
        line->raise();
        texts->addWidget(line);
    }
    texts->addStretch(1);
    row->addLayout(texts, 1);

    auto* trailing = new QVBoxLayout;
    trailing->setSpacing(Spacing::px(Spacing::Step::xs));
    auto* price = new StoreTextLabel(priceText(m_item),
                                     DesignStyle::monospacedDigits(DesignStyle::font(DesignStyle::TextStyle::caption)),
                                     DesignStyle::Colour::secondary, this);
    price->setObjectName(QStringLiteral("price"));
    trailing->addWidget(price, 0, Qt::AlignRight);
    m_install = new StoreActionButton(tr("Install"), StoreActionButton::Role::prominent, this);
    m_install->setAccessibleDescription(m_item.displayName);
    connect(m_install, &QPushButton::clicked, this, &StoreItemRow::startInstall);
    trailing->addWidget(m_install, 0, Qt::AlignRight);
    m_progress = new Spinner(this);
    m_progress->hide();
    trailing->addWidget(m_progress, 0, Qt::AlignRight);
    trailing->addStretch(1);
    row->addLayout(trailing);
}

QString StoreItemRow::priceText(const StoreItem& item)
{
    if (item.priceCents == 0)
        return tr("Free");
    return QString::number(double(item.priceCents) / 100.0, 'f', 2) + QLatin1Char(' ') + item.currency;
}

QString StoreItemRow::placeholderSymbol(BundleManifest::BundleType type)
{
    return type == BundleManifest::BundleType::soundPack ? QStringLiteral("speaker.wave.2")
                                                         : QStringLiteral("figure.run");
}

void StoreItemRow::setInFlight(bool inFlight)
{
    if (inFlight == m_inFlight)
        return;
    m_inFlight = inFlight;
    m_install->setVisible(!inFlight);
    m_progress->setVisible(inFlight);
}

void StoreItemRow::setNew(bool isNew)
{
    if (isNew == m_isNew)
        return;
    m_isNew = isNew;
    m_newBadge->setVisible(isNew);
}

void StoreItemRow::adoptPreview()
{
    if (m_preview || !m_store)
        return;
    const auto preview = m_store->preview(m_item);
    if (!preview)
        return;
    QWidget* widget = StorePreviewViews::makeWidget(*preview, m_thumbnail);
    if (!widget)
        return;
    m_preview = widget;
    m_preview->setFixedSize(kThumbnailSide, kThumbnailSide);
    // The layout hands back the placeholder's item, which it no longer owns.
    delete m_thumbnail->layout()->replaceWidget(m_placeholder, m_preview);
    delete m_placeholder;
    m_placeholder = nullptr;
}

void StoreItemRow::setPreviewShown(bool shown)
{
    if (m_preview && m_preview->isVisibleTo(m_thumbnail) != shown)
        m_preview->setVisible(shown);
}

void StoreItemRow::startInstall()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_store || m_inFlight)
        return;
    // The install belongs to the coordinator: it goes on when this row or its
    // window goes away, and it reaches the rows only through the coordinator's
    // published state.
    auto running = m_store->install(m_item);
    (void)running;
}

} // namespace gaugelet
