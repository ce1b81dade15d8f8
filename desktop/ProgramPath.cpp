#include "ProgramPath.h"

#include "io/Files.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace vellum {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
std::string toUtf8(std::wstring_view wide) {
    return io::pathToUtf8(fs::path(wide));
}
#endif

} // namespace

std::string runningExecutable() {
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return toUtf8(std::wstring_view(path));
        }
        path.resize(path.size() * 2); // cut short: try a larger buffer
    }
#else
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : io::pathToUtf8(path);
#endif
}

ProgramLocation locationOfProgram(std::string_view utf8Path) {
    fs::path path = io::pathFromUtf8(utf8Path);
    std::error_code error;
    if (const fs::path absolute = fs::absolute(path, error); !error) {
        path = absolute;
    }
    path.make_preferred();
    ProgramLocation location;
    location.folder = io::pathToUtf8(path.parent_path());
    location.name = io::pathToUtf8(path.filename());
    location.separator = static_cast<char>(fs::path::preferred_separator);
    return location;
}

std::vector<std::string> utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(toUtf8(std::wstring_view(wide[i])));
    }
    LocalFree(wide);
    return arguments;
#else
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
}

} // namespace vellum
