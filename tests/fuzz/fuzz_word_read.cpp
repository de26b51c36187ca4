// Bytes of a .docx or .odt package (the format is told by the content) -> lines.

#include "fuzz_office_read.h"
#include "fuzz_support.h"

using namespace twinsift;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writePackage((fuzz::scratchDir() / "doc.docx").string(), data, size);
    const SettingsValues settings = SettingsValues::Defaults();
    modOffice office(settings);
    std::vector<std::string> lines;
    if (fuzz::readWord(office, path, lines))
        fuzz::require(lines.size() == static_cast<std::size_t>(office.lWordLineCount), "line count");
    office.WordClose();
    return 0;
}
