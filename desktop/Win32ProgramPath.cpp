#include "ProgramPath.h"

#include "io/WideText.h"

#include <windows.h>

#include <shellapi.h>

namespace vellum {

std::string_view editorFileName() {
    return "vellum.exe";
}

std::string runningExecutable() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return io::wideToUtf8(path);
        }
        path.resize(path.size() * 2); // cut short: try a larger buffer
    }
}

std::vector<std::string> utf8Arguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(io::wideToUtf8(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

} // namespace vellum
