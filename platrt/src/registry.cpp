#include "platrt/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

namespace platrt {
namespace {

struct Entry {
    std::string key;
    std::string name;
    std::string data;
};

// Key and value names compare without regard to case, as the platform's do.
bool sameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool isSameOrBelow(const std::string& key, const std::string& root)
{
    if (key.size() < root.size()) return false;
    if (!sameText(key.substr(0, root.size()), root)) return false;
    return key.size() == root.size() || key[root.size()] == '\\';
}

// Fields are tab-separated; tabs, line ends and backslash-escapes inside them are escaped.
std::string escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\t': out += "%t"; break;
        case '\n': out += "%n"; break;
        case '%': out += "%%"; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescape(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 1 < s.size()) {
            const char n = s[++i];
            out += n == 't' ? '\t' : n == 'n' ? '\n' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<Entry> readEntries(const std::filesystem::path& file)
{
    std::vector<Entry> entries;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const auto t1 = line.find('\t');
        const auto t2 = t1 == std::string::npos ? std::string::npos : line.find('\t', t1 + 1);
        if (t2 == std::string::npos) continue;
        entries.push_back({unescape(line.substr(0, t1)), unescape(line.substr(t1 + 1, t2 - t1 - 1)),
                           unescape(line.substr(t2 + 1))});
    }
    return entries;
}

bool writeEntries(const std::filesystem::path& file, const std::vector<Entry>& entries)
{
    const auto temp = file.string() + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const auto& e : entries) out << escape(e.key) << '\t' << escape(e.name) << '\t' << escape(e.data) << '\n';
        out.flush();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    return !ec;
}

// Serialises access between threads (the mutex) and processes (the lock file).
class RegistryLock {
public:
    explicit RegistryLock(const std::filesystem::path& file) : guard_(mutex())
    {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        fd_ = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~RegistryLock()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;

private:
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    std::lock_guard<std::mutex> guard_;
    int fd_ = -1;
};

} // namespace

std::string RegistryPath()
{
    if (const char* explicitPath = std::getenv("PLATRT_REGISTRY"); explicitPath && *explicitPath)
        return explicitPath;
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".config";
    else
        base = std::filesystem::temp_directory_path();
    return (base / "platrt" / "registry").string();
}

bool RegSetValue(const std::string& key, const std::string& name, const std::string& data)
{
    const std::filesystem::path file = RegistryPath();
    RegistryLock lock(file);
    auto entries = readEntries(file);
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const Entry& e) { return sameText(e.key, key) && sameText(e.name, name); });
    if (it != entries.end())
        it->data = data;
    else
        entries.push_back({key, name, data});
    return writeEntries(file, entries);
}

std::optional<std::string> RegGetValue(const std::string& key, const std::string& name)
{
    const std::filesystem::path file = RegistryPath();
    RegistryLock lock(file);
    for (const auto& e : readEntries(file))
        if (sameText(e.key, key) && sameText(e.name, name)) return e.data;
    return std::nullopt;
}

bool RegDeleteTree(const std::string& key)
{
    const std::filesystem::path file = RegistryPath();
    RegistryLock lock(file);
    auto entries = readEntries(file);
    const auto before = entries.size();
    std::erase_if(entries, [&](const Entry& e) { return isSameOrBelow(e.key, key); });
    return entries.size() == before || writeEntries(file, entries);
}

} // namespace platrt
