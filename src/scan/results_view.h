#pragma once
// What the two list views of the main window show after an Open: which rows
// exist, their keys and their colours. The Qt models and the test recorder both
// read it; the texts themselves stay in the document.

#include "scan/cls_list_emu.h"
#include "scan/document.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

// Group colours as 0xBBGGRR, in the order the groups use them.
inline constexpr std::array<std::uint32_t, 6> kDisplayColors = {603339, 1273662, 8273920, 1615561, 10847232, 10813572};

struct ResultsView {
    // lwShow: either the single large-file row, or one row per loaded line.
    std::string noticeRow;            // not empty: large-file mode
    std::int32_t showRowCount = 0;    // rows 0 .. showRowCount - 1 are lines 1 .. showRowCount
    std::vector<std::int8_t> showRowColor; // colour index per row, -1 for the default colour
    // The lines lwShow keeps showing after reduced-memory mode emptied lstOriginal.
    clsListEmu keptLines;
    bool dupDisplayOption = true;

    // lwDups: one row per entry of lstDuplicates (in entry order).
    struct DupRow {
        std::int32_t entry; // index into lstDuplicates, whose text the row shows
        std::int32_t line;  // line number; the row's key is "l" + line
        std::int8_t color;  // colour index, -1 for the default colour
    };
    std::vector<DupRow> dupRows;

    void clear() {
        noticeRow.clear();
        showRowCount = 0;
        showRowColor.clear();
        keptLines.Clear();
        dupRows.clear();
    }

    std::string_view showRowText(const LoadedDocument& doc, std::int32_t row) const {
        if (!noticeRow.empty()) return noticeRow;
        return keptLines.ListCount() > 0 ? keptLines.ListView(row) : doc.lstOriginal.ListView(row);
    }
    std::string_view dupRowText(const LoadedDocument& doc, std::int32_t row) const {
        return doc.lstDuplicates.ListView(dupRows[row].entry);
    }
    static std::string dupRowKey(const DupRow& r) { return "l" + std::to_string(r.line); }
};

} // namespace twinsift
