#include "platform/desktop/DesktopEntryExec.h"

namespace gaugelet {

namespace {

bool escapableInQuotes(QChar c)
{
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

} // namespace

QString DesktopEntryExec::ParseError::describe() const
{
    switch (kind) {
    case Kind::unterminatedQuote: return QStringLiteral("the double quote at %1 is never closed").arg(position);
    case Kind::trailingBackslash: return QStringLiteral("the backslash at %1 ends the value").arg(position);
    case Kind::badEscape:
        return QStringLiteral("the backslash at %1 inside double quotes escapes a character that takes none")
            .arg(position);
    }
    return QStringLiteral("unreadable");
}

QString DesktopEntryExec::unescapeValue(const QString& raw)
{
    QString out;
    out.reserve(raw.size());
    const qsizetype size = raw.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 >= size) {
            out += c;
            continue;
        }
        ++i;
        const QChar next = raw[i];
        switch (next.unicode()) {
        case u's': out += QLatin1Char(' '); break;
        case u'n': out += QLatin1Char('\n'); break;
        case u't': out += QLatin1Char('\t'); break;
        case u'r': out += QLatin1Char('\r'); break;
        case u'\\': out += QLatin1Char('\\'); break;
        default:
            out += c;
            out += next;
            break;
        }
    }
    return out;
}

Result<QStringList, DesktopEntryExec::ParseError> DesktopEntryExec::arguments(const QString& exec)
{
    using Kind = ParseError::Kind;
    QStringList arguments;
    QString argument;
    bool inArgument = false; // an argument has begun ("" is one, empty)
    bool inQuotes = false;
    qsizetype quoteStart = 0;
    const auto finishArgument = [&] {
        argument.replace(QLatin1String("%%"), QLatin1String("%"));
        arguments.append(argument);
        argument.clear();
        inArgument = false;
    };
    const qsizetype size = exec.size();
    // Each turn reads one character, or a backslash and the one it escapes.
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = exec[i];
        if (inQuotes) {
            if (c == u'"') {
                inQuotes = false;
            } else if (c != u'\\') {
                argument += c;
            } else if (i + 1 >= size) {
                return fail(ParseError{Kind::unterminatedQuote, quoteStart});
            } else if (!escapableInQuotes(exec[i + 1])) {
                return fail(ParseError{Kind::badEscape, i});
            } else {
                ++i;
                argument += exec[i];
            }
            continue;
        }
        if (c.isSpace()) {
            if (inArgument)
                finishArgument();
            continue;
        }
        inArgument = true;
        if (c == u'"') {
            inQuotes = true;
            quoteStart = i;
        } else if (c != u'\\') {
            argument += c;
        } else if (i + 1 >= size) {
            return fail(ParseError{Kind::trailingBackslash, i});
        } else {
            ++i;
            argument += exec[i];
        }
    }
    if (inQuotes)
        return fail(ParseError{Kind::unterminatedQuote, quoteStart});
    if (inArgument)
        finishArgument();
    return arguments;
}

QString DesktopEntryExec::quotedArgument(const QString& argument)
{
    QString quoted;
    quoted.reserve(argument.size() + 2);
    quoted += QLatin1Char('"');
    for (QChar c : argument) {
        if (escapableInQuotes(c))
            quoted += QLatin1Char('\\');
        if (c == u'%')
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return quoted;
}

} // namespace gaugelet
