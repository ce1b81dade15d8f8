#pragma once
// Environment variables for the length of a test, on POSIX systems and on
// Windows alike; the process id and a test's scratch folder.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vellum::support {

// Sets a variable (nullopt: removes it).
void setEnvironment(const std::string& name, const std::optional<std::string>& value);

// Whether a variable can hold an empty value (Windows removes it instead).
extern const bool kEmptyVariables;

// Makes the C library read TZ again.
void readTimeZone();

int processId();

// A new, empty folder of this process's own below the system's temporary
// folder. PosixEnvironment.cpp, Win32Environment.cpp.
std::filesystem::path makeScratchFolder();

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
