#pragma once
// The Select menu: rules that set and clear the removal marks of the duplicate
// entries group by group, the two "currently marked kind" commands and the
// check box of a single row.
//
// A group is a run of adjacent entries with equal keys; the commands never
// look further than the neighbouring entry, exactly like the lists the scan
// builds expect.

#include "platform/command_port.h"
#include "scan/document.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace twinsift {

// The reply to "Select number of lines to keep:" read as a number: leading
// blanks, an optional sign, digits with an optional decimal fraction, rounded
// half to even. Anything else, and a number outside the 32-bit range, gives 0.
std::int32_t ParseKeepCount(std::string_view reply);

class SelectionCommands {
public:
    SelectionCommands(LoadedDocument& doc, const RunState& run, CommandPort& port)
        : doc_(doc), run_(run), port_(port) {}

    void mnuSelAll_Click();
    void mnuUnsel_Click();
    void mnuInvert_Click();
    void mnuSelAllButFirst_Click();
    void mnuSelAllButLast_Click();
    // Ask for N through the port's input box.
    void mnuSelAllButFirstNN_Click();
    void mnuSelAllButLastNN_Click();
    // The same with N already known; N <= 0 changes nothing.
    void SelectAllButFirstN(std::int32_t keep);
    void SelectAllButLastN(std::int32_t keep);
    // Use the duplicate view's highlighted row; nothing happens without one.
    void mnuSelAllOfCurrent_Click();
    void mnuSelNoneOfCurrent_Click();
    // The same for the row that shows entry `index` (0-based).
    void SelectGroupOf(std::int32_t index, bool value);
    // The row's check box was ticked or cleared by the user.
    void lwDups_ItemCheck(std::int32_t index);

    bool bSelecting() const { return bSelecting_; }

private:
    enum class Rule { All, None, Invert, AllButFirst, AllButLast, AllButFirstN, AllButLastN };
    void runListCommand(Rule rule, std::int32_t keep = 0);
    void writeFlag(std::int32_t index, bool value);
    void announceChecks(std::int32_t first, std::int32_t last);
    bool canRun() const;
    std::string countText() const;

    LoadedDocument& doc_;
    const RunState& run_;
    CommandPort& port_;
    bool bSelecting_ = false;
    bool commandRunning_ = false; // the hourglass is showing
};


} // namespace twinsift
