// Loading and saving large Office documents through the adapter:
// a 100,000-row worksheet column and a 20,000-paragraph word-processing
// document, each saved after a third of its lines were deleted.
//
// Usage: twinsift_bench_office [FOLDER]   (default: the system temp folder)

#include "office/mod_office.h"
#include "settings/settings_values.h"

#include <zip.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

bool writeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) return false;
    for (const auto& [name, bytes] : entries)
        zip_file_add(z, name.c_str(), zip_source_buffer(z, bytes.data(), bytes.size(), 0), 0);
    return zip_close(z) == 0;
}

const char* kRels = R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="%s"/></Relationships>)";

std::string rels(const char* target) {
    char buf[512];
    std::snprintf(buf, sizeof buf, kRels, target);
    return buf;
}

// Row r: A a key with many repeats, B a payload, C a formula over the row.
std::string makeWorkbook(const std::string& path, int rows) {
    std::string sheet = R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><dimension ref="A1:C)" +
                        std::to_string(rows) + R"("/><sheetData>)";
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        sheet += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"inlineStr\"><is><t>key " + std::to_string(r % 66667) +
                 "</t></is></c><c r=\"B" + n + "\"><v>" + n + "</v></c><c r=\"C" + n + "\"><f>B" + n + "*2</f><v>" +
                 std::to_string(2 * r) + "</v></c></row>";
    }
    sheet += "</sheetData></worksheet>";
    writeZip(path, {{"_rels/.rels", rels("xl/workbook.xml")},
                    {"xl/workbook.xml", R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
                    {"xl/_rels/workbook.xml.rels", R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)"},
                    {"xl/worksheets/sheet1.xml", sheet}});
    return path;
}

std::string makeDocument(const std::string& path, int paragraphs) {
    std::string body = R"(<?xml version="1.0" encoding="UTF-8"?><w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)";
    for (int p = 1; p <= paragraphs; ++p)
        body += "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Paragraph " + std::to_string(p % 13334) +
                "</w:t></w:r><w:r><w:t xml:space=\"preserve\"> with a second run</w:t></w:r></w:p>";
    body += "<w:sectPr/></w:body></w:document>";
    writeZip(path, {{"_rels/.rels", rels("word/document.xml")}, {"word/document.xml", body}});
    return path;
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const twinsift::SettingsValues settings = twinsift::SettingsValues::Defaults();
    int status = 0;

    {
        const std::string src = makeWorkbook((dir / "bench_100k.xlsx").string(), 100000);
        twinsift::modOffice office(settings);
        auto t = Clock::now();
        bool ok = office.ExcelOpen(src) && office.ExcelInitGet();
        std::int64_t rows = 0;
        while (ok && !office.bExcelEOF) office.ExcelGetRow(), ++rows;
        const double load = msSince(t);
        t = Clock::now();
        ok = ok && office.ExcelInitPut();
        for (std::int64_t i = 0; ok && !office.bExcelEOF; ++i)
            ok = i % 3 == 1 ? office.ExcelDeleteRow() : office.ExcelPutRow(i % 3 == 2 ? "changed" : "key " + std::to_string((i + 1) % 66667));
        const std::string out = (dir / "bench_100k_saved.xlsx").string();
        ok = ok && office.ExcelSaveAs(out);
        const double save = msSince(t);
        std::printf("xlsx: load %lld rows %.0f ms; delete a third, change a third, save %.0f ms%s\n",
                    static_cast<long long>(rows), load, save, ok ? "" : " FAILED");
        status |= ok ? 0 : 1;
    }
    {
        const std::string src = makeDocument((dir / "bench_20k.docx").string(), 20000);
        twinsift::modOffice office(settings);
        auto t = Clock::now();
        bool ok = office.WordOpen(src) && office.WordInitGet();
        std::vector<std::string> lines;
        while (ok && !office.bWordEOF) lines.push_back(office.WordGetLine());
        const double load = msSince(t);
        t = Clock::now();
        ok = ok && office.WordInitPut();
        for (std::size_t i = 0; ok && i < lines.size(); ++i)
            ok = i % 3 == 1 ? office.WordDeleteLine() : office.WordPutLine(i % 3 == 2 ? "changed" : lines[i]);
        const std::string out = (dir / "bench_20k_saved.docx").string();
        ok = ok && office.WordSaveAs(out);
        const double save = msSince(t);
        std::printf("docx: load %zu paragraphs %.0f ms; delete a third, change a third, save %.0f ms%s\n",
                    lines.size(), load, save, ok ? "" : " FAILED");
        status |= ok ? 0 : 1;
    }
    return status;
}
