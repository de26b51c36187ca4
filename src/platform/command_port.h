#pragma once
// What the long commands (Open, Save As, the selection commands, the Tools
// window's exports) need from the window that runs them.
//
// The engine drivers decide what happens and talk only to this interface; the
// Qt main window implements it with real controls, twinsift-cli for a terminal,
// and the tests with a recorder. Nothing here may pull in Qt.
//
// New members get a default implementation so that existing ports keep building.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

enum class MsgIcon : std::uint8_t { None, Error, Warning, Question, Information };
enum class MsgButtons : std::uint8_t { Ok, YesNo, YesNoCancel, OkCancel };
enum class MsgResult : std::uint8_t { Ok, Yes, No, Cancel };
enum class MousePointer : std::uint8_t { Default, Hourglass, ArrowHourglass };

// The main window's command buttons.
enum class CmdButton : std::uint8_t { Scan, Save, Select, ShowCopySave, Settings, About, Stop };

// One request for the platform's open or save dialog. The filter is the
// program's "description|patterns|description|patterns" list.
struct FileDialogRequest {
    std::string title;       // empty: the platform's default
    std::string initialFile;
    std::string defaultExt;
    std::string filter;
    int filterIndex = 1;
    bool fileMustExist = false;
    bool overwritePrompt = false;
};

class CommandPort {
public:
    virtual ~CommandPort() = default;

    // Status bar panels keyed "status", "selected" and "line".
    virtual void setPanelText(std::string_view key, std::string_view text) = 0;
    virtual std::string panelText(std::string_view key) const = 0;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setMousePointer(MousePointer pointer) = 0;

    // The progress bar.
    virtual void setProgressRange(std::int64_t min, std::int64_t max) = 0;
    virtual void setProgressValue(std::int64_t value) = 0;

    // Lets pending window events run. The Cancel button sets the run state's
    // bCancelRequested during this call; the driver reads it afterwards.
    virtual void pumpEvents() = 0;

    // Buttons: enabled state, visibility, focus; repaint after a modal box.
    virtual void setButtonEnabled(CmdButton button, bool enabled) = 0;
    virtual void setButtonVisible(CmdButton button, bool visible) = 0;
    virtual void setButtonFocus(CmdButton button) = 0;
    virtual void refreshButtonBar() {}

    // Message boxes; an empty title means the program's title.
    virtual MsgResult messageBox(std::string_view text, MsgIcon icon, MsgButtons buttons,
                                 std::string_view title = {}) = 0;
    // The input box; nullopt when cancelled.
    virtual std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                                std::string_view defaultText) {
        return std::nullopt;
    }

    // File dialogs; an empty path means cancelled.
    virtual std::string openFileDialog(const FileDialogRequest& request) = 0;
    virtual std::string saveFileDialog(const FileDialogRequest& request) = 0;

    // The modal option dialogs. Each returns false when closed without OK; on OK
    // the dialog has already stored its values in the settings.
    virtual bool showLoadOptions() = 0;
    virtual bool showSaveOptions() { return true; }
    // The save-selection dialog; false when cancelled. On OK the document's
    // bSourceSave flags hold the chosen files.
    virtual bool showSaveSelection() { return true; }

    // The duplicate view as the selection commands see it: the check box of the
    // row that shows entry `index` (0-based), and the highlighted row's entry
    // index, or -1 when no row is highlighted.
    virtual void setDupRowChecked(std::int32_t index, bool checked) {}
    virtual std::int32_t highlightedDupRow() const { return -1; }
    // Disables or enables the whole main window while a command walks the list.
    virtual void setMainWindowEnabled(bool enabled) {}
    // Empties both list views (after a Word or Excel save the document is gone).
    virtual void clearListViews() {}
    // Puts plain text on the clipboard.
    virtual void setClipboardText(std::string_view text) {}

    // The two result views as the Open command fills them. Rows are never sent
    // one by one: the views read them from the document and from the
    // ResultsView (scan/results_view.h); these calls say how far they grew.
    // lwShow now holds the first rowCount loaded lines.
    virtual void showRowsAdded(std::int32_t rowCount) {}
    // The text of lwShow's row changed (a byte-order mark was removed).
    virtual void showRowChanged(std::int32_t row) {}
    // Large-file mode: lwShow holds only this one row.
    virtual void showNoticeRow(std::string_view text) {}
    // The duplicate view's display option, switched off in large-file mode.
    virtual void setDupViewDisplayOption(bool on) {}
    // lwDups now holds rowCount rows, and the lwShow rows of their lines have
    // their colours.
    virtual void dupRowsAdded(std::int32_t rowCount) {}
    // Unselects the selected row of both views.
    virtual void unselectViewRows() {}
    // Repaints both views.
    virtual void refreshViews() {}
};

} // namespace twinsift
