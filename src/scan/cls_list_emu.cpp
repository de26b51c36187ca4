#include "scan/cls_list_emu.h"

#include "scan/text_codec.h"

#include <algorithm>
#include <cstring>

namespace twinsift {

namespace {
constexpr std::size_t kMinArenaBlock = 64 * 1024;
constexpr std::size_t kMaxArenaBlock = 16 * 1024 * 1024;
} // namespace

const char* clsListEmu::store(std::string_view text) {
    if (text.empty()) return nullptr;
    if (text.size() > arenaLeft_) {
        std::size_t want = blocks_.empty() ? kMinArenaBlock : std::min(kMaxArenaBlock, blocks_.back().size() * 2);
        want = std::max(want, text.size());
        blocks_.emplace_back(want);
        arenaPos_ = blocks_.back().data();
        arenaLeft_ = want;
    }
    char* dst = arenaPos_;
    std::memcpy(dst, text.data(), text.size());
    arenaPos_ += text.size();
    arenaLeft_ -= text.size();
    return dst;
}

namespace {
// Writes x with at least `width` digits at p; returns the end.
char* writePadded(char* p, std::uint32_t x, std::int32_t width) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + x % 10);
        x /= 10;
    } while (x > 0);
    for (int k = n; k < width; ++k) *p++ = '0';
    while (n > 0) *p++ = digits[--n];
    return p;
}
// Writes an entry's "[" + padded line number + "]   " at p; returns the end.
char* writeEntryHead(char* p, std::uint32_t lineNumber, std::int32_t width) {
    *p++ = '[';
    p = writePadded(p, lineNumber, width);
    std::memcpy(p, "]   ", 4);
    return p + 4;
}
} // namespace

std::string_view clsListEmu::composeEntry(std::int32_t index) const {
    std::string& out = composed_[composedNext_++ & 3u];
    out.clear();
    AppendText(index, out);
    return out;
}

void clsListEmu::AppendText(std::int32_t index, std::string& out) const {
    if (compact()) {
        out.append(ListView(index));
        return;
    }
    const Item& it = items_[index];
    if (!(it.entry & kLineMask)) {
        out.append(it.text, it.length);
        return;
    }
    // The width is at most the ten digits of a line number.
    char head[2 * 10 + 8];
    char* p = head;
    if (const std::int32_t key = EntrySortKey(index); key >= 0)
        p = writePadded(p, static_cast<std::uint32_t>(key), entryWidth_);
    p = writeEntryHead(p, it.entry & kLineMask, entryWidth_);
    out.append(head, static_cast<std::size_t>(p - head));
    out.append(it.text, it.length);
}

