#include "alarms/views/AlarmRowEditor.h"

#include "alarms/AlarmManager.h"
#include "alarms/AlarmSymbol.h"
#include "alarms/views/AlarmMenuPicker.h"
#include "alarms/views/AlarmRow.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"
#include "views/WheelGuard.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace gaugelet {

namespace {

enum DirectionId { aboveId = 0, belowId = 1 };

void setForeground(QWidget* widget, DesignStyle::Colour colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, DesignStyle::colour(colour, widget->parentWidget()));
    widget->setPalette(palette);
}

// What the repeat menu shows for a stored interval: the engine treats a
// negative or undefined interval as 0 (it fires at every flush) and an
// infinite one as the longest there is.
double shownRepeat(double seconds)
{
    if (std::isnan(seconds) || seconds < 0)
        return 0;
    if (std::isinf(seconds))
        return std::numeric_limits<double>::max();
    return seconds;
}

// The slider's position for a stored threshold, clamped to its 0…1 range.
int sliderPosition(double threshold)
{
    if (std::isnan(threshold))
        return 0;
    const double clamped = std::clamp(threshold, 0.0, 1.0);
    return int(std::lround(clamped * AlarmRowEditor::sliderScale));
}

} // namespace

AlarmRowEditor::AlarmRowEditor(AlarmRow* row, QWidget* parent)
    : QWidget(parent), m_row(row), m_alarmId(row->alarmId()), m_alarms(row->manager()),
      m_sounds(SoundRegistry::allSounds())
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setObjectName(QStringLiteral("AlarmRowEditor"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);

    // Trigger.
    m_layout->addWidget(divider());
    m_layout->addWidget(sectionHeader(tr("Trigger")));

    m_sourcePicker = new AlarmMenuPicker(this);
    m_sourcePicker->setObjectName(QStringLiteral("sourcePicker"));
    connect(m_sourcePicker, &AlarmMenuPicker::chosen, this,
            [this](const QVariant& tag) { chooseSource(tag.toString()); });
    m_layout->addWidget(fieldRow(QStringLiteral("chart.line.uptrend.xyaxis"), tr("Source"), m_sourcePicker));

    auto* segments = new QWidget(this);
    segments->setObjectName(QStringLiteral("directionPicker"));
    segments->setFixedWidth(160);
    auto* segmentsLayout = new QHBoxLayout(segments);
    segmentsLayout->setContentsMargins(0, 0, 0, 0);
    segmentsLayout->setSpacing(0);
    m_directionGroup = new QButtonGroup(this);
    m_directionGroup->setExclusive(true);
    m_aboveButton = new QPushButton(tr("Above"), segments);
    m_belowButton = new QPushButton(tr("Below"), segments);
    for (QPushButton* button : {m_aboveButton, m_belowButton}) {
        button->setCheckable(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        segmentsLayout->addWidget(button);
    }
    m_aboveButton->setObjectName(QStringLiteral("above"));
    m_belowButton->setObjectName(QStringLiteral("below"));
    m_directionGroup->addButton(m_aboveButton, aboveId);
    m_directionGroup->addButton(m_belowButton, belowId);
    connect(m_directionGroup, &QButtonGroup::idClicked, this, [this](int id) { chooseDirection(id); });
    m_layout->addWidget(fieldRow(QStringLiteral("arrow.up.arrow.down"), tr("Direction"), segments));

    auto* threshold = new QWidget(this);
    threshold->setObjectName(QStringLiteral("thresholdControl"));
    threshold->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* thresholdLayout = new QHBoxLayout(threshold);
    thresholdLayout->setContentsMargins(0, 0, 0, 0);
    thresholdLayout->setSpacing(8);
    m_slider = new QSlider(Qt::Horizontal, threshold);
    m_slider->setObjectName(QStringLiteral("thresholdSlider"));
    m_slider->setRange(0, sliderScale);
    m_slider->setSingleStep(sliderScale / 100);
    m_slider->setPageStep(sliderScale / 10);
    m_slider->setMinimumWidth(140);
    m_slider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    WheelGuard::install(m_slider);
    m_slider->installEventFilter(this);
    thresholdLayout->addWidget(m_slider, 1);
    m_thresholdText = new QLabel(threshold);
    m_thresholdText->setObjectName(QStringLiteral("thresholdText"));
    m_thresholdText->setTextFormat(Qt::PlainText);
    m_thresholdText->setFixedWidth(44);
    m_thresholdText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    thresholdLayout->addWidget(m_thresholdText);
    // Only the user moves the slider: a drag, a click on the groove, a key.
    // Every intermediate value is written; the end of a drag adds nothing.
    connect(m_slider, &QSlider::sliderPressed, this, [this] { takeEditingMark(); });
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderNoAction)
            return;
        moveThreshold(double(m_slider->sliderPosition()) / sliderScale);
    });
    m_layout->addWidget(fieldRow(QStringLiteral("slider.horizontal.below.rectangle"), tr("Threshold"), threshold));

    m_repeatPicker = new AlarmMenuPicker(this);
    m_repeatPicker->setObjectName(QStringLiteral("repeatPicker"));
    connect(m_repeatPicker, &AlarmMenuPicker::chosen, this,
            [this](const QVariant& tag) { chooseRepeat(tag.toDouble()); });
    m_layout->addWidget(fieldRow(QStringLiteral("repeat"), tr("Repeat every"), m_repeatPicker));

    // Notification.
    m_layout->addWidget(divider());
    m_layout->addWidget(sectionHeader(tr("Notification")));

    auto* soundRow = new QWidget(this);
    soundRow->setObjectName(QStringLiteral("soundRow"));
    soundRow->setMaximumWidth(280);
    auto* soundLayout = new QHBoxLayout(soundRow);
    soundLayout->setContentsMargins(0, 0, 0, 0);
    soundLayout->setSpacing(6);
    soundLayout->addStretch(1);
    m_soundPicker = new AlarmMenuPicker(soundRow);
    m_soundPicker->setObjectName(QStringLiteral("soundPicker"));
    connect(m_soundPicker, &AlarmMenuPicker::chosen, this,
            [this](const QVariant& tag) { chooseSound(tag.toString()); });
    soundLayout->addWidget(m_soundPicker);
    m_resetButton = new QToolButton(soundRow);
    m_resetButton->setObjectName(QStringLiteral("resetSound"));
    m_resetButton->setAutoRaise(true);
    m_resetButton->setToolTip(tr("Reset to the default bundled sound."));
    m_resetButton->setAccessibleName(m_resetButton->toolTip());
    connect(m_resetButton, &QToolButton::clicked, this, [this] { resetSound(); });
    soundLayout->addWidget(m_resetButton);
    m_layout->addWidget(fieldRow(QStringLiteral("speaker.wave.2"), tr("Sound"), soundRow));

    m_soundWarning = warning(QStringLiteral("exclamationmark.triangle.fill"), m_soundWarningText, 22, 0);
    m_soundWarning->setObjectName(QStringLiteral("soundWarning"));
    m_soundWarningSymbol = m_soundWarning->findChild<QLabel*>(QStringLiteral("symbol"));
    m_soundWarningText->setText(tr("Sound file moved or unreadable. Pick a new one."));
    m_layout->addWidget(m_soundWarning);

    m_notifySwitch = new QCheckBox(this);
    m_notifySwitch->setObjectName(QStringLiteral("notifySwitch"));
    m_notifySwitch->setAccessibleName(tr("Banner notification"));
    connect(m_notifySwitch, &QCheckBox::clicked, this, [this](bool on) { setNotify(on); });
    m_layout->addWidget(fieldRow(QStringLiteral("bell"), tr("Banner notification"), m_notifySwitch));

    m_snoozePicker = new AlarmMenuPicker(this);
    m_snoozePicker->setObjectName(QStringLiteral("snoozePicker"));
    connect(m_snoozePicker, &AlarmMenuPicker::chosen, this,
            [this](const QVariant& tag) { chooseSnooze(tag.toLongLong()); });
    m_layout->addWidget(fieldRow(QStringLiteral("moon.zzz"), tr("Snooze duration"), m_snoozePicker));

    m_sourceWarning = warning(QStringLiteral("exclamationmark.circle.fill"), m_sourceWarningText, 0, 4);
    m_sourceWarning->setObjectName(QStringLiteral("sourceWarning"));
    m_sourceWarningSymbol = m_sourceWarning->findChild<QLabel*>(QStringLiteral("symbol"));
    m_layout->addWidget(m_sourceWarning);

    applyStyle();
}

