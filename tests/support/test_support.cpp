#include "support/test_support.h"

#include <csignal>
#include <cstdlib>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace twinsift::test {

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("twinsift-test-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(std::string_view name, std::string_view bytes) const {
    const auto p = path_ / std::filesystem::path(std::string(name));
    std::filesystem::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write test file");
    return p.string();
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::filesystem::path testdataDir() { return TWINSIFT_TESTDATA_DIR; }
std::filesystem::path samplesDir() { return TWINSIFT_SAMPLES_DIR; }

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* v = std::getenv(name)) {
        had_ = true;
        old_ = v;
    }
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_) ::setenv(name_.c_str(), old_.c_str(), 1);
    else ::unsetenv(name_.c_str());
}

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long long bytes) {
#ifndef _WIN32
    rlimit r{};
    if (getrlimit(RLIMIT_FSIZE, &r) != 0) return;
    oldSoft_ = r.rlim_cur;
    r.rlim_cur = static_cast<rlim_t>(bytes);
    if (r.rlim_max != RLIM_INFINITY && r.rlim_cur > r.rlim_max) r.rlim_cur = r.rlim_max;
    oldHandler_ = reinterpret_cast<void*>(std::signal(SIGXFSZ, SIG_IGN));
    active_ = setrlimit(RLIMIT_FSIZE, &r) == 0;
#endif
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
#ifndef _WIN32
    if (!active_) return;
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = static_cast<rlim_t>(oldSoft_);
    setrlimit(RLIMIT_FSIZE, &r);
    std::signal(SIGXFSZ, reinterpret_cast<void (*)(int)>(oldHandler_));
#endif
}

std::vector<std::string> filesStartingWith(const std::filesystem::path& dir, const std::string& stem) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(stem, 0) == 0) out.push_back(name);
    }
    return out;
}

} // namespace twinsift::test
