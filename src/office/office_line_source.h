#pragma once
// How the Open and Save As commands reach the Office adapter: the reader's
// Word and Excel branch, and the save side's put and delete walk.

#include "office/mod_office.h"
#include "save/save_driver.h"
#include "scan/scan_driver.h"
#include "scan/source_reader.h"

namespace twinsift {

class OfficeReaderSource final : public OfficeLineSource {
public:
    // The worksheet and column come from Load_ExcelWorksheet and
    // Load_ExcelColumn as they stand when the document is opened.
    OfficeReaderSource(modOffice& office, const SettingsValues& settings) : office_(office), settings_(settings) {}

    CountResult open(const std::string& path) override;
    bool nextLine(std::string& line) override;

private:
    modOffice& office_;
    const SettingsValues& settings_;
    static constexpr int kFailuresShown = 8;
    bool word_ = false;
    int failures_ = 0;
};

// The save walk on the open Word document or Excel column.
class OfficeSaveSide final : public OfficeSaveTarget {
public:
    OfficeSaveSide(modOffice& office, bool word) : office_(office), word_(word) {}
    bool InitPut() override { return word_ ? office_.WordInitPut() : office_.ExcelInitPut(); }
    bool PutLine(std::string_view text) override { return word_ ? office_.WordPutLine(text) : office_.ExcelPutRow(text); }
    bool DeleteLine() override { return word_ ? office_.WordDeleteLine() : office_.ExcelDeleteRow(); }
    bool SaveAs(const std::string& path) override { return word_ ? office_.WordSaveAs(path) : office_.ExcelSaveAs(path); }
    bool Close() override { return word_ ? office_.WordClose() : office_.ExcelClose(); }
    bool isOpen() const override { return word_ ? office_.bWordOpen : office_.bExcelOpen; }
    bool eof() const override { return word_ ? office_.bWordEOF : office_.bExcelEOF; }
    std::string error() const override { return office_.sOfficeError; }

private:
    modOffice& office_;
    bool word_;
};

// The adapter as the Open command uses it; `lines` must outlive the session.
OfficeSession makeOfficeSession(modOffice& office, OfficeReaderSource& lines);

} // namespace twinsift
