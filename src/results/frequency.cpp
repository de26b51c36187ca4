#include "results/frequency.h"

#include "scan/dup_entry.h"

#include <algorithm>

namespace twinsift {

void FrequencyList::Calculate(const clsListEmu& lstDuplicates, bool bCaseSensitive, Codec codec) {
    rows_.clear();
    // The previous entry's bytes are kept as a copy: the text of an entry the
    // scan left as a line reference lives in a buffer that later reads reuse.
    std::string previousKey, key, previousContent;
    for (std::int32_t i = 0; i < lstDuplicates.ListCount(); ++i) {
        const std::string_view content = DupEntryKey(lstDuplicates, i);
        // Entries of one group are mostly the same bytes; only a difference
        // needs the upper-cased comparison.
        if (i > 0 && content == previousContent) {
            ++rows_.back().count;
            continue;
        }
        previousContent.assign(content);
        key.assign(content);
        if (!bCaseSensitive) toUpperInPlace(key, codec);
        if (i == 0 || key != previousKey) {
            rows_.push_back(FrequencyRow{1, std::string(content)});
        } else {
            ++rows_.back().count;
        }
        previousKey.swap(key);
    }
    sortColumn_ = Column::Count;
    descending_ = true;
    sortRows({});
}

void FrequencyList::ColumnClick(Column column, const LineCompare& lineCompare) {
    if (column == sortColumn_) {
        descending_ = !descending_;
    } else {
        descending_ = false;
        sortColumn_ = column;
    }
    sortRows(lineCompare);
}

void FrequencyList::sortRows(const LineCompare& lineCompare) {
    // Counts compare as numbers, whatever their number of digits.
    if (sortColumn_ == Column::Count) {
        if (descending_)
            std::stable_sort(rows_.begin(), rows_.end(), [](const auto& a, const auto& b) { return a.count > b.count; });
        else
            std::stable_sort(rows_.begin(), rows_.end(), [](const auto& a, const auto& b) { return a.count < b.count; });
        return;
    }
    auto cmp = [&](const FrequencyRow& a, const FrequencyRow& b) {
        return lineCompare ? lineCompare(a.line, b.line) : a.line.compare(b.line);
    };
    if (descending_)
        std::stable_sort(rows_.begin(), rows_.end(), [&](const auto& a, const auto& b) { return cmp(a, b) > 0; });
    else
        std::stable_sort(rows_.begin(), rows_.end(), [&](const auto& a, const auto& b) { return cmp(a, b) < 0; });
}

std::string FrequencyList::CopyText(std::string_view lineEnd) const {
    std::string text;
    for (const FrequencyRow& r : rows_) {
        text += std::to_string(r.count);
        text += "\t\t";
        text += r.line;
        text += lineEnd;
    }
    return text;
}

} // namespace twinsift
