#pragma once
// The main window as the long commands see it: the status bar, the buttons,
// the progress bar and the two result views of frmMain, with the program's
// message boxes, file dialogs, own windows and desktop services handed in
// (the real Qt ones, or scripted ones in the tests).

#include "platform/command_port.h"

#include <QElapsedTimer>
#include <QObject>
#include <string>

namespace twinsift {

class frmMain;

class QtCommandPort final : public CommandPort {
public:
    QtCommandPort(frmMain& window, MessagePort& boxes, FileDialogPort& files, WindowService& windows,
                  DesktopServices& desktop)
        : window_(window), boxes_(boxes), files_(files), windows_(windows), desktop_(desktop) {}
    ~QtCommandPort() override;

    void setPanelText(std::string_view key, std::string_view text) override;
    std::string panelText(std::string_view key) const override;
    void setCaption(std::string_view caption) override;
    void setMousePointer(MousePointer pointer) override;
    void setProgressRange(std::int64_t min, std::int64_t max) override;
    void setProgressValue(std::int64_t value) override;
    void pumpEvents() override;

    void setButtonEnabled(CmdButton button, bool enabled) override;
    void setButtonVisible(CmdButton button, bool visible) override;
    void setButtonFocus(CmdButton button) override;
    void refreshButtonBar() override;
    void setMainWindowEnabled(bool enabled) override;

    MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon icon, MsgButtons buttons,
                         std::string_view title = {}) override {
        return boxes_.messageBox(id, text, icon, buttons, title);
    }
    std::optional<std::string> inputBox(std::string_view id, std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override {
        return boxes_.inputBox(id, prompt, title, defaultText);
    }
    std::string openFileDialog(const FileDialogRequest& request) override { return files_.openFileDialog(request); }
    std::string saveFileDialog(const FileDialogRequest& request) override { return files_.saveFileDialog(request); }

    void showRowsAdded(std::int32_t rowCount) override;
    void showRowChanged(std::int32_t row) override;
    void showNoticeRow(std::string_view text) override;
    void setDupViewDisplayOption(bool on) override;
    void dupRowsAdded(std::int32_t rowCount) override;
    void unselectViewRows() override;
    void refreshViews() override;
    void clearListViews() override;
    void setDupRowChecked(std::int32_t index, bool checked) override;
    void dupRowsChecked(std::int32_t first, std::int32_t last) override;
    std::int32_t highlightedDupRow() const override;

    WindowService& windows() override { return windows_; }

    // The shortest time between two passes of the event loop during a long
    // command; 0 lets every call of pumpEvents run the events.
    void setPumpInterval(int ms) { pumpIntervalMs_ = ms; }
    DesktopServices& desktop() override { return desktop_; }

private:
    void flushDupChecks();
    void flushPanels();

    frmMain& window_;
    MessagePort& boxes_;
    FileDialogPort& files_;
    WindowService& windows_;
    DesktopServices& desktop_;
    // Events run (and the window repaints) at most every pumpIntervalMs_ of a
    // long command. The views hear of new rows more rarely still: each time a
    // view hears of new rows it lays all of them out again, so telling it
    // every batch of lines would cost time that grows with the square of the
    // file. The counts wait here until then.
    int pumpIntervalMs_ = 30;
    qint64 flushCostMs_ = 0;
    QElapsedTimer lastPump_;
    void flushRows();
    void scheduleFlush();
    std::int32_t pendingShowRows_ = -1;
    std::int32_t pendingDupRows_ = -1;
    bool flushScheduled_ = false;
    QObject flushContext_; // the pending catch-up dies with the port
    QElapsedTimer lastFlush_;

    bool pumping_ = false;
    bool overrideCursor_ = false;
    // While a command walks the list with the window disabled, the check
    // boxes it changes are told to the view in one range when it ends, not
    // one row at a time.
    bool batchingChecks_ = false;
    std::int32_t dirtyFirst_ = -1, dirtyLast_ = -1;
    // Likewise the panel texts: nothing repaints before the walk lets events
    // run, so only the last text of each panel reaches its label.
    struct PendingPanel {
        std::string text;
        bool set = false;
    };
    PendingPanel pendingPanels_[3]; // "status", "selected", "line"
};

} // namespace twinsift
