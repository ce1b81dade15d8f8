#include "DesktopAssociation.h"

#include "TextEscape.h"
#include "core/Utf8.h"
#include "io/Files.h"
#include "io/UserFiles.h"

#include <iostream>

namespace vellum {

namespace {

namespace fs = std::filesystem;

std::string xmlEscaped(std::string_view text) {
    return escapeCharacters(text, {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}});
}

// A value of type string in a desktop entry: backslashes and line breaks escaped.
std::string desktopString(std::string_view text) {
    return escapeCharacters(text, {{'\\', "\\\\"}, {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}});
}

std::string documentIconName() {
    std::string name(kDocumentMimeType);
    name[name.find('/')] = '-';
    return name;
}

// True when a mimeapps.list value lists at least one application.
bool namesApplication(std::string_view applications) {
    return applications.find_first_not_of(" \t\r;") != std::string_view::npos;
}

std::string execLine(const ProgramLocation& program) {
    return execArgument(program.path()) + " %f";
}

} // namespace

std::optional<XdgFolders> XdgFolders::fromEnvironment() {
    XdgFolders folders{io::userFolder("XDG_DATA_HOME", ".local/share"),
                       io::userFolder("XDG_CONFIG_HOME", ".config")};
    if (folders.dataHome.empty() || folders.configHome.empty()) {
        return std::nullopt;
    }
    return folders;
}

std::string execArgument(std::string_view argument) {
    // The characters the desktop entry rules reserve: an argument with any of
    // them goes in double quotes.
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string out;
    const bool quoted =
        argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    if (quoted) {
        out += '"';
    }
    for (const char c : argument) {
        if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out += '\\';
        }
        out += c;
        if (c == '%') {
            out += '%'; // not a field code
        }
    }
    if (quoted) {
        out += '"';
    }
    return desktopString(out);
}

std::string desktopEntry(const ProgramLocation& program, const AssociationEntries& entries) {
    const std::string exec = execLine(program);
    std::string out;
    out += "[Desktop Entry]\n";
    out += "Type=Application\n";
    out += "Version=1.4\n";
    out += "Name=Vellum\n";
    out += "GenericName=TI-85 Text Editor\n";
    out += "Comment=Write texts into TI-85 string files for the Scrollet viewer\n";
    out += "Icon=" + std::string(kDesktopAppId) + "\n";
    out += "Exec=" + exec + "\n";
    out += "Terminal=false\n";
    out += "Categories=Utility;TextEditor;\n";
    out +=
        "MimeType=" + std::string(kDocumentMimeType) + ";" + std::string(kStringMimeType) + ";\n";
    out += "Keywords=TI-85;calculator;string;Scrollet;\n";
    out += "Actions=" + std::string(kOpenActionName) + ";\n";
    out += "\n[Desktop Action " + std::string(kOpenActionName) + "]\n";
    out += "Name=" + desktopString(entries[2].data) + "\n";
    out += "Exec=" + exec + "\n";
    return out;
}

std::string mimePackage(const AssociationEntries& entries) {
    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    out += "  <mime-type type=\"" + std::string(kDocumentMimeType) + "\">\n";
    out += "    <comment>" + xmlEscaped(entries[0].data) + "</comment>\n";
    out += "    <sub-class-of type=\"text/plain\"/>\n";
    out += "    <icon name=\"" + documentIconName() + "\"/>\n";
    out += "    <glob pattern=\"*" + std::string(kDocumentExtension) + "\"/>\n";
    out += "  </mime-type>\n";
    // Every TI-85 variable file starts with the same signature; the type byte
    // at offset 59 (0x0C) tells a string from the rest.
    out += "  <mime-type type=\"" + std::string(kStringMimeType) + "\">\n";
    out += "    <comment>TI-85 String</comment>\n";
    out += "    <magic priority=\"50\">\n";
    out += "      <match type=\"string\" offset=\"0\" value=\"**TI85**\">\n";
    out += "        <match type=\"byte\" offset=\"59\" value=\"0x0c\"/>\n";
    out += "      </match>\n";
    out += "    </magic>\n";
    out += "    <glob pattern=\"*.85s\"/>\n";
    out += "  </mime-type>\n";
    out += "</mime-info>\n";
    return out;
}

