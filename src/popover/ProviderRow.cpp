#include "popover/ProviderRow.h"

#include "platform/core/Defaults.h"
#include "platform/style/DesignStyle.h"
#include "popover/PinBar.h"
#include "popover/ValueChip.h"
#include "schema/SettingsSchema.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "stats/views/StatDetailView.h"
#include "stats/views/StatProviderViews.h"
#include "views/Spacing.h"
#include "views/Spinner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace gaugelet {

ProviderRow::ProviderRow(StatProvider* provider, const ViewEnvironment& env, QWidget* parent)
    : QWidget(parent)
    , m_provider(provider)
    , m_env(env)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(Spacing::px(Spacing::Step::m));

    m_header = new QHBoxLayout;
    m_header->setSpacing(Spacing::px(Spacing::Step::m));
    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText);
    m_name->setFont(DesignStyle::font(DesignStyle::TextStyle::headline));
    m_name->setText(provider->displayName());
    m_header->addWidget(m_name, 0, Qt::AlignVCenter);
    m_header->addStretch(1);
    m_chip = new ValueChip(this);
    m_chip->hide();
    m_header->addWidget(m_chip, 0, Qt::AlignVCenter);
    m_layout->addLayout(m_header);

    m_progress = new Spinner(this);
    m_progress->setAccessibleName(tr("Loading"));
    m_layout->addWidget(m_progress, 0, Qt::AlignLeft);

    refresh();
}

bool ProviderRow::chipShown(const StatProvider& provider, bool hasSnapshot, bool showMerged)
{
    return hasSnapshot && (!provider.supportsMergedDisplay() || showMerged);
}

QWidget* ProviderRow::progressIndicator() const
{
    return m_progress;
}

bool ProviderRow::isChipShown() const
{
    return !m_chip->isHidden();
}

void ProviderRow::placeChip(StatLabelPosition position)
{
    if (position == m_position)
        return;
    m_position = position;
    m_header->removeWidget(m_chip);
    if (position == StatLabelPosition::adjacent)
        m_header->insertWidget(1, m_chip, 0, Qt::AlignVCenter);
    else
        m_header->addWidget(m_chip, 0, Qt::AlignVCenter);
}

void ProviderRow::refresh()
{
    ++m_refreshCount;
    const Defaults& defaults = *Defaults::standard();
    if (m_env.theme) {
        QPalette pal = m_name->palette();
        // The provider's colour, deepened or lightened where it would be
        // faint on the window (a bold headline: 3:1).
        pal.setColor(QPalette::WindowText, DesignStyle::readable(m_provider->accentColor(m_env.theme->palette()),
                                                                 palette(), 3.0));
        m_name->setPalette(pal);
    }

    const StatRegistry::Snapshots* snapshots = m_env.registry ? &m_env.registry->snapshots() : nullptr;
    const auto it = snapshots ? snapshots->constFind(m_provider->id()) : StatRegistry::Snapshots::const_iterator();
    const bool has = snapshots && it != snapshots->cend();

    placeChip(storedStatLabelPosition(defaults));
    m_chip->setStyle(ValueChip::Style::stored(defaults));
    const bool showChip = chipShown(*m_provider, has, SettingsSchema::boolean(SettingsSchema::statShowMerged, defaults));
    if (has)
        m_chip->setText(it->label);
    m_chip->setVisible(showChip);

    if (!has)
        return;
    const StatSnapshot& snapshot = *it;
    if (!m_hasSnapshot) {
        m_hasSnapshot = true;
        if (m_progress) {
            m_progress->hide();
            m_progress->deleteLater();
            m_progress = nullptr;
        }
        ++m_detailRequests;
        QWidget* detail = StatProviderViews::detailView(*m_provider, snapshot, m_env, this);
        if (detail) {
            m_detail = detail;
            m_detailView = qobject_cast<StatDetailView*>(detail);
            m_layout->addWidget(detail);
        }
        m_pinBar = new PinBar(m_provider, m_env, this);
        m_layout->addWidget(m_pinBar);
        m_lastAsOf = snapshot.asOf;
        m_lastValue = snapshot.value;
        return;
    }
    if (m_detailView && m_detail && (snapshot.asOf != m_lastAsOf || snapshot.value != m_lastValue))
        m_detailView->setSnapshot(snapshot);
    m_lastAsOf = snapshot.asOf;
    m_lastValue = snapshot.value;
    m_pinBar->refresh();
}

} // namespace gaugelet
