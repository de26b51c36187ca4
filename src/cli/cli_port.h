#pragma once
// The command port of twinsift-cli: no window, so messages go to stderr,
// questions are answered No, and progress (phase text and percentage) is
// written over itself on a terminal.

#include "platform/command_port.h"

#include <iosfwd>
#include <optional>
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
    void refreshButtonBar() override {}
    void setMainWindowEnabled(bool) override {}

    // The keep count of a selection rule comes on the command line.
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view,
                                        std::string_view) override {
        return std::nullopt;
    }
    std::string openFileDialog(const FileDialogRequest&) override { return {}; }
    std::string saveFileDialog(const FileDialogRequest&) override { return {}; }

    void showRowsAdded(std::int32_t) override {}
    void showRowChanged(std::int32_t) override {}
    void showNoticeRow(std::string_view) override {}
    void setDupViewDisplayOption(bool) override {}
    void dupRowsAdded(std::int32_t) override {}
    void unselectViewRows() override {}
    void refreshViews() override {}
    void clearListViews() override {}
    void setDupRowChecked(std::int32_t, bool) override {}
    void dupRowsChecked(std::int32_t, std::int32_t) override {}
    std::int32_t highlightedDupRow() const override { return -1; }

    WindowService& windows() override { return windows_; }
    DesktopServices& desktop() override { return desktop_; }

private:
    // The options and the files to save were given as arguments: every
    // dialog is taken as confirmed.
    class BatchWindows final : public WindowService {
    public:
        bool showLoadOptions() override { return true; }
        bool showSaveOptions() override { return true; }
        bool showSaveSelection() override { return true; }
        void showTools() override {}
        void showSettings() override {}
        void showAbout() override {}
        void showQuickstart() override {}
    };
    // No desktop: the clipboard is a string and nothing is opened.
    class NoDesktop final : public DesktopServices {
    public:
        void setClipboardText(std::string_view text) override { clipboard_ = text; }
        std::string clipboardText() const override { return clipboard_; }
        bool openDocument(std::string_view) override { return false; }

    private:
        std::string clipboard_;
    };
    BatchWindows windows_;
    NoDesktop desktop_;
};

class CliPort final : public WindowlessPort {
public:
    CliPort(std::ostream& err, bool showProgress) : err_(err), showProgress_(showProgress) {}

    void setPanelText(std::string_view key, std::string_view text) override;
    std::string panelText(std::string_view key) const override;
    MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon icon, MsgButtons buttons,
                         std::string_view title = {}) override;

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