std::string withDefaultApplication(std::string_view mimeappsList) {
    const std::string wanted =
        std::string(kDocumentMimeType) + "=" + std::string(kDesktopAppId) + ".desktop;";
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < mimeappsList.size();) {
        const std::size_t end = mimeappsList.find('\n', start);
        lines.emplace_back(
            mimeappsList.substr(start, end == std::string_view::npos ? end : end - start));
        start = end == std::string_view::npos ? mimeappsList.size() : end + 1;
    }
    const auto trimmed = [](std::string_view s) {
        const auto first = s.find_first_not_of(" \t\r");
        if (first == std::string_view::npos) {
            return std::string_view{};
        }
        return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
    };

    std::size_t section = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (trimmed(lines[i]) == "[Default Applications]") {
            section = i;
            break;
        }
    }
    if (section == lines.size()) {
        if (!lines.empty() && !trimmed(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.emplace_back("[Default Applications]");
        lines.push_back(wanted);
    } else {
        std::size_t last = section; // the section's last non-blank line
        bool replaced = false;
        for (std::size_t i = section + 1; i < lines.size() && trimmed(lines[i]).substr(0, 1) != "[";
             ++i) {
            const std::string_view line = trimmed(lines[i]);
            if (line.empty()) {
                continue;
            }
            last = i;
            const auto equals = line.find('=');
            if (equals != std::string_view::npos &&
                trimmed(line.substr(0, equals)) == kDocumentMimeType) {
                // Whatever the line names, ours or another, is the user's
                // choice now; only an empty one is filled in.
                if (!namesApplication(line.substr(equals + 1))) {
                    lines[i] = wanted;
                }
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1), wanted);
        }
    }
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\n";
    }
    return out;
}

DesktopAssociationReport associateWithDesktop(const ProgramLocation& program,
                                              const AssociationEntries& entries,
                                              const XdgFolders& folders, const DesktopIcons& icons,
                                              const ToolRunner& run) {
    DesktopAssociationReport report;
    const auto update = [&report](const fs::path& file, std::string_view content) {
        const Result<bool> written = io::updateUserFile(file, content);
        if (!written.ok()) {
            ++report.failures;
            report.failedFiles.push_back(file);
            return false;
        }
        report.filesWritten += written.value() ? 1 : 0;
        return true;
    };

    const fs::path mimeFolder = folders.dataHome / "mime";
    const fs::path mimeFile = mimeFolder / "packages" / (std::string(kDesktopAppId) + ".xml");
    const fs::path applications = folders.dataHome / "applications";
    const fs::path desktopFile = applications / (std::string(kDesktopAppId) + ".desktop");
    const bool mimeInPlace = update(mimeFile, mimePackage(entries));
    // A desktop entry is UTF-8 throughout and has no escape for other bytes.
    const bool utf8Path = utf8::isWellFormed(program.path());
    if (!utf8Path) {
        report.desktopEntrySkipped = true;
        std::cerr << "vellum: no desktop entry written: the program's path is not UTF-8\n";
    }
    const bool desktopInPlace = utf8Path && update(desktopFile, desktopEntry(program, entries));

    const fs::path hicolor = folders.dataHome / "icons" / "hicolor";
    const std::string appIcon(kDesktopAppId);
    const std::string docIcon = documentIconName();
    const struct {
        const std::string& bytes;
        const char* size;
        const char* context;
        const std::string& name;
        const char* extension;
    } iconFiles[] = {
        {icons.programSvg, "scalable", "apps", appIcon, ".svg"},
        {icons.program16, "16x16", "apps", appIcon, ".png"},
        {icons.program32, "32x32", "apps", appIcon, ".png"},
        {icons.documentSvg, "scalable", "mimetypes", docIcon, ".svg"},
        {icons.document16, "16x16", "mimetypes", docIcon, ".png"},
        {icons.document32, "32x32", "mimetypes", docIcon, ".png"},
    };
    for (const auto& icon : iconFiles) {
        if (!icon.bytes.empty()) {
            update(hicolor / icon.size / icon.context / (icon.name + icon.extension), icon.bytes);
        }
    }

    // The default application is the user's setting; it is only written when
    // the entry it names exists.
    if (desktopInPlace) {
        const fs::path mimeapps = folders.configHome / "mimeapps.list";
        const Result<std::string> current = io::readUserFile(mimeapps);
        if (current.ok() || io::isMissing(current.failure())) {
            update(mimeapps, withDefaultApplication(current.ok() ? current.value() : ""));
        } else {
            ++report.failures;
            report.failedFiles.push_back(mimeapps);
        }
    }

    if (run) {
        if (mimeInPlace && io::isOutdated(mimeFolder / "mime.cache", mimeFile)) {
            report.mimeDatabaseRebuilt = run("update-mime-database", {mimeFolder.string()});
        }
        if (desktopInPlace && io::isOutdated(applications / "mimeinfo.cache", desktopFile)) {
            report.desktopDatabaseRebuilt = run("update-desktop-database", {applications.string()});
        }
    }
    return report;
}

} // namespace vellum
