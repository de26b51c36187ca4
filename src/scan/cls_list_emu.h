#pragma once
// clsListEmu: the program's list of strings with one flag per item, indexed from 0.
//
// Texts live in large byte blocks owned by the list; an item is a pointer and a
// length into them, so millions of lines cost a few bytes each beyond their text.
// Indices are not range-checked: callers keep to 0 .. ListCount() - 1.
//
// A duplicate entry ("[" + padded line number + "]   " + key) need not be
// stored as text: an entry item keeps the line number and borrows its key from
// the line it was cut from, and its text is put together when it is read. The
// duplicate list of a large file would otherwise cost more than the file.
//
// Lines loaded in bulk (AdoptBlock, then AddItemRef for each line of that
// block, in order) are kept in a compact form: four bytes a line, the offset
// where it starts. A line ends where the next one starts, less the CR, LF or
// CR LF between them; each line is checked against that rule as the next one
// comes in. The first change that the compact form cannot hold (a line the
// rule does not give, adding a text, sorting, removing an item) turns the
// list into the general form.

#include "scan/byte_block.h"
#include "scan/pod_vector.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinsift {

class Collation;

class clsListEmu {
public:
    clsListEmu() = default;
    clsListEmu(clsListEmu&&) noexcept = default;
    clsListEmu& operator=(clsListEmu&&) noexcept = default;
    clsListEmu(const clsListEmu&) = delete;
    clsListEmu& operator=(const clsListEmu&) = delete;

    bool Selected(std::int32_t lngItemNumber) const {
        if (compact()) {
            const auto i = static_cast<std::size_t>(lngItemNumber);
            return i / 64 < lineFlags_.size() && ((lineFlags_[i / 64] >> (i % 64)) & 1u) != 0;
        }
        return (items_[lngItemNumber].entry & kSelected) != 0;
    }
    void Selected(std::int32_t lngItemNumber, bool bSelected) {
        if (compact()) {
            setLineFlag(static_cast<std::size_t>(lngItemNumber), bSelected);
            return;
        }
        std::uint32_t& e = items_[lngItemNumber].entry;
        e = bSelected ? (e | kSelected) : (e & ~kSelected);
    }

    std::string List(std::int32_t lngItemNumber) const { return std::string(ListView(lngItemNumber)); }
    // The item's text without a copy; valid until the item is changed or the
    // list cleared, and for an entry item until three more entry texts are read.
    std::string_view ListView(std::int32_t lngItemNumber) const {
        if (compact()) {
            const auto i = static_cast<std::size_t>(lngItemNumber);
            const Segment& seg = segments_.size() == 1 ? segments_.front() : segmentOf(i);
            const std::uint32_t start = starts_[i];
            const std::uint32_t end = i < seg.lastItem ? lineEndBefore(seg.base, start, starts_[i + 1]) : seg.end;
            return {seg.base + start, end - start};
        }
        const Item& it = items_[lngItemNumber];
        if (it.entry & kLineMask) return composeEntry(lngItemNumber);
        return {it.text, it.length};
    }
    void List(std::int32_t lngItemNumber, std::string_view sText);
    // Appends the item's text to `out`; unlike ListView it shares no state,
    // so several threads may read one list at once.
    void AppendText(std::int32_t lngItemNumber, std::string& out) const;
    // Appends the texts of items [first, end), each with an LF after it, the
    // same way; a block of them at once costs less than each on its own.
    void AppendLines(std::int32_t first, std::int32_t end, std::string& out) const;

    // Index of the first item whose text equals sFind byte for byte, or -1.
    std::int32_t Find(std::string_view sFind) const;
    std::int32_t ListCount() const {
        return static_cast<std::int32_t>(compact() ? starts_.size() : items_.size());
    }
    void RemoveItem(std::int32_t lngItemNumber);
    void AddItem(std::string_view txtItem);
    void Clear();
    // Forgets every item but keeps the texts, for borrowers that still have
    // to copy theirs (see OwnTexts).
    void ReleaseItems();

    // Shell sort (gaps 1, 4, 13, ...) of the texts, case-insensitive by the
    // collation; only the texts move, the flags stay where they are.
    void ShellSort(const Collation& collation);
    void ShellSort_Descending(const Collation& collation);
    // The same algorithm with any three-way comparison (<0, 0, >0).
    void ShellSortWith(const std::function<int(std::string_view, std::string_view)>& compare, bool descending);

