#include "alarms/views/AlarmsSettingsView.h"

#include "alarms/AlarmManager.h"
#include "alarms/AlarmsPaneModel.h"
#include "alarms/SoundRegistry.h"
#include "alarms/views/AlarmRow.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"
#include "views/GroupedSection.h"
#include "views/PageScrollArea.h"
#include "views/Spacing.h"
#include "views/Symbol.h"
#include "views/TextLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace gaugelet {

namespace {

QColor withAlpha(QColor colour, qreal alpha)
{
    colour.setAlphaF(alpha);
    return colour;
}

} // namespace

AlarmsSettingsView::AlarmsSettingsView(const ViewEnvironment& env, QWidget* parent)
    : QWidget(parent), m_env(env), m_alarms(env.alarms), m_registry(env.registry),
      m_soundsObserver(SoundRegistry::didChangeNotification, [this] { soundsDidChange(); })
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_model = new AlarmsPaneModel(env.alarms, env.registry, this);
    setObjectName(QStringLiteral("AlarmsSettingsView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildBanner(layout);

    m_scroll = new PageScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("form"));
    layout->addWidget(m_scroll, 1);
    buildForm();
    applyStyle();
    refresh();

    if (m_alarms) {
        connect(m_alarms, &AlarmManager::alarmsChanged, &m_refreshTurn, &TurnCoalescer::request);
        connect(m_alarms, &AlarmManager::firingChanged, &m_refreshTurn, &TurnCoalescer::request);
    }
    if (m_registry)
        connect(m_registry, &StatRegistry::snapshotsPublisher, &m_refreshTurn, &TurnCoalescer::request);
}

// --- Building ---------------------------------------------------------------------------

