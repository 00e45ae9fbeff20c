// Settings kept between starts of the program.
//
// A settings key is a small text file of named values in the user's
// configuration folder: the product key ("Software\Velmora\Quillon") is
// $XDG_CONFIG_HOME/Velmora/Quillon.conf (~/.config when the variable is not
// an absolute path); other keys lie below $XDG_CONFIG_HOME/Velmora/<root>/.
// The file holds one "name=value" line per value and ends with the line
// "end", so that a cut-off file is told from a whole one:
//
//   # Velmora Quillon settings
//   driver_sel=0
//   mode=-1
//   end
//
// A key is opened, or created, on every read and write; nothing is cached.
// A write replaces the whole file at once (a temporary file, flushed to the
// disk, renamed over the old one), so a crash at any moment leaves either
// the old or the new file. A file that cannot be read, or is not whole,
// yields the defaults; it is never overwritten in place: a write moves a
// corrupt file aside to "<name>.bad" before storing the new one.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "kernel/os.h"

namespace {

const char* const kProductKey = "Software\\Velmora\\Quillon";
const char* const kDefaultValueName = "@";
const char* const kEndLine = "end";

using Values = std::vector<std::pair<std::string, std::string>>;

enum class LoadResult { Loaded, Missing, Unreadable, Corrupt };

std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return {};
    return std::string(home) + "/.config";
}

// "A\B\C" -> "A/B/C"; empty when a component is empty, "." or "..", or holds
// a slash.
std::string keyPath(const char* path) {
    std::string out, part;
    std::string in = path ? path : "";
    in += '\\';
    for (char ch : in) {
        if (ch != '\\') {
            if (ch == '/' || ch == '\0') return {};
            part += ch;
            continue;
        }
        if (part.empty() || part == "." || part == "..") return {};
        if (!out.empty()) out += '/';
        out += part;
        part.clear();
    }
    return out;
}

// The file of a key; empty when it has none.
std::string keyFile(SettingsRoot root, const char* path) {
    std::string home = configHome();
    if (home.empty()) return {};
    if (root == SettingsRoot::Product && path && std::strcmp(path, kProductKey) == 0)
        return home + "/Velmora/Quillon.conf";
    std::string key = keyPath(path);
    if (key.empty()) return {};
    return home + "/Velmora/" + (root == SettingsRoot::Product ? "Product/" : "Classes/") + key + ".conf";
}

bool validName(const std::string& name) {
    if (name.empty()) return false;
    for (char ch : name)
        if (ch == '=' || ch == '\n' || ch == '\r' || ch == '\0') return false;
    return true;
}

bool parse(const std::string& text, Values& values) {
    size_t pos = 0;
    bool ended = false;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) return false;  // a cut-off last line
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (ended) return false;  // nothing may follow the end line
        if (line == kEndLine) {
            ended = true;
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos || !validName(line.substr(0, eq))) return false;
        values.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return ended;
}

LoadResult load(const std::string& file, Values& values) {
    values.clear();
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? LoadResult::Missing : LoadResult::Unreadable;
    std::string text;
    char chunk[4096];
    for (;;) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return LoadResult::Unreadable;
        }
        if (n == 0) break;
        text.append(chunk, size_t(n));
        if (text.size() > (1u << 20)) {  // no settings file is this large
            close(fd);
            return LoadResult::Corrupt;
        }
    }
    close(fd);
    if (!parse(text, values)) {
        values.clear();
        return LoadResult::Corrupt;
    }
    return LoadResult::Loaded;
}

bool makeFolders(const std::string& file) {
    for (size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
        std::string folder = file.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// Replaces the file with the values, whole or not at all.
bool store(const std::string& file, const Values& values) {
    if (!makeFolders(file)) return false;
    std::string text = "# Velmora Quillon settings\n";
    for (const auto& [name, value] : values) text += name + "=" + value + "\n";
    text += kEndLine;
    text += "\n";

    std::string temporary = file + ".tmp." + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = writeAll(fd, text) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), file.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    std::string folder = file.substr(0, file.rfind('/'));
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

const std::string* find(const Values& values, const std::string& name) {
    for (const auto& [n, v] : values)
        if (n == name) return &v;
    return nullptr;
}

void set(Values& values, const std::string& name, const std::string& value) {
    for (auto& [n, v] : values) {
        if (n == name) {
            v = value;
            return;
        }
    }
    values.emplace_back(name, value);
}

// A whole decimal 32-bit number, sign allowed.
bool parseInt32(const std::string& text, int32_t& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || end == text.c_str() || v < INT32_MIN || v > INT32_MAX) return false;
    if (std::isspace(static_cast<unsigned char>(text[0]))) return false;
    out = int32_t(v);
    return true;
}

// Stores one value, creating the key when missing. False when nothing was
// written (an unreadable key is left alone).
bool writeValue(const std::string& file, const std::string& name, const std::string& value) {
    Values values;
    LoadResult r = load(file, values);
    if (r == LoadResult::Unreadable) return false;
    if (r == LoadResult::Corrupt) {
        std::string aside = file + ".bad";
        if (rename(file.c_str(), aside.c_str()) != 0) return false;
        values.clear();
    }
    set(values, name, value);
    return store(file, values);
}

}  // namespace

int32_t Os::readSetting(const char* name, int32_t defaultValue) {
    std::string file = keyFile(SettingsRoot::Product, kProductKey);
    if (file.empty() || !name || !validName(name)) return defaultValue;
    Values values;
    switch (load(file, values)) {
        case LoadResult::Missing:
            // The first read of a new key seeds its value.
            writeValue(file, name, std::to_string(defaultValue));
            return defaultValue;
        case LoadResult::Loaded: {
            int32_t value = defaultValue;
            const std::string* stored = find(values, name);
            if (stored && parseInt32(*stored, value)) return value;
            return defaultValue;
        }
        default:
            return defaultValue;
    }
}

void Os::writeSetting(const char* name, int32_t value) {
    std::string file = keyFile(SettingsRoot::Product, kProductKey);
    if (file.empty() || !name || !validName(name)) return;
    writeValue(file, name, std::to_string(value));
}

char* Os::readRegistryString(SettingsRoot root, const char* path, const char* valueName, char* buffer,
                             uint32_t size) {
    std::string file = keyFile(root, path);
    if (file.empty() || !buffer) return buffer;
    std::string name = valueName && *valueName ? valueName : kDefaultValueName;
    Values values;
    switch (load(file, values)) {
        case LoadResult::Missing:
            store(file, {});  // the key exists from now on, empty
            return buffer;
        case LoadResult::Loaded: {
            const std::string* stored = find(values, name);
            // Like a query into a buffer too small, a value that does not fit
            // leaves the buffer as it was.
            if (stored && size > 0 && stored->size() < size) std::memcpy(buffer, stored->c_str(), stored->size() + 1);
            return buffer;
        }
        default:
            return buffer;
    }
}
