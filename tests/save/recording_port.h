#pragma once
// A CommandPort that records what a command shows and answers its questions
// from a script, so whole commands run without a window.

#include "platform/command_port.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace twinsift::test {

struct RecordedMessage {
    std::string text;
    MsgIcon icon;
    MsgButtons buttons;
    std::string title;
};

class RecordingPort : public CommandPort {
public:
    // Scripted answers; an unscripted question gets Yes (or Ok).
    std::deque<MsgResult> answers;
    std::deque<std::optional<std::string>> inputReplies;
    std::string saveDialogAnswer;
    std::function<bool()> onSaveOptions = [] { return true; };
    std::function<bool()> onSaveSelection = [] { return true; };
    std::function<void()> onPump;
    std::function<void(std::int32_t, bool)> onDupRowChecked;
    std::int32_t highlighted = -1;

    // What happened.
    std::map<std::string, std::vector<std::string>> panels; // every text, per key
    std::vector<RecordedMessage> messages;
    std::vector<FileDialogRequest> saveDialogs;
    std::map<std::int32_t, bool> checks;
    int dupRowWrites = 0;
    int pumps = 0;
    int saveOptionsShown = 0;
    int saveSelectionShown = 0;
    int listViewsCleared = 0;
    std::string caption;
    std::string clipboard;
    std::map<CmdButton, bool> enabled, visible;
    MousePointer pointer = MousePointer::Default;
    std::int64_t progressMax = 0, progressValue = 0;

    std::string last(const std::string& key) const {
        auto it = panels.find(key);
        return it == panels.end() || it->second.empty() ? std::string() : it->second.back();
    }
    const std::vector<std::string>& all(const std::string& key) { return panels[key]; }

    void setPanelText(std::string_view key, std::string_view text) override {
        panels[std::string(key)].emplace_back(text);
    }
    std::string panelText(std::string_view key) const override { return last(std::string(key)); }
    void setCaption(std::string_view c) override { caption = c; }
    void setMousePointer(MousePointer p) override { pointer = p; }
    void setProgressRange(std::int64_t, std::int64_t max) override { progressMax = max; }
    void setProgressValue(std::int64_t v) override { progressValue = v; }
    void pumpEvents() override {
        ++pumps;
        if (onPump) onPump();
    }
    void setButtonEnabled(CmdButton b, bool e) override { enabled[b] = e; }
    void setButtonVisible(CmdButton b, bool v) override { visible[b] = v; }
    void setButtonFocus(CmdButton) override {}
    MsgResult messageBox(std::string_view text, MsgIcon icon, MsgButtons buttons, std::string_view title) override {
        messages.push_back({std::string(text), icon, buttons, std::string(title)});
        if (!answers.empty()) {
            const MsgResult r = answers.front();
            answers.pop_front();
            return r;
        }
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Yes;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override {
        if (inputReplies.empty()) return std::nullopt;
        auto r = inputReplies.front();
        inputReplies.pop_front();
        return r;
    }
    std::string openFileDialog(const FileDialogRequest&) override { return {}; }
    std::string saveFileDialog(const FileDialogRequest& r) override {
        saveDialogs.push_back(r);
        return saveDialogAnswer;
    }
    bool showLoadOptions() override { return true; }
    bool showSaveOptions() override {
        ++saveOptionsShown;
        return onSaveOptions();
    }
    bool showSaveSelection() override {
        ++saveSelectionShown;
        return onSaveSelection();
    }
    void setDupRowChecked(std::int32_t index, bool checked) override {
        ++dupRowWrites;
        checks[index] = checked;
        if (onDupRowChecked) onDupRowChecked(index, checked);
    }
    std::int32_t highlightedDupRow() const override { return highlighted; }
    void clearListViews() override { ++listViewsCleared; }
    void setClipboardText(std::string_view t) override { clipboard = t; }
};

} // namespace twinsift::test
