// The real clocks: one reading of time and date, in the user's formats or
// fixed in UTC.

#include "commands/Clocks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

using namespace vellum;

TEST(FixedUtcClock, ShowsTheMomentInUtcWithTheCLocaleFormats) {
    const struct {
        std::time_t seconds;
        const char* time;
        const char* date;
    } cases[] = {
        {1796595330, "22:15:30", "12/06/26"}, // 2026-12-06 22:15:30 UTC
        {0, "00:00:00", "01/01/70"},
        {86399, "23:59:59", "01/01/70"}, // the last second of a day keeps its date
    };
    for (const auto& c : cases) {
        const Result<ClockReading> now = FixedUtcClock(c.seconds).now();
        ASSERT_TRUE(now.ok());
        EXPECT_EQ(now.value().time, c.time);
        EXPECT_EQ(now.value().date, c.date);
    }
}

TEST(SourceDateEpoch, TakesPlainDecimalSecondsOnly) {
    EXPECT_EQ(parseSourceDateEpoch("0"), 0);
    EXPECT_EQ(parseSourceDateEpoch("1796595330"), 1796595330);
    EXPECT_EQ(parseSourceDateEpoch("253402300799"), 253402300799); // the last second of 9999
    for (const char* bad :
         {"", "-1", "+1", " 1", "1 ", "1e9", "0x10", "253402300800", "99999999999999999999999"}) {
        EXPECT_FALSE(parseSourceDateEpoch(bad).has_value()) << bad;
    }
}

TEST(LocalClock, FollowsTheUsersLocale) {
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old != nullptr ? old : "";
    LocalClock clock;
    // A locale that is not installed falls back to the C formats.
    for (const char* locale : {"C", "xx_NOWHERE.UTF-8"}) {
        ::setenv("LC_ALL", locale, 1);
        const Result<ClockReading> now = clock.now();
        ASSERT_TRUE(now.ok());
        EXPECT_TRUE(std::regex_match(now.value().time, std::regex(R"(\d\d:\d\d:\d\d)")));
        EXPECT_TRUE(std::regex_match(now.value().date, std::regex(R"(\d\d/\d\d/\d\d)")));
    }
    if (old != nullptr) {
        ::setenv("LC_ALL", saved.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
}
