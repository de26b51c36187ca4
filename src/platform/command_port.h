#pragma once
// What the long commands (Open, Save As, the selection commands, the Tools
// window's exports) need from the window that runs them.
//
// The engine drivers decide what happens and talk only to these interfaces;
// the Qt main window carries them out with real controls and dialogs,
// twinsift-cli for a terminal, and the tests with a recorder. Nothing here may
// pull in Qt.
//
// The port is split by concern, and no member has a default body: a port
// that forgets a dialog or a view update does not compile.

#include "platform/desktop_services.h"
#include "platform/message_ids.h"
#include "platform/window_service.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// The status bar, the caption, the pointer and the progress bar; and the
// event pump that keeps the window alive during a long command.
class StatusPort {
public:
    virtual ~StatusPort() = default;
    // Status bar panels keyed "status", "selected" and "line".
    virtual void setPanelText(std::string_view key, std::string_view text) = 0;
    virtual std::string panelText(std::string_view key) const = 0;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setMousePointer(MousePointer pointer) = 0;
    virtual void setProgressRange(std::int64_t min, std::int64_t max) = 0;
    virtual void setProgressValue(std::int64_t value) = 0;
    // Lets pending window events run. The Cancel button sets the run state's
    // bCancelRequested during this call; the driver reads it afterwards.
    virtual void pumpEvents() = 0;
};

// The button bar and the window as a whole.
class ButtonBarPort {
public:
    virtual ~ButtonBarPort() = default;
    virtual void setButtonEnabled(CmdButton button, bool enabled) = 0;
    virtual void setButtonVisible(CmdButton button, bool visible) = 0;
    virtual void setButtonFocus(CmdButton button) = 0;
    // Repaints the buttons after a modal window or a pop-up menu closed over them.
    virtual void refreshButtonBar() = 0;
    // Disables or enables the whole main window while a command walks a list.
    virtual void setMainWindowEnabled(bool enabled) = 0;
};

// Questions and messages. The id names the question ("scan.stop",
// "save.write-protected", ...; see message_ids.h) so that a windowless port
// answers by what is asked, never by the wording; an empty title means the
// program's title.
class MessagePort {
public:
    virtual ~MessagePort() = default;
    virtual MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon icon, MsgButtons buttons,
                                 std::string_view title = {}) = 0;
    // The input box; nullopt when cancelled.
    virtual std::optional<std::string> inputBox(std::string_view id, std::string_view prompt,
                                                std::string_view title, std::string_view defaultText) = 0;
};

// The platform's file dialogs; an empty path means cancelled.
class FileDialogPort {
public:
    virtual ~FileDialogPort() = default;
    virtual std::string openFileDialog(const FileDialogRequest& request) = 0;
    virtual std::string saveFileDialog(const FileDialogRequest& request) = 0;
};

// The two result views. Rows are never sent one by one: the views read them
// from the document and from the ResultsView (scan/results_view.h); these
// calls say how far they grew or what changed.
class ResultViewPort {
public:
    virtual ~ResultViewPort() = default;
    // lwShow now holds the first rowCount loaded lines.
    virtual void showRowsAdded(std::int32_t rowCount) = 0;
    // The text of lwShow's row changed (a byte-order mark was removed).
    virtual void showRowChanged(std::int32_t row) = 0;
    // Large-file mode: lwShow holds only this one row.
    virtual void showNoticeRow(std::string_view text) = 0;
    // The duplicate view's display option, switched off in large-file mode.
    virtual void setDupViewDisplayOption(bool on) = 0;
    // lwDups now holds rowCount rows, and the lwShow rows of their lines have
    // their colours.
    virtual void dupRowsAdded(std::int32_t rowCount) = 0;
    // Unselects the selected row of both views.
    virtual void unselectViewRows() = 0;
    // Repaints both views.
    virtual void refreshViews() = 0;
    // Empties both views (after a Word or Excel save the document is gone).
    virtual void clearListViews() = 0;
    // The check box of the duplicate row that shows entry `index` (0-based)
    // now shows `checked`.
    virtual void setDupRowChecked(std::int32_t index, bool checked) = 0;
    // A command rewrote the flags of entries first..last (0-based, inclusive);
    // their check boxes now show what the flags say. One call a command, not
    // one a row: a walk over a million entries is told once.
    virtual void dupRowsChecked(std::int32_t first, std::int32_t last) = 0;
    // The highlighted duplicate row's entry index, or -1.
    virtual std::int32_t highlightedDupRow() const = 0;
};

// Everything a long command may touch, in one place.
class CommandPort : public StatusPort,
                    public ButtonBarPort,
                    public MessagePort,
                    public FileDialogPort,
                    public ResultViewPort {
public:
    // The program's own dialogs and the desktop (clipboard) the command uses.
    virtual WindowService& windows() = 0;
    virtual DesktopServices& desktop() = 0;
};

} // namespace twinsift
