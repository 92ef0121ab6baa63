#pragma once

#include <QDateTime>
#include <QString>

namespace gaugelet {

// A date relative to now in words, in the user's language: "now",
// "5 minutes ago", "yesterday", "last week", "3 months ago", and for a date
// in the future "in 5 minutes", "tomorrow", "next week". Seconds, minutes and
// hours count elapsed time; days and longer count calendar days in the local
// time zone, so a date before midnight reads "yesterday".
class RelativeDate {
public:
    static QString format(const QDateTime& date, const QDateTime& now);
};

} // namespace gaugelet
