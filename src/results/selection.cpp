#include "results/selection.h"

#include "scan/dup_entry.h"
#include "scan/text_codec.h"
#include "settings/settings_values.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace twinsift {

namespace {


// Compares each key with the one before it; under a case-insensitive scan the
// previous key is upper-cased once and kept, not once per comparison. A key
// that stays put while the walk runs (a line reference's) is kept as a view,
// and the very same bytes again are equal without a look at them: entries of
// one group often share their key's bytes.
class KeyWalker {
public:
    KeyWalker(bool caseSensitive, Codec codec) : caseSensitive_(caseSensitive), codec_(codec) {}

    void reset(std::string_view key) {
        if (caseSensitive_) {
            prev_.assign(key);
            prevView_ = prev_;
        } else {
            prev_ = toUpper(key, codec_);
        }
        stableAt_ = nullptr;
    }
    // True when key differs from the previous key; it becomes the previous
    // key. `stable`: its bytes stay where they are until the walk ends.
    bool differsAndAdvance(std::string_view key, bool stable = false) {
        if (stable && key.data() == stableAt_ && key.size() == stableSize_) return false;
        stableAt_ = stable ? key.data() : nullptr;
        stableSize_ = key.size();
        if (caseSensitive_) {
            const bool differs = key != prevView_;
            if (stable) {
                prevView_ = key;
            } else if (differs) {
                prev_.assign(key);
                prevView_ = prev_;
            }
            return differs;
        }
        std::string up = toUpper(key, codec_);
        const bool differs = up != prev_;
        prev_.swap(up);
        return differs;
    }
    bool equal(std::string_view a, std::string_view b) const {
        if (caseSensitive_) return a == b;
        return toUpper(a, codec_) == toUpper(b, codec_);
    }

private:
    bool caseSensitive_;
    Codec codec_;
    std::string prev_;           // the previous key (upper-cased when case-insensitive)
    std::string_view prevView_;  // case-sensitive: the previous key, in prev_ or where it stays
    const char* stableAt_ = nullptr; // where the previous key stays, if it does
    std::size_t stableSize_ = 0;
};

} // namespace


std::int32_t ParseKeepCount(std::string_view reply) {
    std::size_t i = 0;
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t')) ++i;
    bool negative = false;
    if (i < reply.size() && (reply[i] == '+' || reply[i] == '-')) {
        negative = reply[i] == '-';
        ++i;
    }
    std::string digits;
    bool any = false;
    while (i < reply.size() && reply[i] >= '0' && reply[i] <= '9') {
        digits += reply[i++];
        any = true;
    }
    if (i < reply.size() && reply[i] == '.') {
        digits += reply[i++];
        while (i < reply.size() && reply[i] >= '0' && reply[i] <= '9') {
            digits += reply[i++];
            any = true;
        }
    }
    if (!any) return 0;
    // Long digit runs would lose nothing that matters here: anything that large
    // is outside the range anyway.
    if (digits.size() > 40) return 0;
    double value = std::strtod(digits.c_str(), nullptr);
    if (negative) value = -value;
    value = roundHalfEven(value);
    if (!std::isfinite(value) || value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min())
        return 0;
    return static_cast<std::int32_t>(value);
}

bool SelectionCommands::canRun() const {
    // Another long command owns the list; the keys and the menu must not touch it.
    return !run_.bBusy && !commandRunning_ && doc_.lstDuplicates.ListCount() > 0;
}

std::string SelectionCommands::countText() const {
    return std::to_string(doc_.lSelectedCount) + " of " + std::to_string(doc_.lstDuplicates.ListCount()) +
           " dups. selected.";
}

void SelectionCommands::writeFlag(std::int32_t index, bool value) {
    // The check boxes are the flags; the view hears of the whole range the
    // command touched once it ends (see announceChecks).
    doc_.lstDuplicates.Selected(index, value);
}

void SelectionCommands::announceChecks(std::int32_t first, std::int32_t last) {
    if (!doc_.bNoDisplay && first <= last) port_.dupRowsChecked(first, last);
}

