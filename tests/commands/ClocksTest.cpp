// The real clocks: one reading of time and date, in the user's formats or
// fixed in UTC.

#include "commands/Clocks.h"
#include "formats/StringFile.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vellum;

TEST(FixedUtcClock, ShowsTheMomentInUtcWithTheCLocaleFormatsInEveryYear) {
    const struct {
        std::time_t seconds;
        const char* time;
        const char* date;
    } cases[] = {
        {1796595330, "22:15:30", "12/06/26"}, // 2026-12-06 22:15:30 UTC
        {0, "00:00:00", "01/01/70"},
        {86399, "23:59:59", "01/01/70"},        // the last second of a day keeps its date
        {951782400, "00:00:00", "02/29/00"},    // a leap day
        {2147483648, "03:14:08", "01/19/38"},   // past 32-bit seconds
        {32503680000, "00:00:00", "01/01/00"},  // 3000, past the Windows runtime's range
        {253402300799, "23:59:59", "12/31/99"}, // the last second of 9999
    };
    for (const auto& c : cases) {
        const Result<ClockReading> now = FixedUtcClock(c.seconds).now();
        ASSERT_TRUE(now.ok()) << c.seconds;
        EXPECT_EQ(now.value().time, c.time) << c.seconds;
        EXPECT_EQ(now.value().date, c.date) << c.seconds;
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

TEST(CalculatorTexts, GiveEveryLocaleACommentWithoutQuestionMarks) {
    const ClockNumbers evening{22, 15, 30, 6, 12, 2026};
    const ClockNumbers morning{9, 5, 3, 6, 12, 2026};
    const struct {
        const char* time;
        const char* date;
        ClockNumbers numbers;
        const char* calculatorTime;
        const char* calculatorDate;
    } cases[] = {
        {"10:15:30\u202fPM", "6 d\u00e9c. 2026", evening, "10:15:30 PM", "6 d\u00e9c. 2026"},
        // Persian, Devanagari and Arabic-Indic digits, in order; no direction marks.
        {"\u06f2\u06f2:\u06f1\u06f5:\u06f3\u06f0",
         "\u06f1\u06f4\u06f0\u06f5/\u06f0\u06f9/\u06f1\u06f5", evening, "22:15:30", "1405/09/15"},
        {"\u096f:\u0966\u096b:\u0966\u0969",
         "\u200f\u0666\u200f/\u0661\u0662\u200f/\u0662\u0660\u0662\u0666", morning, "9:05:03",
         "6/12/2026"},
        // Words the calculator has no letters for: the numbers alone.
        {"\u0661\u0660:\u0661\u0665:\u0663\u0660 \u0645", "2026\u5e7412\u670806\u65e5", evening,
         "22:15:30", "12/6/2026"},
        {"\uc624\uc804 9\uc2dc 5\ubd84 3\ucd08", "\xff", morning, "9:05:03", "12/6/2026"},
    };
    for (const auto& c : cases) {
        const ClockReading shown = calculatorTexts({c.time, c.date}, c.numbers);
        EXPECT_EQ(shown.time, c.calculatorTime) << c.time;
        EXPECT_EQ(shown.date, c.calculatorDate) << c.date;
        EXPECT_EQ(buildComment(shown.time, shown.date).find('?'), std::string::npos) << c.time;
    }
}
