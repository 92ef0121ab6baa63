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

    auto* seal = new StoreSymbolView(QStringLiteral("checkmark.seal.fill"), DesignStyle::Colour::green, 20, this);
    seal->setObjectName(QStringLiteral("seal"));
    seal->setFixedWidth(28);
    seal->setAccessibleName(tr("Signature verified"));
    row->addWidget(seal, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(Spacing::px(Spacing::Step::xxs));
    const auto identity = StoreTextLabel::identityLines(m_manifest.displayName, m_manifest.author, m_manifest.id, this);
    auto* verification =
        new StoreTextLabel(verificationText(m_manifest), DesignStyle::font(DesignStyle::TextStyle::caption2),
                           DesignStyle::Colour::secondary, this);
    verification->setObjectName(QStringLiteral("verification"));
    verification->setMinimumWidth(1);
    for (QLabel* label : {identity.name, identity.author, identity.id, verification})
        texts->addWidget(label);
    row->addLayout(texts, 1);

    // Only the bundles the program seeded from its own resources are built in;
    // a free bundle from the store can be removed like a paid one.
    if (!StoreCoordinator::isBuiltIn(m_manifest.id)) {
        auto* remove = new StoreActionButton(tr("Remove"), StoreActionButton::Role::destructive, this);
        remove->setObjectName(QStringLiteral("remove"));
        remove->setAccessibleDescription(m_manifest.displayName);
        // No confirmation: the bundle can be installed again from the store.
        connect(remove, &QPushButton::clicked, this, [this] {
            GAUGELET_ASSERT_MAIN_THREAD();
            if (m_store)
                m_store->remove(m_manifest.id);
        });
        row->addWidget(remove, 0, Qt::AlignTop);
    }
}

QString InstalledBundleRow::verificationText(const BundleManifest& manifest)
{
    if (StoreCoordinator::isBuiltIn(manifest.id))
        return tr("Free · built-in · signature verified");
    return tr("v%1 · signature verified").arg(manifest.version);
}

} // namespace gaugelet
