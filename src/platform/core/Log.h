#pragma once

#include <QLoggingCategory>

// Declares (in a header) and defines (in a source) a category of the program's
// log, "dev.gaugelet.<name>".
#define GAUGELET_DECLARE_LOG(fn) Q_DECLARE_LOGGING_CATEGORY(fn)
#define GAUGELET_DEFINE_LOG(fn, name) Q_LOGGING_CATEGORY(fn, "dev.gaugelet." name)

namespace gaugelet {

// A category as Q_LOGGING_CATEGORY defines it: a function returning the category.
using LogCategory = const QLoggingCategory& (*)();

// printf-style log lines, so the event lines keep their "key=%s" formats word
// for word. Strings are passed as qUtf8Printable(...) / const char*.
void logInfo(LogCategory category, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void logDebug(LogCategory category, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void logWarning(LogCategory category, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void logError(LogCategory category, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

} // namespace gaugelet
