// Bytes of a .xlsx or .ods package (the format is told by the content) -> the
// rows of the first columns of every worksheet.

#include "fuzz_office_read.h"
#include "fuzz_support.h"

using namespace twinsift;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writePackage((fuzz::scratchDir() / "book.xlsx").string(), data, size);
    const SettingsValues settings = SettingsValues::Defaults();
    modOffice office(settings);
    if (!office.ExcelOpen(path)) return 0;
    const int sheets = std::min<int>(office.iExcelSheetCount, 4);
    for (int k = 1; k <= sheets; ++k) {
        const auto last = std::min<int>(office.lExcelLastColumn[static_cast<std::size_t>(k - 1)], 3);
        for (int column = 1; column <= std::max(1, last); ++column) {
            office.iExcelSheet = static_cast<std::int16_t>(k);
            office.iExcelColumn = static_cast<std::int16_t>(column);
            if (!office.ExcelInitGet()) break;
            std::size_t rows = 0;
            while (office.lExcelRowCount > 0 && !office.bExcelEOF) {
                office.ExcelGetRow();
                ++rows;
            }
            fuzz::require(rows == static_cast<std::size_t>(office.lExcelRowCount), "row count");
        }
    }
    office.ExcelClose();
    return 0;
}
