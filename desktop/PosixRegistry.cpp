// The registry where the system has none: Vellum's own store.

#include "Registry.h"

namespace vellum {

namespace {

// Where there is no place for a store, every write fails, as it would in a
// registry the user may not write to.
class NoRegistry final : public Registry {
  public:
    bool SaveRegString(RegistryRoot, std::string_view, std::string_view,
                       std::string_view) override {
        return false;
    }
};

} // namespace

std::unique_ptr<Registry> platformRegistry(RegistryStore::ProblemSayer sayProblem) {
    if (const auto file = RegistryStore::defaultFile()) {
        return std::make_unique<RegistryStore>(*file, std::move(sayProblem));
    }
    return std::make_unique<NoRegistry>();
}

std::optional<std::filesystem::path> associationLocation() {
    return RegistryStore::defaultFile();
}

std::string_view classesRootLocation() {
    return "HKEY_CLASSES_ROOT\\";
}

DesktopIntegration desktopIntegration() {
#ifdef __APPLE__
    return DesktopIntegration::RegistryOnly; // its desktop reads no freedesktop files
#else
    return DesktopIntegration::Freedesktop;
#endif
}

} // namespace vellum
