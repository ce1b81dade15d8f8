// The lock between processes on Windows: a named mutex in the user's session.
// A mutex, unlike a byte-range lock on a file, is given up by the system when
// its holder is killed, and the next process that waits for it takes it
// (WAIT_ABANDONED), so a killed editor never keeps the next one waiting.

#include "io/ProcessLock.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

namespace vellum::io {

namespace {

constexpr std::wstring_view kNamePrefix = L"Local\\Vellum lock ";
// An object's name is at most MAX_PATH characters long.
constexpr std::size_t kLongestName = MAX_PATH - 1;

// The location's text as a name: backslashes, which a name may not hold past
// its namespace, become slashes, and letters become small ones, since
// Windows paths and registry keys ignore case. A name that would be too long
// ends in a digest of the whole instead.
std::wstring mutexName(const std::filesystem::path& location) {
    std::wstring text = location.wstring();
    for (wchar_t& c : text) {
        if (c == L'\\') {
            c = L'/';
        } else if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    std::wstring name(kNamePrefix);
    if (name.size() + text.size() <= kLongestName) {
        return name + text;
    }
    std::uint64_t digest = 14695981039346656037ull; // FNV-1a
    for (const wchar_t c : text) {
        digest = (digest ^ static_cast<std::uint64_t>(c)) * 1099511628211ull;
    }
    wchar_t hex[17];
    for (int i = 15; i >= 0; --i, digest >>= 4) {
        hex[i] = L"0123456789abcdef"[digest & 0xF];
    }
    hex[16] = L'\0';
    return name + L"digest " + hex;
}

Failure lastFailure() {
    return Failure::fromErrno(GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO);
}

} // namespace

Result<ProcessLock> ProcessLock::acquire(const std::filesystem::path& location,
                                         std::chrono::milliseconds patience) {
    // Not inherited by the programs this one starts.
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName(location).c_str());
    if (mutex == nullptr) {
        return lastFailure();
    }
    const auto waitMs = static_cast<DWORD>(
        std::clamp<std::chrono::milliseconds::rep>(patience.count(), 0, INFINITE - 1));
    switch (WaitForSingleObject(mutex, waitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: // its holder ended without giving it up
        return ProcessLock(reinterpret_cast<NativeHandle>(mutex));
    case WAIT_TIMEOUT:
        CloseHandle(mutex);
        return heldElsewhere();
    default: {
        const Failure failure = lastFailure();
        CloseHandle(mutex);
        return failure;
    }
    }
}

// A mutex is given up by the thread that took it; the lock is only ever held
// within one piece of work on one thread.
void ProcessLock::release() noexcept {
    if (handle_ != kNoHandle) {
        const HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
        handle_ = kNoHandle;
    }
}

} // namespace vellum::io
