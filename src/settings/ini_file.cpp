#include "settings/ini_file.h"

#include "save/atomic_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace twinsift {

namespace {

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool startsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    return lower(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}

// "[" + lower-case section + "]", built without operator+ on a literal, which
// GCC 12 misreads as an overlapping copy.
std::string headerText(std::string_view section) {
    std::string h(1, '[');
    h += lower(section);
    h += ']';
    return h;
}

// Only a whole line in brackets starts a section. A "[" inside a value, such as
// a character class in a filter pattern, is ordinary text.
bool isSectionLine(std::string_view line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

struct Line {
    std::string_view text;
    std::string_view eol; // "\r\n", "\r", "\n", or empty on a last line without a break
};

// Splits at CR LF, CR and LF alike, so that a file edited by hand with another
// line end still reads as the lines the user sees.
std::vector<Line> splitLines(std::string_view c) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < c.size()) {
        std::size_t end = c.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back({c.substr(pos), {}});
            break;
        }
        const std::size_t eolLen = (c[end] == '\r' && end + 1 < c.size() && c[end + 1] == '\n') ? 2 : 1;
        lines.push_back({c.substr(pos, end - pos), c.substr(end, eolLen)});
        pos = end + eolLen;
    }
    return lines;
}

// Makes sure the file exists and that the program may rewrite it.
bool prepareFile(const std::filesystem::path& file) {
    {
        std::ofstream create(file, std::ios::binary | std::ios::app);
        if (!create) return false;
    }
#ifdef _WIN32
    // A plain archived file again: Windows refuses to replace a hidden or
    // system file, and the read-only flag would block every later save.
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_ARCHIVE);
#else
    std::error_code ec;
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
#endif
    return true;
}

std::optional<std::string> readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return content;
}

// At most one empty line between two lines, no empty lines at either end.
// Only line breaks go from the ends: any other byte belongs to a line (a
// control character may end a value the program does not write).
std::string tidy(std::string_view w) {
    std::string out;
    out.reserve(w.size());
    std::size_t i = 0;
    while (i < w.size()) {
        if (w.compare(i, 2, "\r\n") == 0) {
            std::size_t run = 0;
            while (w.compare(i, 2, "\r\n") == 0) {
                ++run;
                i += 2;
            }
            for (std::size_t k = 0; k < run && k < 2; ++k) out += "\r\n";
        } else {
            out += w[i++];
        }
    }
    std::size_t end = out.size();
    auto lineBreak = [](char c) { return c == '\r' || c == '\n'; };
    while (end > 0 && lineBreak(out[end - 1])) --end;
    std::size_t begin = 0;
    while (begin < end && lineBreak(out[begin])) ++begin;
    return out.substr(begin, end - begin);
}

bool writeWhole(const std::filesystem::path& file, const std::string& content) {
    const auto put = [&](const std::filesystem::path& p) {
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        return !out.fail();
    };
    // Through a temporary file, so that a crash mid-write leaves the old
    // settings; in place when the folder refuses new files. The temporary file
    // is made new, never through whatever already has its name.
    const std::u8string u8 = file.u8string();
    std::FILE* f = nullptr;
    TempFileGuard tmp(CreateTempBeside(std::string(u8.begin(), u8.end()), &f));
    if (f) {
        bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
        ok = std::fclose(f) == 0 && ok;
        if (ok && ReplaceFileAtomically(tmp.path(), std::string(u8.begin(), u8.end()))) {
            tmp.release();
            return true;
        }
    }
    tmp.remove();
    return put(file);
}

} // namespace

std::string ReadIniValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                         std::string_view defaultText) {
    if (!prepareFile(file)) return std::string(defaultText);
    const auto content = readWhole(file);
    if (!content) return std::string(defaultText);
    const std::string header = headerText(section);
    const std::string keyText = lower(key) + "=";
    bool inSection = false;
    for (const Line& line : splitLines(*content)) {
        if (isSectionLine(line.text)) {
            inSection = lower(line.text) == header;
        } else if (inSection && startsWithNoCase(line.text, keyText)) {
            return std::string(line.text.substr(keyText.size()));
        }
    }
    return std::string(defaultText);
}

bool WriteIniValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                   std::string_view value) {
    if (!prepareFile(file)) return false;
    const auto content = readWhole(file);
    if (!content) return false;
    const std::string header = headerText(section);
    const std::string keyText = lower(key) + "=";
    const std::string entry = std::string(key) + "=" + std::string(value);

    const auto lines = splitLines(*content);
    std::size_t headerAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lower(lines[i].text) == header) {
            headerAt = i;
            break;
        }
    }

    std::string w;
    w.reserve(content->size() + entry.size() + section.size() + 8);
    if (headerAt == lines.size()) {
        w = *content;
        w += "\r\n\r\n[";
        w += section;
        w += "]\r\n";
        w += entry;
    } else {
        std::size_t keyAt = lines.size();
        for (std::size_t i = headerAt + 1; i < lines.size() && !isSectionLine(lines[i].text); ++i) {
            if (startsWithNoCase(lines[i].text, keyText)) {
                keyAt = i;
                break;
            }
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i == keyAt) w += entry;
            else w += lines[i].text;
            if (i == headerAt && keyAt == lines.size()) {
                w += lines[i].eol.empty() ? std::string_view("\r\n") : lines[i].eol;
                w += entry;
                w += "\r\n";
            } else {
                w += lines[i].eol;
            }
        }
    }
    std::string out = tidy(w);
    out += "\r\n";
    return writeWhole(file, out);
}

bool PortableMarkerExists(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::is_regular_file(folder / "PORTABLE", ec);
}

} // namespace twinsift
