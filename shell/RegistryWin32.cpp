// The system registry on Windows: SaveRegString as the three registry calls.
#ifdef _WIN32

#include "Registry.h"

#include <windows.h>

namespace vellum {

namespace {

HKEY rootHandle(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
        return HKEY_USERS;
    case RegistryRoot::CurrentConfig:
        return HKEY_CURRENT_CONFIG;
    }
    return nullptr;
}

// Our texts are UTF-8; the "A" functions take the ANSI code page.
std::string toAnsi(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int wideLength =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        wideLength);
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

class Win32Registry final : public Registry {
  public:
    bool SaveRegString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                       std::string_view value) override {
        const std::string path = toAnsi(keyPath);
        const std::string name = toAnsi(valueName);
        std::string data = value.empty() ? std::string(" ") : toAnsi(value);

        char keyClass[] = "1";
        SECURITY_ATTRIBUTES security{};
        security.nLength = sizeof(security);
        security.lpSecurityDescriptor = nullptr;
        security.bInheritHandle = TRUE;
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(rootHandle(root), path.c_str(), 0, keyClass, 0, 0x2003F, &security,
                            &key, &disposition) != ERROR_SUCCESS) {
            return false;
        }
        // The byte count leaves out the terminating zero.
        const LONG result =
            RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size()));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }
};

} // namespace

std::unique_ptr<Registry> platformRegistry() {
    return std::make_unique<Win32Registry>();
}

} // namespace vellum

#endif