    // The allocated-slot figure the list reports: it grows in steps of 100 as
    // items are added and drops to 0 on Clear. Real storage grows geometrically.
    std::int32_t Capacity() const { return capacity_; }

    // Bulk loading: take ownership of a block of bytes and append items that
    // point into it, without copying the text.
    const char* AdoptBlock(ByteBlock block);
    void AddItemRef(const char* text, std::uint32_t length);
    // AddItemRef for a loader that splits the block it adopted last itself:
    // each line begins right after the line end (CR, LF or CR LF) of the one
    // added before it, which AddItemRef would check.
    void AddBlockLine(const char* text, std::uint32_t length) {
        if (segments_.empty() || !items_.empty() || adopted_.empty() || segments_.back().base != adopted_.back().data()) {
            AddItemRef(text, length);
            return;
        }
        Segment& seg = segments_.back();
        const auto start = static_cast<std::uint32_t>(text - seg.base);
        seg.lastItem = starts_.size();
        seg.end = start + length;
        starts_.push_back(start);
        bumpCapacity();
    }

    // Entry items: "[" + lineNumber padded to the entry width + "]   " + key,
    // with the key's bytes borrowed (they must outlive the item, or be taken
    // over with OwnTexts()). The width applies to every entry item of the list.
    void SetEntryWidth(std::int32_t width) { entryWidth_ = std::clamp(width, 1, 10); } // a line number has ten digits at most
    void AddEntryRef(const char* key, std::uint32_t length, std::int32_t lineNumber);
    // The same into an item that AddBlankItems() made.
    void SetEntryRef(std::int32_t lngItemNumber, const char* key, std::uint32_t length, std::int32_t lineNumber);
    // A copy of `text` in the list's own blocks, for an entry's key that must
    // outlive where it came from; it lasts as long as the list's items.
    const char* KeepText(std::string_view text) { return store(text); }
    void AddBlankItems(std::size_t count);
    // An entry item's key, without putting its text together; only for an
    // item whose EntryLineNumber is not 0.
    std::string_view EntryKey(std::int32_t lngItemNumber) const {
        const Item& it = items_[lngItemNumber];
        return {it.text, it.length};
    }
    // The line number of an entry item, or 0 for an item stored as text.
    std::int32_t EntryLineNumber(std::int32_t lngItemNumber) const {
        if (compact()) return 0;
        return static_cast<std::int32_t>(items_[lngItemNumber].entry & kLineMask);
    }
    // The scan's sortable form: the entry items from lngItemNumber up to the
    // next mark carry the first one's line index (its line number - 1),
    // padded to the width, in front of their text. Marks go in ascending order.
    void MarkEntrySortGroup(std::int32_t lngItemNumber) { sortStarts_.push_back(lngItemNumber); }
    // The number in front of an entry's text, or -1.
    std::int32_t EntrySortKey(std::int32_t lngItemNumber) const;
    // Entries [0, upTo) lose their sort keys; all of them without an argument.
    void DropEntrySortKeys(std::int32_t upTo = -1) {
        if (upTo < 0) {
            sortStarts_.clear();
            sortFrom_ = 0;
        } else {
            sortFrom_ = std::max(sortFrom_, upTo);
        }
    }
    // Copies every borrowed key into the list's own blocks (equal neighbouring
    // keys share one copy), so that the lines they came from may go.
    //
    // With `lines`, the list whose bytes the keys come from, those bytes go
    // back to the system as the copying passes them. That needs the scan's
    // order: entries in groups marked by MarkEntrySortGroup, the groups in the
    // order of their first keys, and no key of a group before its first one.
    // Nothing of `lines` may be read afterwards.
    void OwnTexts(clsListEmu* lines = nullptr);
    // Gives back the bytes of every adopted block before `text` (a piece of
    // one of them), as far as they fill whole pages and `step` bytes have
    // gathered since the last time.
    void DiscardTextBefore(const char* text, std::size_t step);
    // On an empty list it reserves the compact form, which bulk loading fills.
    void Reserve(std::size_t count) {
        if (compact() || items_.empty()) starts_.reserve(count);
        else items_.reserve(count);
    }
    // When every line was loaded in bulk from one block: the block, and
    // where its last line ends. False otherwise.
    bool OneTextBlock(const char*& base, std::size_t& end) const noexcept {
        if (!compact() || segments_.size() != 1) return false;
        base = segments_.front().base;
        end = segments_.front().end;
        return true;
    }
    // Asks for an item's text ahead of a ListView of it: an entry's key may
    // lie anywhere in the lines. A bulk-loaded line is asked for at both
    // ends, from its record alone (which PrefetchItem may have asked for),
    // so that nothing here waits for the text.
    void PrefetchText(std::int32_t lngItemNumber) const {
#if defined(__GNUC__)
        if (compact()) {
            const auto i = static_cast<std::size_t>(lngItemNumber);
            const Segment& seg = segments_.size() == 1 ? segments_.front() : segmentOf(i);
            const std::uint32_t next = i < seg.lastItem ? starts_[i + 1] : seg.end;
            __builtin_prefetch(seg.base + starts_[i]);
            __builtin_prefetch(seg.base + next - (next > 0 ? 1 : 0));
        } else {
            __builtin_prefetch(items_[lngItemNumber].text);
        }
#else
        (void)lngItemNumber;
#endif
    }
    // Asks for an item's record ahead of a ListView of it.
    void PrefetchItem(std::int32_t lngItemNumber) const {
#if defined(__GNUC__)
        if (compact()) __builtin_prefetch(&starts_[lngItemNumber]);
        else __builtin_prefetch(&items_[lngItemNumber]);
#else
        (void)lngItemNumber;
#endif
    }
    // The item storage reserved so far, so a loader can have its pages faulted in ahead.
    std::pair<char*, std::size_t> ItemStorage() {
        if (items_.empty() && starts_.capacityBytes() > 0)
            return {reinterpret_cast<char*>(starts_.data()), starts_.capacityBytes()};
        return {reinterpret_cast<char*>(items_.data()), items_.capacityBytes()};
    }

private:
    static constexpr std::uint32_t kSelected = 0x80000000u;
    static constexpr std::uint32_t kLineMask = 0x7FFFFFFFu;
    struct Item {
        const char* text = nullptr; // an entry item's key
        std::uint32_t length = 0;
        std::uint32_t entry = 0; // kSelected | line number of an entry item (0: plain text)
    };
    // The lines of one adopted block: offsets are from its base.
    struct Segment {
        std::size_t firstItem;
        const char* base;
        std::size_t lastItem; // its last line so far, which ends at `end`
        std::uint32_t end;
    };
    bool compact() const noexcept { return !starts_.empty(); }
    // Where a line that starts at `start` ends when the next one starts at
    // `next`: before the CR, LF or CR LF that separates them.
    static std::uint32_t lineEndBefore(const char* base, std::uint32_t start, std::uint32_t next) noexcept {
        std::uint32_t end = next;
        if (end > start && base[end - 1] == '\n') {
            --end;
            if (end > start && base[end - 1] == '\r') --end;
        } else if (end > start && base[end - 1] == '\r') {
            --end;
        }
        return end;
    }
    void setLineFlag(std::size_t index, bool on);
    const Segment& segmentOf(std::size_t index) const;
    // Turns the compact form into the general one.
    void expand();
    const char* store(std::string_view text);
    std::string_view composeEntry(std::int32_t index) const;
    // Turns entries with a sort key into texts, before items move.
    void freezeSortKeys();
    void bumpCapacity() {
        if (capacity_ < ListCount()) capacity_ += 100;
    }

    PodVector<Item> items_;
    PodVector<std::uint32_t> starts_;     // the compact form; items_ is empty while it is used
    std::vector<Segment> segments_;       // of starts_, in item order
    std::vector<std::uint64_t> lineFlags_; // the compact form's flags, a bit an item, as far as any was set
    PodVector<std::int32_t> sortStarts_; // see MarkEntrySortGroup
    std::int32_t sortFrom_ = 0;          // entries before it have no sort key
    std::vector<ByteBlock> blocks_;  // arena blocks, the last one is being filled
    std::vector<ByteBlock> adopted_; // whole blocks handed over by AdoptBlock
    std::size_t discardBlock_ = 0;   // see DiscardTextBefore: the block reached
    std::size_t discardedUpTo_ = 0;  // and how far into it
    char* arenaPos_ = nullptr;
    std::size_t arenaLeft_ = 0;
    std::int32_t capacity_ = 0;
    std::int32_t entryWidth_ = 1;
    // Entry texts are put together here; a few in turn, so that a caller may
    // hold one while it reads the next.
    mutable std::string composed_[4];
    mutable unsigned composedNext_ = 0;
};

} // namespace twinsift
