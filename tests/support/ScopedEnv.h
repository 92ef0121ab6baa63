#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

namespace gaugelet::test {

// Sets (or, with nullopt, unsets) one environment variable for the life of
// the object, then restores what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<QByteArray> value)
        : m_name(name), m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        value ? qputenv(name, *value) : qunsetenv(name);
    }
    ~ScopedEnv() { m_old ? qputenv(m_name, *m_old) : qunsetenv(m_name); }

    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

} // namespace gaugelet::test
