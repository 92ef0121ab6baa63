#include "alarms/views/AlarmRow.h"

#include "alarms/AlarmLine.h"
#include "alarms/AlarmManager.h"
#include "alarms/AlarmSymbol.h"
#include "alarms/views/AlarmRowEditor.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"

#include <QCheckBox>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <cmath>
#include <limits>

namespace gaugelet {

namespace {

// Truncates toward zero, saturating at the integer range; NaN gives 0.
qint64 saturatingTruncate(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9223372036854775807.0; // 2^63, the first double past the range
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(std::trunc(value));
}

void setForeground(QWidget* widget, DesignStyle::Colour colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, DesignStyle::colour(colour, widget->parentWidget()));
    widget->setPalette(palette);
}

} // namespace

QList<AlarmRow::RepeatPreset> AlarmRow::repeatPresets()
{
    return {
        {tr("10 seconds"), 10},  {tr("30 seconds"), 30},  {tr("1 minute"), 60},
        {tr("5 minutes"), 300}, {tr("15 minutes"), 900}, {tr("1 hour"), 3600},
    };
}

QList<AlarmRow::SnoozePreset> AlarmRow::snoozePresets()
{
    return {
        {tr("1 minute"), 1}, {tr("5 minutes"), 5}, {tr("15 minutes"), 15}, {tr("30 minutes"), 30}, {tr("1 hour"), 60},
    };
}

AlarmRow::AlarmRow(const QUuid& alarmId, const ViewEnvironment& env, QWidget* parent)
    : AlarmFormSection(parent), m_alarmId(alarmId), m_env(env), m_alarms(env.alarms), m_registry(env.registry)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setObjectName(QStringLiteral("AlarmRow"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("content"));
    outer->addWidget(m_content);
    m_contentLayout = new QVBoxLayout(m_content);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(0);
    m_opacity = new QGraphicsOpacityEffect(m_content);
    m_opacity->setOpacity(1.0);
    m_opacity->setEnabled(false);
    m_content->setGraphicsEffect(m_opacity);
    buildHeader();
    m_chevronAnimation = new QVariantAnimation(this);
    m_chevronAnimation->setDuration(150);
    m_chevronAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_chevronAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& angle) {
        m_chevronAngle = angle.toDouble();
        drawChevron();
    });
    applyStyle();
    refresh();
    setEditorShown(m_expanded);
}

AlarmRow::~AlarmRow()
{
    // The editor goes first, while the row it reads is still whole.
    delete m_editor;
    m_editor = nullptr;
}

// --- Row operations ---------------------------------------------------------------

std::optional<qsizetype> AlarmRow::index() const
{
    if (!m_alarms)
        return std::nullopt;
    const QList<Alarm>& list = m_alarms->alarms();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).id == m_alarmId)
            return i;
    }
    return std::nullopt;
}

std::optional<Alarm> AlarmRow::alarm() const
{
    const auto i = index();
    if (!i)
        return std::nullopt;
    return m_alarms->alarms().at(*i);
}

bool AlarmRow::modify(const std::function<void(Alarm&)>& change)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto i = index();
    if (!i)
        return false;
    QList<Alarm> list = m_alarms->alarms();
    change(list[*i]);
    m_alarms->setAlarms(list);
    return true;
}

bool AlarmRow::providerLoaded() const
{
    const auto a = alarm();
    return a && m_registry && m_registry->provider(a->providerId) != nullptr;
}

QString AlarmRow::providerName() const
{
    const auto a = alarm();
    if (!a)
        return {};
    StatProvider* provider = m_registry ? m_registry->provider(a->providerId) : nullptr;
    return provider ? provider->displayName() : a->providerId;
}

double AlarmRow::minRepeatInterval() const
{
    const auto a = alarm();
    if (!a)
        return 1.0;
    StatProvider* provider = m_registry ? m_registry->provider(a->providerId) : nullptr;
    const double refresh = provider ? provider->refreshInterval() : 1.0;
    // A refresh interval that is not a number counts as none.
    return std::isnan(refresh) ? 1.0 : std::max(refresh, 1.0);
}

QString AlarmRow::summaryLine() const
{
    const auto a = alarm();
    return a ? alarmLine(*a, m_registry) : QString();
}

