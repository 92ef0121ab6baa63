#include "stats/views/MemoryDetailBody.h"

#include "charts/MiniSwitch.h"
#include "charts/PopupBreakdownRow.h"
#include "charts/PopupDonut.h"
#include "charts/PopupDot.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "schema/SettingsSchema.h"
#include "stats/ChartMath.h"
#include "stats/MemoryExtras.h"
#include "stats/MemoryProvider.h"
#include "stats/Palette.h"
#include "stats/Prefs.h"
#include "stats/views/InfoButton.h"
#include "views/Divider.h"
#include "views/Spacing.h"
#include "views/Symbol.h"
#include "views/TextLabel.h"
#include "views/ToolTip.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QVBoxLayout>
#include <cmath>

namespace gaugelet {

namespace {
constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;

QString gigabytes(double bytes)
{
    return QString::asprintf("%.2f GB", ChartMath::finite(bytes) / kGiB);
}

} // namespace

QString MemoryDetailBody::appHelp()
{
    return tr("Anonymous memory allocated by apps, minus purgeable pages. Not reclaimable without app cooperation.");
}

QString MemoryDetailBody::wiredHelp()
{
    return tr("Kernel memory. Cannot be paged out.");
}

QString MemoryDetailBody::compressedHelp()
{
    return tr("RAM reclaimed by compressing inactive pages. High value indicates pressure.");
}

QString MemoryDetailBody::swapHelp()
{
    return tr("On-disk overflow. Growing swap = sustained pressure.");
}

QString MemoryDetailBody::cachedHelp()
{
    return tr("File-backed and purgeable pages kept hot. Flushed instantly when apps need RAM. \"Used\" does not "
              "mean unavailable.");
}

QString MemoryDetailBody::freeHelp()
{
    return tr("The donut's leftover wedge: Total minus App, Wired, and Compressed. When the Cached switch is off, "
              "Cached memory folds in here too. Includes truly-free pages plus a little kernel memory "
              "/proc/meminfo does not itemize. Linux keeps real free small on purpose: empty RAM is wasted RAM.");
}

QString MemoryDetailBody::cachedSwitchHelp()
{
    return tr("Off (default): the donut shows App, Wired, and Compressed; Cached folds into Free. On: Cached becomes "
              "its own wedge and the centre counts it too, so the % jumps up. The centre always matches the ring, so "
              "it never reads 100% while any Free wedge is showing.");
}

QString MemoryDetailBody::cachedSwitchInfo()
{
    return tr("Off (default): the ring shows App, Wired, and Compressed. Cached memory (file-backed and purgeable "
              "pages the OS reclaims instantly) folds into the Free wedge, and the centre % is (App + Wired + "
              "Compressed) / Total.\n\nOn: Cached becomes its own wedge and the centre % counts it too, so the "
              "number jumps up, (App + Wired + Compressed + Cached) / Total. Cached being \"Used\" does not mean "
              "unavailable.\n\nThe centre is derived from these wedges, so it always matches the ring and never "
              "reads 100% while a Free wedge is visible. The Linux kernel's row definitions, cited: Settings → "
              "Stats → Memory.");
}

QString MemoryDetailBody::pressureInfo()
{
    return tr("Memory Pressure is the kernel's own gauge of how close Linux is to running out of reclaimable RAM, "
              "computed from the time tasks spend stalled waiting for memory (reclaim and swap-in included). "
              "Gaugelet reads it directly from /proc/pressure/memory, the kernel's pressure stall information, "
              "using this mapping: Warning when some tasks stalled ≥ 10% of the last 10 s, Critical when all tasks "
              "did, else Normal. Raw \"used %\" can look scary while pressure stays Normal: most of that memory is "
              "cache the OS discards instantly.\n\n• Normal: plenty of headroom; RAM handed out instantly.\n"
              "• Warning (some ≥ 10%): the kernel is reclaiming and compressing pages to keep up; expect "
              "occasional slowdowns under load.\n• Critical (full ≥ 10%): the kernel is struggling to free pages; "
              "apps may stall. Close memory-heavy apps if you see this often.");
}

MemoryDetailBody::MemoryDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent)
    : DetailBodyBase(snapshot, env, {SettingsSchema::popupFontSize}, parent),
      m_showCached(SettingsSchema::boolean(SettingsSchema::memoryShowCached))
{
    setObjectName(QStringLiteral("MemoryDetailBody"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(Spacing::Step::xxl));
    m_donut = new PopupDonut(this);
    layout->addWidget(m_donut, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(Spacing::px(Spacing::Step::xxs));
    layout->addLayout(column, 1);

    // The Cached switch row.
    auto* switchRow = new QWidget(this);
    switchRow->setToolTip(ToolTip::fromPlainText(cachedSwitchHelp()));
    auto* switchLayout = new QHBoxLayout(switchRow);
    switchLayout->setContentsMargins(0, 0, 0, 0);
    switchLayout->setSpacing(Spacing::px(Spacing::Step::s));
    m_switchSymbol = new QLabel(switchRow);
    m_switchLabel = new QLabel(tr("Cached"), switchRow);
    m_switchLabel->setTextFormat(Qt::PlainText);
    m_switchLabel->setFont(DesignStyle::systemFont(10, QFont::Medium));
    m_switch = new MiniSwitch(switchRow);
    m_switch->setAccessibleName(tr("Cached"));
    {
        const QSignalBlocker block(m_switch);
        m_switch->setChecked(m_showCached);
    }
    connect(m_switch, &QAbstractButton::clicked, this, &MemoryDetailBody::userToggledCached);
    auto* switchInfo = new InfoButton(cachedSwitchInfo(), switchRow);
    switchLayout->addWidget(m_switchSymbol, 0, Qt::AlignVCenter);
    switchLayout->addWidget(m_switchLabel, 0, Qt::AlignVCenter);
    switchLayout->addWidget(m_switch, 0, Qt::AlignVCenter);
    switchLayout->addWidget(switchInfo, 0, Qt::AlignVCenter);
    switchLayout->addStretch(1);
    column->addWidget(switchRow);

    auto makeRow = [&](const QString& label, const QString& help, QWidget* trailing = nullptr) {
        auto* row = new PopupBreakdownRow(label, QStringLiteral("-"), std::nullopt, 11, trailing, this);
        row->setObjectName(label);
        if (!help.isEmpty())
            row->setToolTip(ToolTip::fromPlainText(help));
        column->addWidget(row);
        return row;
    };
    m_app = makeRow(tr("App"), appHelp());
    m_wired = makeRow(tr("Wired"), wiredHelp());
    m_compressed = makeRow(tr("Compressed"), compressedHelp());
    m_cached = makeRow(tr("Cached"), cachedHelp());
    m_cachedOpacity = new QGraphicsOpacityEffect(m_cached);
    m_cached->setGraphicsEffect(m_cachedOpacity);
    m_swap = makeRow(tr("Swap"), swapHelp());
    m_free = makeRow(tr("Free"), QString(), new InfoButton(freeHelp()));
    column->addSpacing(Spacing::px(Spacing::Step::hairline));
    column->addWidget(new Divider(this));
    column->addSpacing(Spacing::px(Spacing::Step::hairline));
    m_total = makeRow(tr("Total"), QString());

    auto* pressure = new QHBoxLayout;
    pressure->setSpacing(Spacing::px(Spacing::Step::s));
    m_pressureDot = new PopupDot(QColor(), this);
    m_pressureLabel = new QLabel(this);
    m_pressureLabel->setTextFormat(Qt::PlainText);
    m_pressureLabel->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    auto* pressureInfoButton = new InfoButton(pressureInfo(), this);
    pressure->addWidget(m_pressureDot, 0, Qt::AlignVCenter);
    pressure->addWidget(m_pressureLabel, 0, Qt::AlignVCenter);
    pressure->addWidget(pressureInfoButton, 0, Qt::AlignVCenter);
    pressure->addStretch(1);
    column->addLayout(pressure);
    column->addStretch(1);

    refresh();
}

std::array<PopupBreakdownRow*, 7> MemoryDetailBody::rows() const
{
    return {m_app, m_wired, m_compressed, m_cached, m_swap, m_free, m_total};
}

PopupBreakdownRow* MemoryDetailBody::row(const QString& label) const
{
    for (PopupBreakdownRow* r : rows()) {
        if (r->label() == label)
            return r;
    }
    return nullptr;
}

void MemoryDetailBody::userToggledCached(bool on)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // The setting first, so the provider's next sample agrees with the view.
    if (auto* defaults = Defaults::standard())
        SettingsSchema::write(SettingsSchema::memoryShowCached, on, *defaults);
    m_showCached = on;
    refresh();
}

void MemoryDetailBody::showEvent(QShowEvent* event)
{
    DetailBodyBase::showEvent(event);
    const bool stored = SettingsSchema::boolean(SettingsSchema::memoryShowCached);
    if (stored != m_showCached) {
        m_showCached = stored;
        refresh();
    }
}

void MemoryDetailBody::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const Palette& colours = palette();
    const QColor wiredColour = colours.accent6;
    QColor compressedColour = colours.accent5;
    compressedColour.setAlphaF(compressedColour.alphaF() * 0.55);
    const QColor appColour = colours.accent5;
    const QColor cachedColour = colours.accent4;
    const QColor freeColour = colours.dim;

    const MemoryExtras* figures = shownRecord<MemoryExtras>(MemoryExtras::key);

    PopupDonut::Input donut;
    donut.tints = {wiredColour, compressedColour, appColour, cachedColour, freeColour};
    donut.centerCaption = tr("Memory");
    donut.size = 100;
    donut.innerRatio = 0.65;
    donut.inset = 1;
    MemoryPressureLevel pressure = MemoryPressureLevel::normal;
    if (figures) {
        // In doubles: byte counts restored from elsewhere may add up past 64 bits.
        const double app = double(figures->appBytes);
        const double wired = double(figures->wiredBytes);
        const double compressed = double(figures->compressedBytes);
        const double cached = double(figures->cachedBytes);
        const double total = double(figures->totalBytes);
        const double used = app + wired + compressed + (m_showCached ? cached : 0.0);
        const double percent = total > 0 ? std::min(used / total * 100, 100.0) : 0.0;
        donut.centerLabel = QString::number(ChartMath::saturatingRound(percent)) + QLatin1Char('%');
        const double free = std::max(total - (app + wired + compressed + cached), 0.0);
        const double freeFigure = m_showCached ? free : free + cached;
        donut.segments = {wired, compressed, app, m_showCached ? cached : 0.0, freeFigure};
        m_app->setValue(gigabytes(app));
        m_wired->setValue(gigabytes(wired));
        m_compressed->setValue(gigabytes(compressed));
        m_cached->setValue(gigabytes(cached));
        m_swap->setValue(gigabytes(double(figures->swapUsedBytes)));
        m_free->setValue(gigabytes(freeFigure));
        m_total->setValue(gigabytes(total));
        pressure = figures->pressure;
    } else {
        donut.centerLabel = snapshot().label;
        donut.segments = {1};
        for (PopupBreakdownRow* r : rows())
            r->setValue(QStringLiteral("-"));
    }
    m_donut->setInput(std::move(donut));

    const qreal fontSize = rowFontSize(2, 11);
    m_app->setDot(appColour);
    m_wired->setDot(wiredColour);
    m_compressed->setDot(compressedColour);
    m_cached->setDot(cachedColour);
    m_free->setDot(freeColour);
    for (PopupBreakdownRow* r : rows())
        r->setFontSize(fontSize);
    m_cachedOpacity->setOpacity(m_showCached ? 1.0 : 0.45);

    refreshSwitch(cachedColour);
    refreshPressure(pressure);
}

