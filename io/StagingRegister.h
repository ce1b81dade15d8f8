#pragma once
// Inside io/: the staging files that exist at this moment, so that a signal
// that ends the process (Ctrl-C, a kill, a closed terminal) can remove them
// first. A batch may hold thousands of them until it renames them all.
//
// A staging file is listed in the same held-signal moment in which it is
// created, and taken off in the moment it is renamed into place or removed:
// the handler never meets a file that exists but is not listed. A name still
// listed after its rename (another thread's) names nothing: removing it is
// harmless.
//
// Nothing is listed and no signal held until removeStagingOnSignals (Files.h)
// has installed the handlers: without them nobody would read the register.

#include "core/Outcome.h"
#include "io/Platform.h"

#include <filesystem>

namespace vellum::io::staging {

// Whether staging files are being listed (the handlers are installed).
bool listing();

// Creates a staging file as platform::createExclusive does, and lists it.
Result<NativeHandle> createAndList(const std::filesystem::path& path);
// Lists a file just made at path by another call (opened with creation);
// the caller holds the signals across both.
void enlist(const std::filesystem::path& path);
// Renames a listed staging file over target (taken off the list once it is
// gone), or removes it.
Result<void> renameAndUnlist(const std::filesystem::path& path,
                             const std::filesystem::path& target);
Result<void> removeAndUnlist(const std::filesystem::path& path);

// Removes every file listed now, once the moments with the signals held in
// other threads have ended (for at most a few seconds). Safe inside a signal
// handler and from any thread: it takes no lock and allocates nothing. A
// file listed after it began is removed by enlist itself.
void removeAllListed() noexcept;

// Holds back the signals that end the process, in this thread, for its
// lifetime (nested holds are fine), while staging files are listed. A signal
// handled in another thread meanwhile waits for the moment to end; a moment
// that would begin after the handler has begun never does.
class SignalsHeld {
  public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

  private:
    bool holding_;
};

} // namespace vellum::io::staging

namespace vellum::io::platform {

// Makes removeAllListed run when the process is told to end, and then lets
// the signal end it as it would have, so that the parent learns which one.
// A signal the process was started with ignored stays ignored (nohup, `&`).
void installEndingHandlers();
// Blocks the ending signals in this thread, or restores them (nested calls
// count); nothing where a handler runs in a thread of its own.
void holdEndingSignals();
void releaseEndingSignals();
// Removes the file of that name: the bare system call, for a handler.
void removeFromHandler(const std::filesystem::path::value_type* name) noexcept;
// Sleeps a millisecond, safely inside a handler.
void pauseFromHandler() noexcept;
// Stops this thread until the ending signal, being handled in another one,
// ends the process.
[[noreturn]] void waitForTheEnd() noexcept;

} // namespace vellum::io::platform
