// The real clocks under the writer.

#include "formats/Clocks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

using namespace vellum;

TEST(FixedUtcClock, ShowsTheMomentInUtcWithTheCLocaleFormats) {
    FixedUtcClock clock(1796595330); // 2026-12-06 22:15:30 UTC
    EXPECT_EQ(clock.timeText(), "22:15:30");
    EXPECT_EQ(clock.dateText(), "12/06/26");
    FixedUtcClock epoch(0);
    EXPECT_EQ(epoch.timeText(), "00:00:00");
    EXPECT_EQ(epoch.dateText(), "01/01/70");
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
    ::setenv("LC_ALL", "C", 1);
    LocalClock clock;
    EXPECT_TRUE(std::regex_match(clock.timeText(), std::regex(R"(\d\d:\d\d:\d\d)")));
    EXPECT_TRUE(std::regex_match(clock.dateText(), std::regex(R"(\d\d/\d\d/\d\d)")));
    // A locale that is not installed falls back to the C formats.
    ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    EXPECT_TRUE(std::regex_match(clock.timeText(), std::regex(R"(\d\d:\d\d:\d\d)")));
    if (old != nullptr) {
        ::setenv("LC_ALL", saved.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
}
