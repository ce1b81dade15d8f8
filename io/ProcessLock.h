#pragma once
// A lock between the processes of one user: held by one process at a time,
// for the short while it rewrites files that other processes rewrite too.
//
// It is named after the location it guards. PosixProcessLock.cpp takes an
// flock on a lock file beside that location (its name with ".lock" added;
// the file and its folder are made when missing and the file is never
// removed, since a removed lock file would let two processes lock two
// different files). Win32ProcessLock.cpp takes a named mutex of the user's
// session, named after the location; no file is made. Either way the lock
// goes with its process: one that is killed while holding it holds nothing.

#include "core/Outcome.h"
#include "io/Platform.h"

#include <cerrno>
#include <chrono>
#include <filesystem>

namespace vellum::io {

class ProcessLock {
  public:
    // Waits at most patience for the lock. While another process holds it
    // all that time the failure is ETIMEDOUT; any other failure means the
    // lock could not be made at all.
    static Result<ProcessLock> acquire(const std::filesystem::path& location,
                                       std::chrono::milliseconds patience);

    ProcessLock(ProcessLock&& other) noexcept : handle_(other.handle_) {
        other.handle_ = kNoHandle;
    }
    ProcessLock& operator=(ProcessLock&& other) noexcept {
        if (this != &other) {
            release();
            handle_ = other.handle_;
            other.handle_ = kNoHandle;
        }
        return *this;
    }
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;
    // Releases the lock.
    ~ProcessLock() { release(); }

  private:
    explicit ProcessLock(NativeHandle handle) : handle_(handle) {}
    // Said here, since not every C library has a text for ETIMEDOUT.
    static Failure heldElsewhere() { return {ETIMEDOUT, "held by another process"}; }
    void release() noexcept;

    NativeHandle handle_ = kNoHandle;
};

} // namespace vellum::io
