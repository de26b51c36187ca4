#pragma once
// Reads every line of a Word document, or every row of some columns of every
// worksheet, through the adapter the way the reader does.

#include "fuzz_support.h"
#include "office/mod_office.h"

#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift::fuzz {

// The package to read: input that starts like a zip archive is one already;
// any other input is a list of parts ("@@ name" on a line of its own, then
// the part's bytes), packed here. Mutations then reach the XML itself instead
// of dying at a checksum of the archive.
inline std::string writePackage(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    if (in.substr(0, 2) == "PK") return writeScratch(std::filesystem::path(path).filename().string(), data, size);
    std::vector<std::pair<std::string, std::string>> parts;
    std::size_t pos = 0;
    while (pos < in.size()) {
        std::size_t eol = in.find('\n', pos);
        if (eol == std::string_view::npos) eol = in.size();
        const std::string_view line = in.substr(pos, eol - pos);
        if (line.substr(0, 3) == "@@ ") parts.emplace_back(std::string(line.substr(3)), std::string());
        else if (!parts.empty()) parts.back().second.append(line).append(eol < in.size() ? "\n" : "");
        pos = eol + 1;
    }
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return path;
    for (const auto& [name, bytes] : parts) {
        zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
        if (src && zip_file_add(z, name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) zip_source_free(src);
    }
    if (zip_close(z) != 0) zip_discard(z);
    return path;
}

inline bool readWord(modOffice& office, const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    if (!office.WordOpen(path) || !office.WordInitGet()) return false;
    while (office.lWordLineCount > 0 && !office.bWordEOF) lines.push_back(office.WordGetLine());
    return true;
}

inline bool readExcel(modOffice& office, const std::string& path, int sheet, int column, std::vector<std::string>& rows) {
    rows.clear();
    if (!office.ExcelOpen(path)) return false;
    office.iExcelSheet = static_cast<std::int16_t>(sheet);
    office.iExcelColumn = static_cast<std::int16_t>(column);
    if (!office.ExcelInitGet()) return false;
    while (office.lExcelRowCount > 0 && !office.bExcelEOF) rows.push_back(office.ExcelGetRow());
    return true;
}

} // namespace twinsift::fuzz
