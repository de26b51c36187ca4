#pragma once
// The button bar while a long command (Open, Save As) runs: the program is
// busy, the commands are disabled and Cancel stands in Open's place. Every way
// out of the command — finished, cancelled, failed, thrown — gives the window
// back the same way, so no exit path can leave it disabled.

#include "platform/command_port.h"

namespace twinsift {

class BusyScope {
public:
    // Marks the program busy; nothing on the screen changes yet.
    BusyScope(bool& bBusy, CommandPort& port) : busy_(bBusy), port_(port) { busy_ = true; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    ~BusyScope() { end(); }

    // Disables every command button and shows the given pointer.
    void disableCommands(MousePointer pointer) {
        for (CmdButton b : {CmdButton::About, CmdButton::Save, CmdButton::Select, CmdButton::ShowCopySave,
                            CmdButton::Settings, CmdButton::Scan})
            port_.setButtonEnabled(b, false);
        port_.setMousePointer(pointer);
    }

    // Cancel takes Open's place and the focus.
    void showCancel() {
        port_.setButtonEnabled(CmdButton::Stop, true);
        port_.setButtonVisible(CmdButton::Stop, true);
        port_.setButtonVisible(CmdButton::Scan, false);
        port_.setButtonFocus(CmdButton::Stop);
    }

    // Which of the buttons that need a document come back at the end; by
    // default none does.
    void setDocumentButtons(bool save, bool select, bool tools) {
        save_ = save;
        select_ = select;
        tools_ = tools;
    }

    // Gives the window back now; later calls (and the destructor) do nothing.
    void end() {
        if (ended_) return;
        ended_ = true;
        port_.setButtonEnabled(CmdButton::About, true);
        port_.setButtonEnabled(CmdButton::Save, save_);
        port_.setButtonEnabled(CmdButton::ShowCopySave, tools_);
        port_.setButtonEnabled(CmdButton::Select, select_);
        port_.setButtonEnabled(CmdButton::Settings, true);
        port_.setMousePointer(MousePointer::Default);
        port_.setButtonVisible(CmdButton::Stop, false);
        port_.setButtonEnabled(CmdButton::Scan, true);
        port_.setButtonVisible(CmdButton::Scan, true);
        port_.setButtonFocus(CmdButton::Scan);
        busy_ = false;
    }

    bool ended() const { return ended_; }

private:
    bool& busy_;
    CommandPort& port_;
    bool save_ = false, select_ = false, tools_ = false;
    bool ended_ = false;
};

} // namespace twinsift
