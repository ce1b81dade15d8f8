#pragma once
// Clocks for the comment of a string file.

#include "commands/Services.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vellum {

// The computer's clock, read when asked, as the local time of day and date in
// the user's locale formats ("%X" and "%x", for instance 10:15:30 PM and
// 12/06/2026). Texts are UTF-8.
class LocalClock final : public Clock {
  public:
    Result<ClockReading> now() override;
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
// spaces, and within the range of the calendar functions.
std::optional<std::time_t> parseSourceDateEpoch(std::string_view value);

} // namespace vellum
