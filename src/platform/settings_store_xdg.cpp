#include "platform/settings_store_xdg.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace twinsift {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// Length of the well-formed UTF-8 sequence at s[i], or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else return 0;
    if (i + n > s.size()) return 0;
    if (b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return n;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A path component that cannot leave the config folder or name a hidden file.
std::string safeComponent(std::string_view name) {
    std::string r;
    for (char c : name) r += (c == '/' || c == '\\' || c == '\0') ? '_' : c;
    if (r.empty() || r.front() == '.') r.insert(r.begin(), '_');
    return r;
}

using Entry = XdgSettingsStore::Entry;

std::vector<Entry> parse(const std::string& content) {
    std::vector<Entry> entries;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back(); // edited on Windows
        Entry e;
        if (!line.empty() && line[0] != '#' && line[0] != ';') {
            if (const auto eq = line.find('='); eq != std::string::npos) {
                e.key = XdgSettingsStore::unescape(std::string_view(line).substr(0, eq));
                e.isValue = true;
            }
        }
        e.line = std::move(line);
        entries.push_back(std::move(e));
        pos = end + 1;
    }
    return entries;
}

std::string serialise(const std::vector<Entry>& entries) {
    std::string out;
    for (const Entry& e : entries) {
        out += e.line;
        out += '\n';
    }
    return out;
}

bool readWhole(const std::filesystem::path& path, std::string& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[8192];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Creates the missing folders of a path with the 0700 the XDG rules ask for.
bool makeFolders(const std::filesystem::path& dir) {
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) return true;
    if (dir.has_parent_path() && dir.parent_path() != dir && !makeFolders(dir.parent_path())) return false;
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeAtomically(const std::filesystem::path& target, const std::string& content) {
    if (!makeFolders(target.parent_path())) return false;
    std::string tmpl = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    const char* p = content.data();
    std::size_t left = content.size();
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else {
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    // The data must be on disk before the rename makes it the store.
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmpl.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(tmpl.c_str());
    return ok;
}

} // namespace

XdgSettingsStore::XdgSettingsStore() : root_(defaultConfigRoot().value_or(std::filesystem::path())) {}

XdgSettingsStore::XdgSettingsStore(std::filesystem::path configRoot) : root_(std::move(configRoot)) {}

std::optional<std::filesystem::path> XdgSettingsStore::defaultConfigRoot() {
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && x[0] == '/') return std::filesystem::path(x);
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::filesystem::path(home) / ".config";
    // Started without a HOME (some service managers do that): ask the user database.
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return std::filesystem::path(pw->pw_dir) / ".config";
    return std::nullopt;
}

std::filesystem::path XdgSettingsStore::filePath(std::string_view application, std::string_view section) const {
    if (root_.empty()) return {};
    return root_ / safeComponent(application) / (safeComponent(section) + ".conf");
}

std::string XdgSettingsStore::escape(std::string_view raw, bool isKey) {
    std::string out;
    out.reserve(raw.size());
    std::size_t i = 0;
    while (i < raw.size()) {
        const auto c = static_cast<unsigned char>(raw[i]);
        const std::size_t n = utf8SequenceLength(raw, i);
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (n == 0 || c < 0x20 || c == 0x7F || (isKey && c == '=')) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out.append(raw.substr(i, n));
            i += n;
            continue;
        }
        ++i;
    }
    return out;
}

std::string XdgSettingsStore::unescape(std::string_view stored) {
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c != '\\' || i + 1 >= stored.size()) {
            out += c;
            continue;
        }
        const char e = stored[i + 1];
        if (e == '\\') out += '\\';
        else if (e == 'n') out += '\n';
        else if (e == 'r') out += '\r';
        else if (e == 't') out += '\t';
        else if (e == 'x' && i + 3 < stored.size() && hexValue(stored[i + 2]) >= 0 && hexValue(stored[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(stored[i + 2]) * 16 + hexValue(stored[i + 3]));
            i += 2;
        } else {
            // Not an escape this store writes: keep a hand-typed backslash as it is.
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

std::optional<std::vector<Entry>> XdgSettingsStore::load(const std::filesystem::path& path) const {
    std::string content;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return ec ? std::nullopt : std::optional(std::vector<Entry>());
    if (!readWhole(path, content)) return std::nullopt;
    return parse(content);
}

std::vector<Entry>* XdgSettingsStore::pendingFor(const std::filesystem::path& path) {
    if (auto it = pending_.find(path); it != pending_.end()) return &it->second;
    auto entries = load(path);
    if (!entries) return nullptr;
    return &pending_.emplace(path, std::move(*entries)).first->second;
}

std::string XdgSettingsStore::get(std::string_view application, std::string_view section, std::string_view key,
                                  std::string_view defaultText) {
    const auto path = filePath(application, section);
    if (path.empty()) return std::string(defaultText);
    std::optional<std::vector<Entry>> fromDisk;
    const std::vector<Entry>* entries = nullptr;
    if (auto it = pending_.find(path); it != pending_.end()) {
        entries = &it->second;
    } else {
        fromDisk = load(path);
        if (!fromDisk) return std::string(defaultText);
        entries = &*fromDisk;
    }
    for (const Entry& e : *entries) {
        if (e.isValue && equalsNoCase(e.key, key))
            return unescape(std::string_view(e.line).substr(e.line.find('=') + 1));
    }
    return std::string(defaultText);
}

bool XdgSettingsStore::save(std::string_view application, std::string_view section, std::string_view key,
                            std::string_view text) {
    const auto path = filePath(application, section);
    if (path.empty()) return false;
    // Never overwrite a store that exists but cannot be read.
    std::optional<std::vector<Entry>> single;
    std::vector<Entry>* entries = nullptr;
    if (updating_) {
        entries = pendingFor(path);
    } else {
        single = load(path);
        if (single) entries = &*single;
    }
    if (!entries) return false;

    std::string line = escape(key, true);
    line += '=';
    line += escape(text, false);
    bool replaced = false;
    for (Entry& e : *entries) {
        if (e.isValue && equalsNoCase(e.key, key)) {
            e.line = line;
            replaced = true;
            break;
        }
    }
    if (!replaced) entries->push_back({std::move(line), std::string(key), true});
    return updating_ || writeAtomically(path, serialise(*entries));
}

void XdgSettingsStore::beginUpdate() { updating_ = true; }

bool XdgSettingsStore::endUpdate() {
    bool ok = true;
    for (const auto& [path, entries] : pending_) ok = writeAtomically(path, serialise(entries)) && ok;
    pending_.clear();
    updating_ = false;
    return ok;
}

std::unique_ptr<SettingsStore> makeUserSettingsStore() { return std::make_unique<XdgSettingsStore>(); }

} // namespace twinsift