void MemoryDetailBody::refreshSwitch(const QColor& cachedColour)
{
    // The switch row follows the state.
    {
        const QSignalBlocker block(m_switch);
        m_switch->setChecked(m_showCached);
    }
    m_switch->setTint(cachedColour);
    const QColor switchColour =
        m_showCached ? cachedColour : DesignStyle::colour(DesignStyle::Colour::secondary, this);
    // The symbol is drawn again only when its look changes, not every second.
    const int side = int(std::ceil(QFontMetricsF(DesignStyle::systemFont(10)).height()));
    const QString symbolKey = switchColour.name(QColor::HexArgb) + QLatin1Char('/') + QString::number(side)
        + QLatin1Char('/') + QString::number(devicePixelRatioF());
    if (symbolKey != m_switchSymbolKey) {
        m_switchSymbolKey = symbolKey;
        m_switchSymbol->setPixmap(
            Symbol::pixmap(QStringLiteral("externaldrive.fill"), side, switchColour, devicePixelRatioF()));
    }
    TextLabel::setColour(m_switchLabel, switchColour);
}

void MemoryDetailBody::refreshPressure(MemoryPressureLevel pressure)
{
    // The kernel's verdict.
    DesignStyle::Colour dot = DesignStyle::Colour::green;
    QString verdict = tr("Normal");
    if (pressure == MemoryPressureLevel::warning) {
        dot = DesignStyle::Colour::yellow;
        verdict = tr("Warning");
    } else if (pressure == MemoryPressureLevel::critical) {
        dot = DesignStyle::Colour::red;
        verdict = tr("Critical");
    }
    m_pressureDot->setColour(DesignStyle::colour(dot, this));
    const QString pressureText = tr("Pressure: %1").arg(verdict);
    if (m_pressureLabel->text() != pressureText)
        m_pressureLabel->setText(pressureText);
    TextLabel::setColour(m_pressureLabel, DesignStyle::colour(DesignStyle::Colour::secondary, this));
}

} // namespace gaugelet
