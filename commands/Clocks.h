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

// The computer's clock, read when asked. A batch asks for every document:
// the texts of one second are worked out once.
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
