#pragma once
// clsListEmu: the program's list of strings with one flag per item, indexed from 0.
//
// Texts live in large byte blocks owned by the list; an item is a pointer and a
// length into them, so millions of lines cost a few bytes each beyond their text.
// Indices are not range-checked: callers keep to 0 .. ListCount() - 1.

#include "scan/byte_block.h"
#include "scan/pod_vector.h"

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

    bool Selected(std::int32_t lngItemNumber) const { return items_[lngItemNumber].selected; }
    void Selected(std::int32_t lngItemNumber, bool bSelected) { items_[lngItemNumber].selected = bSelected; }

    std::string List(std::int32_t lngItemNumber) const { return std::string(ListView(lngItemNumber)); }
    // The item's text without a copy; valid until the item is changed or the list cleared.
    std::string_view ListView(std::int32_t lngItemNumber) const {
        const Item& it = items_[lngItemNumber];
        return {it.text, it.length};
    }
    void List(std::int32_t lngItemNumber, std::string_view sText);

    // Index of the first item whose text equals sFind byte for byte, or -1.
    std::int32_t Find(std::string_view sFind) const;
    std::int32_t ListCount() const { return static_cast<std::int32_t>(items_.size()); }
    void RemoveItem(std::int32_t lngItemNumber);
    void AddItem(std::string_view txtItem);
    void Clear();

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
    void Reserve(std::size_t count) { items_.reserve(count); }
    // The item storage reserved so far, so a loader can have its pages faulted in ahead.
    std::pair<char*, std::size_t> ItemStorage() {
        return {reinterpret_cast<char*>(items_.data()), items_.capacityBytes()};
    }

private:
    struct Item {
        const char* text = nullptr;
        std::uint32_t length = 0;
        bool selected = false;
    };
    const char* store(std::string_view text);
    void bumpCapacity() {
        if (capacity_ < static_cast<std::int64_t>(items_.size())) capacity_ += 100;
    }

    PodVector<Item> items_;
    std::vector<ByteBlock> blocks_;  // arena blocks, the last one is being filled
    std::vector<ByteBlock> adopted_; // whole blocks handed over by AdoptBlock
    char* arenaPos_ = nullptr;
    std::size_t arenaLeft_ = 0;
    std::int32_t capacity_ = 0;
};

} // namespace twinsift
