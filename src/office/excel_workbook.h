#pragma once
// A workbook (.xlsx family or .ods): its worksheets, their used ranges and the
// text of their cells; cells can be rewritten and whole rows deleted.
//
// Rows and columns are worksheet numbers from 1. Deleted rows stay readable
// under their old numbers until the workbook is written: the rows below move
// up, and every reference to a moved row follows it, only in the written file.

#include "office/formula_refs.h"
#include "office/word_document.h"
#include "office/zip_package.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift::office {

struct UsedRange {
    int firstRow = 1, lastRow = 1, firstColumn = 1, lastColumn = 1;
};

class ExcelWorkbook {
public:
    ExcelWorkbook();
    ~ExcelWorkbook();
    ExcelWorkbook(const ExcelWorkbook&) = delete;
    ExcelWorkbook& operator=(const ExcelWorkbook&) = delete;

    bool open(const std::string& path);
    void close();

    PackageFormat format() const { return format_; }
    int sheetCount() const { return static_cast<int>(sheets_.size()); }
    // k from 0.
    const std::string& sheetName(int k) const;
    UsedRange usedRange(int k) const;

    std::string cellText(int k, int row, int column) const;
    // Writes a number when the text is numeric, else the text.
    bool setCell(int k, int row, int column, std::string_view text);
    bool deleteRow(int k, int row);

    // Writes the package (complete, not atomic). The first write applies the
    // pending deletions to the parts; after it the workbook takes no changes.
    bool writeTo(const std::string& path);

private:
    struct Sheet;
    bool openOoxml(const std::string& mainPart);
    bool openOdf();
    std::string ooxmlCellText(const Sheet& s, const pugi::xml_node& c) const;
    std::string odfCellText(const pugi::xml_node& c) const;
    bool setOoxmlCell(Sheet& s, int row, int column, std::string_view text);
    bool setOdfCell(Sheet& s, int row, int column, std::string_view text);
    void expandSharedFormulas(Sheet& s);
    bool writeOoxml();
    bool writeOdf();

    ZipPackage pkg_;
    PackageFormat format_ = PackageFormat::Ooxml;
    std::string workbookPart_;
    pugi::xml_document workbook_; // workbook.xml or content.xml
    std::vector<std::unique_ptr<Sheet>> sheets_;
    std::vector<std::string> sharedStrings_;
    std::vector<int> xfDateKind_; // per cell style: a DateKind
    bool date1904_ = false;
    bool changed_ = false;
    bool applied_ = false;
};

} // namespace twinsift::office
