#pragma once
// The computer's local time, as the system formats it: one implementation per
// platform (PosixLocalTime.cpp, Win32LocalTime.cpp).

#include "commands/Clocks.h"
#include "commands/Services.h"

namespace vellum {

// The current moment, read once, as the local time of day and date in the
// user's formats (on Windows the user's time format and short date format,
// elsewhere "%X" and "%x" of the user's locale, for instance 10:15:30 PM and
// 12/06/2026), and as numbers. Texts are UTF-8. A failure when the system
// cannot tell the time.
struct LocalReading {
    ClockReading texts;
    ClockNumbers numbers;
};
Result<LocalReading> localNow();

} // namespace vellum
