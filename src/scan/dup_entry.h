#pragma once
// One duplicate entry as lstDuplicates holds it:
//     "[" + zero-padded line number + "]" + three blanks + comparison key
// Every reader of entries goes through here.

#include "scan/cls_list_emu.h"

#include <charconv>
#include <cstdint>
#include <string_view>

namespace twinsift {

struct DupEntry {
    std::int64_t lineNumber = 0; // 0 when the entry carries none
    std::string_view key;        // the comparison key, as shown after the number
};

inline DupEntry ReadDupEntry(std::string_view entry) noexcept {
    DupEntry e;
    const std::size_t close = entry.find(']');
    if (close == std::string_view::npos) return e;
    if (close >= 2 && entry.front() == '[') {
        std::int64_t value = 0;
        const auto r = std::from_chars(entry.data() + 1, entry.data() + close, value);
        if (r.ec == std::errc() && r.ptr == entry.data() + close) e.lineNumber = value;
    }
    std::string_view rest = entry.substr(close + 1);
    for (int i = 0; i < 3 && !rest.empty() && rest.front() == ' '; ++i) rest.remove_prefix(1);
    e.key = rest;
    return e;
}

// The key of entry i of `list`: straight from an entry the scan left as a
// line reference, else read from its text (then valid only until three more
// entry texts of the list are read).
inline std::string_view DupEntryKey(const clsListEmu& list, std::int32_t i) {
    if (list.EntryLineNumber(i) != 0) return list.EntryKey(i);
    return ReadDupEntry(list.ListView(i)).key;
}

} // namespace twinsift
