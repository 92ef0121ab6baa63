#include "settings/setup/SetupChecklist.h"

#include "settings/shared/SetLaunchAtLogin.h"

#include "platform/core/MainThread.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/NotificationSettingsPane.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"
#include "settings/setup/HeroBackdrop.h"
#include "settings/setup/LoginItemHero.h"
#include "settings/setup/NotificationsHero.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"

#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

namespace gaugelet {

namespace {

using Style = DesignStyle::TextStyle;
using Colour = DesignStyle::Colour;
using Kind = SetupModel::RowStatus::Kind;

constexpr int expandDurationMs = 420;

// A critically damped spring with a response of 0.35 s, over the animation's
// duration: 1 - (1 + ωt)·e^(-ωt), ω = 2π / response, ending exactly at 1.
qreal springProgress(qreal progress)
{
    if (progress >= 1)
        return 1;
    const qreal omega = 2 * M_PI / 0.35;
    const qreal t = progress * expandDurationMs / 1000.0;
    return 1 - (1 + omega * t) * std::exp(-omega * t);
}

// The small indeterminate progress indicator: twelve ticks, the brightest
// one going round.
class ProgressIndicator : public QWidget {
public:
    explicit ProgressIndicator(QWidget* parent) : QWidget(parent)
    {
        setFixedSize(16, 16);
        m_timer.setInterval(83);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            m_step = (m_step + 1) % 12;
            update();
        });
    }

protected:
    void showEvent(QShowEvent*) override { m_timer.start(); }
    void hideEvent(QHideEvent*) override { m_timer.stop(); }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(width() / 2.0, height() / 2.0);
        const QColor base = palette().color(QPalette::WindowText);
        for (int i = 0; i < 12; ++i) {
            QColor c = base;
            const int age = (m_step - i + 12) % 12;
            c.setAlphaF(std::max(0.15, 0.85 - age * 0.07));
            p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(0, -3.6), QPointF(0, -7.0));
            p.rotate(30);
        }
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

// "Optional" on a capsule.
class Badge : public QLabel {
public:
    explicit Badge(QWidget* parent) : QLabel(parent) { setContentsMargins(Spacing::margins(Spacing::Step::s, Spacing::Step::xxs)); }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(DesignStyle::colour(Colour::quaternary, this));
            p.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
        }
        QLabel::paintEvent(event);
    }
};

// The whole header is the tap target of its row.
class Header : public QWidget {
public:
    Header(QWidget* parent, std::function<void()> onTap) : QWidget(parent), m_onTap(std::move(onTap))
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_onTap)
            m_onTap();
    }

private:
    std::function<void()> m_onTap;
};

// The card's border, drawn over everything in it; it takes no clicks.
class Border : public QWidget {
public:
    explicit Border(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(DesignStyle::colour(Colour::separator, this), 1));
        p.setBrush(Qt::NoBrush);
        const qreal r = SetupChecklist::cornerRadius;
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), r - 0.5, r - 0.5);
    }
};

} // namespace

// One row's card: the illustration (while expanded), then the header and the
// trailing control.
class SetupChecklist::Card : public QWidget {
public:
    Card(SetupChecklist* owner, const RowSpec& row) : QWidget(owner), m_id(row.id), m_heroFactory(row.hero)
    {
        setObjectName(QStringLiteral("setup.card.") + m_id);
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);

        m_heroHolder = new QWidget(this);
        m_heroHolder->setObjectName(QStringLiteral("setup.hero.") + m_id);
        auto* heroLayout = new QVBoxLayout(m_heroHolder);
        heroLayout->setContentsMargins(0, 0, 0, 0);
        m_heroHolder->setFixedHeight(0);
        m_heroHolder->hide();
        column->addWidget(m_heroHolder);

        auto* rowLayout = new QHBoxLayout;
        rowLayout->setContentsMargins(Spacing::margins(Spacing::Step::xxl));
        rowLayout->setSpacing(Spacing::px(Spacing::Step::xxl));
        column->addLayout(rowLayout);

