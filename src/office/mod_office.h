#pragma once
// The Office document adapter: a Word document, or one column of one worksheet
// of an Excel workbook, walked as a list of lines by one cursor per kind.
//
// The documents are read and written by the program itself (.docx family and
// .odt, .xlsx family and .ods); no office suite is needed. A document stays
// open in memory from loading until it is saved or closed. No operation throws:
// each reports failure through its result and the text in sOfficeError.

#include "office/excel_workbook.h"
#include "office/word_document.h"
#include "save/atomic_file.h"
#include "settings/settings_values.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

class modOffice {
public:
    explicit modOffice(const SettingsValues& settings);
    ~modOffice();
    modOffice(const modOffice&) = delete;
    modOffice& operator=(const modOffice&) = delete;

    // --- shared state --------------------------------------------------------
    std::string sOfficeError;

    bool bWordOpen = false;
    std::int32_t lWordLineCount = 0;
    std::int32_t lWordLineIndex = 0;
    std::int16_t iWordSkip = 0;
    bool bWordEOF = false;

    bool bExcelOpen = false;
    std::int16_t iExcelSheetCount = 0;
    // Per worksheet, element 0 for worksheet 1.
    std::vector<std::string> sExcelSheetName;
    std::vector<std::int32_t> lExcelFirstColumn;
    std::vector<std::int32_t> lExcelLastColumn;
    std::int16_t iExcelSheet = 1;  // set by the caller
    std::int16_t iExcelColumn = 1; // set by the caller
    std::int32_t lExcelRowCount = 0;
    std::int32_t lExcelRow = 0;
    std::int32_t lExcelLastRow = 0;
    bool bExcelEOF = false;

    // --- Word ----------------------------------------------------------------
    bool WordOpen(const std::string& path);
    bool WordInitGet();
    std::string WordGetLine();
    bool WordInitPut();
    bool WordPutLine(std::string_view text);
    bool WordDeleteLine();
    bool WordSaveAs(const std::string& path);
    bool WordClose();

    // --- Excel ---------------------------------------------------------------
    bool ExcelOpen(const std::string& path);
    bool ExcelInitGet();
    std::string ExcelGetRow();
    bool ExcelInitPut();
    bool ExcelPutRow(std::string_view text);
    bool ExcelDeleteRow();
    bool ExcelSaveAs(const std::string& path);
    bool ExcelClose();

    // "A" for 1 ... "Z", "AA" for 27 ... "ZZ" for 702; beyond that the full
    // column name (three letters).
    static std::string ExcelColumnName(int n);

private:
    // The rows of the selected used range still present, by their position.
    class LiveRows {
    public:
        void reset(int count);
        int size() const { return live_; }
        int nth(int k) const; // 1-based position -> 1-based original row, 0 if none
        void erase(int original);

    private:
        std::vector<int> tree_;
        int live_ = 0;
        int top_ = 1;
    };

    bool sameText(std::string_view document, std::string_view text) const;
    int currentWorksheetRow() const;

    const SettingsValues& settings_;
    std::unique_ptr<office::WordDocument> word_;
    std::string wordExt_;
    std::unique_ptr<office::ExcelWorkbook> excel_;
    std::string excelExt_;
    int excelSheet_ = -1; // 0-based worksheet chosen by ExcelInitGet
    office::UsedRange range_;
    LiveRows live_;
};

// Saves through a temporary file beside the target that then replaces it.
// Refuses a target whose extension names another document format than
// sourceExt. write(tempPath) writes the complete document.
template <class Write>
bool saveDocumentAs(const std::string& target, const std::string& sourceExt, Write&& write);

bool officeTargetAllowed(const std::string& target, const std::string& sourceExt);

template <class Write>
bool saveDocumentAs(const std::string& target, const std::string& sourceExt, Write&& write) {
    if (!officeTargetAllowed(target, sourceExt)) return false;
    const std::string resolved = ResolveWriteTarget(target);
    TempFileGuard temp(CreateTempBeside(resolved));
    if (temp.path().empty() || !write(temp.path())) return false;
    if (!ReplaceFileAtomically(temp.path(), resolved)) return false;
    temp.release();
    return true;
}

} // namespace twinsift
