#pragma once
// Clocks for the comment of a string file.

#include "commands/Services.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vellum {

// The moment secondsSinceEpoch (1970-01-01 00:00:00 UTC onwards) in UTC, in
// the formats of the "C" locale: "22:15:30" and "12/06/26". Worked out on the
// C++20 calendar rather than the C library's, whose range differs between
// platforms (the Windows runtime refuses years past 3000), so that every
// year up to 9999 gives the same texts everywhere.
ClockReading utcTexts(std::int64_t secondsSinceEpoch);

// A moment's time of day and date as numbers (24-hour clock, month 1 to 12).
struct ClockNumbers {
    unsigned hour = 0, minute = 0, second = 0;
    unsigned day = 1, month = 1;
    int year = 1970;
};

// The platform's texts as the calculator can show them, so that a comment
// never holds a "?": the decimal digits of every script become 0 to 9 in the
// same order and direction marks go; a text that still holds a character
// without a calculator code (a word of a CJK date, an Arabic AM/PM) becomes
// the numbers alone, "22:15:30" and "12/6/2026".
ClockReading calculatorTexts(const ClockReading& platform, const ClockNumbers& numbers);

// The computer's clock, read when asked, in the user's formats as far as the
// calculator can show them. A batch asks for every document: the texts of one
// second are worked out once.
class LocalClock final : public Clock {
  public:
    Result<ClockReading> now() override;

  private:
    std::optional<ClockReading> texts_;
    std::time_t second_ = 0; // the second texts_ tell
};

// One fixed moment, in UTC and in the formats of the "C" locale (22:15:30 and
// 12/06/26), so that the same input always gives the same file whatever the
// machine's time zone and language.
class FixedUtcClock final : public Clock {
  public:
    explicit FixedUtcClock(std::time_t secondsSinceEpoch) : seconds_(secondsSinceEpoch) {}
    Result<ClockReading> now() override;

  private:
    std::time_t seconds_;
};

// The seconds of a SOURCE_DATE_EPOCH value: decimal digits only, no sign, no
// spaces, and no later than the last second of the year 9999.
std::optional<std::time_t> parseSourceDateEpoch(std::string_view value);

} // namespace vellum
