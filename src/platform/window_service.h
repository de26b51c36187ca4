#pragma once
// The program's own modal windows, as the commands reach them. The Qt program
// shows the real dialogs; tests answer through a scripted double, so no test
// ever blocks on a modal window.
//
// Every dialog applies its values to the settings (or the document) itself
// when the user presses Ok; the answer only says whether that happened.

namespace twinsift {

class WindowService {
public:
    virtual ~WindowService() = default;

    // Load options (frmLoad); false when closed without Ok.
    virtual bool showLoadOptions() = 0;
    // Save options (frmSave); false when closed without Ok.
    virtual bool showSaveOptions() = 0;
    // Which source files to save (frmSaveSelection); false when cancelled. On
    // Ok the document's bSourceSave flags hold the chosen files.
    virtual bool showSaveSelection() = 0;
    // The Tools window (frmTools), modal.
    virtual void showTools() = 0;
    // The settings dialog (frmSettings), modal.
    virtual void showSettings() = 0;
    // The About window (frmAbout), modal.
    virtual void showAbout() = 0;
    // The quickstart window (frmQuickstart), without blocking the caller.
    virtual void showQuickstart() = 0;
};

} // namespace twinsift
