// The system registry on Windows: SaveRegString as the three registry calls,
// through the wide functions, so that a folder named with "é" or "θ" reaches
// the registry as it is instead of through the ANSI code page.

#include "Registry.h"

#include "io/WideText.h"

#include <windows.h>

namespace vellum {

namespace {

struct RootKey {
    HKEY handle;
    const wchar_t* prefix; // levels in front of the caller's key path
};

// The classes root is a merged view of the machine's classes, which only an
// administrator may change (a write there fails for everyone else), and the
// user's own, HKEY_CURRENT_USER\Software\Classes, which always may be written
// and takes precedence in the view. The association goes there.
RootKey rootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return {HKEY_CURRENT_USER, L"Software\\Classes\\"};
    case RegistryRoot::CurrentUser:
        return {HKEY_CURRENT_USER, L""};
    case RegistryRoot::LocalMachine:
        return {HKEY_LOCAL_MACHINE, L""};
    case RegistryRoot::Users:
        return {HKEY_USERS, L""};
    case RegistryRoot::CurrentConfig:
        return {HKEY_CURRENT_CONFIG, L""};
    }
    return {nullptr, L""};
}

class Win32Registry final : public Registry {
  public:
    bool SaveRegString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                       std::string_view value) override {
        const RootKey rootKeyOf = rootKey(root);
        const std::wstring path = rootKeyOf.prefix + io::utf8ToWide(keyPath);
        const std::wstring name = io::utf8ToWide(valueName);
        const std::wstring data = value.empty() ? std::wstring(L" ") : io::utf8ToWide(value);

        wchar_t keyClass[] = L"1";
        SECURITY_ATTRIBUTES security{};
        security.nLength = sizeof(security);
        security.lpSecurityDescriptor = nullptr;
        security.bInheritHandle = TRUE;
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(rootKeyOf.handle, path.c_str(), 0, keyClass, 0, 0x2003F, &security,
                            &key, &disposition) != ERROR_SUCCESS) {
            return false;
        }
        // REG_SZ data in bytes, with the terminating zero the wide
        // functions expect.
        const LONG result = RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(data.c_str()),
                                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }
};

} // namespace

// The system registry has no store file whose problems could be said.
std::unique_ptr<Registry> platformRegistry(RegistryStore::ProblemSayer) {
    return std::make_unique<Win32Registry>();
}

std::string_view classesRootLocation() {
    return "HKEY_CURRENT_USER\\Software\\Classes\\";
}

// The key the association is written below names the lock (a mutex, no file).
std::optional<std::filesystem::path> associationLocation() {
    return std::filesystem::path(io::utf8ToWide(std::string(classesRootLocation()) + ".vlm"));
}

// The registry entries are the whole of the association.
DesktopIntegration desktopIntegration() {
    return DesktopIntegration::RegistryOnly;
}

} // namespace vellum
