#include "settings/GeneralTab.h"

#include "platform/core/Defaults.h"
#include "platform/core/InfoDictionary.h"
#include "platform/core/MainThread.h"
#include "platform/core/WallClock.h"
#include "platform/style/DesignStyle.h"
#include "settings/AppBundleSizeMB.h"
#include "settings/ConfigBackup.h"
#include "settings/RelativeDate.h"
#include "settings/RelaunchApp.h"
#include "settings/ScrollingPage.h"
#include "settings/SetLaunchAtLogin.h"
#include "update/SparkleUpdater.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace gaugelet {

namespace {

using Style = DesignStyle::TextStyle;
using Colour = DesignStyle::Colour;

// One section of the grouped form: a rounded box whose rows are separated by
// hairlines, under an optional header.
class FormSection : public QFrame {
public:
    explicit FormSection(QWidget* parent) : QFrame(parent)
    {
        m_rows = new QVBoxLayout(this);
        m_rows->setContentsMargins(12, 2, 12, 2);
        m_rows->setSpacing(0);
    }

    // Adds a row below a hairline (none above the first); returns the hairline.
    QWidget* addRow(QWidget* row)
    {
        QWidget* line = nullptr;
        if (m_rows->count() > 0) {
            line = new Hairline(this);
            m_rows->addWidget(line);
        }
        row->setParent(this);
        m_rows->addWidget(row);
        return line;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(DesignStyle::colour(Colour::controlBackground, this));
        p.setPen(QPen(DesignStyle::colour(Colour::separator, this), 1));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    }

private:
    class Hairline : public QWidget {
    public:
        explicit Hairline(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

    protected:
        void paintEvent(QPaintEvent*) override
        {
            QPainter p(this);
            p.fillRect(rect(), DesignStyle::colour(Colour::separator, this));
        }
    };

    QVBoxLayout* m_rows;
};

// A row of the form: its own horizontal layout with the form's row height.
QWidget* makeRow(QHBoxLayout*& layout)
{
    auto* row = new QWidget;
    layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 5, 0, 5);
    layout->setSpacing(8);
    row->setMinimumHeight(32);
    return row;
}

QLabel* plainLabel(const QString& text, Style style, QWidget* parent = nullptr)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(DesignStyle::font(style));
    return label;
}

QLabel* captionLabel(const QString& text)
{
    auto* label = plainLabel(text, Style::caption);
    label->setWordWrap(true);
    return label;
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

// A vertical divider of the figures row, 30 points high.
class FigureDivider : public QWidget {
public:
    explicit FigureDivider(QWidget* parent = nullptr) : QWidget(parent) { setFixedSize(1, 30); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), DesignStyle::colour(Colour::separator, this));
    }
};

// A turning progress indicator drawn as an icon: eight spokes, the brightest
// at the step's position.
QIcon spinnerIcon(int step, const QColor& colour, qreal dpr)
{
    const int side = 16;
    QPixmap pixmap(QSize(side, side) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(side / 2.0, side / 2.0);
    for (int i = 0; i < 8; ++i) {
        // The spoke at the step is the brightest; the ones behind it fade.
        QColor c = colour;
        c.setAlphaF(1.0 - 0.8 * (((step - i) % 8 + 8) % 8) / 7.0);
        p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap));
        const qreal a = i * M_PI / 4;
        p.drawLine(QPointF(3.2 * std::cos(a), 3.2 * std::sin(a)), QPointF(6.8 * std::cos(a), 6.8 * std::sin(a)));
    }
    return QIcon(pixmap);
}

QStringList backupNameFilters(GeneralTab::PanelRequest::Mode mode)
{
    const QString backup = GeneralTab::tr("Gaugelet settings backup (*.%1)").arg(ConfigBackup::fileExtension);
    const QString plist = GeneralTab::tr("Property list (*.plist)");
    if (mode == GeneralTab::PanelRequest::Mode::open)
        return {GeneralTab::tr("Gaugelet settings backup or property list (*.%1 *.plist)").arg(ConfigBackup::fileExtension),
                backup, plist};
    return {backup, plist};
}