void clsListEmu::AppendLines(std::int32_t first, std::int32_t end, std::string& out) const {
    // The item texts are far apart: each is asked for some items ahead.
    constexpr std::int32_t kAhead = 16;
    const bool sortKeys = !sortStarts_.empty() && end > sortFrom_ && end > sortStarts_[0];
    if (compact() || sortKeys) {
        for (std::int32_t i = first; i < end; ++i) {
            if (i + kAhead < end) PrefetchText(i + kAhead);
            AppendText(i, out);
            out.push_back('\n');
        }
        return;
    }
    // Entries without a sort key in front: "[" + the padded line number +
    // "]   " + the key, written straight into room made for the longest.
    constexpr std::size_t kHead = 1 + 10 + 4;
    std::size_t room = 0;
    for (std::int32_t i = first; i < end; ++i) room += items_[i].length + kHead + 1;
    const std::size_t at = out.size();
    out.resize(at + room);
    char* p = out.data() + at;
    for (std::int32_t i = first; i < end; ++i) {
        if (i + kAhead < end) PrefetchText(i + kAhead);
        const Item& it = items_[i];
        if (it.entry & kLineMask) p = writeEntryHead(p, it.entry & kLineMask, entryWidth_);
        if (it.length > 0) std::memcpy(p, it.text, it.length);
        p += it.length;
        *p++ = '\n';
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
}

std::int32_t clsListEmu::EntrySortKey(std::int32_t i) const {
    if (sortStarts_.empty() || i < sortFrom_ || i < sortStarts_[0] || EntryLineNumber(i) == 0) return -1;
    const std::int32_t* begin = sortStarts_.data();
    const std::int32_t* end = begin + sortStarts_.size();
    const std::int32_t start = *(std::upper_bound(begin, end, i) - 1);
    return EntryLineNumber(start) - 1;
}

void clsListEmu::freezeSortKeys() {
    if (sortStarts_.empty()) return;
    // From the end, so that a group's first entry, which names the key of
    // the whole group, is the last of its group to change.
    for (std::int32_t i = ListCount() - 1; i >= 0; --i)
        if (EntrySortKey(i) >= 0) List(i, ListView(i));
    sortStarts_.clear();
    sortFrom_ = 0;
}

const clsListEmu::Segment& clsListEmu::segmentOf(std::size_t index) const {
    auto it = std::upper_bound(segments_.begin(), segments_.end(), index,
                               [](std::size_t i, const Segment& seg) { return i < seg.firstItem; });
    return *(it - 1);
}

void clsListEmu::expand() {
    if (!compact()) return;
    PodVector<Item> items;
    items.reserve(starts_.size());
    for (std::size_t i = 0; i < starts_.size(); ++i) {
        const auto index = static_cast<std::int32_t>(i);
        const std::string_view text = ListView(index);
        items.push_back(Item{text.data(), static_cast<std::uint32_t>(text.size()), Selected(index) ? kSelected : 0});
    }
    items_ = std::move(items);
    starts_.clear();
    segments_.clear();
    lineFlags_.clear();
}

void clsListEmu::AddEntryRef(const char* key, std::uint32_t length, std::int32_t lineNumber) {
    expand();
    items_.push_back(Item{key, length, static_cast<std::uint32_t>(lineNumber) & kLineMask});
    bumpCapacity();
}

void clsListEmu::AddBlankItems(std::size_t count) {
    expand();
    items_.appendZeroed(count); // an all-zero Item is a blank one
    // The capacity figure as if they had come one by one.
    const std::int32_t n = ListCount();
    capacity_ = std::max(capacity_, n <= 0 ? 0 : (n + 99) / 100 * 100);
}

void clsListEmu::SetEntryRef(std::int32_t i, const char* key, std::uint32_t length, std::int32_t lineNumber) {
    Item& it = items_[i];
    it.text = key;
    it.length = length;
    it.entry = (it.entry & kSelected) | (static_cast<std::uint32_t>(lineNumber) & kLineMask);
}

void clsListEmu::OwnTexts(clsListEmu* lines) {
    if (compact()) return; // no entry items
    constexpr std::size_t kDiscardStep = 8u << 20;
    const char* prevTo = nullptr;
    std::uint32_t prevLength = 0;
    std::size_t nextGroup = 0; // in sortStarts_
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item& it = items_[i];
        if (lines && nextGroup < sortStarts_.size() && static_cast<std::size_t>(sortStarts_[nextGroup]) == i) {
            ++nextGroup;
            if (it.length > 0) lines->DiscardTextBefore(it.text, kDiscardStep);
        }
        if (!(it.entry & kLineMask) || it.length == 0) continue;
        // Against the copy: the bytes the last one came from may be gone.
        if (prevTo && it.length == prevLength && std::memcmp(it.text, prevTo, it.length) == 0) {
            it.text = prevTo;
            continue;
        }
        prevLength = it.length;
        it.text = prevTo = store(std::string_view(it.text, it.length));
    }
}

void clsListEmu::DiscardTextBefore(const char* text, std::size_t step) {
    for (std::size_t b = discardBlock_; b < adopted_.size(); ++b) {
        ByteBlock& block = adopted_[b];
        const char* base = block.data();
        if (text < base || text >= base + block.size()) continue;
        // The blocks before this one are passed.
        for (std::size_t e = discardBlock_; e < b; ++e) adopted_[e].discardBefore(adopted_[e].size());
        if (b != discardBlock_) {
            discardBlock_ = b;
            discardedUpTo_ = 0;
        }
        const auto upTo = static_cast<std::size_t>(text - base);
        if (upTo >= discardedUpTo_ + step) {
            block.discardBefore(upTo);
            discardedUpTo_ = upTo;
        }
        return;
    }
}

void clsListEmu::List(std::int32_t i, std::string_view sText) {
    if (compact()) {
        // The line less its first bytes (a byte-order mark) stays in the
        // compact form where no line before it ends by its start: at the
        // start of a block.
        const std::string_view now = ListView(i);
        if (sText.data() >= now.data() && sText.data() + sText.size() == now.data() + now.size() &&
            (sText.data() == now.data() || segmentOf(static_cast<std::size_t>(i)).firstItem == static_cast<std::size_t>(i))) {
            starts_[static_cast<std::size_t>(i)] += static_cast<std::uint32_t>(sText.data() - now.data());
            return;
        }
        std::string copy(sText); // whatever sText points into, the copy outlives the change of form
        expand();
        List(i, copy);
        return;
    }
    Item& it = items_[i];
    if (!(it.entry & kLineMask) && sText.size() <= it.length && it.text) {
        // Every item owns its bytes exclusively, so a shorter text can overwrite
        // them; memmove because the new text may be a piece of the old one.
        std::memmove(const_cast<char*>(it.text), sText.data(), sText.size());
        it.length = static_cast<std::uint32_t>(sText.size());
        return;
    }
    std::string copy(sText); // sText may point into an arena block that store() outgrows
    it.text = store(copy);
    it.length = static_cast<std::uint32_t>(copy.size());
    it.entry &= kSelected;
}

