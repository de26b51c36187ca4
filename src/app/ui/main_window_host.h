#pragma once
// What the main window asks of the program it is the frame of. The window
// turns clicks, keys and drops into these calls and decides nothing itself.

#include "app/app_command.h"

#include <cstdint>
#include <string>
#include <vector>

namespace twinsift {

class MainWindowHost {
public:
    virtual ~MainWindowHost() = default;
    // A button, key or link asked for a command.
    virtual void onCommand(AppCommand command) = 0;
    // Files were dropped on the source view, in drop order.
    virtual void onFilesDropped(std::vector<std::string> paths) = 0;
    // The user ticked or cleared the check box of duplicate row `row` (0-based).
    virtual void onDupRowChecked(std::int32_t row) = 0;
    // An Open or Save As is running: no context menu may open.
    virtual bool commandRunning() const = 0;
    // The last step of the first activation: the window is up, the quickstart
    // window (if any) shows; a file named on the command line may open now.
    virtual void onFirstActivationDone() = 0;
    // The user asked to close the window; false refuses. winState is 0
    // (normal), 1 (minimised) or 2 (maximised); left and top in twips.
    virtual bool onCloseRequest(std::int16_t winState, double leftTwips, double topTwips) = 0;
};

} // namespace twinsift
