#include "Registry.h"
#include "TextEscape.h"
#include "io/Files.h"
#include "io/UserFiles.h"

#include <array>
#include <utility>

namespace vellum {

namespace {

constexpr std::array<std::pair<RegistryRoot, std::string_view>, 5> kRoots{{
    {RegistryRoot::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {RegistryRoot::CurrentUser, "HKEY_CURRENT_USER"},
    {RegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RegistryRoot::Users, "HKEY_USERS"},
    {RegistryRoot::CurrentConfig, "HKEY_CURRENT_CONFIG"},
}};

// The system registry's limits on the length of names.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

constexpr std::string_view kHeader =
    "; Vellum's registry store: the keys and values the editor sets at start-up\n"
    "; where the system has no registry. Nothing the editor does depends on them.\n";

// Registry names compare without regard to case.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    const auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Comment and blank lines of the file travel with what follows them, so that
// a rewrite puts them back where they were.
using Lines = std::vector<std::string>;

struct Value {
    Lines above;
    std::string name; // empty: the key's default value
    std::string data;
};

struct Key {
    Lines above;
    std::string path; // the root's name, then the levels, joined by backslashes
    std::vector<Value> values;
};

struct Store {
    bool byteOrderMark = false; // the file began with one (as Notepad writes it)
    std::vector<Key> keys;
    Lines end; // after the last key and value
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

Key& keyAt(Store& store, const std::string& path) {
    for (Key& key : store.keys) {
        if (sameName(key.path, path)) {
            return key;
        }
    }
    // A new key goes last, after a blank line.
    Lines above = std::move(store.end);
    store.end.clear();
    above.emplace_back();
    store.keys.push_back(Key{std::move(above), path, {}});
    return store.keys.back();
}

// The levels of a key path; none when a level is empty, too long or holds a
// control character.
std::optional<std::vector<std::string_view>> splitLevels(std::string_view keyPath) {
    std::vector<std::string_view> levels;
    if (keyPath.empty()) {
        return levels; // the root key itself
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = keyPath.find('\\', start);
        const std::string_view level =
            keyPath.substr(start, end == std::string_view::npos ? end : end - start);
        if (level.empty() || level.size() > kMaxKeyNameLength) {
            return std::nullopt;
        }
        for (const char c : level) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                return std::nullopt;
            }
        }
        levels.push_back(level);
        if (end == std::string_view::npos) {
            return levels;
        }
        start = end + 1;
    }
}

// Registry texts in double quotes, with C-like escapes for what would break a line.
std::string quote(std::string_view text) {
    return '"' +
           escapeCharacters(
               text, {{'\\', "\\\\"}, {'"', "\\\""}, {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}},
               true) +
           '"';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads a quoted text at the start of line; returns the text and what follows it.
std::optional<std::pair<std::string, std::string_view>> unquote(std::string_view line) {
    if (line.empty() || line.front() != '"') {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            return std::make_pair(std::move(text), line.substr(i + 1));
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == line.size()) {
            return std::nullopt;
        }
        switch (line[i]) {
        case '\\':
            text += '\\';
            break;
        case '"':
            text += '"';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'x': {
            if (i + 2 >= line.size()) {
                return std::nullopt;
            }
            const int high = hexDigit(line[i + 1]);
            const int low = hexDigit(line[i + 2]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            text += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool knownRoot(std::string_view path) {
    const std::string_view root = path.substr(0, path.find('\\'));
    for (const auto& [id, name] : kRoots) {
        if (sameName(root, name)) {
            return true;
        }
    }
    return false;
}

// A line the store cannot read: where it is (counting from 1) and why.
struct Problem {
    std::size_t line;
    std::string_view why;
};

// What a line of the file says; unreadable ones say why.
struct ParsedHeader {
    std::string path;
    std::string_view why; // empty when the line names a key
};

ParsedHeader parseHeader(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') {
        return {{}, "a key whose name is not closed by \"]\""};
    }
    std::string path(line.substr(1, line.size() - 2));
    if (path.empty()) {
        return {{}, "a key with no name"};
    }
    if (!knownRoot(path)) {
        return {{}, "a key under no registry root (HKEY_CLASSES_ROOT and the like)"};
    }
    return {std::move(path), {}};
}

struct ParsedValue {
    Value value;
    std::string_view why; // empty when the line sets a value
};

ParsedValue parseValue(std::string_view line) {
    ParsedValue parsed;
    std::string_view rest;
    if (line.front() == '@') {
        rest = line.substr(1);
    } else if (line.front() != '"') {
        parsed.why = "neither a key, a value nor a comment";
        return parsed;
    } else {
        auto quoted = unquote(line);
        if (!quoted || quoted->first.empty()) {
            parsed.why = "a value whose name is not a quoted text";
            return parsed;
        }
        parsed.value.name = std::move(quoted->first);
        rest = quoted->second;
    }
    if (rest.empty() || rest.front() != '=') {
        parsed.why = "no \"=\" after the value's name";
        return parsed;
    }
    auto data = unquote(rest.substr(1));
    if (!data || !data->second.empty()) {
        parsed.why = "a value that is not one quoted text";
        return parsed;
    }
    parsed.value.data = std::move(data->first);
    return parsed;
}

// Reads every line it can. A line it cannot read is kept as it is, where it
// is, like a comment, and named in problems; so are the lines below a key it
// cannot read (they belong to no key it knows), though only the key's line
// is named.
Store parse(std::string_view text, std::vector<Problem>& problems) {
    Store store;
    Key* current = nullptr;
    bool inUnreadableKey = false;
    Lines pending; // comment, blank and unreadable lines not yet placed
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == ';') {
            pending.emplace_back(line);
            continue;
        }
        if (line.front() == '[') {
            ParsedHeader header = parseHeader(line);
            inUnreadableKey = !header.why.empty();
            if (inUnreadableKey) {
                problems.push_back({number, header.why});
                pending.emplace_back(line);
                current = nullptr;
                continue;
            }
            const std::size_t known = store.keys.size();
            current = &keyAt(store, header.path);
            if (store.keys.size() != known) {
                current->above = std::move(pending);
                pending.clear();
            }
            // A key named twice is kept once; the lines above its second
            // header stay with the value that follows.
            continue;
        }
        if (inUnreadableKey) {
            pending.emplace_back(line);
            continue;
        }
        ParsedValue parsed = parseValue(line);
        if (parsed.why.empty() && current == nullptr) {
            parsed.why = "a value before any key";
        }
        if (!parsed.why.empty()) {
            problems.push_back({number, parsed.why});
            pending.emplace_back(line);
            continue;
        }
        parsed.value.above = std::move(pending);
        pending.clear();
        current->values.push_back(std::move(parsed.value));
    }
    store.end = std::move(pending);
    return store;
}

void say(const std::filesystem::path& file, const std::vector<Problem>& problems,
         const RegistryStore::ProblemSayer& sayProblem) {
    // A file that is not a store at all (a UTF-16 export, say) would give a
    // line of its own for each of its lines.
    constexpr std::size_t kMostSaid = 10;
    const std::string name = io::pathToUtf8(file);
    for (std::size_t i = 0; i < problems.size() && i < kMostSaid; ++i) {
        sayProblem(name + ":" + std::to_string(problems[i].line) + ": " +
                   std::string(problems[i].why) + "; the line is kept as it is");
    }
    if (problems.size() > kMostSaid) {
        sayProblem(name + ": " + std::to_string(problems.size() - kMostSaid) +
                   " more lines cannot be read; they are kept as they are");
    }
}

std::string serialize(const Store& store) {
    std::string out(store.byteOrderMark ? kByteOrderMark : "");
    const auto put = [&out](const Lines& lines) {
        for (const std::string& line : lines) {
            out += line + "\n";
        }
    };
    for (const Key& key : store.keys) {
        put(key.above);
        out += "[" + key.path + "]\n";
        for (const Value& value : key.values) {
            put(value.above);
            out += value.name.empty() ? std::string("@") : quote(value.name);
            out += "=" + quote(value.data) + "\n";
        }
    }
    put(store.end);
    return out;
}

} // namespace

std::string_view registryRootName(RegistryRoot root) {
    for (const auto& [id, name] : kRoots) {
        if (id == root) {
            return name;
        }
    }
    return {};
}

std::optional<std::filesystem::path> RegistryStore::defaultFile() {
    const auto dataHome = io::userFolder("XDG_DATA_HOME", ".local/share");
    if (dataHome.empty()) {
        return std::nullopt;
    }
    return dataHome / "vellum" / "registry.txt";
}

bool RegistryStore::SaveRegString(RegistryRoot root, std::string_view keyPath,
                                  std::string_view valueName, std::string_view value) {
    const auto levels = splitLevels(keyPath);
    const std::string_view rootName = registryRootName(root);
    if (!levels || rootName.empty() || valueName.size() > kMaxValueNameLength) {
        return false;
    }
    const Result<std::string> current = io::readUserFile(file_);
    if (!current.ok() && !io::isMissing(current.failure())) {
        return false;
    }
    std::string_view bytes = current.ok() ? std::string_view(current.value()) : "";
    const bool byteOrderMark = bytes.starts_with(kByteOrderMark);
    if (byteOrderMark) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    // A new store starts with a word on what it is.
    std::vector<Problem> problems;
    auto store = parse(bytes.empty() ? kHeader : bytes, problems);
    store.byteOrderMark = byteOrderMark;
    // The four entries of one start read the store four times; what is
    // wrong with it is said the first time.
    if (!problems.empty() && !problemsSaid_) {
        problemsSaid_ = true;
        if (sayProblem_) {
            say(file_, problems, sayProblem_);
        }
    }
    // Every missing level is created on the way down, as the system registry does.
    std::string path(rootName);
    Key* key = levels->empty() ? &keyAt(store, path) : nullptr;
    for (const std::string_view level : *levels) {
        path += '\\';
        path += level;
        key = &keyAt(store, path);
    }
    const std::string data = value.empty() ? std::string(" ") : std::string(value);
    bool set = false;
    for (Value& existing : key->values) {
        if (sameName(existing.name, valueName)) {
            existing.data = data;
            set = true;
            break;
        }
    }
    if (!set) {
        key->values.push_back(Value{{}, std::string(valueName), data});
    }
    const std::string text = serialize(store);
    if (current.ok() && current.value() == text) {
        return true;
    }
    return io::writeUserFile(file_, text).ok();
}

} // namespace vellum