        const QString id = m_id;
        auto* header = new Header(this, [owner, id] { owner->toggle(id); });
        header->setObjectName(QStringLiteral("setup.header.") + m_id);
        auto* headerRow = new QHBoxLayout(header);
        headerRow->setContentsMargins(0, 0, 0, 0);
        headerRow->setSpacing(0);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(Spacing::px(Spacing::Step::xs));
        headerRow->addLayout(texts, 1);
        auto* firstLine = new QHBoxLayout;
        firstLine->setSpacing(Spacing::px(Spacing::Step::s));
        m_title = new QLabel(header);
        m_title->setTextFormat(Qt::PlainText);
        m_title->setObjectName(QStringLiteral("setup.title.") + m_id);
        firstLine->addWidget(m_title, 0, Qt::AlignVCenter);
        m_badge = new Badge(header);
        m_badge->setText(SetupChecklist::tr("Optional"));
        m_badge->setTextFormat(Qt::PlainText);
        firstLine->addWidget(m_badge, 0, Qt::AlignVCenter);
        firstLine->addStretch(1);
        texts->addLayout(firstLine);
        m_detail = new QLabel(header);
        m_detail->setObjectName(QStringLiteral("setup.detail.") + m_id);
        m_detail->setTextFormat(Qt::PlainText);
        m_detail->setWordWrap(true);
        m_detail->hide();
        texts->addWidget(m_detail);
        rowLayout->addWidget(header, 1, Qt::AlignVCenter);

        m_progress = new ProgressIndicator(this);
        m_progress->setObjectName(QStringLiteral("setup.progress.") + m_id);
        rowLayout->addWidget(m_progress, 0, Qt::AlignVCenter);
        m_granted = new QWidget(this);
        m_granted->setObjectName(QStringLiteral("setup.granted.") + m_id);
        auto* grantedRow = new QHBoxLayout(m_granted);
        grantedRow->setContentsMargins(0, 0, 0, 0);
        grantedRow->setSpacing(Spacing::px(Spacing::Step::xs));
        m_checkmark = new QLabel(m_granted);
        m_grantedText = new QLabel(m_granted);
        m_grantedText->setTextFormat(Qt::PlainText);
        grantedRow->addWidget(m_checkmark);
        grantedRow->addWidget(m_grantedText);
        rowLayout->addWidget(m_granted, 0, Qt::AlignVCenter);
        m_button = new QPushButton(this);
        m_button->setObjectName(QStringLiteral("setup.button.") + m_id);
        m_button->setAutoDefault(false);
        QObject::connect(m_button, &QPushButton::clicked, this, [this] {
            if (m_action)
                m_action();
        });
        rowLayout->addWidget(m_button, 0, Qt::AlignVCenter);

        m_border = new Border(this);
        m_border->raise();

        m_shadow = new QGraphicsDropShadowEffect(this);
        m_shadow->setOffset(0, 2);
        setGraphicsEffect(m_shadow);

