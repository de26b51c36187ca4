// Bytes of a text file -> the loaded lines. The lines must be exactly what the
// line rules say, worked out here independently: every CR (with an LF right
// after it) ends a line, a terminator at the end adds no empty line, and a file
// that is one CR-line holding LFs is an LF-only file split at its LFs. Then
// only the first line loses a byte-order mark.

#include "fuzz_support.h"

#include "scan/document.h"
#include "scan/source_reader.h"
#include "settings/settings_values.h"

#include <vector>

using namespace twinsift;

namespace {

std::vector<std::string> expectedLines(std::string_view b, bool& lfOnly) {
    std::vector<std::string> lines;
    std::string cur;
    bool open = false;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\r') {
            lines.push_back(cur);
            cur.clear();
            open = false;
            if (i + 1 < b.size() && b[i + 1] == '\n') ++i;
        } else {
            cur += b[i];
            open = true;
        }
    }
    if (open) lines.push_back(cur);
    lfOnly = false;
    if (lines.size() == 1 && lines[0].find('\n') != std::string::npos) {
        std::vector<std::string> pieces;
        std::string piece;
        for (char c : lines[0]) {
            if (c == '\n') {
                pieces.push_back(piece);
                piece.clear();
            } else {
                piece += c;
            }
        }
        if (!piece.empty()) pieces.push_back(piece);
        if (pieces.size() > 1) {
            lfOnly = true;
            lines = pieces;
        }
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeScratch("source.txt", data, size);
    SettingsValues settings = SettingsValues::Defaults();
    settings.bConvertNBSPToSpace = false;
    LoadedDocument doc;
    doc.resetFiles({path});
    SourceReader reader(doc, settings);
    const CountResult c = reader.CountLines();
    if (!c.ok) return 0;
    std::vector<std::string> loaded;
    reader.LoadLines([&](std::string_view l) {
        loaded.emplace_back(l);
        return true;
    });
    bool lfOnly = false;
    const auto expected = expectedLines(std::string_view(reinterpret_cast<const char*>(data), size), lfOnly);
    fuzz::require(loaded == expected, "lines differ from the line rules");
    fuzz::require(c.total == static_cast<std::int64_t>(expected.size()), "pre-count differs from the lines");
    fuzz::require(static_cast<bool>(doc.bSourceUnix[0]) == lfOnly, "LF-only rule");
    fuzz::require(doc.lstOriginal.ListCount() == static_cast<std::int32_t>(expected.size()), "list count");

    reader.StripByteOrderMarks();
    if (!expected.empty()) {
        std::string first = expected[0];
        bool mark = false;
        for (std::string_view m : {std::string_view("\xEF\xBB\xBF", 3), std::string_view("\xFE\xFF", 2),
                                   std::string_view("\xFF\xFE", 2), std::string_view("\x00\x00\xFE\xFF", 4)}) {
            if (first.compare(0, m.size(), m) == 0 && first.size() >= m.size()) {
                first.erase(0, m.size());
                mark = true;
                break;
            }
        }
        fuzz::require(doc.lstOriginal.ListView(0) == first, "byte-order mark");
        fuzz::require(doc.bBomFound == mark, "byte-order mark flag");
        for (std::size_t i = 1; i < expected.size(); ++i)
            fuzz::require(doc.lstOriginal.ListView(static_cast<std::int32_t>(i)) == expected[i], "later line changed");
    }
    return 0;
}