// The panels: non-native file dialogs, modal to the settings window, answered
// asynchronously (no nested event loop).
void runFileDialog(QWidget* parent, const GeneralTab::PanelRequest& request,
                   std::function<void(std::optional<QString>)> done)
{
    auto* dialog = new QFileDialog(parent ? parent->window() : nullptr, request.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setNameFilters(request.nameFilters);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    dialog->setDirectory(folder);
    if (request.mode == GeneralTab::PanelRequest::Mode::save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(ConfigBackup::fileExtension);
        QObject::connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString& filter) {
            dialog->setDefaultSuffix(filter.contains(QStringLiteral("*.plist")) ? QStringLiteral("plist")
                                                                                : ConfigBackup::fileExtension);
        });
        dialog->selectFile(request.proposedFileName);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done, answered](int result) {
        if (*answered)
            return;
        *answered = true;
        const QStringList files = dialog->selectedFiles();
        if (result != QDialog::Accepted || files.isEmpty() || files.first().isEmpty())
            done(std::nullopt);
        else
            done(files.first());
    });
    dialog->open();
}

// The alerts: a window-modal message box with one "OK" button. Both texts are
// plain: file names and error descriptions come from outside.
void showMessageBox(QWidget* parent, const GeneralTab::BackupAlert& alert, std::function<void()> dismissed)
{
    auto* box = new QMessageBox(parent ? parent->window() : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->setIcon(alert.kind == GeneralTab::BackupAlert::Kind::error ? QMessageBox::Warning : QMessageBox::Information);
    box->setWindowTitle(alert.title);
    box->setTextFormat(Qt::PlainText);
    box->setText(alert.title);
    box->setInformativeText(alert.message);
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    box->setStandardButtons(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(GeneralTab::tr("OK"));
    box->setDefaultButton(QMessageBox::Ok);
    QObject::connect(box, &QMessageBox::finished, box, [dismissed] { dismissed(); });
    box->open();
}

} // namespace

GeneralTab::GeneralTab(SparkleUpdater* updater, bool launchAtLogin, QWidget* parent)
    : QWidget(parent), m_updater(updater), m_launchAtLogin(launchAtLogin)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_panelRunner = runFileDialog;
    m_alertPresenter = showMessageBox;
    m_measureBundle = [] { return appBundleSizeMB(); };
    build();
    if (m_updater) {
        for (auto signal : {&SparkleUpdater::isCheckingChanged, &SparkleUpdater::lastErrorChanged,
                            &SparkleUpdater::hasUpdateAvailableChanged, &SparkleUpdater::latestVersionChanged,
                            &SparkleUpdater::lastCheckedAtChanged})
            connect(m_updater, signal, this, &GeneralTab::scheduleRefresh);
    }
    refreshUpdates();
    refreshColours();
}

GeneralTab::~GeneralTab()
{
    NotificationCenter::defaultCenter().removeObserver(m_loginObserver);
}

