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

// Each level's entry point hands its arguments to logLine.
#define GAUGELET_LOG_ENTRY(name, type)                                                                                 \
    void name(LogCategory category, const char* fmt, ...)                                                              \
    {                                                                                                                  \
        va_list args;                                                                                                  \
        va_start(args, fmt);                                                                                           \
        logLine(type, category, fmt, args);                                                                            \
        va_end(args);                                                                                                  \
    }

GAUGELET_LOG_ENTRY(logInfo, QtInfoMsg)
GAUGELET_LOG_ENTRY(logDebug, QtDebugMsg)
GAUGELET_LOG_ENTRY(logWarning, QtWarningMsg)
GAUGELET_LOG_ENTRY(logError, QtCriticalMsg)

#undef GAUGELET_LOG_ENTRY

} // namespace gaugelet