void SelectionCommands::mnuSelAll_Click() { runListCommand(Rule::All); }
void SelectionCommands::mnuUnsel_Click() { runListCommand(Rule::None); }
void SelectionCommands::mnuInvert_Click() { runListCommand(Rule::Invert); }
void SelectionCommands::mnuSelAllButFirst_Click() { runListCommand(Rule::AllButFirst); }
void SelectionCommands::mnuSelAllButLast_Click() { runListCommand(Rule::AllButLast); }

void SelectionCommands::mnuSelAllButFirstNN_Click() {
    if (!canRun()) return;
    const auto reply = port_.inputBox(msgid::kSelectKeepCount, "Select number of lines to keep:", {}, {});
    SelectAllButFirstN(reply ? ParseKeepCount(*reply) : 0);
}

void SelectionCommands::mnuSelAllButLastNN_Click() {
    if (!canRun()) return;
    const auto reply = port_.inputBox(msgid::kSelectKeepCount, "Select number of lines to keep:", {}, {});
    SelectAllButLastN(reply ? ParseKeepCount(*reply) : 0);
}

void SelectionCommands::SelectAllButFirstN(std::int32_t keep) {
    if (keep <= 0) return;
    runListCommand(Rule::AllButFirstN, keep);
}

void SelectionCommands::SelectAllButLastN(std::int32_t keep) {
    if (keep <= 0) return;
    runListCommand(Rule::AllButLastN, keep);
}

void SelectionCommands::runListCommand(Rule rule, std::int32_t keepN) {
    if (!canRun()) return;
    clsListEmu& list = doc_.lstDuplicates;
    const std::int32_t n = list.ListCount();
    const std::string phase = rule == Rule::None ? "Unselecting..." : "Selecting...";

    commandRunning_ = true;
    port_.setMousePointer(MousePointer::Hourglass);
    port_.setMainWindowEnabled(false);
    doc_.lSelectedCount = 0;
    port_.setPanelText("selected", phase);
    bSelecting_ = true;

    std::int32_t processed = 0;
    std::int64_t shown = -1; // the percentage on show
    auto tick = [&](std::int32_t k) {
        if (++processed < 10) return;
        processed = 0;
        const auto p = static_cast<std::int64_t>(static_cast<double>(k) / static_cast<double>(n - 1) * 100.0);
        if (p == shown) return; // the same text again
        shown = p;
        port_.setPanelText("selected", phase + " " + std::to_string(p) + "%");
    };
    auto set = [&](std::int32_t i) {
        writeFlag(i, true);
        ++doc_.lSelectedCount;
    };

    KeyWalker keys(doc_.bScanCaseSensitive, doc_.codec);
    // An entry's key may lie anywhere in the loaded lines: ask for it ahead.
    auto keyOf = [&](std::int32_t i, std::int32_t ahead) {
        if (ahead >= 0 && ahead < n) list.PrefetchText(ahead);
        return DupEntryKey(list, i);
    };
    // Whether that key stays put: a line reference's does.
    auto stays = [&](std::int32_t i) { return list.EntryLineNumber(i) != 0; };
    switch (rule) {
    case Rule::All:
        for (std::int32_t i = 0; i < n; ++i) {
            set(i);
            tick(i);
        }
        break;
    case Rule::None:
        for (std::int32_t i = 0; i < n; ++i) {
            writeFlag(i, false);
            tick(i);
        }
        break;
    case Rule::Invert:
        for (std::int32_t i = 0; i < n; ++i) {
            if (list.Selected(i)) {
                writeFlag(i, false);
            } else {
                set(i);
            }
            tick(i);
        }
        break;
    case Rule::AllButFirst:
        keys.reset({});
        for (std::int32_t i = 0; i < n; ++i) {
            if (keys.differsAndAdvance(keyOf(i, i + 16), stays(i))) {
                writeFlag(i, false);
            } else {
                set(i);
            }
            tick(i);
        }
        break;
    case Rule::AllButLast:
        keys.reset(DupEntryKey(list, 0));
        for (std::int32_t i = 0; i < n; ++i) {
            set(i);
            if (keys.differsAndAdvance(keyOf(i, i + 16), stays(i))) {
                writeFlag(i - 1, false);
                --doc_.lSelectedCount;
            }
            tick(i);
        }
        writeFlag(n - 1, false);
        --doc_.lSelectedCount;
        break;
    case Rule::AllButFirstN:
    case Rule::AllButLastN: {
        const bool forward = rule == Rule::AllButFirstN;
        std::int32_t keep = keepN;
        keys.reset({});
        for (std::int32_t step = 0; step < n; ++step) {
            const std::int32_t i = forward ? step : n - 1 - step;
            const bool newGroup = keys.differsAndAdvance(keyOf(i, forward ? i + 16 : i - 16), stays(i));
            if (newGroup || keep > 0) {
                writeFlag(i, false);
                keep = newGroup ? keepN - 1 : keep - 1;
            } else {
                set(i);
            }
            tick(i);
        }
        break;
    }
    }

    bSelecting_ = false;
    announceChecks(0, n - 1);
    port_.setPanelText("selected", countText());
    port_.pumpEvents();
    port_.setMainWindowEnabled(true);
    port_.setMousePointer(MousePointer::Default);
    commandRunning_ = false;
}

