#pragma once

// Any bytes read as an autostart entry's Exec value: reading ends with the
// arguments or with an error that says where the fault is, and arguments,
// quoted again as an entry is written, read back as themselves.
#include "platform/desktop/DesktopEntryExec.h"

namespace gaugelet::fuzz {

inline QString checkDesktopEntryExec(const QByteArray& bytes)
{
    const QString exec = DesktopEntryExec::unescapeValue(QString::fromUtf8(bytes));
    if (exec.size() > bytes.size())
        return QStringLiteral("unescaping made the value longer");
    const auto arguments = DesktopEntryExec::arguments(exec);
    if (!arguments) {
        const auto& error = arguments.error();
        if (error.position < 0 || error.position >= exec.size())
            return QStringLiteral("an error outside the value: ") + error.describe();
        return error.describe().isEmpty() ? QStringLiteral("an error without a description") : QString();
    }
    if (arguments->size() > exec.size())
        return QStringLiteral("more arguments than characters");
    QStringList quoted;
    for (const QString& argument : *arguments)
        quoted.append(DesktopEntryExec::quotedArgument(argument));
    const QString written = quoted.join(QLatin1Char(' '));
    const auto again = DesktopEntryExec::arguments(DesktopEntryExec::unescapeValue(written));
    if (!again)
        return QStringLiteral("quoted arguments do not read back (") + again.error().describe() + QStringLiteral("): ")
               + written;
    if (*again != *arguments)
        return QStringLiteral("arguments change through quoting: ") + written;
    return {};
}

} // namespace gaugelet::fuzz
