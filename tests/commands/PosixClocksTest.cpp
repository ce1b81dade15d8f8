// The local clock on POSIX systems: the formats of the user's locale.

#include "commands/Clocks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

using namespace vellum;

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
