#include "alarms/views/AlarmRowEditor.h"

#include "alarms/views/AlarmMenuPicker.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "views/Divider.h"
#include "views/Spacing.h"
#include "views/Symbol.h"
#include "views/TextLabel.h"
#include "views/ValueLabel.h"
#include "views/WheelGuard.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace gaugelet {

namespace {

enum DirectionId { aboveId = 0, belowId = 1 };

// The slider's position for a stored threshold, clamped to its 0…1 range.
int sliderPosition(double threshold)
{
    if (std::isnan(threshold))
        return 0;
    const double clamped = std::clamp(threshold, 0.0, 1.0);
    return int(std::lround(clamped * AlarmRowEditor::sliderScale));
}

} // namespace

AlarmRowEditor::AlarmRowEditor(AlarmEditorModel* model, QWidget* parent) : QWidget(parent), m_model(model)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setObjectName(QStringLiteral("AlarmRowEditor"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    buildTriggerGroup();
    buildNotificationGroup();
    applyStyle();
}

AlarmRowEditor::~AlarmRowEditor()
{
    // However the editor goes (collapse, deletion, the pane or the window
    // closing), it never leaves its alarm silenced.
    m_model->releaseEditingMark();
}

void AlarmRowEditor::buildTriggerGroup()
{
    m_layout->addWidget(divider());
    m_layout->addWidget(sectionHeader(tr("Trigger")));

    m_sourcePicker = addPickerRow(QStringLiteral("sourcePicker"), QStringLiteral("chart.line.uptrend.xyaxis"),
                                  tr("Source"), [this](const QVariant& tag) { m_model->chooseSource(tag.toString()); });

    auto* segments = new QWidget(this);
    segments->setObjectName(QStringLiteral("directionPicker"));
    // 160 wide, or as wide as the two words need in a larger font.
    segments->setMinimumWidth(160);
    segments->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* segmentsLayout = new QHBoxLayout(segments);
    segmentsLayout->setContentsMargins(0, 0, 0, 0);
    segmentsLayout->setSpacing(0);
    auto* directionGroup = new QButtonGroup(this);
    directionGroup->setExclusive(true);
    m_aboveButton = new QPushButton(tr("Above"), segments);
    m_belowButton = new QPushButton(tr("Below"), segments);
    for (QPushButton* button : {m_aboveButton, m_belowButton}) {
        button->setCheckable(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        segmentsLayout->addWidget(button);
    }
    m_aboveButton->setObjectName(QStringLiteral("above"));
    m_belowButton->setObjectName(QStringLiteral("below"));
    directionGroup->addButton(m_aboveButton, aboveId);
    directionGroup->addButton(m_belowButton, belowId);
    connect(directionGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_model->chooseDirection(id == belowId ? Alarm::Direction::below : Alarm::Direction::above);
    });
    m_layout->addWidget(fieldRow(QStringLiteral("arrow.up.arrow.down"), tr("Direction"), segments));

    auto* threshold = new QWidget(this);
    threshold->setObjectName(QStringLiteral("thresholdControl"));
    threshold->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* thresholdLayout = new QHBoxLayout(threshold);
    thresholdLayout->setContentsMargins(0, 0, 0, 0);
    thresholdLayout->setSpacing(Spacing::px(Spacing::Step::m));
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
    // Callout digits, 44 points wide at least: as wide as "100%".
    auto* thresholdText = new ValueLabel(DesignStyle::TextStyle::callout, 44, threshold);
    thresholdText->setRange(0, 100, [](int percent) { return AlarmEditorModel::thresholdText(percent / 100.0); });
    m_thresholdText = thresholdText;
    m_thresholdText->setObjectName(QStringLiteral("thresholdText"));
    thresholdLayout->addWidget(m_thresholdText);
    // Only the user moves the slider: a drag, a click on the groove, a key.
    // Every intermediate value is written; the end of a drag adds nothing.
    connect(m_slider, &QSlider::sliderPressed, m_model, &AlarmEditorModel::takeEditingMark);
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action == QAbstractSlider::SliderNoAction)
            return;
        if (m_model->moveThreshold(double(m_slider->sliderPosition()) / sliderScale))
            m_thresholdText->setText(AlarmEditorModel::thresholdText(m_model->field(&Alarm::threshold, 0.0)));
    });
    m_layout->addWidget(fieldRow(QStringLiteral("slider.horizontal.below.rectangle"), tr("Threshold"), threshold));

    m_repeatPicker = addPickerRow(QStringLiteral("repeatPicker"), QStringLiteral("repeat"), tr("Repeat every"),
                                  [this](const QVariant& tag) { m_model->chooseRepeat(tag.toDouble()); });
}

