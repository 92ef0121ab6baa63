#include "stats/views/MemoryConfigBody.h"

#include "platform/core/MainThread.h"
#include "views/Spacing.h"

#include <QLabel>
#include <QVBoxLayout>

namespace gaugelet {

QString MemoryConfigBody::sourceUrl()
{
    return QStringLiteral("https://docs.kernel.org/filesystems/proc.html#meminfo");
}

MemoryConfigBody::MemoryConfigBody(const ViewEnvironment& env, QWidget* parent) : QWidget(parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    (void)env;
    setObjectName(QStringLiteral("MemoryConfigBody"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Spacing::top(Spacing::Step::xxs));
    layout->setSpacing(Spacing::px(Spacing::Step::xs));

    QFont caption = font();
    caption.setPointSizeF(std::max(caption.pointSizeF() - 2, 8.0));
    auto addText = [&](const QString& text, bool semibold, const QString& name) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setWordWrap(true);
        QFont f = caption;
        if (semibold)
            f.setWeight(QFont::DemiBold);
        label->setFont(f);
        label->setForegroundRole(QPalette::PlaceholderText); // the secondary style
        layout->addWidget(label);
        return label;
    };

    addText(tr("Memory donut"), true, QStringLiteral("title"));
    addText(tr("The centre % is the share of Total held by the wedges the ring draws as used, so it always matches "
               "the ring and the Free row (they partition Total exactly, and the centre never reads 100% while a "
               "Free wedge is visible). Switch off (default): centre = (App + Wired + Compressed) / Total; the ring "
               "shows those three and Cached folds into Free."),
            false, QStringLiteral("centre"));
    addText(tr("The Cached switch reveals \"Cached Files\" (file-backed and purgeable pages the OS reclaims "
               "instantly) as its own wedge and adds it to the centre %, which becomes (App + Wired + Compressed + "
               "Cached) / Total and jumps up. Cached being \"Used\" does not mean unavailable."),
            false, QStringLiteral("cached"));
    addText(tr("The Pressure row shows the kernel's own verdict (Normal / Warning / Critical), read from the "
               "kernel's memory pressure stall information (/proc/pressure/memory)."),
            false, QStringLiteral("pressure"));

    auto* source = addText(tr("Source: \"The /proc Filesystem: meminfo\", Linux kernel documentation, %1")
                               .arg(sourceUrl()),
                           false, QStringLiteral("source"));
    source->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

} // namespace gaugelet
