#include "alarms/views/AlarmsSettingsView.h"

#include "alarms/AlarmManager.h"
#include "alarms/AlarmSymbol.h"
#include "alarms/SoundRegistry.h"
#include "alarms/views/AlarmFormSection.h"
#include "alarms/views/AlarmRow.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QToolButton>
#include <QVBoxLayout>

namespace gaugelet {

namespace {

void setForeground(QWidget* widget, DesignStyle::Colour colour, const QWidget* from)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, DesignStyle::colour(colour, from));
    widget->setPalette(palette);
}

QColor withAlpha(QColor colour, qreal alpha)
{
    colour.setAlphaF(alpha);
    return colour;
}

} // namespace

AlarmsSettingsView::AlarmsSettingsView(const ViewEnvironment& env, QWidget* parent)
    : QWidget(parent), m_env(env), m_alarms(env.alarms), m_registry(env.registry)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setObjectName(QStringLiteral("AlarmsSettingsView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildBanner(layout);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("form"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The form shows the window's background, not a content background of its own.
    m_scroll->viewport()->setAutoFillBackground(false);
    layout->addWidget(m_scroll, 1);
    buildForm();
    applyStyle();
    refresh();

    if (m_alarms) {
        connect(m_alarms, &AlarmManager::alarmsChanged, this, &AlarmsSettingsView::scheduleRefresh);
        connect(m_alarms, &AlarmManager::firingChanged, this, &AlarmsSettingsView::scheduleRefresh);
    }
    if (m_registry)
        connect(m_registry, &StatRegistry::snapshotsPublisher, this, &AlarmsSettingsView::scheduleRefresh);
    m_soundsObserver = NotificationCenter::defaultCenter().observe(
        SoundRegistry::didChangeNotification, this, [this](const NotificationCenter::Notification&) {
            if (isMainThread())
                soundsDidChange();
            else
                QMetaObject::invokeMethod(this, [this] { soundsDidChange(); }, Qt::QueuedConnection);
        });
}

AlarmsSettingsView::~AlarmsSettingsView()
{
    NotificationCenter::defaultCenter().removeObserver(m_soundsObserver);
}

// --- Building ---------------------------------------------------------------------------

void AlarmsSettingsView::buildBanner(QVBoxLayout* layout)
{
    m_banner = new QWidget(this);
    m_banner->setObjectName(QStringLiteral("pauseBanner"));
    m_banner->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(m_banner);
    row->setContentsMargins(16, 12, 16, 12);
    row->setSpacing(10);
    m_bannerSymbol = new QLabel(m_banner);
    m_bannerSymbol->setContentsMargins(0, 1, 0, 0);
    row->addWidget(m_bannerSymbol, 0, Qt::AlignTop);
    m_bannerText = new QLabel(m_banner);
    m_bannerText->setObjectName(QStringLiteral("bannerText"));
    m_bannerText->setTextFormat(Qt::PlainText);
    m_bannerText->setWordWrap(true);
    m_bannerText->setText(tr("Alarms with an expanded row are paused while you\u2019re editing them. They arm again "
                             "as soon as you collapse the row or close this window."));
    row->addWidget(m_bannerText, 1, Qt::AlignTop);
    layout->addWidget(m_banner);
    m_bannerLine = new QWidget(this);
    m_bannerLine->setFixedHeight(1);
    m_bannerLine->setAutoFillBackground(true);
    layout->addWidget(m_bannerLine);
}

void AlarmsSettingsView::buildForm()
{
    m_rows.clear();
    m_form = new QWidget;
    m_form->setObjectName(QStringLiteral("formContent"));
    auto* form = new QVBoxLayout(m_form);
    form->setContentsMargins(16, 12, 16, 16);
    form->setSpacing(0);

    auto* addSection = new AlarmFormSection(m_form);
    addSection->setObjectName(QStringLiteral("addSection"));
    auto* addLayout = new QHBoxLayout(addSection);
    addLayout->setContentsMargins(0, 0, 0, 0);
    m_addButton = new QToolButton(addSection);
    m_addButton->setObjectName(QStringLiteral("addButton"));
    m_addButton->setAutoRaise(true);
    m_addButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_addButton->setText(tr("Add alarm"));
    connect(m_addButton, &QToolButton::clicked, this, [this] { addAlarm(); });
    addLayout->addWidget(m_addButton);
    addLayout->addStretch(1);
    form->addWidget(addSection);

    m_countLine = new QLabel(m_form);
    m_countLine->setObjectName(QStringLiteral("countLine"));
    m_countLine->setTextFormat(Qt::PlainText);
    m_countLine->setContentsMargins(10, 4, 10, 0);
    form->addWidget(m_countLine);
    form->addSpacing(14);

    m_emptyState = new AlarmFormSection(m_form);
    m_emptyState->setObjectName(QStringLiteral("emptyState"));
    auto* empty = new QVBoxLayout(m_emptyState);
    empty->setContentsMargins(0, 16, 0, 16);
    empty->setSpacing(8);
    m_emptySymbol = new QLabel(m_emptyState);
    m_emptySymbol->setAlignment(Qt::AlignCenter);
    empty->addWidget(m_emptySymbol);
    m_emptyTitle = new QLabel(tr("No alarms configured"), m_emptyState);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    empty->addWidget(m_emptyTitle);
    m_emptyHelp = new QLabel(tr("Tap \u201CAdd alarm\u201D to get notified when a stat crosses a threshold."),
                             m_emptyState);
    m_emptyHelp->setAlignment(Qt::AlignCenter);
    m_emptyHelp->setWordWrap(true);
    empty->addWidget(m_emptyHelp);
    form->addWidget(m_emptyState);

    m_rowsLayout = new QVBoxLayout;
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(14);
    form->addLayout(m_rowsLayout);
    form->addStretch(1);
    m_scroll->setWidget(m_form);
}

void AlarmsSettingsView::applyStyle()
{
    const QColor blue = DesignStyle::colour(DesignStyle::Colour::blue, this);
    QPalette bannerPalette = m_banner->palette();
    bannerPalette.setColor(QPalette::Window, withAlpha(blue, 0.12));
    m_banner->setPalette(bannerPalette);
    QPalette linePalette = m_bannerLine->palette();
    linePalette.setColor(QPalette::Window, withAlpha(blue, 0.25));
    m_bannerLine->setPalette(linePalette);
    m_bannerSymbol->setPixmap(
        alarmSymbol(QStringLiteral("info.circle.fill"), AlarmSymbolScale::medium, blue, devicePixelRatioF()));
    m_bannerText->setFont(DesignStyle::font(DesignStyle::TextStyle::callout));
    setForeground(m_bannerText, DesignStyle::Colour::primary, this);

    const QColor accent = DesignStyle::colour(DesignStyle::Colour::accent, this);
    m_addButton->setFont(DesignStyle::font(DesignStyle::TextStyle::body));
    m_addButton->setIcon(alarmSymbolIcon(QStringLiteral("plus.circle.fill"), AlarmSymbolScale::medium, accent));
    m_addButton->setIconSize(QSize(AlarmSymbolScale::medium, AlarmSymbolScale::medium));
    QPalette addPalette = m_addButton->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        addPalette.setColor(group, QPalette::ButtonText, DesignStyle::colour(DesignStyle::Colour::link, this));
    m_addButton->setPalette(addPalette);

    m_countLine->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    setForeground(m_countLine, DesignStyle::Colour::secondary, this);

    QFont symbolFont = DesignStyle::font(DesignStyle::TextStyle::body, 28);
    const int symbolSide = QFontMetrics(symbolFont).height();
    m_emptySymbol->setPixmap(alarmSymbol(QStringLiteral("bell.slash"), symbolSide,
                                         DesignStyle::colour(DesignStyle::Colour::tertiary, this),
                                         devicePixelRatioF()));
    m_emptyTitle->setFont(DesignStyle::font(DesignStyle::TextStyle::callout));
    setForeground(m_emptyTitle, DesignStyle::Colour::secondary, this);
    m_emptyHelp->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    setForeground(m_emptyHelp, DesignStyle::Colour::tertiary, this);
}

void AlarmsSettingsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationFontChange)
        applyStyle();
}

