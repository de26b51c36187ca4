#pragma once
// An Office package (a zip archive) held in memory from opening to saving.
//
// The original bytes stay in memory, so saving never reads the source file again
// and every entry that was not changed is copied across untouched.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct zip;

namespace twinsift::office {

// Limits against zip bombs: what one entry and all entries together may inflate to.
struct PackageLimits {
    std::uint64_t maxEntryBytes = std::uint64_t{128} << 20;
    std::uint64_t maxTotalBytes = std::uint64_t{512} << 20;
};

class ZipPackage {
public:
    ZipPackage();
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Reads the file and checks the archive; false for anything that is not a
    // sound zip archive with safe entry names.
    bool open(const std::string& path, PackageLimits limits = {});
    void close();
    bool isOpen() const { return archive_ != nullptr; }

    bool has(const std::string& name) const { return index_.count(name) != 0; }
    const std::vector<std::string>& names() const { return names_; }

    // The inflated bytes of an entry (a changed entry gives its new bytes);
    // nullopt when it is missing, damaged or over the limits.
    std::optional<std::string> read(const std::string& name);

    // Changes take effect when the package is written.
    void replace(const std::string& name, std::string bytes);
    void remove(const std::string& name);

    // Writes the package with its changes to path (entries in their original
    // order, unchanged ones copied as they were). False on any failure; a
    // partly written file is removed.
    bool writeTo(const std::string& path) const;

private:
    std::vector<char> bytes_;
    zip* archive_ = nullptr;
    std::vector<std::string> names_;
    std::map<std::string, std::int64_t> index_;
    std::map<std::string, std::string> replaced_;
    std::set<std::string> removed_;
    PackageLimits limits_;
    std::uint64_t inflated_ = 0;
};

// Resolves a relationship target against the folder of the part that names it
// ("word/document.xml" + "media/a.png" -> "word/media/a.png"); empty when it
// leaves the package.
std::string resolvePartName(const std::string& sourcePart, const std::string& target);

} // namespace twinsift::office
