#pragma once
// Shared by the fuzz targets: a private scratch folder and a check that ends
// the run with a finding.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace twinsift::fuzz {

// A folder of this process's own, made on first use and removed when the
// process ends normally (after a finding it stays, with the last input's files).
inline const std::filesystem::path& scratchDir() {
    struct Scratch {
        std::filesystem::path dir;
        Scratch() : dir(std::filesystem::temp_directory_path() / ("twinsift-fuzz-" + std::to_string(::getpid()))) {
            std::filesystem::create_directories(dir);
        }
        ~Scratch() {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    };
    static const Scratch scratch;
    return scratch.dir;
}

inline std::string writeScratch(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = (scratchDir() / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

// A broken promise of the code under test: report it and stop, so that the
// fuzzer keeps the input.
inline void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

} // namespace twinsift::fuzz
