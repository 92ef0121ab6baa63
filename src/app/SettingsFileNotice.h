#pragma once

#include "platform/core/Defaults.h"
#include "platform/desktop/UserNotificationCenter.h"

#include <QObject>
#include <QPointer>

namespace gaugelet {

// Tells the user, with a desktop notification naming the file and the reason,
// when the settings file could not be read or cannot be saved: without it the
// only trace would be a line in the log. Each distinct problem is told once
// per run, in its own notification, so a later one (a full disk after a file
// set aside at start) does not hide or replace the first. Main thread.
class SettingsFileNotice : public QObject {
    Q_OBJECT
public:
    explicit SettingsFileNotice(Defaults* defaults, QObject* parent = nullptr);

    // Posts at once what the store already knows (a problem found while
    // loading), then each new problem when it is found.
    void start();
    bool hasPosted() const { return m_posted > 0; }

    // The notification for a problem.
    static UserNotificationCenter::Request request(const Defaults::FileProblem& problem);

private:
    void postIfNeeded();

    QPointer<Defaults> m_defaults;
    qsizetype m_posted = 0; // how many of the store's problems were told
};

} // namespace gaugelet
