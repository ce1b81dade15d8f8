#pragma once
// Environment variables for the length of a test, on POSIX systems and on
// Windows alike; and the process id that names a test's scratch folder.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace vellum::support {

// Sets a variable (nullopt: removes it).
inline void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // An empty value removes the variable on Windows; there is no other way.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
#endif
}

// Whether a variable can hold an empty value (Windows removes it instead).
#ifdef _WIN32
inline constexpr bool kEmptyVariables = false;
#else
inline constexpr bool kEmptyVariables = true;
#endif

// Makes the C library read TZ again.
inline void readTimeZone() {
#ifdef _WIN32
    _tzset();
#else
    ::tzset();
#endif
}

inline int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

// Sets variables and puts back their old values when it goes.
class ScopedEnvironment {
  public:
    ScopedEnvironment(
        std::initializer_list<std::pair<std::string, std::optional<std::string>>> set) {
        for (const auto& [name, value] : set) {
            const char* old = std::getenv(name.c_str());
            saved_.emplace_back(name,
                                old != nullptr ? std::optional<std::string>(old) : std::nullopt);
            setEnvironment(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            setEnvironment(name, value);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace vellum::support