// --- Texts ---------------------------------------------------------------------------------

QString AlarmsSettingsView::countLineText(qsizetype count)
{
    // Plain text, not localised.
    return QString::number(count) + QStringLiteral(" of ") + QString::number(alarmCap)
        + QStringLiteral(" alarms configured.");
}

QString AlarmsSettingsView::addHelpText(qsizetype count)
{
    if (count < alarmCap)
        return tr("Add a threshold alarm.");
    return tr("Soft cap reached (%1). Delete one to add another.").arg(alarmCap);
}

// --- Updating ------------------------------------------------------------------------------

void AlarmsSettingsView::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPending = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void AlarmsSettingsView::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const QList<Alarm> alarms = m_alarms ? m_alarms->alarms() : QList<Alarm>{};
    const bool hasProviders = m_registry && !m_registry->providers().empty();

    m_addButton->setEnabled(hasProviders && alarms.size() < alarmCap);
    m_addButton->setToolTip(addHelpText(alarms.size()));
    m_countLine->setText(countLineText(alarms.size()));
    m_emptyState->setVisible(alarms.isEmpty());

    // One row per alarm id, in list order; rows of alarms that are gone go
    // at once (their editors clear their editing mark on the way).
    QList<QUuid> ids;
    QSet<QUuid> seen;
    for (const Alarm& alarm : alarms) {
        if (!seen.contains(alarm.id)) {
            seen.insert(alarm.id);
            ids.append(alarm.id);
        }
    }
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (!seen.contains((*it)->alarmId())) {
            delete *it;
            it = m_rows.erase(it);
        } else {
            ++it;
        }
    }
    QList<AlarmRow*> ordered;
    ordered.reserve(ids.size());
    for (const QUuid& id : std::as_const(ids)) {
        AlarmRow* row = nullptr;
        for (AlarmRow* existing : std::as_const(m_rows)) {
            if (existing->alarmId() == id) {
                row = existing;
                break;
            }
        }
        if (!row)
            row = new AlarmRow(id, m_env, m_form);
        ordered.append(row);
    }
    if (ordered != m_rows) {
        for (AlarmRow* row : std::as_const(ordered))
            m_rowsLayout->removeWidget(row);
        for (AlarmRow* row : std::as_const(ordered))
            m_rowsLayout->addWidget(row);
        m_rows = ordered;
    }
    for (AlarmRow* row : std::as_const(m_rows)) {
        row->refresh();
        if (!row->isVisible() && isVisible())
            row->show();
    }
}