void AlarmRowEditor::buildNotificationGroup()
{
    m_layout->addWidget(divider());
    m_layout->addWidget(sectionHeader(tr("Notification")));

    auto* soundRow = new QWidget(this);
    soundRow->setObjectName(QStringLiteral("soundRow"));
    soundRow->setMaximumWidth(280);
    auto* soundLayout = new QHBoxLayout(soundRow);
    soundLayout->setContentsMargins(0, 0, 0, 0);
    soundLayout->setSpacing(Spacing::px(Spacing::Step::s));
    soundLayout->addStretch(1);
    m_soundPicker = new AlarmMenuPicker(soundRow);
    m_soundPicker->setObjectName(QStringLiteral("soundPicker"));
    connect(m_soundPicker, &AlarmMenuPicker::chosen, this,
            [this](const QVariant& tag) { m_model->chooseSound(tag.toString()); });
    soundLayout->addWidget(m_soundPicker);
    m_resetButton = new QToolButton(soundRow);
    m_resetButton->setObjectName(QStringLiteral("resetSound"));
    m_resetButton->setAutoRaise(true);
    m_resetButton->setToolTip(tr("Reset to the default bundled sound."));
    m_resetButton->setAccessibleName(m_resetButton->toolTip());
    connect(m_resetButton, &QToolButton::clicked, m_model, &AlarmEditorModel::resetSound);
    soundLayout->addWidget(m_resetButton);
    m_layout->addWidget(fieldRow(QStringLiteral("speaker.wave.2"), tr("Sound"), soundRow));

    m_soundWarning = addWarning(QStringLiteral("soundWarning"), QStringLiteral("exclamationmark.triangle.fill"),
                                Spacing::leading(Spacing::Step::xxxl));
    m_soundWarning.text->setText(tr("Sound file moved or unreadable. Pick a new one."));

    m_notifySwitch = new QCheckBox(this);
    m_notifySwitch->setObjectName(QStringLiteral("notifySwitch"));
    m_notifySwitch->setAccessibleName(tr("Banner notification"));
    connect(m_notifySwitch, &QCheckBox::clicked, m_model, &AlarmEditorModel::setNotify);
    m_layout->addWidget(fieldRow(QStringLiteral("bell"), tr("Banner notification"), m_notifySwitch));

    m_snoozePicker = addPickerRow(QStringLiteral("snoozePicker"), QStringLiteral("moon.zzz"), tr("Snooze duration"),
                                  [this](const QVariant& tag) { m_model->chooseSnooze(tag.toLongLong()); });

    m_sourceWarning = addWarning(QStringLiteral("sourceWarning"), QStringLiteral("exclamationmark.circle.fill"),
                                 Spacing::top(Spacing::Step::xs));
}

// --- Building blocks ------------------------------------------------------------------

QWidget* AlarmRowEditor::divider()
{
    auto* holder = new QWidget(this);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(Spacing::margins(Spacing::Step::none, Spacing::Step::ml));
    layout->addWidget(new Divider(holder));
    return holder;
}

QLabel* AlarmRowEditor::sectionHeader(const QString& title)
{
    auto* label = new QLabel(title.toUpper(), this);
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(Spacing::bottom(Spacing::Step::xs));
    m_headers.append(label);
    return label;
}

QWidget* AlarmRowEditor::fieldRow(const QString& symbol, const QString& title, QWidget* control)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(Spacing::margins(Spacing::Step::none, Spacing::Step::xxs));
    layout->setSpacing(Spacing::px(Spacing::Step::m));
    auto* symbolLabel = new QLabel(row);
    symbolLabel->setFixedWidth(16);
    symbolLabel->setAlignment(Qt::AlignCenter);
    m_fieldSymbols.append({symbolLabel, symbol});
    layout->addWidget(symbolLabel);
    auto* titleLabel = new QLabel(title, row);
    titleLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(titleLabel);
    layout->addSpacing(Spacing::px(Spacing::Step::l));
    layout->addStretch(1);
    control->setParent(row);
    // The control's label is hidden; its field's title names it.
    if (control->accessibleName().isEmpty())
        control->setAccessibleName(title);
    const bool grows = control->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag;
    layout->addWidget(control, grows ? 3 : 0);
    return row;
}

AlarmMenuPicker* AlarmRowEditor::addPickerRow(const QString& name, const QString& symbol, const QString& title,
                                              const std::function<void(const QVariant&)>& choose)
{
    auto* picker = new AlarmMenuPicker(this);
    picker->setObjectName(name);
    connect(picker, &AlarmMenuPicker::chosen, this, choose);
    m_layout->addWidget(fieldRow(symbol, title, picker));
    return picker;
}

