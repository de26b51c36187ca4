#pragma once
// The portable settings file: a small 8-bit text file of [section] headers and
// key=value lines with CR LF line ends, kept beside the program when it runs
// from a removable drive.
//
// Every call works on the file itself; nothing is cached between calls. A file
// that cannot be created, read or written never ends the program: reads give
// the default, writes answer false.

#include <filesystem>
#include <string>
#include <string_view>

namespace twinsift {

// The value of `key` in `section` (both matched without regard to letter case),
// or `defaultText` when there is none. Creates the file empty when it is missing.
std::string ReadIniValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                         std::string_view defaultText);

// Stores `value` under `key` in `section`, rewriting the whole file. A new key is
// inserted directly below its section header, a new section is appended after
// one empty line, and empty lines at the ends and in runs are tidied away.
bool WriteIniValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   std::string_view value);

// True when `folder` holds a file (not a folder) named "PORTABLE".
bool PortableMarkerExists(const std::filesystem::path& folder);

} // namespace twinsift
