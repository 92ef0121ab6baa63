#include "settings/general/GeneralTab.h"

#include "platform/core/InfoDictionary.h"
#include "platform/core/MainThread.h"
#include "platform/core/WallClock.h"
#include "platform/style/DesignStyle.h"
#include "settings/general/AboutFigures.h"
#include "settings/general/AppBundleSizeMB.h"
#include "settings/general/BackupFlowModel.h"
#include "settings/general/BackupPanels.h"
#include "settings/general/UpdateStatusModel.h"
#include "settings/shared/ScrollingPage.h"
#include "settings/shared/SetLaunchAtLogin.h"
#include "views/GroupedSection.h"
#include "views/Spacing.h"
#include "views/Spinner.h"
#include "views/TextLabel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace gaugelet {

namespace {

using Style = DesignStyle::TextStyle;
using Colour = DesignStyle::Colour;

// A row of the form: its own horizontal layout with the form's row height
// (the section pads it above and below).
QWidget* makeRow(QHBoxLayout*& layout)
{
    auto* row = new QWidget;
    layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(Spacing::Step::m));
    row->setMinimumHeight(Spacing::scaled(24));
    return row;
}

// A section of the form at the end of column, under its header when it has one.
GroupedSection* addSection(QWidget* form, QVBoxLayout* column, const QString& header)
{
    if (!header.isEmpty())
        column->addSpacing(Spacing::px(Spacing::Step::ml));
    auto* section = new GroupedSection(header, form);
    column->addWidget(section);
    return section;
}

// The turning indicator that stands in for the check button's icon, in points.
constexpr int kSpinnerSide = 16;

QLabel* plainLabel(const QString& text, Style style, QWidget* parent = nullptr)
{
    return TextLabel::make(text, style, Colour::primary, parent);
}

QLabel* captionLabel(const QString& text)
{
    auto* label = plainLabel(text, Style::caption);
    label->setWordWrap(true);
    return label;
}

// A push button, named for tests and screenshots.
QPushButton* namedButton(const QString& text, const QString& name)
{
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    return button;
}

// A row of the form with buttons at its leading edge.
QWidget* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    QHBoxLayout* h = nullptr;
    QWidget* row = makeRow(h);
    for (QPushButton* button : buttons)
        h->addWidget(button);
    h->addStretch(1);
    return row;
}

} // namespace

GeneralTab::GeneralTab(SparkleUpdater* updater, bool launchAtLogin, QWidget* parent)
    : QWidget(parent), m_launchAtLogin(launchAtLogin),
      m_loginObserver(launchAtLoginChangedNotification, [this] { refreshLaunchAtLogin(); })
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_panelRunner = BackupPanels::runFileDialog;
    m_alertPresenter = BackupPanels::showAlert;
    m_measureBundle = [] { return appBundleSizeMB(); };
    m_updates = new UpdateStatusModel(updater, this);
    m_backup = new BackupFlowModel(this);
    build();
    connect(m_updates, &UpdateStatusModel::changed, &m_refreshTurn, &TurnCoalescer::request);
    connect(m_backup, &BackupFlowModel::alertRaised, this, &GeneralTab::presentAlert);
    refreshUpdates();
    refreshColours();
}

void GeneralTab::build()
{
    auto* form = new QWidget;
    addScrollingPage(this, form);
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(Spacing::margins(Spacing::Step::xxl, Spacing::Step::l));
    column->setSpacing(Spacing::px(Spacing::Step::xs));
    buildLaunchAtLogin(form, column);
    buildAbout(form, column);
    buildUpdates(form, column);
    buildBackup(form, column);
    column->addStretch(1);
}

void GeneralTab::buildLaunchAtLogin(QWidget* form, QVBoxLayout* column)
{
    QHBoxLayout* h = nullptr;
    {
        GroupedSection* section = addSection(form, column, {});
        QWidget* row = makeRow(h);
        m_launchToggle = new QCheckBox(tr("Launch at login"), row);
        m_launchToggle->setObjectName(QStringLiteral("launchAtLogin"));
        {
            const QSignalBlocker quiet(m_launchToggle);
            m_launchToggle->setChecked(m_launchAtLogin);
        }
        // clicked fires for the user's changes only, never for the seeding above.
        connect(m_launchToggle, &QCheckBox::clicked, this, [this](bool checked) {
            m_launchAtLogin = checked;
            setLaunchAtLogin(checked);
        });
        h->addWidget(m_launchToggle);
        h->addStretch(1);
        section->addRow(row);
    }
}

