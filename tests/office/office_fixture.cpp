#include "office_fixture.h"

#include "support/test_support.h"

#include <zip.h>

#include <gtest/gtest.h>

namespace twinsift::test {

std::string writePackage(const std::string& path, const Entries& entries) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) {
        ADD_FAILURE() << "cannot create " << path;
        return path;
    }
    for (const auto& [name, bytes] : entries) {
        zip_source_t* s = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
        const zip_int64_t idx = zip_file_add(z, name.c_str(), s, ZIP_FL_ENC_UTF_8);
        if (idx >= 0) zip_set_file_compression(z, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(z) != 0) ADD_FAILURE() << "cannot write " << path;
    return path;
}

std::string packageEntry(const std::string& path, const std::string& name) {
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!z) return "<missing>";
    std::string out = "<missing>";
    zip_stat_t st;
    if (zip_stat(z, name.c_str(), 0, &st) == 0) {
        zip_file_t* f = zip_fopen(z, name.c_str(), 0);
        out.assign(st.size, '\0');
        zip_fread(f, out.data(), st.size);
        zip_fclose(f);
    }
    zip_discard(z);
    return out;
}

std::string writeDocx(const std::string& path, const std::string& bodyXml) {
    const std::string w = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    return writePackage(path,
        {{"[Content_Types].xml",
          R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>)"},
         {"_rels/.rels",
          R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>)"},
         {"word/document.xml", R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document xmlns:w=")" + w +
                                   R"("><w:body>)" + bodyXml + "</w:body></w:document>"}});
}

std::string writeXlsx(const std::string& path, const std::string& sheetDataXml, const std::string& extraSheetXml) {
    const std::string ns = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
    return writePackage(path,
        {{"[Content_Types].xml",
          R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>)"},
         {"_rels/.rels",
          R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
         {"xl/workbook.xml", "<workbook " + ns + R"(><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
         {"xl/_rels/workbook.xml.rels",
          R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)"},
         {"xl/worksheets/sheet1.xml",
          "<worksheet " + ns + "><sheetData>" + sheetDataXml + "</sheetData>" + extraSheetXml + "</worksheet>"}});
}

std::vector<std::string> readWordLines(modOffice& office, const std::string& path) {
    std::vector<std::string> lines;
    if (!office.WordOpen(path) || !office.WordInitGet()) {
        ADD_FAILURE() << "cannot open " << path << ": " << office.sOfficeError;
        return lines;
    }
    while (office.lWordLineCount > 0 && !office.bWordEOF) lines.push_back(office.WordGetLine());
    return lines;
}

std::vector<std::string> readExcelRows(modOffice& office, const std::string& path, int sheet, int column) {
    std::vector<std::string> rows;
    if (!office.ExcelOpen(path)) {
        ADD_FAILURE() << "cannot open " << path << ": " << office.sOfficeError;
        return rows;
    }
    office.iExcelSheet = static_cast<std::int16_t>(sheet);
    office.iExcelColumn = static_cast<std::int16_t>(column);
    if (!office.ExcelInitGet()) {
        ADD_FAILURE() << office.sOfficeError;
        return rows;
    }
    while (office.lExcelRowCount > 0 && !office.bExcelEOF) rows.push_back(office.ExcelGetRow());
    return rows;
}

std::vector<std::string> readExpected(const std::string& path) {
    const std::string bytes = readFile(path);
    std::vector<std::string> out;
    std::string cur;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\n') {
            out.push_back(cur);
            cur.clear();
        } else if (c == '\\' && i + 1 < bytes.size()) {
            const char e = bytes[++i];
            switch (e) {
            case 't': cur += '\t'; break;
            case 'v': cur += '\v'; break;
            case 'f': cur += '\f'; break;
            case 'n': cur += '\n'; break;
            case 'r': cur += '\r'; break;
            case 'x':
                cur += static_cast<char>(std::stoi(bytes.substr(i + 1, 2), nullptr, 16));
                i += 2;
                break;
            default: cur += e;
            }
        } else {
            cur += c;
        }
    }
    return out;
}

} // namespace twinsift::test
