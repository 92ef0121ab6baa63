#include "settings/setup/SetupChecklist.h"

#include "settings/shared/SetLaunchAtLogin.h"

#include "platform/core/MainThread.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/NotificationSettingsPane.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "settings/setup/AppRowHero.h"
#include "settings/setup/SetupCard.h"
#include "views/Spacing.h"

#include <QGuiApplication>
#include <QShowEvent>
#include <QVBoxLayout>

namespace gaugelet {

namespace {

using Kind = SetupModel::RowStatus::Kind;

} // namespace

SetupChecklist::SetupChecklist(QWidget* parent) : QWidget(parent), m_model(new SetupModel(this))
{
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(Spacing::px(Spacing::Step::l));
    for (const RowSpec& row : rows()) {
        const QString id = row.id;
        auto* card = new SetupCard(
            row, [this, id] { toggle(id); }, this);
        m_cards.append(card);
        stack->addWidget(card);
        card->apply(row, false, false);
    }

    connect(m_model, &SetupModel::notificationsChanged, this, &SetupChecklist::onModelChanged);
    connect(m_model, &SetupModel::loginItemChanged, this, &SetupChecklist::onModelChanged);
    // Coming back to the program (perhaps from the desktop's settings) reads both again.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && isVisible())
            m_model->refresh();
    });
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
                [] { return AppRowHero::notification(); }},
        RowSpec{QStringLiteral("login"), tr("Launch at Login"),
                tr("Starts Gaugelet automatically so your tiles are always in the panel."), tr("Enabled"), false,
                m_model->loginItem(),
                [self] {
                    if (self)
                        self->runLoginAction();
                },
                [] { return AppRowHero::loginItem(); }},
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

int SetupChecklist::heroesShownHeight() const
{
    int height = 0;
    for (const SetupCard* card : m_cards)
        height += card->heroShownHeight();
    return height;
}

void SetupChecklist::setExpandedId(const std::optional<QString>& id)
{
    if (m_expandedId == id)
        return;
    m_expandedId = id;
    updateCards();
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