        m_animation.setEasingCurve([] {
            QEasingCurve curve;
            curve.setCustomType(springProgress);
            return curve;
        }());
        m_animation.setDuration(expandDurationMs);
        QObject::connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            m_heroHolder->setFixedHeight(qRound(value.toReal()));
        });
        QObject::connect(&m_animation, &QVariantAnimation::finished, this, [this] {
            if (!m_expanded)
                m_heroHolder->hide();
        });
    }

    // Shows the row as it is now. animate: the expansion changed by a tap or
    // the auto-expand rule.
    void apply(const RowSpec& row, bool expanded, bool animate)
    {
        m_action = row.action;
        m_title->setText(row.title);
        m_detail->setText(row.detail);
        m_grantedText->setText(row.grantedLabel);
        m_badge->setVisible(row.optional);

        m_progress->setVisible(row.status.kind == Kind::unknown);
        m_granted->setVisible(row.status.kind == Kind::granted);
        m_button->setVisible(row.status.kind == Kind::denied || row.status.kind == Kind::actionNeeded);
        if (row.status.kind == Kind::denied)
            m_button->setText(SetupChecklist::tr("Open System Settings…"));
        else if (row.status.kind == Kind::actionNeeded)
            m_button->setText(row.status.title);

        if (expanded != m_expanded || !m_styled) {
            m_expanded = expanded;
            m_detail->setVisible(expanded);
            restyle();
            setHeroExpanded(expanded, animate);
        }
    }

    bool isExpanded() const { return m_expanded; }

    void restyle()
    {
        m_styled = true;
        m_title->setFont(DesignStyle::font(m_expanded ? Style::title3 : Style::body));
        if (m_expanded) {
            QFont f = m_title->font();
            f.setBold(true);
            m_title->setFont(f);
        }
        TextLabel::setColour(m_title, DesignStyle::colour(m_expanded ? Colour::primary : Colour::secondary, this));
        m_detail->setFont(DesignStyle::font(Style::callout));
        TextLabel::setColour(m_detail, DesignStyle::colour(Colour::secondary, this));
        m_badge->setFont(DesignStyle::font(Style::caption2));
        TextLabel::setColour(m_badge, DesignStyle::colour(Colour::secondary, this));
        const QColor primary = DesignStyle::colour(Colour::primary, this);
        TextLabel::setColour(m_grantedText, primary);
        m_grantedText->setFont(DesignStyle::font(Style::body));
        const int side = QFontMetrics(m_grantedText->font()).ascent();
        const qreal dpr = devicePixelRatioF();
        const QImage mark = SystemSymbol::tinted(QStringLiteral("checkmark"), side, primary, dpr);
        if (!mark.isNull()) {
            m_checkmark->setPixmap(QPixmap::fromImage(mark));
        }
        m_shadow->setColor(QColor(0, 0, 0, qRound((m_expanded ? 0.18 : 0.08) * 255)));
        m_shadow->setBlurRadius(m_expanded ? 16 : 4);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(DesignStyle::colour(Colour::controlBackground, this));
        p.drawRoundedRect(QRectF(rect()), SetupChecklist::cornerRadius, SetupChecklist::cornerRadius);
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        m_border->setGeometry(rect());
        m_border->raise();
    }

    void changeEvent(QEvent* event) override
    {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
            restyle();
    }

private:
    void setHeroExpanded(bool expanded, bool animate)
    {
        if (expanded && !m_hero && m_heroFactory) {
            m_hero = m_heroFactory();
            if (m_hero) {
                m_hero->setParent(m_heroHolder);
                if (auto* backdrop = qobject_cast<HeroBackdrop*>(m_hero))
                    backdrop->setTopCornerRadius(SetupChecklist::cornerRadius);
                m_heroHolder->layout()->addWidget(m_hero);
            }
        }
        m_animation.stop();
        const int target = expanded ? SetupChecklist::heroHeight : 0;
        if (expanded)
            m_heroHolder->show();
        if (!animate || !isVisible()) {
            m_heroHolder->setFixedHeight(target);
            m_heroHolder->setVisible(expanded);
            return;
        }
        m_animation.setStartValue(qreal(m_heroHolder->height()));
        m_animation.setEndValue(qreal(target));
        m_animation.start();
    }

    QString m_id;
    std::function<QWidget*()> m_heroFactory;
    std::function<void()> m_action;
    bool m_expanded = false;
    bool m_styled = false;
    QWidget* m_heroHolder = nullptr;
    QPointer<QWidget> m_hero;
    QLabel* m_title = nullptr;
    QLabel* m_badge = nullptr;
    QLabel* m_detail = nullptr;
    QWidget* m_progress = nullptr;
    QWidget* m_granted = nullptr;
    QLabel* m_checkmark = nullptr;
    QLabel* m_grantedText = nullptr;
    QPushButton* m_button = nullptr;
    Border* m_border = nullptr;
    QGraphicsDropShadowEffect* m_shadow = nullptr;
    QVariantAnimation m_animation;
};