void GeneralTab::build()
{
    auto* form = new QWidget;
    form->setAutoFillBackground(false);
    addScrollingPage(this, form);
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(18, 12, 18, 12);
    column->setSpacing(5);

    auto addSection = [&](const QString& header) {
        if (!header.isEmpty()) {
            column->addSpacing(10);
            auto* title = plainLabel(header, Style::headline, form);
            title->setContentsMargins(4, 0, 0, 0);
            column->addWidget(title);
        }
        auto* section = new FormSection(form);
        column->addWidget(section);
        return section;
    };
    QHBoxLayout* h = nullptr;

    // Launch at login.
    {
        FormSection* section = addSection({});
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
        // Another view (the Setup tab, the setup window) changed the login item.
        m_loginObserver = NotificationCenter::defaultCenter().observe(
            launchAtLoginChangedNotification, this, [this](const NotificationCenter::Notification&) { refreshLaunchAtLogin(); });
        h->addWidget(m_launchToggle);
        h->addStretch(1);
        section->addRow(row);
    }

    // About.
    {
        FormSection* section = addSection(tr("About"));
        QWidget* versionRow = makeRow(h);
        h->addWidget(plainLabel(tr("Current version"), Style::body));
        h->addStretch(1);
        m_versionLabel = plainLabel(versionText(), Style::body);
        m_versionLabel->setFont(DesignStyle::monospacedDigits(m_versionLabel->font()));
        m_versionLabel->setObjectName(QStringLiteral("currentVersion"));
        m_secondaryLabels.append(m_versionLabel);
        h->addWidget(m_versionLabel);
        section->addRow(versionRow);

        auto* figures = new QWidget;
        auto* cells = new QHBoxLayout(figures);
        cells->setContentsMargins(0, 6, 0, 6);
        cells->setSpacing(0);
        const QList<std::pair<QString, QString>> figureTexts{
            {QString::number(m_bundleMB), tr("MB bundle")},
            {QString::number(runtimeDependencyCount), tr("runtime deps")},
            {QStringLiteral("~") + QString::number(idleMemoryMB), tr("MB memory")},
            {QStringLiteral("~") + QString::asprintf("%.1f", idleCPUPercent), tr("% CPU idle")},
        };
        for (int i = 0; i < figureTexts.size(); ++i) {
            if (i > 0)
                cells->addWidget(new FigureDivider, 0, Qt::AlignVCenter);
            auto* cell = new QWidget;
            auto* stack = new QVBoxLayout(cell);
            stack->setContentsMargins(0, 0, 0, 0);
            stack->setSpacing(2);
            QFont valueFont = DesignStyle::font(Style::title2);
            valueFont.setWeight(QFont::DemiBold);
            auto* value = plainLabel(figureTexts[i].first, Style::title2);
            value->setFont(DesignStyle::monospacedDigits(valueFont));
            value->setAlignment(Qt::AlignHCenter);
            value->setObjectName(QStringLiteral("figureValue%1").arg(i));
            auto* label = plainLabel(figureTexts[i].second, Style::caption);
            label->setAlignment(Qt::AlignHCenter);
            m_secondaryLabels.append(label);
            m_figureValues.append(value);
            stack->addWidget(value);
            stack->addWidget(label);
            cells->addWidget(cell, 1);
        }
        m_bundleValue = m_figureValues.first();
        section->addRow(figures);

        auto* caption = captionLabel(
            tr("Built on Qt and a few Linux libraries: QCoro, libsodium, libplist and libsndfile. Memory and CPU "
               "are the idle footprint of four number tiles over a minute, from the latest committed benchmark."));
        caption->setContentsMargins(0, 5, 0, 6);
        m_secondaryLabels.append(caption);
        section->addRow(caption);
    }

    // Updates.
    {
        FormSection* section = addSection(tr("Updates"));
        QWidget* statusRow = makeRow(h);
        auto* statusTitle = plainLabel(tr("Status"), Style::body);
        h->addWidget(statusTitle);
        auto* status = new QWidget;
        auto* statusLayout = new QHBoxLayout(status);
        statusLayout->setContentsMargins(0, 0, 0, 0);
        statusLayout->setSpacing(6);
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

        QWidget* buttons = makeRow(h);
        m_checkButton = new QPushButton(tr("Check for updates"));
        m_checkButton->setObjectName(QStringLiteral("checkForUpdates"));
        connect(m_checkButton, &QPushButton::clicked, this, [this] {
            if (m_updater)
                m_updater->checkNow();
        });
        m_installButton = new QPushButton(tr("Install update…"));
        m_installButton->setObjectName(QStringLiteral("installUpdate"));
        connect(m_installButton, &QPushButton::clicked, this, [this] {
            if (m_updater)
                m_updater->presentUserUpdate();
        });
        h->addWidget(m_checkButton);
        h->addWidget(m_installButton);
        h->addStretch(1);
        section->addRow(buttons);

        m_updateCaption = captionLabel(tr("Gaugelet only contacts the update server when you click Check for "
                                          "updates or open the app. It will never download or install an update "
                                          "without your confirmation."));
        m_updateCaption->setContentsMargins(0, 5, 0, 6);
        m_secondaryLabels.append(m_updateCaption);
        m_updateCaptionRule = section->addRow(m_updateCaption);

        m_spinner = new QTimer(this);
        m_spinner->setInterval(100);
        connect(m_spinner, &QTimer::timeout, this, [this] {
            m_spinnerStep = (m_spinnerStep + 1) % 8;
            m_checkButton->setIcon(spinnerIcon(m_spinnerStep, m_checkButton->palette().color(QPalette::ButtonText),
                                               devicePixelRatioF()));
        });
        // "checked 5 minutes ago" moves on while the tab is on screen.
        m_checkedTicker = new QTimer(this);
        m_checkedTicker->setInterval(30'000);
        connect(m_checkedTicker, &QTimer::timeout, this, &GeneralTab::refreshUpdates);
    }

    // Backup & restore.
    {
        FormSection* section = addSection(tr("Backup & restore"));
        QWidget* buttons = makeRow(h);
        m_saveButton = new QPushButton(tr("Save settings…"));
        m_saveButton->setObjectName(QStringLiteral("saveSettings"));
        connect(m_saveButton, &QPushButton::clicked, this, &GeneralTab::saveSettings);
        m_loadButton = new QPushButton(tr("Load settings…"));
        m_loadButton->setObjectName(QStringLiteral("loadSettings"));
        connect(m_loadButton, &QPushButton::clicked, this, &GeneralTab::loadSettings);
        h->addWidget(m_saveButton);
        h->addWidget(m_loadButton);
        h->addStretch(1);
        section->addRow(buttons);

        auto* caption = captionLabel(
            tr("Save bundles every pin, alarm, theme, tag, and tile-styling preference into a single file you can "
               "move to another computer or stash before experimenting. Load replaces the live settings with the "
               "file's contents and relaunches."));
        caption->setContentsMargins(0, 5, 0, 6);
        m_secondaryLabels.append(caption);
        section->addRow(caption);
    }
    column->addStretch(1);
}

QString GeneralTab::versionText()
{
    return InfoDictionary::string(InfoDictionary::shortVersionKey).value_or(QStringLiteral("dev"));
}

QString GeneralTab::defaultBackupFileName(const QDateTime& now)
{
    // QDate is always the Gregorian calendar; the C locale writes ASCII digits.
    static const QLocale posix = QLocale::c();
    return QStringLiteral("Gaugelet settings ") + posix.toString(now.toLocalTime().date(), u"yyyy-MM-dd")
        + QStringLiteral(".") + ConfigBackup::fileExtension;
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

void GeneralTab::scheduleRefresh()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshQueued = false;
        refreshUpdates();
    });
}

