// The local clock on Windows: the user's own formats from the system.

#include "commands/Clocks.h"

#include <gtest/gtest.h>

#include <regex>

using namespace vellum;

TEST(LocalClock, UsesTheUsersWindowsFormats) {
    // Not the C library's "%X %x" (14:15:30 12/06/26): the user's time format
    // and short date format, which for wine's default user read 2:15:30 PM
    // and 12/6/2026.
    const Result<ClockReading> now = LocalClock().now();
    ASSERT_TRUE(now.ok());
    EXPECT_TRUE(std::regex_match(now.value().time, std::regex(R"(\d{1,2}:\d\d:\d\d [AP]M)")))
        << now.value().time;
    EXPECT_TRUE(std::regex_match(now.value().date, std::regex(R"(\d{1,2}/\d{1,2}/\d{4})")))
        << now.value().date;
}