SetupChecklist::SetupChecklist(QWidget* parent) : QWidget(parent), m_model(new SetupModel(this))
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(Spacing::px(Spacing::Step::l));
    for (const RowSpec& row : rows()) {
        auto* card = new Card(this, row);
        m_cards.append(card);
        stack->addWidget(card);
        card->apply(row, false, false);
    }

    connect(m_model, &SetupModel::notificationsChanged, this, &SetupChecklist::onModelChanged);
    connect(m_model, &SetupModel::loginItemChanged, this, &SetupChecklist::onModelChanged);
    // Another view (the General tab) changed the login item.
    m_loginObserver = NotificationCenter::defaultCenter().observe(
        launchAtLoginChangedNotification, this, [this](const NotificationCenter::Notification&) { m_model->refreshLoginItem(); });
    // Coming back to the program (perhaps from the desktop's settings) reads both again.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible())
            m_model->refresh();
    });
}

SetupChecklist::~SetupChecklist()
{
    NotificationCenter::defaultCenter().removeObserver(m_loginObserver);
}

QList<SetupChecklist::RowSpec> SetupChecklist::rows() const
{
    QPointer<SetupChecklist> self(const_cast<SetupChecklist*>(this));
    return {
        RowSpec{QStringLiteral("notifications"), tr("Allow Notifications"),
                tr("Allows Gaugelet to post a banner when a stat alarm crosses its threshold. Strongly recommended if "
                   "you use alarms."),
                tr("Allowed"), false, m_model->notifications(),
                [self] {
                    if (self)
                        self->runNotificationsAction();
                },
                [] { return new NotificationsHero; }},
        RowSpec{QStringLiteral("login"), tr("Launch at Login"),
                tr("Starts Gaugelet automatically so your tiles are always in the menubar."), tr("Enabled"), false,
                m_model->loginItem(),
                [self] {
                    if (self)
                        self->runLoginAction();
                },
                [] { return new LoginItemHero; }},
    };
}

void SetupChecklist::runNotificationsAction()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_model->notifications().kind == Kind::denied) {
        NotificationSettingsPane::open();
        return;
    }
    QPointer<SetupModel> model(m_model);
    UserNotificationCenter::current()->requestAuthorization(
        UserNotificationCenter::alert | UserNotificationCenter::sound, [model](bool, std::optional<UserNotificationCenter::Error>) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [model] {
                    if (model)
                        model->refresh();
                },
                Qt::QueuedConnection);
        });
}

void SetupChecklist::runLoginAction()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_model->loginItem().kind == Kind::denied) {
        LoginItemService::mainAppService().openSystemSettingsLoginItems();
        return;
    }
    // A failure is logged there; the status read that follows shows the outcome.
    setLaunchAtLogin(true);
    m_model->refresh();
}

void SetupChecklist::toggle(const QString& id)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setExpandedId(m_expandedId == id ? std::nullopt : std::optional<QString>(id));
}

void SetupChecklist::setExpandedId(const std::optional<QString>& id)
{
    if (m_expandedId == id)
        return;
    m_expandedId = id;
    const QList<RowSpec> specs = rows();
    for (int i = 0; i < m_cards.size() && i < specs.size(); ++i)
        m_cards[i]->apply(specs[i], m_expandedId == specs[i].id, true);
}

void SetupChecklist::applyAutoExpand()
{
    if (m_didAutoExpand)
        return;
    for (const RowSpec& row : rows()) {
        if (row.optional)
            continue;
        if (row.status.kind == Kind::denied || row.status.kind == Kind::actionNeeded) {
            m_didAutoExpand = true;
            setExpandedId(row.id);
            return;
        }
    }
}

void SetupChecklist::onModelChanged()
{
    applyAutoExpand();
    scheduleUpdate();
}

void SetupChecklist::scheduleUpdate()
{
    m_updateTurn.request();
}

void SetupChecklist::updateCards()
{
    const QList<RowSpec> specs = rows();
    for (int i = 0; i < m_cards.size() && i < specs.size(); ++i)
        m_cards[i]->apply(specs[i], m_expandedId == specs[i].id, true);
}

void SetupChecklist::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_model->refresh();
    applyAutoExpand();
}

} // namespace gaugelet
