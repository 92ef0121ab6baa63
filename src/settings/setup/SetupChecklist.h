#pragma once

#include "platform/core/MainThreadObserver.h"
#include "settings/setup/SetupModel.h"
#include "settings/shared/SetLaunchAtLogin.h"
#include "views/TurnCoalescer.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

namespace gaugelet {

class SetupCard;

// The setup checklist: one card per permission, each showing its live status
// and the one action that advances it, with one card expanded at a time to
// show what the permission is for. Used by the first-run setup window and the
// settings window's "Setup" tab, each with a checklist (and model) of its own.
// It reads the permissions when shown and whenever the program becomes active.
class SetupChecklist : public QWidget {
    Q_OBJECT
public:
    // One row of the checklist, built afresh from the model.
    struct RowSpec {
        QString id;
        QString title;
        QString detail;
        QString grantedLabel;
        bool optional = false;
        SetupModel::RowStatus status;
        std::function<void()> action;
        std::function<QWidget*()> hero; // makes the row's illustration
    };

    explicit SetupChecklist(QWidget* parent = nullptr);

    SetupModel* model() const { return m_model; }
    QList<RowSpec> rows() const;

    std::optional<QString> expandedId() const { return m_expandedId; }
    bool didAutoExpand() const { return m_didAutoExpand; }
    // A tap on a row's header: expands it, or collapses it when it is the expanded one.
    void toggle(const QString& id);
    // The height the cards' illustrations take now, together.
    int heroesShownHeight() const;

    // Card geometry.
    static constexpr int heroHeight = 160;
    static constexpr qreal cornerRadius = 12;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setExpandedId(const std::optional<QString>& id);
    void applyAutoExpand();
    void onModelChanged();
    void scheduleUpdate();
    void updateCards();

    // The rows' actions; each reads the model's status when it runs.
    void runNotificationsAction();
    void runLoginAction();

    SetupModel* m_model;
    std::optional<QString> m_expandedId;
    bool m_didAutoExpand = false;
    TurnCoalescer m_updateTurn{this, [this] { updateCards(); }};
    // Another view (the General tab) changed the login item.
    MainThreadObserver m_loginObserver{launchAtLoginChangedNotification, [this] { m_model->refreshLoginItem(); }};
    QList<SetupCard*> m_cards; // in row order
};

} // namespace gaugelet
