#include "scan/office_lines.h"

#include "scan/document.h"

namespace twinsift {

CountResult OfficeReaderSource::open(const std::string& path) {
    CountResult r;
    word_ = ClassifyFile(path) == SourceKind::Word;
    failures_ = 0;
    if (office_.bWordOpen) office_.WordClose();
    if (office_.bExcelOpen) office_.ExcelClose();
    bool ok;
    if (word_) {
        ok = office_.WordOpen(path) && office_.WordInitGet();
        r.total = office_.lWordLineCount;
    } else {
        ok = office_.ExcelOpen(path);
        if (ok) {
            office_.iExcelSheet = settings_.Load_ExcelWorksheet;
            office_.iExcelColumn = settings_.Load_ExcelColumn;
            ok = office_.ExcelInitGet();
        }
        r.total = office_.lExcelRowCount;
    }
    if (!ok) {
        r.ok = false;
        r.total = 0;
        r.error = office_.sOfficeError;
    }
    return r;
}

bool OfficeReaderSource::nextLine(std::string& line) {
    if (word_) {
        if (office_.bWordEOF || !office_.bWordOpen || office_.lWordLineCount == 0) return false;
        line = office_.WordGetLine();
    } else {
        if (office_.bExcelEOF || !office_.bExcelOpen || office_.lExcelRowCount == 0) return false;
        line = office_.ExcelGetRow();
    }
    // The driver looks at the error text at its progress steps (every line of a
    // Word document, every 5 rows of a worksheet) and then ends the load; keep
    // going until it has had the chance, but not for ever.
    if (office_.sOfficeError.empty()) {
        failures_ = 0;
        return true;
    }
    return ++failures_ <= kFailuresShown;
}

OfficeSession makeOfficeSession(modOffice& office, OfficeReaderSource& lines) {
    OfficeSession s;
    s.lines = &lines;
    s.WordClose = [&office] {
        if (office.bWordOpen) office.WordClose();
    };
    s.ExcelClose = [&office] {
        if (office.bExcelOpen) office.ExcelClose();
    };
    s.sOfficeError = [&office] { return office.sOfficeError; };
    return s;
}

} // namespace twinsift