void AlarmsSettingsView::buildBanner(QVBoxLayout* layout)
{
    m_banner = new QWidget(this);
    m_banner->setObjectName(QStringLiteral("pauseBanner"));
    m_banner->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(m_banner);
    row->setContentsMargins(Spacing::margins(Spacing::Step::xxl, Spacing::Step::l));
    row->setSpacing(Spacing::px(Spacing::Step::ml));
    m_bannerSymbol = new QLabel(m_banner);
    m_bannerSymbol->setContentsMargins(Spacing::top(Spacing::Step::hairline));
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
    m_rows.forget();
    m_form = new QWidget;
    m_form->setObjectName(QStringLiteral("formContent"));
    auto* form = new QVBoxLayout(m_form);
    form->setContentsMargins(Spacing::margins(Spacing::Step::xxl, Spacing::Step::l, Spacing::Step::xxl, Spacing::Step::xxl));
    form->setSpacing(0);

    auto* addSection = new GroupedSection({}, m_form, GroupedSection::Rows::compact);
    addSection->setObjectName(QStringLiteral("addSection"));
    auto* addBar = new QWidget(addSection->panel());
    auto* addLayout = new QHBoxLayout(addBar);
    addLayout->setContentsMargins(0, 0, 0, 0);
    m_addButton = new QToolButton(addBar);
    m_addButton->setObjectName(QStringLiteral("addButton"));
    m_addButton->setAutoRaise(true);
    m_addButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_addButton->setText(tr("Add alarm"));
    connect(m_addButton, &QToolButton::clicked, m_model, &AlarmsPaneModel::addAlarm);
    addLayout->addWidget(m_addButton);
    addLayout->addStretch(1);
    addSection->addRow(addBar);
    form->addWidget(addSection);

    m_countLine = new QLabel(m_form);
    m_countLine->setObjectName(QStringLiteral("countLine"));
    m_countLine->setTextFormat(Qt::PlainText);
    m_countLine->setContentsMargins(Spacing::margins(Spacing::Step::ml, Spacing::Step::xs, Spacing::Step::ml, Spacing::Step::none));
    form->addWidget(m_countLine);
    form->addSpacing(Spacing::px(Spacing::Step::xl));

    auto* emptySection = new GroupedSection({}, m_form, GroupedSection::Rows::compact);
    m_emptyState = emptySection;
    m_emptyState->setObjectName(QStringLiteral("emptyState"));
    auto* emptyBody = new QWidget(emptySection->panel());
    auto* empty = new QVBoxLayout(emptyBody);
    empty->setContentsMargins(Spacing::margins(Spacing::Step::none, Spacing::Step::xxl));
    empty->setSpacing(Spacing::px(Spacing::Step::m));
    m_emptySymbol = new QLabel(emptyBody);
    m_emptySymbol->setAlignment(Qt::AlignCenter);
    empty->addWidget(m_emptySymbol);
    m_emptyTitle = new QLabel(tr("No alarms configured"), emptyBody);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    empty->addWidget(m_emptyTitle);
    m_emptyHelp = new QLabel(tr("Tap \u201CAdd alarm\u201D to get notified when a stat crosses a threshold."),
                             emptyBody);
    m_emptyHelp->setAlignment(Qt::AlignCenter);
    m_emptyHelp->setWordWrap(true);
    empty->addWidget(m_emptyHelp);
    emptySection->addRow(emptyBody);
    form->addWidget(m_emptyState);

    m_rowsLayout = new QVBoxLayout;
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(Spacing::px(Spacing::Step::xl));
    form->addLayout(m_rowsLayout);
    form->addStretch(1);
    m_scroll->setPage(m_form);
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
        Symbol::pixmap(QStringLiteral("info.circle.fill"), Symbol::Scale::medium, blue, devicePixelRatioF()));
    m_bannerText->setFont(DesignStyle::font(DesignStyle::TextStyle::callout));
    TextLabel::setColour(m_bannerText, DesignStyle::colour(DesignStyle::Colour::primary, this));

    const QColor accent = DesignStyle::colour(DesignStyle::Colour::accent, this);
    m_addButton->setFont(DesignStyle::font(DesignStyle::TextStyle::body));
    m_addButton->setIcon(Symbol::icon(QStringLiteral("plus.circle.fill"), Symbol::Scale::medium, accent));
    m_addButton->setIconSize(QSize(Symbol::Scale::medium, Symbol::Scale::medium));
    QPalette addPalette = m_addButton->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        addPalette.setColor(group, QPalette::ButtonText, DesignStyle::colour(DesignStyle::Colour::link, this));
    m_addButton->setPalette(addPalette);

    m_countLine->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    TextLabel::setColour(m_countLine, DesignStyle::colour(DesignStyle::Colour::secondary, this));

    QFont symbolFont = DesignStyle::font(DesignStyle::TextStyle::body, 28);
    const int symbolSide = QFontMetrics(symbolFont).height();
    m_emptySymbol->setPixmap(Symbol::pixmap(QStringLiteral("bell.slash"), symbolSide,
                                         DesignStyle::colour(DesignStyle::Colour::tertiary, this),
                                         devicePixelRatioF()));
    m_emptyTitle->setFont(DesignStyle::font(DesignStyle::TextStyle::callout));
    TextLabel::setColour(m_emptyTitle, DesignStyle::colour(DesignStyle::Colour::secondary, this));
    m_emptyHelp->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    TextLabel::setColour(m_emptyHelp, DesignStyle::colour(DesignStyle::Colour::tertiary, this));
}

void AlarmsSettingsView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationFontChange)
        applyStyle();
}

// --- Updating ------------------------------------------------------------------------------

void AlarmsSettingsView::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const qsizetype count = m_model->count();
    m_addButton->setEnabled(m_model->canAdd());
    m_addButton->setToolTip(AlarmsPaneModel::addHelpText(count));
    m_countLine->setText(AlarmsPaneModel::countLineText(count));
    m_emptyState->setVisible(count == 0);

    // One row per alarm id, in list order; rows of alarms that are gone go
    // at once (their editors clear their editing mark on the way).
    const QList<QUuid> ids = m_model->rowIds();
    const QList<AlarmRow*> ordered =
        m_rows.reconcile(ids, [this](const QUuid& id) { return new AlarmRow(id, m_env, m_form); });
    KeyedRows<QUuid, AlarmRow>::place(m_rowsLayout, ordered);
    for (AlarmRow* row : ordered) {
        row->refresh();
        if (!row->isVisible() && isVisible())
            row->show();
    }
}

void AlarmsSettingsView::soundsDidChange()
{
    ++m_soundsRev;
    m_rebuildTurn.request();
}

void AlarmsSettingsView::rebuild()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    ++m_rebuildCount;
    const int scrolled = m_scroll->verticalScrollBar()->value();
    // The old contents go before the new ones come on screen, so the old
    // editors clear their marks before the new ones set theirs.
    QWidget* old = m_scroll->takeWidget();
    m_rows.forget();
    delete old;
    buildForm();
    applyStyle();
    refresh();
    m_scroll->verticalScrollBar()->setValue(scrolled);
}

} // namespace gaugelet
