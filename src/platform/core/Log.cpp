#include "platform/core/Log.h"

#include <QString>
#include <cstdarg>

namespace gaugelet {

namespace {

QString format(const char* fmt, va_list args)
{
    return QString::vasprintf(fmt, args);
}

} // namespace

void logInfo(LogCategory category, const char* fmt, ...)
{
    if (!category().isInfoEnabled())
        return;
    va_list args;
    va_start(args, fmt);
    const QString line = format(fmt, args);
    va_end(args);
    QMessageLogger().info(category(), "%s", qUtf8Printable(line));
}

void logDebug(LogCategory category, const char* fmt, ...)
{
    if (!category().isDebugEnabled())
        return;
    va_list args;
    va_start(args, fmt);
    const QString line = format(fmt, args);
    va_end(args);
    QMessageLogger().debug(category(), "%s", qUtf8Printable(line));
}

void logWarning(LogCategory category, const char* fmt, ...)
{
    if (!category().isWarningEnabled())
        return;
    va_list args;
    va_start(args, fmt);
    const QString line = format(fmt, args);
    va_end(args);
    QMessageLogger().warning(category(), "%s", qUtf8Printable(line));
}

void logError(LogCategory category, const char* fmt, ...)
{
    if (!category().isCriticalEnabled())
        return;
    va_list args;
    va_start(args, fmt);
    const QString line = format(fmt, args);
    va_end(args);
    QMessageLogger().critical(category(), "%s", qUtf8Printable(line));
}

} // namespace gaugelet
