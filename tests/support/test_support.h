#pragma once
// Helpers shared by the tests: temporary folders, files with exact bytes.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift::test {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes a file with exactly these bytes and returns its path.
    std::string write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);

// The office test documents kept with the tests, and the project's samples.
std::filesystem::path testdataDir();
std::filesystem::path samplesDir();

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

// Caps the size of every file this process writes, as a full disk would:
// a write past the cap fails (the signal it raises is ignored meanwhile).
// Does nothing where the system has no such limit.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(unsigned long long bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    bool active_ = false;
    unsigned long long oldSoft_ = 0;
    void* oldHandler_ = nullptr;
};

// Files in a folder whose names start with `stem` (temporary files left over).
std::vector<std::string> filesStartingWith(const std::filesystem::path& dir, const std::string& stem);

} // namespace twinsift::test
