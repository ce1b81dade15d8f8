#include "LocalTime.h"

#include "io/WideText.h"

#include <cerrno>
#include <system_error>

#include <windows.h>

namespace vellum {

Result<LocalReading> localNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t time[128];
    wchar_t date[128];
    if (GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, time, 128) == 0 ||
        GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128,
                        nullptr) == 0) {
        // Only a bad format or buffer fails here; its text, as every
        // failure's, is the portable one of its errno value.
        return Failure{EINVAL, "the clock cannot be read: " + Failure::fromErrno(EINVAL).text};
    }
    const ClockNumbers numbers{now.wHour, now.wMinute, now.wSecond,
                               now.wDay,  now.wMonth,  now.wYear};
    return LocalReading{{io::wideToUtf8(time), io::wideToUtf8(date)}, numbers};
}

} // namespace vellum