AlarmRowEditor::~AlarmRowEditor()
{
    // However the editor goes (collapse, deletion, the pane or the window
    // closing), it never leaves its alarm silenced.
    clearEditingMark();
}

// --- Building blocks ------------------------------------------------------------------

QWidget* AlarmRowEditor::divider()
{
    auto* holder = new QWidget(this);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 10, 0, 10);
    auto* line = new QFrame(holder);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    layout->addWidget(line);
    m_dividers.append(line);
    return holder;
}

QLabel* AlarmRowEditor::sectionHeader(const QString& title)
{
    auto* label = new QLabel(title.toUpper(), this);
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(0, 0, 0, 4);
    m_headers.append(label);
    return label;
}

QWidget* AlarmRowEditor::fieldRow(const QString& symbol, const QString& title, QWidget* control)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(8);
    auto* symbolLabel = new QLabel(row);
    symbolLabel->setFixedWidth(16);
    symbolLabel->setAlignment(Qt::AlignCenter);
    m_fieldSymbols.append({symbolLabel, symbol});
    layout->addWidget(symbolLabel);
    auto* titleLabel = new QLabel(title, row);
    titleLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(titleLabel);
    layout->addSpacing(12);
    layout->addStretch(1);
    control->setParent(row);
    // The control's label is hidden; its field's title names it.
    if (control->accessibleName().isEmpty())
        control->setAccessibleName(title);
    const bool grows = control->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag;
    layout->addWidget(control, grows ? 3 : 0);
    return row;
}

