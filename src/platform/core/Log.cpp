#include "platform/core/Log.h"

#include <QString>
#include <cstdarg>

namespace gaugelet {

namespace {

// Formats and writes one line at `type` when the category lets it through.
void logLine(QtMsgType type, LogCategory category, const char* fmt, va_list args)
{
    const QLoggingCategory& cat = category();
    if (!cat.isEnabled(type))
        return;
    const QByteArray line = QString::vasprintf(fmt, args).toUtf8();
    QMessageLogger logger;
    switch (type) {
    case QtDebugMsg: logger.debug(cat, "%s", line.constData()); break;
    case QtInfoMsg: logger.info(cat, "%s", line.constData()); break;
    case QtWarningMsg: logger.warning(cat, "%s", line.constData()); break;
    default: logger.critical(cat, "%s", line.constData()); break;
    }
}

} // namespace

void logInfo(LogCategory category, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    logLine(QtInfoMsg, category, fmt, args);
    va_end(args);
}

void logDebug(LogCategory category, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    logLine(QtDebugMsg, category, fmt, args);
    va_end(args);
}

void logWarning(LogCategory category, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    logLine(QtWarningMsg, category, fmt, args);
    va_end(args);
}

void logError(LogCategory category, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    logLine(QtCriticalMsg, category, fmt, args);
    va_end(args);
}

} // namespace gaugelet
