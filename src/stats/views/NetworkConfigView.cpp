#include "stats/views/NetworkConfigView.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "stats/Prefs.h"
#include "views/Spacing.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace gaugelet {

NetworkConfigView::NetworkConfigView(const ViewEnvironment& env, QWidget* parent) : QWidget(parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    (void)env;
    setObjectName(QStringLiteral("NetworkConfigView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(Spacing::Step::xs));

    m_switch = new QCheckBox(tr("Show merged total in popover"), this);
    m_switch->setObjectName(QStringLiteral("showMerged"));
    layout->addWidget(m_switch);

    auto* help = new QLabel(this);
    help->setObjectName(QStringLiteral("help"));
    help->setTextFormat(Qt::RichText);
    help->setWordWrap(true);
    // "**Network**" in the inline markup: bold.
    help->setText(tr("Hides the small \"X KB/s\" label next to <b>Network</b> in the popover header. The split ↑/↓ "
                     "rate rows below it are independent and stay visible."));
    QFont caption = help->font();
    caption.setPointSizeF(std::max(caption.pointSizeF() - 2, 8.0));
    help->setFont(caption);
    help->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(help);

    reload();
    // Writes through at once; no apply step.
    connect(m_switch, &QCheckBox::toggled, this,
            [](bool on) { SettingsSchema::write(SettingsSchema::statShowMerged, on); });
    if (auto* defaults = Defaults::standard()) {
        connect(defaults, &Defaults::changed, this, [this](const QString& key) {
            if (key == SettingsSchema::statShowMerged)
                reload();
        });
    }
}

void NetworkConfigView::reload()
{
    const QSignalBlocker block(m_switch);
    m_switch->setChecked(SettingsSchema::boolean(SettingsSchema::statShowMerged));
}

} // namespace gaugelet
