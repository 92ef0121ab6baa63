#pragma once

#include "platform/core/Result.h"

#include <QString>
#include <QStringList>

namespace gaugelet {

// The command of a desktop entry's Exec key. The value is a string value
// first (\s \n \t \r and \\ stand for a space, the three control characters
// and a backslash), then arguments separated by blanks, each plain or in
// double quotes; inside quotes a backslash may only precede ", `, $ or a
// backslash, outside it takes the next character as it is (as the desktops'
// starters read it); "%%" is a literal "%". A value that cannot be read one
// way only (a quote left open, a backslash at the end, a backslash inside
// quotes before any other character) is an error, never a guess. Every
// reading is one pass over its text.
class DesktopEntryExec {
public:
    struct ParseError {
        enum class Kind { unterminatedQuote, trailingBackslash, badEscape };
        Kind kind = Kind::unterminatedQuote;
        qsizetype position = 0; // in the unescaped value: the open quote, or the backslash
        QString describe() const;
    };

    // A string key's value with its escapes resolved; a backslash before any
    // other character, or at the end, stays as it is.
    static QString unescapeValue(const QString& raw);
    // The arguments of an unescaped Exec value, the program first.
    static Result<QStringList, ParseError> arguments(const QString& exec);
    // One argument in double quotes with ", `, $ and the backslash escaped by
    // a backslash and "%" written "%%", then escaped as a string value (each
    // backslash doubled): read back by unescapeValue and arguments as itself.
    static QString quotedArgument(const QString& argument);
};

} // namespace gaugelet