QString AlarmRow::detailLine() const
{
    const auto a = alarm();
    if (!a)
        return {};
    const QString every = tr("every %1").arg(durationLabel(a->repeatInterval));
    const QString banner = a->notify ? tr("banner on") : tr("sound only");
    const QString snooze = tr("snooze %1m").arg(a->notifySnoozeMinutes);
    return every + QStringLiteral(" \u00B7 ") + banner + QStringLiteral(" \u00B7 ") + snooze;
}

QString AlarmRow::durationLabel(double seconds)
{
    if (std::isnan(seconds))
        seconds = 0;
    if (seconds < 60)
        return QString::number(saturatingTruncate(seconds)) + QLatin1Char('s');
    if (seconds < 3600)
        return QString::number(saturatingTruncate(seconds / 60)) + QLatin1Char('m');
    return QString::number(saturatingTruncate(seconds / 3600)) + QLatin1Char('h');
}

QList<AlarmRow::RepeatPreset> AlarmRow::repeatChoices() const
{
    const double floor = minRepeatInterval();
    QList<RepeatPreset> choices;
    for (const RepeatPreset& preset : repeatPresets()) {
        if (preset.seconds >= floor)
            choices.append(preset);
    }
    return choices;
}

// --- Header -------------------------------------------------------------------------

void AlarmRow::buildHeader()
{
    auto* header = new QWidget(m_content);
    header->setObjectName(QStringLiteral("header"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);

    m_enabledSwitch = new QCheckBox(header);
    m_enabledSwitch->setObjectName(QStringLiteral("enabledSwitch"));
    m_enabledSwitch->setAccessibleName(tr("Enabled"));
    // Only the user's click writes; loading the switch is blocked.
    connect(m_enabledSwitch, &QCheckBox::clicked, this, [this](bool on) {
        // An open row whose switch the user flips is the row being edited.
        if (m_editor)
            m_editor->takeEditingMark();
        setField(&Alarm::enabled, on);
    });
    row->addWidget(m_enabledSwitch, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(2);
    auto* summaryRow = new QHBoxLayout;
    summaryRow->setContentsMargins(0, 0, 0, 0);
    summaryRow->setSpacing(6);
    m_firingMark = new QLabel(header);
    m_firingMark->setObjectName(QStringLiteral("firingMark"));
    m_firingMark->setFixedSize(6, 6);
    m_firingMark->setToolTip(tr("Currently firing"));
    summaryRow->addWidget(m_firingMark, 0, Qt::AlignVCenter);
    m_summary = new QLabel(header);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    summaryRow->addWidget(m_summary, 1);
    texts->addLayout(summaryRow);
    m_detail = new QLabel(header);
    m_detail->setObjectName(QStringLiteral("detail"));
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    texts->addWidget(m_detail);
    row->addLayout(texts, 1);
    row->addSpacing(8);

    auto makeButton = [header](const QString& name, const QString& help) {
        auto* button = new QToolButton(header);
        button->setObjectName(name);
        button->setAutoRaise(true);
        button->setToolTip(help);
        button->setAccessibleName(help);
        button->setFocusPolicy(Qt::TabFocus);
        return button;
    };
    m_testButton = makeButton(QStringLiteral("testButton"), tr("Test sound and notification"));
    connect(m_testButton, &QToolButton::clicked, this, [this] { testAlarm(); });
    row->addWidget(m_testButton);
    m_deleteButton = makeButton(QStringLiteral("deleteButton"), tr("Delete alarm"));
    connect(m_deleteButton, &QToolButton::clicked, this, [this] { deleteAlarm(); });
    row->addWidget(m_deleteButton);
    m_expandButton = makeButton(QStringLiteral("expandButton"), tr("Collapse"));
    connect(m_expandButton, &QToolButton::clicked, this, [this] { toggleExpanded(); });
    row->addWidget(m_expandButton);

    m_contentLayout->addWidget(header);
}

void AlarmRow::applyStyle()
{
    QFont summaryFont = DesignStyle::font(DesignStyle::TextStyle::body);
    summaryFont.setWeight(QFont::Medium);
    m_summary->setFont(summaryFont);
    m_detail->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    setForeground(m_detail, DesignStyle::Colour::secondary);

    QPixmap dot(12, 12);
    dot.setDevicePixelRatio(2.0);
    dot.fill(Qt::transparent);
    {
        QPainter p(&dot);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(DesignStyle::colour(DesignStyle::Colour::red, this));
        p.drawEllipse(QRectF(0, 0, 6, 6));
    }
    m_firingMark->setPixmap(dot);

    const QColor plain = DesignStyle::colour(DesignStyle::Colour::secondary, this);
    m_testButton->setIcon(alarmSymbolIcon(QStringLiteral("play.circle"), AlarmSymbolScale::large, plain));
    m_testButton->setIconSize(QSize(AlarmSymbolScale::large, AlarmSymbolScale::large));
    m_deleteButton->setIcon(alarmSymbolIcon(QStringLiteral("trash"), AlarmSymbolScale::medium,
                                            DesignStyle::colour(DesignStyle::Colour::red, this)));
    m_deleteButton->setIconSize(QSize(AlarmSymbolScale::medium, AlarmSymbolScale::medium));
    drawChevron();
}

void AlarmRow::drawChevron()
{
    // Pointing down when expanded, right (turned by −90°) when collapsed,
    // turned about its centre.
    const QColor plain = DesignStyle::colour(DesignStyle::Colour::secondary, this);
    const QPixmap chevron = alarmSymbol(QStringLiteral("chevron.down"), AlarmSymbolScale::small, plain, 2.0);
    if (chevron.isNull())
        return;
    QPixmap turned(chevron.size());
    turned.setDevicePixelRatio(chevron.devicePixelRatio());
    turned.fill(Qt::transparent);
    {
        const QSizeF side = chevron.deviceIndependentSize();
        QPainter p(&turned);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(side.width() / 2.0, side.height() / 2.0);
        p.rotate(m_chevronAngle);
        p.translate(-side.width() / 2.0, -side.height() / 2.0);
        p.drawPixmap(QPointF(0, 0), chevron);
    }
    m_expandButton->setIcon(QIcon(turned));
    m_expandButton->setIconSize(QSize(AlarmSymbolScale::small, AlarmSymbolScale::small));
}

void AlarmRow::changeEvent(QEvent* event)
{
    AlarmFormSection::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationFontChange)
        applyStyle();
}

qreal AlarmRow::contentOpacity() const
{
    return m_opacity->isEnabled() ? m_opacity->opacity() : 1.0;
}

// --- Actions ------------------------------------------------------------------------

void AlarmRow::testAlarm()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_alarms && m_drawnAlarm)
        m_alarms->preview(*m_drawnAlarm);
}