QWidget* AlarmRowEditor::warning(const QString& symbol, QLabel*& text, int leading, int top)
{
    auto* holder = new QWidget(this);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(leading, top, 0, 0);
    layout->setSpacing(6);
    auto* symbolLabel = new QLabel(holder);
    symbolLabel->setObjectName(QStringLiteral("symbol"));
    symbolLabel->setProperty("symbolName", symbol);
    layout->addWidget(symbolLabel, 0, Qt::AlignVCenter);
    text = new QLabel(holder);
    text->setObjectName(QStringLiteral("text"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    layout->addWidget(text, 1, Qt::AlignVCenter);
    holder->setVisible(false);
    return holder;
}

void AlarmRowEditor::applyStyle()
{
    const QColor separator = DesignStyle::colour(DesignStyle::Colour::separator, this);
    for (QWidget* line : std::as_const(m_dividers)) {
        QPalette p = line->palette();
        p.setColor(QPalette::Window, separator);
        line->setPalette(p);
    }
    QFont headerFont = DesignStyle::font(DesignStyle::TextStyle::caption2);
    headerFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    for (QLabel* header : std::as_const(m_headers)) {
        header->setFont(headerFont);
        setForeground(header, DesignStyle::Colour::tertiary);
    }
    const QColor secondary = DesignStyle::colour(DesignStyle::Colour::secondary, this);
    for (const auto& [label, symbol] : std::as_const(m_fieldSymbols))
        label->setPixmap(alarmSymbol(symbol, AlarmSymbolScale::small, secondary, devicePixelRatioF()));
    m_resetButton->setIcon(
        alarmSymbolIcon(QStringLiteral("arrow.uturn.backward.circle"), AlarmSymbolScale::medium, secondary));
    m_resetButton->setIconSize(QSize(AlarmSymbolScale::medium, AlarmSymbolScale::medium));
    const QColor orange = DesignStyle::colour(DesignStyle::Colour::orange, this);
    const QFont caption = DesignStyle::font(DesignStyle::TextStyle::caption);
    for (QLabel* symbol : {m_soundWarningSymbol, m_sourceWarningSymbol}) {
        symbol->setPixmap(alarmSymbol(symbol->property("symbolName").toString(), AlarmSymbolScale::small, orange,
                                      devicePixelRatioF()));
    }
    for (QLabel* text : {m_soundWarningText, m_sourceWarningText}) {
        text->setFont(caption);
        setForeground(text, DesignStyle::Colour::secondary);
    }
    m_thresholdText->setFont(DesignStyle::monospacedDigits(DesignStyle::font(DesignStyle::TextStyle::callout)));
    setForeground(m_thresholdText, DesignStyle::Colour::secondary);
    styleSegments();
    // The sound menu marks installed sounds with a star. One icon for the
    // editor's life, so a refresh finds the menu unchanged and leaves it be.
    m_installedIcon = alarmSymbolIcon(QStringLiteral("star.fill"), AlarmSymbolScale::small, secondary);
    if (m_soundPicker->count() > 0)
        refresh();
}

void AlarmRowEditor::styleSegments()
{
    // The selected segment in the accent colour, the other as a plain button.
    const QColor accent = DesignStyle::colour(DesignStyle::Colour::accent, this);
    for (QPushButton* button : {m_aboveButton, m_belowButton}) {
        QPalette p = palette();
        if (button->isChecked()) {
            for (auto group : {QPalette::Active, QPalette::Inactive}) {
                p.setColor(group, QPalette::Button, accent);
                p.setColor(group, QPalette::ButtonText, palette().color(group, QPalette::HighlightedText));
            }
        }
        button->setPalette(p);
    }
}

void AlarmRowEditor::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationFontChange)
        applyStyle();
}

