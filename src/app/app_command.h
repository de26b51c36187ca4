#pragma once
// Everything the user can ask of the main window, by button, key, menu, link,
// drop or the command line. Each goes through the program's one dispatch,
// which refuses to start a command while a long command runs.

#include <cstdint>

namespace twinsift {

enum class AppCommand : std::uint8_t {
    Open,       // cmdScan
    Stop,       // cmdStop: only raises the cancel flag, so it is never refused
    SaveAs,     // cmdSave
    Select,     // cmdSelect: the selection menu
    Tools,      // cmdShowCopySave
    Settings,   // cmdSettings
    About,      // cmdAbout
    Quickstart, // the "Show Quickstart Help Again" link
    Help,       // F1
    // Ctrl+F1 ... Ctrl+F9: the selection commands in menu order.
    SelectAll,
    SelectNone,
    SelectInvert,
    SelectAllButFirst,
    SelectAllButLast,
    SelectAllButFirstN,
    SelectAllButLastN,
    SelectAllOfCurrent,
    SelectNoneOfCurrent,
    // "Copy to clipboard" of the two views' context menus.
    CopyDups,
    CopySource,
};

// The command of Ctrl+F1 ... Ctrl+F9 (n = 1 ... 9).
constexpr AppCommand selectionKeyCommand(int n) {
    return static_cast<AppCommand>(static_cast<int>(AppCommand::SelectAll) + (n - 1));
}

} // namespace twinsift
