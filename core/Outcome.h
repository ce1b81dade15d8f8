#pragma once
// The outcome of an operation that can fail: a value, or a Failure that says
// why. File operations fill a Failure from the system's error number; its text
// comes from std::generic_category(), so it reads the same on every platform.

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace vellum {

// What a failure is. System: an errno value, from the system or chosen by the
// code (EINVAL for input that cannot be used). Overflow: the string writer's
// overflow, whose number 6 is the one its box shows and would otherwise read
// as ENXIO. Refused: input that is sound but not of the kind asked for (a
// string file without the viewer's marker); its number is EINVAL.
enum class FailureKind { System, Overflow, Refused };

struct Failure {
    int number = 0;   // the errno value, or the writer's own number for an overflow
    std::string text; // one line for the user
    FailureKind kind = FailureKind::System;

    // errno and its text; 0 (which would read as success) becomes EIO.
    static Failure fromErrno(int error) {
        if (error == 0) {
            error = EIO;
        }
        return {error, std::generic_category().message(error)};
    }
};

template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const Failure& failure() const { return std::get<1>(state_); }

  private:
    std::variant<T, Failure> state_;
};

template <> class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    bool ok() const { return !failure_.has_value(); }
    const Failure& failure() const { return *failure_; }

  private:
    std::optional<Failure> failure_;
};

} // namespace vellum
