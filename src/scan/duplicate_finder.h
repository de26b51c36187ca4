#pragma once
// Duplicate detection: keys every admitted line and writes one entry per line
// of every group of two or more lines into lstDuplicates.
//
// Entries are written in scan-time form, pad(first line index) + "[" +
// pad(line number) + "]   " + key, and already in the order the list's text
// sort gives them (by group, then by line), so no comparison sort is needed.
// Only a scan stopped by the user leaves them in the order they were found.

#include "scan/document.h"
#include "scan/huge_array.h"
#include "scan/line_filters.h"
#include "scan/progress_step.h"
#include "settings/settings_values.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

struct DuplicateScan {
    std::vector<std::int32_t> sEmptyLines; // 0-based indices of lines with an empty key
    std::int32_t lUniqueDups = 0;          // groups reported
    std::int32_t W = 1;                    // digits of the padded numbers
    bool bStopped = false;                 // the progress step ended the scan
    // Entries per group in list order, when the scan ran to its end. Its
    // entries are then items that borrow their keys from lstOriginal (see
    // clsListEmu::AddEntryRef): call lstDuplicates.OwnTexts() before those
    // lines go. With ScanMemoryPlan::copyKeys they own their keys already.
    std::vector<std::uint32_t> groupSizes;
    bool bKeysOwned = false;
};

// The scan's arrays of one entry per line, made before the lines are loaded
// so that their memory can be faulted in on another core meanwhile: fresh
// memory costs a page fault per page, which the scan would otherwise take.
struct ScanArrays {
    // keyTable: the key table too, sized for one key per line, of the slots
    // KeySlotWords() says.
    ScanArrays(std::int64_t lines, bool keyTable, int slotWords = 1);
    void prefault(const std::atomic<bool>* stop) noexcept;

    HugeArray<std::int32_t> lineGroup;
    std::optional<HugeArray<std::uint32_t>> table;
};

// What the scan does to need less memory at its peak, at some cost in time.
struct ScanMemoryPlan {
    // The key table is sized for this many distinct keys rather than one per
    // line: 0 for one per line, -1 for an estimate from a pass over the lines
    // first. Too small a figure costs a second lookup, never a wrong result.
    std::int64_t tableKeys = 0;
    // The entries copy their keys as they are made, and lstOriginal's text
    // goes back to the system behind them: nothing of lstOriginal may be read
    // after a scan that ran to its end.
    bool copyKeys = false;
    // Arrays made ahead: taken where they fit the line count, else given back.
    ScanArrays* arrays = nullptr;
    // Key table slots of two words (see KeySlotWords), where the keys are the
    // whole lines of one bulk-loaded file compared exactly; else this is
    // ignored.
    bool wideSlots = false;
};

// Whether the line of a bulk-loaded block of text that begins at `at` is
// `key`, byte for byte. The block's lines all end at a CR, or, when
// `lfEndsLines`, at an LF (or at a CR after the last of them); the last ends
// at `textEnd`. So the byte after the key tells whether the line goes on.
bool BlockLineIs(const char* text, std::size_t textEnd, std::size_t at, std::string_view key, bool lfEndsLines) noexcept;

// The key of the line of such a block whose key begins at `at`: the rest of
// the line, less what the whitespace step cuts from its end when `trimmed`
// (blanks, then control characters). The key must not be empty.
std::string_view BlockLineKey(const char* text, std::size_t textEnd, std::size_t at, bool lfEndsLines, bool trimmed) noexcept;

// True when the key that begins at `at` in such a block is `key` because its
// line ends right after the key's bytes, which no trimming of that line can
// change: the key does not end in a blank (trimming may take one there, when
// control characters behind it go). False says nothing: BlockLineKey tells.
bool BlockLineEndsWithKey(const char* text, std::size_t textEnd, std::size_t at, std::string_view key, bool lfEndsLines,
                          bool trimmed) noexcept;

// The four-byte words of a key table slot for a scan of `lines` lines of this
// document with these settings: 2 where the keys are the whole lines of one
// big text file (trimmed or not) and memory is not to be saved (the slot then
// also holds where its key begins in the text); else 1.
int KeySlotWords(const SettingsValues& settings, const LoadedDocument& doc, std::int64_t lines, bool reducedMemory);

// Number of decimal digits of n (1 for 0).
std::int32_t digitCount(std::int64_t n);

// The scan over doc.lstOriginal. Sets doc.bScanCaseSensitive from
// Load_CaseSensitive and fills the empty doc.lstDuplicates. progressStep(i) runs
// after every line i; when it answers false the scan ends there.
DuplicateScan FindDuplicates(LoadedDocument& doc, const LineFilters& filters, const SettingsValues& settings,
                             ProgressStep& progressStep, const ScanMemoryPlan& memory = {});

// Appends the empty-line group when more than one line had an empty key (and
// counts it as one more group). Call after the groups are in their final order.
void AppendEmptyLineGroup(LoadedDocument& doc, DuplicateScan& scan);

} // namespace twinsift