void GeneralTab::buildAbout(QWidget* form, QVBoxLayout* column)
{
    QHBoxLayout* h = nullptr;
    {
        GroupedSection* section = addSection(form, column, tr("About"));
        QWidget* versionRow = makeRow(h);
        h->addWidget(plainLabel(tr("Current version"), Style::body));
        h->addStretch(1);
        auto* version = plainLabel(versionText(), Style::body);
        version->setFont(DesignStyle::monospacedDigits(version->font()));
        version->setObjectName(QStringLiteral("currentVersion"));
        m_secondaryLabels.append(version);
        h->addWidget(version);
        section->addRow(versionRow);

        auto* figures = new AboutFigures({
            {QString::number(m_bundleMB), tr("MB bundle")},
            {QString::number(runtimeDependencyCount), tr("runtime deps")},
            {QStringLiteral("~") + QString::number(idleMemoryMB), tr("MB memory")},
            {QStringLiteral("~") + QString::asprintf("%.2f", idleCPUPercent), tr("% CPU idle")},
        });
        m_secondaryLabels.append(figures->captions());
        m_bundleValue = figures->values().first();
        section->addRow(figures);

        addCaption(section,
                   tr("Built on Qt and a few Linux libraries: QCoro, libsodium, libplist and libsndfile. Memory and "
                      "CPU are the idle footprint of four number tiles over a minute, from the latest committed "
                      "benchmark."));
    }
}

void GeneralTab::buildUpdates(QWidget* form, QVBoxLayout* column)
{
    QHBoxLayout* h = nullptr;
    {
        GroupedSection* section = addSection(form, column, tr("Updates"));
        QWidget* statusRow = makeRow(h);
        auto* statusTitle = plainLabel(tr("Status"), Style::body);
        h->addWidget(statusTitle);
        auto* status = new QWidget;
        auto* statusLayout = new QHBoxLayout(status);
        statusLayout->setContentsMargins(0, 0, 0, 0);
        statusLayout->setSpacing(Spacing::px(Spacing::Step::s));
        m_statusLabel = plainLabel({}, Style::body);
        m_statusLabel->setObjectName(QStringLiteral("updateStatus"));
        m_statusLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_statusLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        m_checkedLabel = plainLabel({}, Style::caption);
        m_checkedLabel->setObjectName(QStringLiteral("updateChecked"));
        m_secondaryLabels.append(m_checkedLabel);
        statusLayout->addWidget(m_statusLabel);
        statusLayout->addWidget(m_checkedLabel);
        h->addWidget(status, 1);
        section->addRow(statusRow);

        m_checkButton = namedButton(tr("Check for updates"), QStringLiteral("checkForUpdates"));
        connect(m_checkButton, &QPushButton::clicked, m_updates, &UpdateStatusModel::checkNow);
        m_installButton = namedButton(tr("Install update…"), QStringLiteral("installUpdate"));
        connect(m_installButton, &QPushButton::clicked, m_updates, &UpdateStatusModel::installUpdate);
        section->addRow(buttonRow({m_checkButton, m_installButton}));

        m_updateCaption = addCaption(section, tr("Gaugelet only contacts the update server when you click Check for "
                                                 "updates or open the app. It will never download or install an "
                                                 "update without your confirmation."));

        m_spinner = new QTimer(this);
        m_spinner->setInterval(Spinner::kIntervalMs);
        connect(m_spinner, &QTimer::timeout, this, [this] {
            m_spinnerStep = (m_spinnerStep + 1) % Spinner::kSpokes;
            m_checkButton->setIcon(Spinner::frame(m_spinnerStep, m_checkButton->palette().color(QPalette::ButtonText),
                                                  devicePixelRatioF(), kSpinnerSide));
        });
        // "checked 5 minutes ago" moves on while the tab is on screen.
        m_checkedTicker = new QTimer(this);
        m_checkedTicker->setInterval(30'000);
        connect(m_checkedTicker, &QTimer::timeout, this, &GeneralTab::refreshUpdates);
    }
}

void GeneralTab::buildBackup(QWidget* form, QVBoxLayout* column)
{
    GroupedSection* section = addSection(form, column, tr("Backup & restore"));
    auto* save = namedButton(tr("Save settings…"), QStringLiteral("saveSettings"));
    connect(save, &QPushButton::clicked, this, &GeneralTab::saveSettings);
    auto* load = namedButton(tr("Load settings…"), QStringLiteral("loadSettings"));
    connect(load, &QPushButton::clicked, this, &GeneralTab::loadSettings);
    section->addRow(buttonRow({save, load}));

    addCaption(section,
               tr("Save bundles every pin, alarm, theme, tag, and tile-styling preference into a single file you can "
                  "move to another computer or stash before experimenting. Load replaces the live settings with the "
                  "file's contents and relaunches."));
}

QLabel* GeneralTab::addCaption(GroupedSection* section, const QString& text)
{
    auto* caption = captionLabel(text);
    caption->setContentsMargins(Spacing::vertical(Spacing::Step::xs, Spacing::Step::s));
    m_secondaryLabels.append(caption);
    section->addRow(caption);
    return caption;
}

QString GeneralTab::versionText()
{
    return InfoDictionary::string(InfoDictionary::shortVersionKey).value_or(QStringLiteral("dev"));
}

void GeneralTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Measured each time the tab comes on screen, after its first paint: the
    // figure reads 0 until then.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            return;
        m_bundleMB = std::max(0, m_measureBundle ? m_measureBundle() : 0);
        m_bundleValue->setText(QString::number(m_bundleMB));
    });
    refreshUpdates();
    m_checkedTicker->start();
    if (!event->spontaneous())
        refreshLaunchAtLogin();
}