void GeneralTab::refreshColours()
{
    for (QLabel* label : std::as_const(m_secondaryLabels))
        setTextColour(label, DesignStyle::colour(Colour::secondary, this));
    refreshUpdates();
}

void GeneralTab::refreshUpdates()
{
    // A build without an update feed says so and offers no check; what a
    // probe at launch made of the missing feed is not the user's concern.
    const bool hasFeed = m_updater && SparkleUpdater::hasFeed();
    const bool checking = m_updater && m_updater->isChecking();
    const std::optional<QString> error = m_updater ? m_updater->lastError() : std::nullopt;
    const bool available = m_updater && m_updater->hasUpdateAvailable();
    const std::optional<QString> latest = m_updater ? m_updater->latestVersion() : std::nullopt;
    const std::optional<QDateTime> checkedAt = m_updater ? m_updater->lastCheckedAt() : std::nullopt;

    QString status;
    QString checked;
    QColor colour = DesignStyle::colour(Colour::secondary, this);
    QFont font = DesignStyle::font(Style::body);
    bool wrap = false;
    Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter;
    if (m_updater && !hasFeed) {
        status = tr("This build does not check for updates.");
    } else if (checking) {
        status = tr("Checking…");
    } else if (error) {
        status = *error;
        colour = DesignStyle::colour(Colour::red, this);
        font = DesignStyle::font(Style::caption);
        wrap = true;
    } else if (available && latest) {
        status = tr("%1 available").arg(*latest);
        colour = DesignStyle::colour(Colour::link, this);
        font.setWeight(QFont::Medium);
    } else if (!checkedAt) {
        status = tr("Not yet checked");
    } else {
        status = tr("Up to date");
        checked = tr("· checked %1").arg(RelativeDate::format(*checkedAt, WallClock::now()));
    }
    m_statusLabel->setWordWrap(wrap);
    m_statusLabel->setAlignment(alignment);
    m_statusLabel->setFont(font);
    m_statusLabel->setText(status);
    setTextColour(m_statusLabel, colour);
    m_checkedLabel->setText(checked);
    m_checkedLabel->setVisible(!checked.isEmpty());

    m_checkButton->setEnabled(!checking && hasFeed);
    m_updateCaption->setVisible(hasFeed);
    m_updateCaptionRule->setVisible(hasFeed);
    m_checkButton->setText(checking ? tr("Checking…") : tr("Check for updates"));
    if (checking && !m_spinner->isActive()) {
        m_spinnerStep = 0;
        m_checkButton->setIcon(
            spinnerIcon(0, m_checkButton->palette().color(QPalette::ButtonText), devicePixelRatioF()));
        m_spinner->start();
    } else if (!checking && m_spinner->isActive()) {
        m_spinner->stop();
        m_checkButton->setIcon(QIcon());
    }
    m_installButton->setEnabled(available);
}