void AlarmsSettingsView::soundsDidChange()
{
    ++m_soundsRev;
    scheduleRebuild();
}

void AlarmsSettingsView::scheduleRebuild()
{
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_rebuildPending = false;
            rebuild();
        },
        Qt::QueuedConnection);
}

void AlarmsSettingsView::rebuild()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    ++m_rebuildCount;
    const int scrolled = m_scroll->verticalScrollBar()->value();
    // The old contents go before the new ones come on screen, so the old
    // editors clear their marks before the new ones set theirs.
    QWidget* old = m_scroll->takeWidget();
    m_rows.clear();
    delete old;
    buildForm();
    applyStyle();
    refresh();
    m_scroll->verticalScrollBar()->setValue(scrolled);
}

// --- Adding --------------------------------------------------------------------------------

void AlarmsSettingsView::addAlarm()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_alarms || !m_registry || m_registry->providers().empty())
        return;
    const auto& provider = m_registry->providers().front();
    Alarm alarm;
    alarm.id = QUuid::createUuid();
    alarm.providerId = provider->id();
    alarm.threshold = 0.8;
    alarm.direction = Alarm::Direction::above;
    const double refresh = provider->refreshInterval();
    alarm.repeatInterval = std::isnan(refresh) ? 10.0 : std::max(refresh, 10.0);
    alarm.enabled = true;
    alarm.notify = true;
    alarm.notifySnoozeMinutes = 15;
    QList<Alarm> list = m_alarms->alarms();
    list.append(alarm);
    m_alarms->setAlarms(list);
}

} // namespace gaugelet
