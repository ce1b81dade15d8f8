#pragma once
// The registry layer the start-up association writes through.
//
// SaveRegString creates a key (every missing level of it) below a root and
// sets one string value in it. On Windows that is the system registry; other
// platforms have no registry, so RegistryStore keeps the same keys and values
// in a readable text file of our own. The editor only ever writes: nothing it
// does depends on what a registry holds.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// "HKEY_CLASSES_ROOT" and so on.
std::string_view registryRootName(RegistryRoot root);

class Registry {
  public:
    virtual ~Registry() = default;
    // Creates or opens keyPath (levels joined by backslashes) below root and
    // sets the string value valueName (empty: the key's default value) to
    // value; an empty value is stored as a single space. True when the key
    // could be created or opened and the value set.
    virtual bool SaveRegString(RegistryRoot root, std::string_view keyPath,
                               std::string_view valueName, std::string_view value) = 0;
};

// Keys and string values in a text file laid out like a registry export:
//
//   [HKEY_CLASSES_ROOT\.vlm]
//   @="Vellum File"
//
// Each write reads the file, changes the one value and writes the file again
// (to a temporary file that then replaces it) only when its content changed.
// A byte-order mark at the start is kept. A line it cannot read (a store
// edited by hand, or damaged) is not obeyed and not lost: it is written back
// as it is, in its place, and said once, as FILE:LINE and why, to the
// ProblemSayer; the other lines and the write go on.
class RegistryStore final : public Registry {
  public:
    using ProblemSayer = std::function<void(const std::string& problem)>;

    explicit RegistryStore(std::filesystem::path file, ProblemSayer sayProblem = {})
        : file_(std::move(file)), sayProblem_(std::move(sayProblem)) {}

    // $XDG_DATA_HOME/vellum/registry.txt, with $HOME/.local/share when
    // XDG_DATA_HOME is unset or not absolute; none without a home folder.
    static std::optional<std::filesystem::path> defaultFile();

    const std::filesystem::path& file() const { return file_; }

    bool SaveRegString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                       std::string_view value) override;

  private:
    std::filesystem::path file_;
    ProblemSayer sayProblem_;
    bool problemsSaid_ = false;
};

// What differs between platforms is in Win32Registry.cpp and PosixRegistry.cpp.
//
// The registry of this platform: the system registry on Windows (where the
// classes root's keys are written to the user's part of it,
// HKEY_CURRENT_USER\Software\Classes), elsewhere a
// RegistryStore at its default place, which says its problems to sayProblem
// (or one that refuses every write when there is no place for it).
std::unique_ptr<Registry> platformRegistry(RegistryStore::ProblemSayer sayProblem = {});

// What the association's writers lock (whileAssociationLocked, Association.h): the store's file,
// or on Windows the user's classes key; none where there is no store.
std::optional<std::filesystem::path> associationLocation();

// Where this platform's registry puts the keys of the classes root, as a
// failure names them ("HKEY_CURRENT_USER\\Software\\Classes\\" on Windows).
std::string_view classesRootLocation();

// What tells the desktop about the association besides the registry entries:
// nothing on Windows (and macOS), the freedesktop files (DesktopAssociation.h)
// elsewhere. The editor and "vellum-cli register" both ask this.
enum class DesktopIntegration { RegistryOnly, Freedesktop };
DesktopIntegration desktopIntegration();

} // namespace vellum