std::int32_t clsListEmu::Find(std::string_view sFind) const {
    for (std::size_t i = 0; i < static_cast<std::size_t>(ListCount()); ++i) {
        if (ListView(static_cast<std::int32_t>(i)) == sFind) return static_cast<std::int32_t>(i);
    }
    return -1;
}

void clsListEmu::RemoveItem(std::int32_t i) {
    expand();
    freezeSortKeys();
    items_.erase(static_cast<std::size_t>(i));
}

void clsListEmu::AddItem(std::string_view txtItem) {
    expand();
    Item it;
    it.text = store(txtItem);
    it.length = static_cast<std::uint32_t>(txtItem.size());
    items_.push_back(it);
    bumpCapacity();
}

void clsListEmu::AddItemRef(const char* text, std::uint32_t length) {
    if (items_.empty() && !adopted_.empty()) {
        const ByteBlock& block = adopted_.back();
        const char* base = block.data();
        if (block.size() <= 0xFFFFFFFFu && text >= base && length <= block.size() &&
            static_cast<std::size_t>(text - base) <= block.size() - length) {
            const auto start = static_cast<std::uint32_t>(text - base);
            const auto end = static_cast<std::uint32_t>(start + length);
            if (segments_.empty() || segments_.back().base != base) {
                segments_.push_back(Segment{starts_.size(), base, starts_.size(), end});
                starts_.push_back(start);
                bumpCapacity();
                return;
            }
            Segment& seg = segments_.back();
            // The line before must end where this one's start says it does.
            if (start >= seg.end && lineEndBefore(base, starts_[seg.lastItem], start) == seg.end) {
                seg.lastItem = starts_.size();
                seg.end = end;
                starts_.push_back(start);
                bumpCapacity();
                return;
            }
        }
    }
    expand();
    items_.push_back(Item{text, length, 0});
    bumpCapacity();
}

const char* clsListEmu::AdoptBlock(ByteBlock block) {
    adopted_.push_back(std::move(block));
    return adopted_.back().data();
}

void clsListEmu::setLineFlag(std::size_t index, bool on) {
    if (index / 64 >= lineFlags_.size()) {
        if (!on) return;
        lineFlags_.resize(starts_.size() / 64 + 1, 0);
    }
    const std::uint64_t bit = std::uint64_t{1} << (index % 64);
    lineFlags_[index / 64] = on ? (lineFlags_[index / 64] | bit) : (lineFlags_[index / 64] & ~bit);
}

void clsListEmu::ReleaseItems() {
    items_.clear();
    starts_.clear();
    segments_.clear();
    lineFlags_.clear();
    sortStarts_.clear();
    sortFrom_ = 0;
    capacity_ = 0;
}

void clsListEmu::Clear() {
    items_.clear();
    starts_.clear();
    segments_.clear();
    lineFlags_.clear();
    sortStarts_.clear();
    sortFrom_ = 0;
    blocks_.clear();
    adopted_.clear();
    discardBlock_ = 0;
    discardedUpTo_ = 0;
    arenaPos_ = nullptr;
    arenaLeft_ = 0;
    capacity_ = 0;
}

void clsListEmu::ShellSortWith(const std::function<int(std::string_view, std::string_view)>& compare,
                               bool descending) {
    expand();
    const std::int64_t count = static_cast<std::int64_t>(items_.size());
    if (count < 2) return;
    std::int64_t gap = 1;
    while (gap * 3 + 1 <= count) gap = gap * 3 + 1;
    // Only the texts move (for an entry item its line number is part of its
    // text); the flags stay where they are.
    freezeSortKeys();
    auto moveText = [&](std::int64_t to, const Item& from) {
        Item& t = items_[to];
        t.text = from.text;
        t.length = from.length;
        t.entry = (t.entry & kSelected) | (from.entry & kLineMask);
    };
    for (; gap >= 1; gap /= 3) {
        for (std::int64_t start = gap + 1; start <= count; ++start) {
            const Item t = items_[start - 1];
            std::string held; // an entry's text is put together in a buffer that the next read reuses
            std::string_view tv(t.text, t.length);
            if (t.entry & kLineMask) tv = held = ListView(static_cast<std::int32_t>(start - 1));
            std::int64_t p = start;
            while (p - gap >= 1) {
                const int c = compare(ListView(static_cast<std::int32_t>(p - gap - 1)), tv);
                const bool move = descending ? (c <= 0) : (c > 0);
                if (!move) break;
                moveText(p - 1, items_[p - gap - 1]);
                p -= gap;
            }
            moveText(p - 1, t);
        }
    }
}

void clsListEmu::ShellSort(const Collation& collation) {
    ShellSortWith([&](std::string_view a, std::string_view b) { return collation.compare(a, b); }, false);
}

void clsListEmu::ShellSort_Descending(const Collation& collation) {
    ShellSortWith([&](std::string_view a, std::string_view b) { return collation.compare(a, b); }, true);
}

} // namespace twinsift
