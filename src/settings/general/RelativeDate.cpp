#include "settings/general/RelativeDate.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace gaugelet {

namespace {

QString tr(const char* text, int n = -1)
{
    return QCoreApplication::translate("RelativeDate", text, nullptr, n);
}

// One unit's phrase: singular and plural forms are separate texts, so the
// English reads right without a translation file; translations use the %n form.
QString quantity(qint64 count, bool past, const char* oneAgo, const char* manyAgo, const char* inOne,
                 const char* inMany)
{
    if (count == 1)
        return tr(past ? oneAgo : inOne);
    return tr(past ? manyAgo : inMany, int(std::min<qint64>(count, std::numeric_limits<int>::max())));
}

// Whole calendar months from the earlier date to the later one.
qint64 monthsBetween(const QDate& earlier, const QDate& later)
{
    qint64 months = qint64(later.year() - earlier.year()) * 12 + (later.month() - earlier.month());
    if (later.day() < earlier.day())
        --months;
    return std::max<qint64>(months, 0);
}

} // namespace

QString RelativeDate::format(const QDateTime& date, const QDateTime& now)
{
    if (!date.isValid() || !now.isValid())
        return {};
    const qint64 ms = date.msecsTo(now);
    const bool past = ms >= 0;
    const qint64 seconds = std::llabs(ms) / 1000;
    if (seconds < 1)
        return tr("now");
    if (seconds < 60)
        return quantity(seconds, past, "1 second ago", "%n seconds ago", "in 1 second", "in %n seconds");
    if (seconds < 3600)
        return quantity(seconds / 60, past, "1 minute ago", "%n minutes ago", "in 1 minute", "in %n minutes");

    const QDate from = date.toLocalTime().date();
    const QDate to = now.toLocalTime().date();
    const qint64 days = std::llabs(from.daysTo(to));
    if (seconds < 86400 || days == 0)
        return quantity(seconds / 3600, past, "1 hour ago", "%n hours ago", "in 1 hour", "in %n hours");
    if (days == 1)
        return tr(past ? "yesterday" : "tomorrow");
    if (days < 7)
        return quantity(days, past, "1 day ago", "%n days ago", "in 1 day", "in %n days");

    const qint64 months = past ? monthsBetween(from, to) : monthsBetween(to, from);
    if (months == 0) {
        const qint64 weeks = days / 7;
        if (weeks == 1)
            return tr(past ? "last week" : "next week");
        return quantity(weeks, past, "1 week ago", "%n weeks ago", "in 1 week", "in %n weeks");
    }
    if (months < 12) {
        if (months == 1)
            return tr(past ? "last month" : "next month");
        return quantity(months, past, "1 month ago", "%n months ago", "in 1 month", "in %n months");
    }
    const qint64 years = months / 12;
    if (years == 1)
        return tr(past ? "last year" : "next year");
    return quantity(years, past, "1 year ago", "%n years ago", "in 1 year", "in %n years");
}

} // namespace gaugelet
