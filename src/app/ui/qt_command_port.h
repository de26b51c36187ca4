#pragma once
// The main window as the long commands see it: the CommandPort carried out
// with the window's real controls, Qt's dialogs and the two result models.

#include "platform/command_port.h"

#include <QString>
#include <QStringList>

namespace twinsift {

class frmMain;
class ShowRowsModel;
class DupRowsModel;

// The program's "description|patterns|..." list as Qt's name filters, one
// per file type, in the same order.
QStringList qtNameFilters(std::string_view filter);

class QtCommandPort final : public CommandPort {
public:
    QtCommandPort(frmMain& window, ShowRowsModel& showModel, DupRowsModel& dupModel)
        : window_(window), show_(showModel), dups_(dupModel) {}
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

    MsgResult messageBox(std::string_view text, MsgIcon icon, MsgButtons buttons,
                         std::string_view title = {}) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    std::string openFileDialog(const FileDialogRequest& request) override;
    std::string saveFileDialog(const FileDialogRequest& request) override;
    bool showLoadOptions() override;

    void setDupRowChecked(std::int32_t index, bool checked) override;
    std::int32_t highlightedDupRow() const override;
    void setMainWindowEnabled(bool enabled) override;
    void clearListViews() override;
    void setClipboardText(std::string_view text) override;

    void showRowsAdded(std::int32_t rowCount) override;
    void showRowChanged(std::int32_t row) override;
    void showNoticeRow(std::string_view text) override;
    void setDupViewDisplayOption(bool on) override;
    void dupRowsAdded(std::int32_t rowCount) override;
    void unselectViewRows() override;
    void refreshViews() override;

private:
    std::string fileDialog(const FileDialogRequest& request, bool save);

    frmMain& window_;
    ShowRowsModel& show_;
    DupRowsModel& dups_;
    bool pumping_ = false;
    bool overrideCursor_ = false;
};

} // namespace twinsift