void GeneralTab::refreshLaunchAtLogin()
{
    m_launchAtLogin = isLaunchAtLoginEnabled();
    const QSignalBlocker quiet(m_launchToggle);
    m_launchToggle->setChecked(m_launchAtLogin);
}

void GeneralTab::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_checkedTicker->stop();
}

void GeneralTab::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        refreshColours();
}

void GeneralTab::refreshColours()
{
    for (QLabel* label : std::as_const(m_secondaryLabels))
        TextLabel::setColour(label, DesignStyle::colour(Colour::secondary, this));
    refreshUpdates();
}

void GeneralTab::refreshUpdates()
{
    const UpdateStatusModel::Status status = m_updates->status(WallClock::now());
    QColor colour = DesignStyle::colour(Colour::secondary, this);
    QFont font = DesignStyle::font(Style::body);
    if (status.tone == UpdateStatusModel::Tone::error) {
        colour = DesignStyle::colour(Colour::red, this);
        font = DesignStyle::font(Style::caption);
    } else if (status.tone == UpdateStatusModel::Tone::available) {
        colour = DesignStyle::colour(Colour::link, this);
        font.setWeight(QFont::Medium);
    }
    m_statusLabel->setWordWrap(status.tone == UpdateStatusModel::Tone::error);
    m_statusLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_statusLabel->setFont(font);
    m_statusLabel->setText(status.text);
    TextLabel::setColour(m_statusLabel, colour);
    m_checkedLabel->setText(status.checked);
    m_checkedLabel->setVisible(!status.checked.isEmpty());

    m_checkButton->setEnabled(status.canCheck);
    m_updateCaption->setVisible(status.explainsChecks);
    m_checkButton->setText(status.checkTitle);
    if (status.checking && !m_spinner->isActive()) {
        m_spinnerStep = 0;
        m_checkButton->setIcon(
            Spinner::frame(0, m_checkButton->palette().color(QPalette::ButtonText), devicePixelRatioF(), kSpinnerSide));
        m_spinner->start();
    } else if (!status.checking && m_spinner->isActive()) {
        m_spinner->stop();
        m_checkButton->setIcon(QIcon());
    }
    m_installButton->setEnabled(status.canInstall);
}

const std::optional<GeneralTab::BackupAlert>& GeneralTab::backupAlert() const
{
    return m_backup->alert();
}

void GeneralTab::presentAlert(const BackupAlert& alert)
{
    QPointer<BackupFlowModel> backup(m_backup);
    m_alertPresenter(this, alert, [backup, id = alert.id] {
        if (backup)
            backup->dismissAlert(id);
    });
}

void GeneralTab::runPanel(const PanelRequest& request, std::function<void(QString)> done)
{
    QPointer<GeneralTab> self(this);
    m_panelRunner(this, request, [self, done = std::move(done)](std::optional<QString> path) {
        // The window may have closed while the panel was open.
        if (self && path && !path->isEmpty())
            done(*path);
    });
}

void GeneralTab::saveSettings()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    runPanel(BackupFlowModel::saveRequest(WallClock::now()), [this](const QString& path) { m_backup->exportTo(path); });
}

void GeneralTab::loadSettings()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    runPanel(BackupFlowModel::openRequest(), [this](const QString& path) { m_backup->importFrom(path); });
}

} // namespace gaugelet