void GeneralTab::setBackupAlert(BackupAlert alert)
{
    alert.id = QUuid::createUuid();
    m_backupAlert = alert;
    const QUuid id = alert.id;
    QPointer<GeneralTab> self(this);
    m_alertPresenter(this, alert, [self, id] {
        if (self && self->m_backupAlert && self->m_backupAlert->id == id)
            self->m_backupAlert.reset();
    });
}

void GeneralTab::dismissBackupAlert()
{
    m_backupAlert.reset();
}

void GeneralTab::runPanel(const PanelRequest& request, std::function<void(std::optional<QString>)> done)
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
    PanelRequest request;
    request.mode = PanelRequest::Mode::save;
    request.title = tr("Save Gaugelet settings");
    request.prompt = tr("Save");
    request.nameFilters = backupNameFilters(request.mode);
    request.proposedFileName = defaultBackupFileName(WallClock::now());
    runPanel(request, [this](std::optional<QString> path) { exportTo(*path); });
}

void GeneralTab::loadSettings()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    PanelRequest request;
    request.mode = PanelRequest::Mode::open;
    request.title = tr("Load Gaugelet settings");
    request.prompt = tr("Load");
    request.nameFilters = backupNameFilters(request.mode);
    runPanel(request, [this](std::optional<QString> path) { importFrom(*path); });
}

void GeneralTab::exportTo(const QString& path)
{
    auto result = ConfigBackup::exportTo(*Defaults::standard(), path);
    if (result) {
        const QString written = tr("Wrote settings to %1.").arg(QFileInfo(path).fileName());
        setBackupAlert({{}, BackupAlert::Kind::info, tr("Settings saved"), written});
    } else {
        setBackupAlert({{}, BackupAlert::Kind::error, tr("Save failed"), result.error().describe()});
    }
}

void GeneralTab::importFrom(const QString& path)
{
    Defaults& defaults = *Defaults::standard();
    // A load that cannot be handed to a new instance is undone: the values it
    // replaced must not stay in this one, to be saved later as if it had worked.
    const QVariantMap before = defaults.userValues();
    auto result = ConfigBackup::importFrom(path, defaults);
    if (!result) {
        setBackupAlert({{}, BackupAlert::Kind::error, tr("Load failed"), result.error().describe()});
        return;
    }
    auto relaunched = relaunchApp();
    if (!relaunched) {
        defaults.replaceUserValues(ConfigBackup::isCarried, before);
        setBackupAlert({{}, BackupAlert::Kind::error, tr("Load failed"), relaunched.error()});
    }
}

} // namespace gaugelet
