#pragma once

// dunst, the real notification daemon, on a test's private bus, drawing on a
// virtual X server of its own.

#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace gaugelet::test {

class Dunst {
public:
    explicit Dunst(PrivateBus& bus) : m_bus(bus)
    {
        const QString config = m_dir.filePath("dunstrc");
        writeFile(config, "[global]\n  font = Monospace 8\n  history_length = 50\n"
                          "[urgency_low]\n  timeout = 0\n[urgency_normal]\n  timeout = 0\n[urgency_critical]\n  timeout = 0\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
        env.remove("WAYLAND_DISPLAY");
        env.insert("HOME", m_dir.path());
        m_process.start("xvfb-run", {"-a", "-s", "-nolisten tcp", "dunst", "-config", config}, env);
        QDBusConnection probe = bus.connect();
        m_ready = waitUntil(
            [&] { return probe.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.Notifications")).value(); },
            15000);
    }

    bool isReady() const { return m_ready; }

    // dunstctl against our bus: stdout of the command.
    QByteArray dunstctl(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_bus.address());
        p.setProcessEnvironment(env);
        p.start("dunstctl", args);
        p.waitForFinished(10000);
        return p.readAllStandardOutput();
    }

    // Summaries of the notifications in dunst's history, newest first.
    QStringList historySummaries(QStringList* bodies = nullptr)
    {
        const QJsonDocument doc = QJsonDocument::fromJson(dunstctl({"history"}));
        QStringList summaries;
        const QJsonArray entries = doc.object().value("data").toArray().at(0).toArray();
        for (const QJsonValue entry : entries) {
            summaries << entry["summary"]["data"].toString();
            if (bodies)
                *bodies << entry["body"]["data"].toString();
        }
        return summaries;
    }

private:
    PrivateBus& m_bus;
    QTemporaryDir m_dir;
    GroupProcess m_process;
    bool m_ready = false;
};

} // namespace gaugelet::test
