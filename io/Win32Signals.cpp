// The ending events of a Windows console: Ctrl-C, Ctrl-Break and closing the
// console window remove the listed staging files, then the system's own
// handler ends the process as it would have. The handler runs in a thread of
// its own, so there is no signal to hold: it waits for the moments that would
// hold one to end, and enlist removes a file listed after the sweep began.

#include "io/StagingRegister.h"

#include <windows.h>

namespace vellum::io::platform {

namespace {

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        staging::removeAllListed();
        break;
    default:
        break;
    }
    return FALSE; // on to the next handler: the system's, which ends the process
}

} // namespace

void installEndingHandlers() {
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void holdEndingSignals() {}

void releaseEndingSignals() {}

void removeFromHandler(const wchar_t* name) noexcept {
    DeleteFileW(name);
}

void pauseFromHandler() noexcept {
    Sleep(1);
}

void waitForTheEnd() noexcept {
    for (;;) {
        Sleep(INFINITE);
    }
}

} // namespace vellum::io::platform
