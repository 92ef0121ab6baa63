#include "settings/general/RelativeDate.h"

#include "support/ScopedEnv.h"

#include <gtest/gtest.h>
#include <time.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// The process's time zone for the length of a test.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : m_env("TZ", QByteArray(zone)) { ::tzset(); }

private:
    struct Reset {
        ~Reset() { ::tzset(); }
    };
    Reset m_reset; // runs after m_env has put TZ back
    ScopedEnv m_env;
};

} // namespace

TEST(RelativeDate, ReadsSensiblyForThePastAndTheFuture)
{
    ScopedTimeZone zone("UTC");
    const QDateTime now(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);
    const struct {
        qint64 seconds; // date - now
        const char* text;
    } cases[] = {
        {0, "now"},
        {-1, "1 second ago"},
        {-59, "59 seconds ago"},
        {-60, "1 minute ago"},
        {-5 * 60, "5 minutes ago"},
        {-3599, "59 minutes ago"},
        {-3600, "1 hour ago"},
        {-11 * 3600, "11 hours ago"},
        {-13 * 3600, "13 hours ago"},        // 23:00 the day before: under a day
        {-36 * 3600, "yesterday"},           // 00:00 the day before
        {-37 * 3600, "2 days ago"},
        {-6 * 86400, "6 days ago"},
        {-7 * 86400, "last week"},
        {-20 * 86400, "2 weeks ago"},
        {-40 * 86400, "last month"},
        {-100 * 86400, "3 months ago"},
        {-400 * 86400, "last year"},
        {-800 * 86400, "2 years ago"},
        {1, "in 1 second"},
        {5 * 60, "in 5 minutes"},
        {3 * 3600, "in 3 hours"},
        {14 * 3600, "in 14 hours"},
        {30 * 3600, "tomorrow"},
        {3 * 86400, "in 3 days"},
        {8 * 86400, "next week"},
        {16 * 86400, "in 2 weeks"},
        {45 * 86400, "next month"},
        {200 * 86400, "in 6 months"},
        {3 * 366 * 86400, "in 3 years"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RelativeDate::format(now.addSecs(c.seconds), now), QString::fromUtf8(c.text)) << c.seconds;
    EXPECT_EQ(RelativeDate::format(now.addMSecs(-400), now), "now");
    EXPECT_EQ(RelativeDate::format(QDateTime(), now), "");
}

TEST(RelativeDate, DaysFollowTheLocalCalendar)
{
    // 02:00 in Tokyo; 20:00 UTC the evening before is 05:00 local today.
    ScopedTimeZone zone("Asia/Tokyo");
    const QDateTime now(QDate(2026, 12, 6), QTime(17, 0), Qt::UTC); // 02:00 on the 7th, local
    EXPECT_EQ(RelativeDate::format(now.addSecs(-6 * 3600), now), "6 hours ago");
    EXPECT_EQ(RelativeDate::format(now.addSecs(-25 * 3600), now), "yesterday");
}
