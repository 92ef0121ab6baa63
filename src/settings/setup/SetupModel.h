#pragma once

#include "platform/core/RawValueTable.h"

#include <QObject>
#include <QString>

namespace gaugelet {

// The live state of the setup checklist's two permissions: posting
// notifications and launching at login. Nothing of it is stored; refresh()
// reads both from the system again. One model per checklist view. Main thread.
class SetupModel : public QObject {
    Q_OBJECT
public:
    // The state of one permission, with the title of the button that requests
    // it while it can be requested.
    struct RowStatus {
        enum class Kind { actionNeeded, unknown, granted, denied };

        Kind kind = Kind::unknown;
        QString title; // the button's title; used by actionNeeded only

        static RowStatus actionNeeded(const QString& title) { return {Kind::actionNeeded, title}; }
        static RowStatus unknown() { return {Kind::unknown, {}}; }
        static RowStatus granted() { return {Kind::granted, {}}; }
        static RowStatus denied() { return {Kind::denied, {}}; }

        bool operator==(const RowStatus& other) const
        {
            return kind == other.kind && (kind != Kind::actionNeeded || title == other.title);
        }
    };

    explicit SetupModel(QObject* parent = nullptr);

    RowStatus notifications() const { return m_notifications; }
    RowStatus loginItem() const { return m_loginItem; }

    // Store a new status; an equal one changes nothing and notifies nobody.
    void setNotifications(const RowStatus& status);
    void setLoginItem(const RowStatus& status);

    // Reads both permissions again. The login item is known when this returns;
    // the notification answer arrives later (or, from a server that never
    // answers, turns into "not determined" after the reply time-out).
    void refresh();
    // Reads the login item again.
    void refreshLoginItem();

Q_SIGNALS:
    // After the new status is stored.
    void notificationsChanged();
    void loginItemChanged();

private:
    // Stores status in field and emits changed, unless they are equal.
    void store(RowStatus& field, const RowStatus& status, void (SetupModel::*changed)());

    RowStatus m_notifications;
    RowStatus m_loginItem;
};

constexpr auto rawValueTable(SetupModel::RowStatus::Kind)
{
    using enum SetupModel::RowStatus::Kind;
    return makeRawValueTable<SetupModel::RowStatus::Kind>(
        {{actionNeeded, u"actionNeeded"}, {unknown, u"unknown"}, {granted, u"granted"}, {denied, u"denied"}}, unknown);
}

} // namespace gaugelet