void AlarmRow::deleteAlarm()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_alarms)
        return;
    QList<Alarm> list = m_alarms->alarms();
    list.removeIf([this](const Alarm& a) { return a.id == m_alarmId; });
    m_alarms->setAlarms(list);
}

void AlarmRow::toggleExpanded()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_expanded = !m_expanded;
    setEditorShown(m_expanded);
    m_expandButton->setToolTip(m_expanded ? tr("Collapse") : tr("Expand"));
    m_expandButton->setAccessibleName(m_expandButton->toolTip());
    // The chevron turns with an ease-in-out of 0.15 s.
    m_chevronAnimation->stop();
    m_chevronAnimation->setStartValue(m_chevronAngle);
    m_chevronAnimation->setEndValue(m_expanded ? 0.0 : -90.0);
    m_chevronAnimation->start();
}

void AlarmRow::setEditorShown(bool shown)
{
    if (shown && !m_editor) {
        m_editor = new AlarmRowEditor(this, m_content);
        m_contentLayout->addWidget(m_editor);
        m_editor->refresh();
        // On screen at once (a layout would show it only on the next turn),
        // so its slider takes the editing mark as the row expands.
        if (m_content->isVisible())
            m_editor->show();
    } else if (!shown && m_editor) {
        // Gone at once, so its slider's mark is cleared before anything else runs.
        delete m_editor;
        m_editor = nullptr;
    }
    updateGeometry();
}

void AlarmRow::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto a = alarm();
    m_drawnAlarm = a;
    // An alarm that is gone draws nothing: the row is about to disappear.
    m_content->setVisible(a.has_value());
    if (!a)
        return;
    {
        const QSignalBlocker block(m_enabledSwitch);
        m_enabledSwitch->setChecked(a->enabled);
    }
    const bool firing = m_alarms && m_alarms->firing().contains(m_alarmId);
    m_firingMark->setVisible(firing);
    m_summary->setText(summaryLine());
    m_detail->setText(detailLine());
    const bool loaded = providerLoaded();
    m_opacity->setEnabled(!loaded);
    m_opacity->setOpacity(loaded ? 1.0 : 0.6);
    if (m_editor)
        m_editor->refresh();
}

} // namespace gaugelet
