#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>

class QObject;

namespace gaugelet {

// The shell that runs the user's session, where the program must name it to
// tell the user what to do: GNOME Shell owns its name on the session bus,
// whatever $XDG_CURRENT_DESKTOP says (Ubuntu's session, GNOME Classic, or a
// desktop variable left over from another session).
class SessionShell {
public:
    static inline const QString gnomeShellService = QStringLiteral("org.gnome.Shell");
    // How long the bus may take to answer; no answer counts as another shell.
    static constexpr int replyTimeoutMs = 3000;

    // On the session bus, or on the bus at busAddress.
    explicit SessionShell(const QString& busAddress = {});

    // Whether GNOME Shell runs the session: `answer` runs once, on the
    // context's thread, never inside the call, and not once the context is gone.
    void askIsGnomeShell(QObject* context, std::function<void(bool)> answer) const;

private:
    QDBusConnection m_bus;
};

} // namespace gaugelet
