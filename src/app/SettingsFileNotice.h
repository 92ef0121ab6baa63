#pragma once

#include "platform/core/Defaults.h"
#include "platform/desktop/UserNotificationCenter.h"

#include <QObject>
#include <QPointer>

namespace gaugelet {

// Tells the user, once per run and with a desktop notification naming the
// file and the reason, when the settings file could not be read or cannot be
// saved: without it the only trace would be a line in the log. Main thread.
class SettingsFileNotice : public QObject {
    Q_OBJECT
public:
    explicit SettingsFileNotice(Defaults* defaults, QObject* parent = nullptr);

    // Posts at once when the store already knows of a problem (one found while
    // loading), else when it finds the first one.
    void start();
    bool hasPosted() const { return m_posted; }

    // The notification for a problem.
    static UserNotificationCenter::Request request(const Defaults::FileProblem& problem);

private:
    void postIfNeeded();

    QPointer<Defaults> m_defaults;
    bool m_posted = false;
};

} // namespace gaugelet
