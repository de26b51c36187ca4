#include "office/office_line_source.h"

#include "scan/document.h"

#include <algorithm>

namespace twinsift {

CountResult OfficeReaderSource::open(const std::string& path) {
    CountResult r;
    word_ = ClassifyFile(path) == SourceKind::Word;
    if (office_.bWordOpen) office_.WordClose();
    if (office_.bExcelOpen) office_.ExcelClose();
    bool ok;
    if (word_) {
        ok = office_.WordOpen(path) && office_.WordInitGet();
        r.total = office_.lWordLineCount;
    } else {
        ok = office_.ExcelOpen(path);
        if (ok) {
            office_.iExcelSheet = static_cast<std::int16_t>(std::clamp(worksheet_, 0, 32767));
            office_.iExcelColumn = static_cast<std::int16_t>(std::clamp(column_, 0, 32767));
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
    // The driver sees the error text at its next progress step.
    return office_.sOfficeError.empty();
}

} // namespace twinsift
