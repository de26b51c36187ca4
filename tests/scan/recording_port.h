#pragma once
// A CommandPort that records what the window would show and answers the
// dialogs from a script.

#include "platform/command_port.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace twinsift::test {

class RecordingPort : public CommandPort {
public:
    struct Message {
        std::string text;
        MsgIcon icon;
        MsgButtons buttons;
    };

    // Scripts.
    std::deque<std::string> filesToPick;  // answers of the open dialog, then ""
    std::deque<MsgResult> answers;        // answers to questions, then No
    bool loadOptionsOk = true;
    std::function<void()> onPump;         // runs inside every pumpEvents()

    // Records.
    std::map<std::string, std::string> panels;
    std::vector<std::string> statusHistory;
    std::string caption;
    MousePointer pointer = MousePointer::Default;
    std::int64_t progressMin = 0, progressMax = 0, progressValue = 0;
    int pumps = 0;
    std::map<CmdButton, bool> enabled, visible;
    CmdButton focus = CmdButton::Scan;
    std::vector<Message> messages;
    std::vector<FileDialogRequest> openRequests;
    int loadOptionsShown = 0;
    std::vector<std::int32_t> showRowsReports, dupRowsReports, changedShowRows;
    std::string noticeRow;
    bool dupDisplayOption = true;
    int viewClears = 0, unselects = 0, viewRefreshes = 0;

    RecordingPort() {
        for (CmdButton b : {CmdButton::Scan, CmdButton::Save, CmdButton::Select, CmdButton::ShowCopySave,
                            CmdButton::Settings, CmdButton::About, CmdButton::Stop}) {
            enabled[b] = true;
            visible[b] = b != CmdButton::Stop;
        }
    }

    void setPanelText(std::string_view key, std::string_view text) override {
        panels[std::string(key)] = std::string(text);
        if (key == "status") statusHistory.emplace_back(text);
    }
    std::string panelText(std::string_view key) const override {
        auto it = panels.find(std::string(key));
        return it == panels.end() ? std::string() : it->second;
    }
    void setCaption(std::string_view c) override { caption = c; }
    void setMousePointer(MousePointer p) override { pointer = p; }
    void setProgressRange(std::int64_t min, std::int64_t max) override {
        progressMin = min;
        progressMax = max;
    }
    void setProgressValue(std::int64_t v) override { progressValue = v; }
    void pumpEvents() override {
        ++pumps;
        if (onPump) onPump();
    }
    void setButtonEnabled(CmdButton b, bool e) override { enabled[b] = e; }
    void setButtonVisible(CmdButton b, bool v) override { visible[b] = v; }
    void setButtonFocus(CmdButton b) override { focus = b; }
    MsgResult messageBox(std::string_view text, MsgIcon icon, MsgButtons buttons, std::string_view) override {
        messages.push_back({std::string(text), icon, buttons});
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        if (answers.empty()) return MsgResult::No;
        const MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    std::string openFileDialog(const FileDialogRequest& r) override {
        openRequests.push_back(r);
        if (filesToPick.empty()) return {};
        std::string p = filesToPick.front();
        filesToPick.pop_front();
        return p;
    }
    std::string saveFileDialog(const FileDialogRequest&) override { return {}; }
    bool showLoadOptions() override {
        ++loadOptionsShown;
        return loadOptionsOk;
    }
    void clearListViews() override { ++viewClears; }
    void showRowsAdded(std::int32_t n) override { showRowsReports.push_back(n); }
    void showRowChanged(std::int32_t row) override { changedShowRows.push_back(row); }
    void showNoticeRow(std::string_view text) override { noticeRow = text; }
    void setDupViewDisplayOption(bool on) override { dupDisplayOption = on; }
    void dupRowsAdded(std::int32_t n) override { dupRowsReports.push_back(n); }
    void unselectViewRows() override { ++unselects; }
    void refreshViews() override { ++viewRefreshes; }

    std::string status() const { return panelText("status"); }
};

} // namespace twinsift::test