// --- The editing mark --------------------------------------------------------------------

bool AlarmRowEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_slider) {
        switch (event->type()) {
        case QEvent::Show:
            // A window the window system restores shows its contents again;
            // only the program showing the slider marks the alarm.
            if (!event->spontaneous())
                setEditingMark();
            break;
        case QEvent::Hide:
            // Minimising is not the user collapsing the row.
            if (!event->spontaneous())
                clearEditingMark();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void AlarmRowEditor::setEditingMark()
{
    if (m_alarms && m_row->alarm())
        m_alarms->setEditingAlarmId(m_alarmId);
}

void AlarmRowEditor::clearEditingMark()
{
    if (m_alarms && m_alarms->editingAlarmId() == m_alarmId)
        m_alarms->setEditingAlarmId(std::nullopt);
}

void AlarmRowEditor::takeEditingMark()
{
    setEditingMark();
}

// --- Reading ------------------------------------------------------------------------------

std::optional<SoundRegistry::Sound> AlarmRowEditor::soundById(const QString& id) const
{
    for (const SoundRegistry::Sound& sound : m_sounds) {
        if (sound.id == id)
            return sound;
    }
    return std::nullopt;
}

std::optional<SoundRegistry::Sound> AlarmRowEditor::defaultSound() const
{
    if (auto sound = soundById(SoundRegistry::defaultSoundId))
        return sound;
    if (!m_sounds.isEmpty())
        return m_sounds.first();
    return std::nullopt;
}

QString AlarmRowEditor::soundValue() const
{
    const auto fallback = [this] {
        const auto sound = defaultSound();
        return sound ? sound->id : QString();
    };
    const auto a = m_row->alarm();
    if (!a)
        return fallback();
    if (a->soundBookmark)
        return customSoundTag;
    if (a->bundledSoundId && soundById(*a->bundledSoundId))
        return *a->bundledSoundId;
    return fallback();
}

QString AlarmRowEditor::customSoundName() const
{
    const auto a = m_row->alarm();
    const auto url = a && m_alarms ? m_alarms->resolveSoundURL(*a) : std::nullopt;
    if (!url)
        return tr("missing");
    return QFileInfo(url->path()).completeBaseName();
}

void AlarmRowEditor::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto a = m_row->alarm();
    if (!a)
        return; // the row is about to go; its controls keep what they show
    StatRegistry* registry = m_row->registry();

    // Source.
    QList<AlarmMenuPicker::Item> sources;
    const bool known = registry && registry->provider(a->providerId);
    if (!a->providerId.isEmpty() && !known) {
        sources.append(AlarmMenuPicker::Item::entry(tr("%1 (not loaded)").arg(a->providerId), a->providerId));
        sources.append(AlarmMenuPicker::Item::separator());
    }
    if (registry) {
        for (const auto& provider : registry->providers())
            sources.append(AlarmMenuPicker::Item::entry(provider->displayName(), provider->id()));
    }
    m_sourcePicker->load(sources, a->providerId);

    // Direction.
    {
        const QSignalBlocker blockAbove(m_aboveButton);
        const QSignalBlocker blockBelow(m_belowButton);
        (a->direction == Alarm::Direction::above ? m_aboveButton : m_belowButton)->setChecked(true);
    }
    styleSegments();

    // Threshold: a stored value outside 0…1 shows at the slider's end and
    // stays stored until the user moves the slider.
    if (!m_slider->isSliderDown()) {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(sliderPosition(a->threshold));
    }
    m_thresholdText->setText(QString::number(saturatingRound(a->threshold * 100.0)) + QLatin1Char('%'));

    // Repeat.
    const double repeat = shownRepeat(a->repeatInterval);
    QList<AlarmMenuPicker::Item> repeats;
    const auto choices = m_row->repeatChoices();
    const bool preset = std::any_of(choices.cbegin(), choices.cend(),
                                    [repeat](const AlarmRow::RepeatPreset& p) { return p.seconds == repeat; });
    if (!preset) {
        repeats.append(AlarmMenuPicker::Item::entry(tr("%1 (custom)").arg(AlarmRow::durationLabel(repeat)), repeat));
        repeats.append(AlarmMenuPicker::Item::separator());
    }
    for (const AlarmRow::RepeatPreset& choice : choices)
        repeats.append(AlarmMenuPicker::Item::entry(choice.label, choice.seconds));
    m_repeatPicker->load(repeats, repeat);
    double floor = m_row->minRepeatInterval();
    m_repeatPicker->setToolTip(tr("Bounded by the source's refresh rate (%1s).")
                                   .arg(std::isfinite(floor) ? qint64(std::trunc(floor)) : std::numeric_limits<qint64>::max()));

    // Sound.
    QList<AlarmMenuPicker::Item> sounds;
    if (a->soundBookmark) {
        sounds.append(AlarmMenuPicker::Item::entry(tr("Custom: %1").arg(customSoundName()), customSoundTag));
        sounds.append(AlarmMenuPicker::Item::separator());
    }
    const QIcon& star = m_installedIcon;
    for (const SoundRegistry::Sound& sound : std::as_const(m_sounds)) {
        const bool installed = sound.source.kind == SoundRegistry::Sound::Source::Kind::installed;
        sounds.append(AlarmMenuPicker::Item::entry(sound.displayName, sound.id, installed ? star : QIcon()));
    }
    if (m_sounds.isEmpty())
        sounds.append(AlarmMenuPicker::Item::entry(tr("(no bundled sounds)"), noSoundTag));
    m_soundPicker->load(sounds, soundValue());
    m_resetButton->setVisible(a->soundBookmark.has_value() || a->bundledSoundId.has_value());
    m_soundWarning->setVisible(a->soundBookmark && m_alarms && !m_alarms->resolveSoundURL(*a));

    // Banner.
    {
        const QSignalBlocker block(m_notifySwitch);
        m_notifySwitch->setChecked(a->notify);
    }

    // Snooze: at least a minute is shown; the stored value stays until the user chooses.
    const qint64 snooze = std::max<qint64>(a->notifySnoozeMinutes, 1);
    QList<AlarmMenuPicker::Item> snoozes;
    const auto snoozePresets = AlarmRow::snoozePresets();
    const bool snoozePreset = std::any_of(snoozePresets.cbegin(), snoozePresets.cend(),
                                          [snooze](const AlarmRow::SnoozePreset& p) { return p.minutes == snooze; });
    if (!snoozePreset) {
        snoozes.append(AlarmMenuPicker::Item::entry(tr("%1 min (custom)").arg(snooze), QVariant::fromValue(snooze)));
        snoozes.append(AlarmMenuPicker::Item::separator());
    }
    for (const AlarmRow::SnoozePreset& p : snoozePresets)
        snoozes.append(AlarmMenuPicker::Item::entry(p.label, QVariant::fromValue(p.minutes)));
    m_snoozePicker->load(snoozes, QVariant::fromValue(snooze));

    // Source warning.
    const bool loaded = m_row->providerLoaded();
    m_sourceWarning->setVisible(!loaded);
    if (!loaded)
        m_sourceWarningText->setText(tr("Source \u201C%1\u201D is not loaded. Alarm is disabled.").arg(a->providerId));
}

// --- Writing --------------------------------------------------------------------------------

void AlarmRowEditor::chooseSource(const QString& providerId)
{
    takeEditingMark();
    if (!m_row->setField(&Alarm::providerId, providerId))
        return;
    StatRegistry* registry = m_row->registry();
    StatProvider* provider = registry ? registry->provider(providerId) : nullptr;
    if (!provider)
        return;
    const double refresh = provider->refreshInterval();
    const double floor = std::isnan(refresh) ? 1.0 : std::max(refresh, 1.0);
    const auto a = m_row->alarm();
    // Raised to the new source's floor, never lowered.
    if (a && a->repeatInterval < floor)
        m_row->setField(&Alarm::repeatInterval, floor);
}

void AlarmRowEditor::chooseDirection(int direction)
{
    takeEditingMark();
    const Alarm::Direction value = direction == belowId ? Alarm::Direction::below : Alarm::Direction::above;
    // Pressing the segment that is already selected chooses nothing.
    if (m_row->field(&Alarm::direction, value) != value)
        m_row->setField(&Alarm::direction, value);
}

void AlarmRowEditor::moveThreshold(double threshold)
{
    takeEditingMark();
    const double value = std::isnan(threshold) ? 0.0 : std::clamp(threshold, 0.0, 1.0);
    if (m_row->setField(&Alarm::threshold, value))
        m_thresholdText->setText(QString::number(saturatingRound(value * 100.0)) + QLatin1Char('%'));
}

void AlarmRowEditor::chooseRepeat(double seconds)
{
    takeEditingMark();
    const double floor = m_row->minRepeatInterval();
    m_row->setField(&Alarm::repeatInterval, std::isnan(seconds) ? floor : std::max(seconds, floor));
}

void AlarmRowEditor::chooseSound(const QString& tag)
{
    takeEditingMark();
    // The custom entry stands for the stored file: choosing it changes nothing.
    if (tag == customSoundTag || !m_row->alarm())
        return;
    m_row->setField(&Alarm::soundBookmark, std::optional<QByteArray>());
    m_row->setField(&Alarm::bundledSoundId, std::optional<QString>(tag));
}

void AlarmRowEditor::resetSound()
{
    takeEditingMark();
    if (!m_row->alarm())
        return;
    m_row->setField(&Alarm::soundBookmark, std::optional<QByteArray>());
    m_row->setField(&Alarm::bundledSoundId, std::optional<QString>());
}

void AlarmRowEditor::setNotify(bool on)
{
    takeEditingMark();
    m_row->setField(&Alarm::notify, on);
}

void AlarmRowEditor::chooseSnooze(qint64 minutes)
{
    takeEditingMark();
    m_row->setField(&Alarm::notifySnoozeMinutes, std::max<qint64>(minutes, 1));
}

} // namespace gaugelet
