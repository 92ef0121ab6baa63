#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace gaugelet {

// One copy of the program per user session. The copy that owns the
// well-known name (the application id, "dev.gaugelet.app") on the session
// bus serves org.freedesktop.Application's Activate at the path derived from
// it ("/dev/gaugelet/app"), the call `gapplication launch dev.gaugelet.app`
// and desktop launchers make; a later launch finds the name owned, calls
// Activate on its owner and leaves once the owner has answered. The bus
// decides between two launches that race, so exactly one of them owns the
// name. An owner that answers Activate with an error is not this program:
// the launch runs, without the guard. An owner that does not answer within
// activateTimeoutMs is a copy that hangs: the launch tells the user and
// leaves with an error.
//
// A copy started by a running one that is quitting (a relaunch) queues for
// the name instead, and runs once the old copy has let go of it.
//
// Claim before anything reads or writes the settings: a copy that hands over
// must leave them untouched. Main thread.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    static inline const QString applicationId = QStringLiteral("dev.gaugelet.app");
    // The argument of a relaunched copy: wait for the quitting copy's name.
    static inline const QString waitArgument = QStringLiteral("--wait-for-previous");
    // How long a relaunched copy waits for the name before it runs anyway.
    static constexpr int previousCopyWaitMs = 10'000;
    // How long a second launch waits for the running copy's answer. The
    // running copy's main thread is known to be held for up to 3.5 s (the
    // version gate at its start) and a loaded machine stretches that; a copy
    // silent for 10 s is taken to hang.
    static constexpr int activateTimeoutMs = 10'000;

    enum class Claim {
        owner,         // this copy owns the name: run
        queued,        // a relaunch whose old copy never let go: run, and own the name once it goes
        handedOver,    // another copy runs and answered the request to show itself: leave
        noBus,         // no session bus (or it refused the name): run as the only copy we know of
        unguarded,     // the name's owner is not this program: run, without the one-copy guard
        notResponding, // the running copy does not answer: tell the user and leave with an error
    };

    explicit SingleInstance(const QDBusConnection& bus, const QString& name = applicationId, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The Activate platform-data key of a launch by the login item, which
    // racing a start by hand must not put anything up: the running copy
    // stays as it is.
    static inline const QString quietKey = QStringLiteral("gaugelet-at-login");

    // Owns the name, or hands over to the copy that does (quietly: without
    // asking it to show itself). With waitMs > 0 it queues behind the
    // current owner instead and waits up to waitMs for it.
    Claim claim(int waitMs = 0, bool quietly = false);
    // The process that holds the name and did not respond.
    struct SilentOwner {
        quint32 pid = 0;         // 0: the bus does not say
        bool isGaugelet = false; // its executable is ours, or its program is named as ours
        QString program;         // the name it runs under (empty: unknown), with no control or markup character
    };
    const SilentOwner& silentOwner() const { return m_silentOwner; }
    // Who process `pid` is, from procRoot/PID: its executable (compared with
    // ownExecutable, by default this process's), its name and its first
    // argument, each read with a bound.
    static SilentOwner identifyProcess(quint32 pid, const QString& procRoot = QStringLiteral("/proc"),
                                       const QString& ownExecutable = {});
    // How long claim() waits for the owner's answer (tests shorten it).
    void setActivateTimeoutMs(int ms) { m_activateTimeoutMs = ms; }

    // The object path of a name: dots become slashes ("/dev/gaugelet/app").
    static QString objectPath(const QString& name);
    // Whether the arguments ask this copy to wait for the quitting one.
    static bool waitRequested(const QStringList& arguments);

public Q_SLOTS:
    // org.freedesktop.Application.Activate(a{sv} platform_data).
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);

Q_SIGNALS:
    // Another launch asked the running copy to show itself.
    void activated();

private:
    enum class Answer { shown, gone, notOurs, silent };
    Answer activateOwner(const QString& owner, bool quietly);
    Claim waitForName(int waitMs);

    QDBusConnection m_bus;
    QString m_name;
    bool m_registered = false;
    int m_activateTimeoutMs = activateTimeoutMs;
    SilentOwner m_silentOwner;
};

} // namespace gaugelet
