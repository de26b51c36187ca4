// The editing path: read a package, delete some lines and keep the others the
// way a save does, write it, and read the result again. The first byte picks
// the lines to delete and Word or Excel; the rest is the package.

#include "fuzz_office_read.h"
#include "fuzz_support.h"

using namespace twinsift;

namespace {

bool deleteThis(std::uint8_t mask, std::size_t i) { return (mask >> (i % 7)) & 1; }

void editWord(const std::string& path, std::uint8_t mask) {
    const SettingsValues settings = SettingsValues::Defaults();
    modOffice office(settings);
    std::vector<std::string> before;
    if (!fuzz::readWord(office, path, before)) return;
    if (!office.WordInitPut()) return;
    std::size_t deleted = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (deleteThis(mask, i) && office.WordDeleteLine()) {
            ++deleted;
        } else if (!office.WordPutLine(before[i])) {
            return; // a refused put ends the save, as it does in the program
        }
    }
    const std::string out = (fuzz::scratchDir() / "edited.docx").string();
    if (!office.WordSaveAs(out)) return;
    office.WordClose();
    std::vector<std::string> after;
    fuzz::require(fuzz::readWord(office, out, after), "a written document does not open");
    fuzz::require(after.size() == before.size() - deleted, "lines after the save");
    office.WordClose();
}

void editExcel(const std::string& path, std::uint8_t mask) {
    const SettingsValues settings = SettingsValues::Defaults();
    modOffice office(settings);
    std::vector<std::string> before;
    if (!fuzz::readExcel(office, path, 1, 1, before)) return;
    if (!office.ExcelInitPut()) return;
    std::size_t deleted = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (deleteThis(mask, i) && office.ExcelDeleteRow()) {
            ++deleted;
        } else if (!office.ExcelPutRow(before[i])) {
            return;
        }
    }
    const std::string out = (fuzz::scratchDir() / "edited.xlsx").string();
    if (!office.ExcelSaveAs(out)) return;
    office.ExcelClose();
    std::vector<std::string> after;
    fuzz::require(fuzz::readExcel(office, out, 1, 1, after), "a written workbook does not open");
    office.ExcelClose();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t mask = data[0];
    if (mask & 0x80) editExcel(fuzz::writePackage((fuzz::scratchDir() / "book.xlsx").string(), data + 1, size - 1), mask);
    else editWord(fuzz::writePackage((fuzz::scratchDir() / "doc.docx").string(), data + 1, size - 1), mask);
    return 0;
}