AlarmRowEditor::Warning AlarmRowEditor::addWarning(const QString& name, const QString& symbol, const QMargins& margins)
{
    Warning warning{new QWidget(this), nullptr, nullptr, symbol};
    warning.holder->setObjectName(name);
    auto* layout = new QHBoxLayout(warning.holder);
    layout->setContentsMargins(margins);
    layout->setSpacing(Spacing::px(Spacing::Step::s));
    warning.symbolLabel = new QLabel(warning.holder);
    warning.symbolLabel->setObjectName(QStringLiteral("symbol"));
    layout->addWidget(warning.symbolLabel, 0, Qt::AlignVCenter);
    warning.text = new QLabel(warning.holder);
    warning.text->setObjectName(QStringLiteral("text"));
    warning.text->setTextFormat(Qt::PlainText);
    warning.text->setWordWrap(true);
    layout->addWidget(warning.text, 1, Qt::AlignVCenter);
    warning.holder->setVisible(false);
    m_layout->addWidget(warning.holder);
    return warning;
}

void AlarmRowEditor::applyStyle()
{
    QFont headerFont = DesignStyle::font(DesignStyle::TextStyle::caption2);
    headerFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    for (QLabel* header : std::as_const(m_headers)) {
        header->setFont(headerFont);
        TextLabel::setColour(header, DesignStyle::Colour::tertiary);
    }
    const QColor secondary = DesignStyle::colour(DesignStyle::Colour::secondary, this);
    for (const auto& [label, symbol] : std::as_const(m_fieldSymbols))
        label->setPixmap(Symbol::pixmap(symbol, Symbol::Scale::small, secondary, devicePixelRatioF()));
    m_resetButton->setIcon(
        Symbol::icon(QStringLiteral("arrow.uturn.backward.circle"), Symbol::Scale::medium, secondary));
    m_resetButton->setIconSize(QSize(Symbol::Scale::medium, Symbol::Scale::medium));
    const QColor orange = DesignStyle::colour(DesignStyle::Colour::orange, this);
    const QFont caption = DesignStyle::font(DesignStyle::TextStyle::caption);
    for (const Warning* warning : {&m_soundWarning, &m_sourceWarning}) {
        warning->symbolLabel->setPixmap(
            Symbol::pixmap(warning->symbol, Symbol::Scale::small, orange, devicePixelRatioF()));
        warning->text->setFont(caption);
        TextLabel::setColour(warning->text, DesignStyle::Colour::secondary);
    }
    TextLabel::setColour(m_thresholdText, DesignStyle::Colour::secondary);
    styleSegments();
    // The sound menu marks installed sounds with a star. One icon for the
    // editor's life, so a refresh finds the menu unchanged and leaves it be.
    m_installedIcon = Symbol::icon(QStringLiteral("star.fill"), Symbol::Scale::small, secondary);
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
                m_model->takeEditingMark();
            break;
        case QEvent::Hide:
            // Minimising is not the user collapsing the row.
            if (!event->spontaneous())
                m_model->releaseEditingMark();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- Reading ------------------------------------------------------------------------------

void AlarmRowEditor::load(AlarmMenuPicker* picker, const QList<AlarmEditorModel::MenuEntry>& entries,
                          const QVariant& current)
{
    QList<AlarmMenuPicker::Item> items;
    items.reserve(entries.size());
    for (const AlarmEditorModel::MenuEntry& entry : entries) {
        items.append(entry.divider ? AlarmMenuPicker::Item::separator()
                                   : AlarmMenuPicker::Item::entry(entry.text, entry.tag,
                                                                  entry.installed ? m_installedIcon : QIcon()));
    }
    picker->load(items, current);
}

void AlarmRowEditor::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto a = m_model->alarm();
    if (!a)
        return; // the row is about to go; its controls keep what they show

    load(m_sourcePicker, m_model->sourceEntries(), a->providerId);
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
    m_thresholdText->setText(AlarmEditorModel::thresholdText(a->threshold));
    load(m_repeatPicker, m_model->repeatEntries(), m_model->repeatValue());
    m_repeatPicker->setToolTip(m_model->repeatHelp());
    load(m_soundPicker, m_model->soundEntries(), m_model->soundValue());
    m_resetButton->setVisible(m_model->resetShown());
    m_soundWarning.holder->setVisible(m_model->soundWarningShown());
    {
        const QSignalBlocker block(m_notifySwitch);
        m_notifySwitch->setChecked(a->notify);
    }
    load(m_snoozePicker, m_model->snoozeEntries(), QVariant::fromValue(m_model->snoozeValue()));
    const QString sourceWarning = m_model->sourceWarning();
    m_sourceWarning.holder->setVisible(!sourceWarning.isEmpty());
    if (!sourceWarning.isEmpty())
        m_sourceWarning.text->setText(sourceWarning);
}

} // namespace gaugelet