void SelectionCommands::mnuSelAllOfCurrent_Click() { SelectGroupOf(port_.highlightedDupRow(), true); }
void SelectionCommands::mnuSelNoneOfCurrent_Click() { SelectGroupOf(port_.highlightedDupRow(), false); }

void SelectionCommands::SelectGroupOf(std::int32_t index, bool value) {
    if (!canRun()) return;
    clsListEmu& list = doc_.lstDuplicates;
    const std::int32_t n = list.ListCount();
    // No highlighted row (none chosen yet, or an empty view in large-file mode):
    // there is no group to act on.
    if (index < 0 || index >= n) return;

    commandRunning_ = true;
    port_.setMousePointer(MousePointer::Hourglass);
    port_.setMainWindowEnabled(false);
    doc_.lSelectedCount = 0;
    port_.setPanelText("selected", "Selecting...");

    KeyWalker keys(doc_.bScanCaseSensitive, doc_.codec);
    const std::string reference(DupEntryKey(list, index));
    bSelecting_ = true;
    std::int32_t last = index;
    for (std::int32_t i = index; i < n; ++i) {
        if (!keys.equal(DupEntryKey(list, i), reference)) break;
        writeFlag(i, value);
        last = i;
    }
    bSelecting_ = false;
    std::int32_t first = index;
    for (std::int32_t i = index - 1; i >= 0; --i) {
        if (!keys.equal(DupEntryKey(list, i), reference)) break;
        writeFlag(i, value);
        first = i;
    }
    announceChecks(first, last);

    std::int32_t count = 0;
    for (std::int32_t i = 0; i < n; ++i) count += list.Selected(i) ? 1 : 0;
    doc_.lSelectedCount = count;

    port_.setPanelText("selected", countText());
    port_.pumpEvents();
    port_.setMainWindowEnabled(true);
    port_.setMousePointer(MousePointer::Default);
    commandRunning_ = false;
}

void SelectionCommands::lwDups_ItemCheck(std::int32_t index) {
    if (index < 0 || index >= doc_.lstDuplicates.ListCount()) return;
    if (commandRunning_ || run_.bBusy) {
        // A command owns the flags; the box goes back to what the flag says.
        port_.setDupRowChecked(index, doc_.lstDuplicates.Selected(index));
        return;
    }
    if (doc_.bNoDisplay || bSelecting_) return;
    const bool now = !doc_.lstDuplicates.Selected(index);
    doc_.lstDuplicates.Selected(index, now);
    doc_.lSelectedCount += now ? 1 : -1;
    port_.setPanelText("selected", countText());
}

} // namespace twinsift
