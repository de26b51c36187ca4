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

void clsListEmu::List(std::int32_t i, std::string_view sText) {
    Item& it = items_[i];
    if (sText.size() <= it.length && it.text) {
        // Every item owns its bytes exclusively, so a shorter text can overwrite
        // them; memmove because the new text may be a piece of the old one.
        std::memmove(const_cast<char*>(it.text), sText.data(), sText.size());
        it.length = static_cast<std::uint32_t>(sText.size());
        return;
    }
    std::string copy(sText); // sText may point into an arena block that store() outgrows
    it.text = store(copy);
    it.length = static_cast<std::uint32_t>(copy.size());
}

std::int32_t clsListEmu::Find(std::string_view sFind) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const Item& it = items_[i];
        if (it.length == sFind.size() && (it.length == 0 || std::memcmp(it.text, sFind.data(), it.length) == 0))
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

void clsListEmu::RemoveItem(std::int32_t i) { items_.erase(static_cast<std::size_t>(i)); }

void clsListEmu::AddItem(std::string_view txtItem) {
    Item it;
    it.text = store(txtItem);
    it.length = static_cast<std::uint32_t>(txtItem.size());
    items_.push_back(it);
    bumpCapacity();
}

void clsListEmu::AddItemRef(const char* text, std::uint32_t length) {
    items_.push_back(Item{text, length, false});
    bumpCapacity();
}

const char* clsListEmu::AdoptBlock(ByteBlock block) {
    adopted_.push_back(std::move(block));
    return adopted_.back().data();
}

void clsListEmu::Clear() {
    items_.clear();
    blocks_.clear();
    adopted_.clear();
    arenaPos_ = nullptr;
    arenaLeft_ = 0;
    capacity_ = 0;
}

void clsListEmu::ShellSortWith(const std::function<int(std::string_view, std::string_view)>& compare,
                               bool descending) {
    const std::int64_t count = static_cast<std::int64_t>(items_.size());
    if (count < 2) return;
    std::int64_t gap = 1;
    while (gap * 3 + 1 <= count) gap = gap * 3 + 1;
    auto textAt = [&](std::int64_t p1) { return std::string_view(items_[p1 - 1].text, items_[p1 - 1].length); };
    for (; gap >= 1; gap /= 3) {
        for (std::int64_t start = gap + 1; start <= count; ++start) {
            const Item t = items_[start - 1];
            const std::string_view tv(t.text, t.length);
            std::int64_t p = start;
            while (p - gap >= 1) {
                const int c = compare(textAt(p - gap), tv);
                const bool move = descending ? (c <= 0) : (c > 0);
                if (!move) break;
                items_[p - 1].text = items_[p - gap - 1].text;
                items_[p - 1].length = items_[p - gap - 1].length;
                p -= gap;
            }
            items_[p - 1].text = t.text;
            items_[p - 1].length = t.length;
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
