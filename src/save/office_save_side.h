#pragma once
// How the Save As command reaches the Office adapter: the put and delete walk
// over the loaded Word document or Excel column.

#include "office/mod_office.h"
#include "save/save_driver.h"

namespace twinsift {

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

} // namespace twinsift
