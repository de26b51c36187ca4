#pragma once
// A CommandPort that records what a command shows and answers its questions
// and dialogs from a script, so whole commands run without a window.

#include "platform/command_port.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace twinsift::test {

struct RecordedMessage {
    std::string id;
    std::string text;
    MsgIcon icon;
    MsgButtons buttons;
    std::string title;
};

class RecordingPort : public CommandPort {
public:
    // Scripts. A question with answers queued under its id takes the first of
    // them, otherwise the first of `answers`, otherwise `unscriptedAnswer`; a
    // plain message (Ok only) is always answered Ok.
    std::map<std::string, std::deque<MsgResult>, std::less<>> answersFor;
    std::deque<MsgResult> answers;
    MsgResult unscriptedAnswer = MsgResult::Yes;
    std::deque<std::optional<std::string>> inputReplies; // then cancelled
    std::deque<std::string> filesToPick;                 // open dialog answers, then ""
    std::string saveDialogAnswer;
    bool loadOptionsOk = true;
    std::function<bool()> onSaveOptions = [] { return true; };
    std::function<bool()> onSaveSelection = [] { return true; };
    std::function<void()> onPump; // runs inside every pumpEvents()
    std::int32_t highlighted = -1;

    // Records.
    std::map<std::string, std::vector<std::string>> panels; // every text, per key
    std::vector<RecordedMessage> messages;
    std::vector<FileDialogRequest> openRequests, saveDialogs;
    std::string caption;
    MousePointer pointer = MousePointer::Default;
    std::int64_t progressMin = 0, progressMax = 0, progressValue = 0;
    int pumps = 0;
    std::map<CmdButton, bool> enabled, visible;
    CmdButton focus = CmdButton::Scan;
    bool windowEnabled = true;
    int loadOptionsShown = 0, saveOptionsShown = 0, saveSelectionShown = 0;
    int toolsShown = 0, settingsShown = 0, aboutShown = 0, quickstartShown = 0;
    std::vector<std::int32_t> showRowsReports, dupRowsReports, changedShowRows;
    std::string noticeRow;
    bool dupDisplayOption = true;
    int viewClears = 0, unselects = 0, viewRefreshes = 0, buttonBarRefreshes = 0;
    std::map<std::int32_t, bool> checks;                              // single rows
    std::vector<std::pair<std::int32_t, std::int32_t>> checkedRanges; // ranges a command rewrote
    int dupRowWrites = 0;
    std::string clipboard;
    std::vector<std::string> openedDocuments;

    RecordingPort() : windows_(*this), desktop_(*this) {
        for (CmdButton b : {CmdButton::Scan, CmdButton::Save, CmdButton::Select, CmdButton::ShowCopySave,
                            CmdButton::Settings, CmdButton::About, CmdButton::Stop}) {
            enabled[b] = true;
            visible[b] = b != CmdButton::Stop;
        }
    }
    RecordingPort(const RecordingPort&) = delete;
    RecordingPort& operator=(const RecordingPort&) = delete;

    std::string last(const std::string& key) const {
        auto it = panels.find(key);
        return it == panels.end() || it->second.empty() ? std::string() : it->second.back();
    }
    const std::vector<std::string>& all(const std::string& key) { return panels[key]; }
    std::string status() const { return last("status"); }
    // The ids of every message and question, in order.
    std::vector<std::string> messageIds() const {
        std::vector<std::string> ids;
        for (const auto& m : messages) ids.push_back(m.id);
        return ids;
    }

    void setPanelText(std::string_view key, std::string_view text) override {
        panels[std::string(key)].emplace_back(text);
    }
    std::string panelText(std::string_view key) const override { return last(std::string(key)); }
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
    void refreshButtonBar() override { ++buttonBarRefreshes; }
    void setMainWindowEnabled(bool e) override { windowEnabled = e; }

    MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon icon, MsgButtons buttons,
                         std::string_view title) override {
        messages.push_back({std::string(id), std::string(text), icon, buttons, std::string(title)});
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        if (auto it = answersFor.find(id); it != answersFor.end() && !it->second.empty()) {
            const MsgResult r = it->second.front();
            it->second.pop_front();
            return r;
        }
        if (!answers.empty()) {
            const MsgResult r = answers.front();
            answers.pop_front();
            return r;
        }
        return unscriptedAnswer;
    }
    std::optional<std::string> inputBox(std::string_view id, std::string_view prompt, std::string_view title,
                                        std::string_view) override {
        messages.push_back({std::string(id), std::string(prompt), MsgIcon::None, MsgButtons::OkCancel,
                            std::string(title)});
        if (inputReplies.empty()) return std::nullopt;
        auto r = inputReplies.front();
        inputReplies.pop_front();
        return r;
    }

    std::string openFileDialog(const FileDialogRequest& r) override {
        openRequests.push_back(r);
        if (filesToPick.empty()) return {};
        std::string p = filesToPick.front();
        filesToPick.pop_front();
        return p;
    }
    std::string saveFileDialog(const FileDialogRequest& r) override {
        saveDialogs.push_back(r);
        return saveDialogAnswer;
    }

    void showRowsAdded(std::int32_t n) override { showRowsReports.push_back(n); }
    void showRowChanged(std::int32_t row) override { changedShowRows.push_back(row); }
    void showNoticeRow(std::string_view text) override { noticeRow = text; }
    void setDupViewDisplayOption(bool on) override { dupDisplayOption = on; }
    void dupRowsAdded(std::int32_t n) override { dupRowsReports.push_back(n); }
    void unselectViewRows() override { ++unselects; }
    void refreshViews() override { ++viewRefreshes; }
    void clearListViews() override { ++viewClears; }
    void setDupRowChecked(std::int32_t index, bool checked) override {
        ++dupRowWrites;
        checks[index] = checked;
    }
    void dupRowsChecked(std::int32_t first, std::int32_t last) override {
        ++dupRowWrites;
        checkedRanges.emplace_back(first, last);
    }
    std::int32_t highlightedDupRow() const override { return highlighted; }

    WindowService& windows() override { return windows_; }
    DesktopServices& desktop() override { return desktop_; }

private:
    class Windows final : public WindowService {
    public:
        explicit Windows(RecordingPort& p) : p_(p) {}
        bool showLoadOptions() override {
            ++p_.loadOptionsShown;
            return p_.loadOptionsOk;
        }
        bool showSaveOptions() override {
            ++p_.saveOptionsShown;
            return p_.onSaveOptions();
        }
        bool showSaveSelection() override {
            ++p_.saveSelectionShown;
            return p_.onSaveSelection();
        }
        void showTools() override { ++p_.toolsShown; }
        void showSettings() override { ++p_.settingsShown; }
        void showAbout() override { ++p_.aboutShown; }
        void showQuickstart() override { ++p_.quickstartShown; }

    private:
        RecordingPort& p_;
    };
    class Desktop final : public DesktopServices {
    public:
        explicit Desktop(RecordingPort& p) : p_(p) {}
        void setClipboardText(std::string_view t) override { p_.clipboard = t; }
        std::string clipboardText() const override { return p_.clipboard; }
        bool openDocument(std::string_view what) override {
            p_.openedDocuments.emplace_back(what);
            return true;
        }

    private:
        RecordingPort& p_;
    };
    Windows windows_;
    Desktop desktop_;
};

} // namespace twinsift::test
