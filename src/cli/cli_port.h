#pragma once
// The command port of twinsift-cli: no window, so messages go to stderr,
// questions are answered No, and progress (phase text and percentage) is
// written over itself on a terminal.

#include "platform/command_port.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace twinsift::cli {

// What every terminal port shares: there is no window to draw on, and every
// choice a dialog would ask for came on the command line.
class WindowlessPort : public CommandPort {
public:
    void setCaption(std::string_view) override {}
    void setMousePointer(MousePointer) override {}
    void setProgressRange(std::int64_t, std::int64_t) override {}
    void setProgressValue(std::int64_t) override {}
    void pumpEvents() override {}
    void setButtonEnabled(CmdButton, bool) override {}
    void setButtonVisible(CmdButton, bool) override {}
    void setButtonFocus(CmdButton) override {}
    std::string openFileDialog(const FileDialogRequest&) override { return {}; }
    std::string saveFileDialog(const FileDialogRequest&) override { return {}; }
    bool showLoadOptions() override { return true; }
};

class CliPort final : public WindowlessPort {
public:
    CliPort(std::ostream& err, bool showProgress) : err_(err), showProgress_(showProgress) {}

    void setPanelText(std::string_view key, std::string_view text) override;
    std::string panelText(std::string_view key) const override;
    MsgResult messageBox(std::string_view text, MsgIcon icon, MsgButtons buttons, std::string_view title = {}) override;

    // Removes the progress line, if one is showing.
    void endProgress();

private:
    std::ostream& err_;
    bool showProgress_;
    bool progressShown_ = false;
    std::string status_, selected_, line_;
};

// Message texts use CR LF between their lines; a terminal wants LF.
std::string terminalText(std::string_view text);

} // namespace twinsift::cli
