// The ending signals on POSIX systems: SIGINT, SIGTERM and SIGHUP remove the
// listed staging files, then end the process by the same signal.

#include "io/StagingRegister.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace vellum::io::platform {

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t endingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int number : kEndingSignals) {
        sigaddset(&set, number);
    }
    return set;
}

thread_local int holds = 0;
thread_local sigset_t maskBeforeHold;

// Only async-signal-safe calls from here on.
void onEndingSignal(int number) {
    const int savedErrno = errno;
    staging::removeAllListed();
    // The default action, so that the shell sees death by this signal (and
    // reports 128 + its number), not an exit status chosen here.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(number, &defaultAction, nullptr);
    // Blocked while its handler runs: raised now, it ends the process as soon
    // as it is unblocked.
    raise(number);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    errno = savedErrno;
}

} // namespace

void installEndingHandlers() {
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    action.sa_mask = endingSignals(); // one sweep at a time
    for (const int number : kEndingSignals) {
        struct sigaction current {};
        if (sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            continue;
        }
        sigaction(number, &action, nullptr);
    }
}

void holdEndingSignals() {
    if (holds++ == 0) {
        const sigset_t ending = endingSignals();
        pthread_sigmask(SIG_BLOCK, &ending, &maskBeforeHold);
    }
}

void releaseEndingSignals() {
    if (--holds == 0) {
        pthread_sigmask(SIG_SETMASK, &maskBeforeHold, nullptr);
    }
}

void removeFromHandler(const char* name) noexcept {
    ::unlink(name);
}

void pauseFromHandler() noexcept {
    const timespec millisecond{0, 1'000'000};
    nanosleep(&millisecond, nullptr);
}

void waitForTheEnd() noexcept {
    for (;;) {
        pause();
    }
}

} // namespace vellum::io::platform
