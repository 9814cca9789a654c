#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "support/virtual_scheduler.h"

namespace k45 {
namespace {

// Sets the time zone for one case and puts the old one back.
class Zone {
public:
    explicit Zone(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~Zone() {
        if (old_) setenv("TZ", old_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

TEST(LocalTime, ZoneOffsetAtThatMoment) {
    constexpr std::int64_t kWinter = 946728000;  // 2000-01-01 12:00 UTC
    constexpr std::int64_t kSummer = 962452800;  // 2000-07-01 12:00 UTC
    struct Case {
        const char* tz;
        std::int64_t utc;
        std::int64_t local;
        int hour;
    };
    const Case cases[] = {
        {"UTC0", kWinter, kWinter, 12},
        {"EST5", kWinter, kWinter - 5 * 3600, 7},
        {"CET-1CEST,M3.5.0,M10.5.0/3", kWinter, kWinter + 3600, 13},
        {"CET-1CEST,M3.5.0,M10.5.0/3", kSummer, kSummer + 7200, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tz);
        const Zone zone(c.tz);
        EXPECT_EQ(LocalSecondsOf(c.utc), c.local);
        const std::optional<std::tm> tm = LocalTimeOf(c.utc);
        ASSERT_TRUE(tm);
        EXPECT_EQ(tm->tm_hour, c.hour);
        EXPECT_EQ(tm->tm_year + 1900, 2000);
    }
}

TEST(LocalTime, WallClockIsTheSchedulersWhenThereIsOne) {
    test::VirtualScheduler scheduler;
    scheduler.setWallClock(123456789);
    EXPECT_EQ(WallClockSeconds(&scheduler), 123456789);
    const std::int64_t before = std::time(nullptr);
    const std::int64_t system = WallClockSeconds(nullptr);
    EXPECT_GE(system, before);
    EXPECT_LE(system, std::time(nullptr));
}

}  // namespace
}  // namespace k45
