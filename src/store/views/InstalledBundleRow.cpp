#include "store/views/InstalledBundleRow.h"

#include "platform/core/MainThread.h"
#include "store/StoreCoordinator.h"
#include "store/views/StoreActionButton.h"
#include "store/views/StoreSymbolView.h"
#include "store/views/StoreTextLabel.h"
#include "views/Spacing.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace gaugelet {

InstalledBundleRow::InstalledBundleRow(BundleManifest manifest, StoreCoordinator* store, QWidget* parent)
    : QWidget(parent), m_manifest(std::move(manifest)), m_store(store)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Spacing::px(Spacing::Step::l));

    m_seal = new StoreSymbolView(QStringLiteral("checkmark.seal.fill"), DesignStyle::Colour::green, 20, this);
    m_seal->setFixedWidth(28);
    m_seal->setAccessibleName(tr("Signature verified"));
    row->addWidget(m_seal, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Spacing::px(Spacing::Step::xxs));
    m_name = new StoreTextLabel(m_manifest.displayName, StoreTextLabel::mediumFont(), DesignStyle::Colour::primary, this);
    m_author = new StoreTextLabel(tr("by %1").arg(m_manifest.author), DesignStyle::font(DesignStyle::TextStyle::caption2),
                                  DesignStyle::Colour::secondary, this);
    m_id = new StoreTextLabel(m_manifest.id, StoreTextLabel::monospacedCaption2(), DesignStyle::Colour::tertiary, this);
    m_id->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_verification = new StoreTextLabel(verificationText(m_manifest), DesignStyle::font(DesignStyle::TextStyle::caption2),
                                        DesignStyle::Colour::secondary, this);
    for (QLabel* label : {m_name, m_author, m_id, m_verification}) {
        label->setMinimumWidth(1);
        texts->addWidget(label);
    }
    row->addLayout(texts, 1);

    // Only the bundles the program seeded from its own resources are built in;
    // a free bundle from the store can be removed like a paid one.
    if (!StoreCoordinator::isBuiltIn(m_manifest.id)) {
        m_remove = new StoreActionButton(tr("Remove"), StoreActionButton::Role::destructive, this);
        m_remove->setAccessibleDescription(m_manifest.displayName);
        // No confirmation: the bundle can be installed again from the store.
        connect(m_remove, &QPushButton::clicked, this, [this] {
            GAUGELET_ASSERT_MAIN_THREAD();
            if (m_store)
                m_store->remove(m_manifest.id);
        });
        row->addWidget(m_remove, 0, Qt::AlignTop);
    }
}

QString InstalledBundleRow::verificationText(const BundleManifest& manifest)
{
    if (StoreCoordinator::isBuiltIn(manifest.id))
        return tr("Free · built-in · signature verified");
    return tr("v%1 · signature verified").arg(manifest.version);
}

} // namespace gaugelet
