#pragma once
// The frequency list of the Tools window: one row per duplicate group with the
// number of its entries, most frequent first, re-sortable by either column.

#include "scan/cls_list_emu.h"
#include "scan/text_codec.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

struct FrequencyRow {
    std::int64_t count = 0;
    std::string line; // the group's first entry text, in its own letter case
};

class FrequencyList {
public:
    enum class Column : std::uint8_t { Count, Line };
    // Three-way text comparison for the Line column (<0, 0, >0).
    using LineCompare = std::function<int(std::string_view, std::string_view)>;

    // Groups are runs of entries whose texts are equal (after upper-casing by
    // the codec unless bCaseSensitive); afterwards the rows are sorted by
    // Count, descending.
    void Calculate(const clsListEmu& lstDuplicates, bool bCaseSensitive, Codec codec);

    // A click on a column header: the same column again reverses the order,
    // another column sorts ascending by it.
    void ColumnClick(Column column, const LineCompare& lineCompare);

    const std::vector<FrequencyRow>& rows() const { return rows_; }
    Column sortColumn() const { return sortColumn_; }
    bool descending() const { return descending_; }

    // The table as Copy puts it on the clipboard: count, two tabs, line, and
    // the line end, for every row in its current order.
    std::string CopyText(std::string_view lineEnd = "\r\n") const;

private:
    void sortRows(const LineCompare& lineCompare);

    std::vector<FrequencyRow> rows_;
    Column sortColumn_ = Column::Count;
    bool descending_ = true;
};


} // namespace twinsift
