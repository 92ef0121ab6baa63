#include "alarms/views/AlarmRow.h"

#include "alarms/AlarmEditorModel.h"
#include "alarms/AlarmManager.h"
#include "alarms/SoundRegistry.h"
#include "alarms/views/AlarmRowEditor.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"
#include "views/Symbol.h"
#include "views/TextLabel.h"

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

namespace gaugelet {

AlarmRow::AlarmRow(const QUuid& alarmId, const ViewEnvironment& env, QWidget* parent)
    : GroupedSection({}, parent, Rows::compact), m_alarmId(alarmId), m_env(env), m_alarms(env.alarms)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    // The sounds as they are when the row is built; the pane rebuilds every
    // row when they change.
    m_model = new AlarmEditorModel(env.alarms, env.registry, alarmId, SoundRegistry::allSounds(), this);
    setObjectName(QStringLiteral("AlarmRow"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    m_content = new QWidget(panel());
    m_content->setObjectName(QStringLiteral("content"));
    addRow(m_content);
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

// --- Header -------------------------------------------------------------------------

void AlarmRow::buildHeader()
{
    auto* header = new QWidget(m_content);
    header->setObjectName(QStringLiteral("header"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(Spacing::px(Spacing::Step::ml));

    m_enabledSwitch = new QCheckBox(header);
    m_enabledSwitch->setObjectName(QStringLiteral("enabledSwitch"));
    m_enabledSwitch->setAccessibleName(tr("Enabled"));
    // Only the user's click writes; loading the switch is blocked.
    connect(m_enabledSwitch, &QCheckBox::clicked, this, [this](bool on) {
        // An open row whose switch the user flips is the row being edited.
        if (m_editor)
            m_model->takeEditingMark();
        m_model->setEnabled(on);
    });
    row->addWidget(m_enabledSwitch, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(Spacing::px(Spacing::Step::xxs));
    auto* summaryRow = new QHBoxLayout;
    summaryRow->setContentsMargins(0, 0, 0, 0);
    summaryRow->setSpacing(Spacing::px(Spacing::Step::s));
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
    row->addSpacing(Spacing::px(Spacing::Step::m));

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
    TextLabel::setColour(m_detail, DesignStyle::Colour::secondary);

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
    m_testButton->setIcon(Symbol::icon(QStringLiteral("play.circle"), Symbol::Scale::large, plain));
    m_testButton->setIconSize(QSize(Symbol::Scale::large, Symbol::Scale::large));
    m_deleteButton->setIcon(Symbol::icon(QStringLiteral("trash"), Symbol::Scale::medium,
                                            DesignStyle::colour(DesignStyle::Colour::red, this)));
    m_deleteButton->setIconSize(QSize(Symbol::Scale::medium, Symbol::Scale::medium));
    drawChevron();
}

void AlarmRow::drawChevron()
{
    // Pointing down when expanded, right (turned by −90°) when collapsed,
    // turned about its centre.
    const QColor plain = DesignStyle::colour(DesignStyle::Colour::secondary, this);
    const QPixmap chevron = Symbol::pixmap(QStringLiteral("chevron.down"), Symbol::Scale::small, plain, 2.0);
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
    m_expandButton->setIconSize(QSize(Symbol::Scale::small, Symbol::Scale::small));
}

void AlarmRow::changeEvent(QEvent* event)
{
    GroupedSection::changeEvent(event);
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
    m_model->deleteAlarm();
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
        m_editor = new AlarmRowEditor(m_model, m_content);
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
    const auto a = m_model->alarm();
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
    m_summary->setText(m_model->summaryLine());
    m_detail->setText(m_model->detailLine());
    const bool loaded = m_model->providerLoaded();
    m_opacity->setEnabled(!loaded);
    m_opacity->setOpacity(loaded ? 1.0 : 0.6);
    if (m_editor)
        m_editor->refresh();
}

} // namespace gaugelet
