#pragma once
// The composition root of the desktop program. main() owns the settings, the
// document, the run flags, the Office adapter and the persistence; the app
// owns the drivers and the main window, wires them together and routes every
// command through one dispatch that refuses to start a command while a long
// one runs.

#include "app/app_command.h"
#include "app/ui/main_window_host.h"
#include "platform/app_identity.h"
#include "platform/command_port.h"
#include "scan/results_view.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace twinsift {

struct LoadedDocument;
struct RunState;
struct SettingsValues;
class SettingsPersistence;
class modOffice;
class OfficeReaderSource;
class OfficeSaveSide;
class frmMain;
class QtCommandPort;
class ScanDriver;
class SaveDriver;
class SelectionCommands;

// What main() owns and hands down.
struct AppContext {
    SettingsValues& settings;
    LoadedDocument& document;
    RunState& run;
    const AppIdentity& identity;
    SettingsPersistence* persistence = nullptr; // none: nothing is read or written
    modOffice* office = nullptr;                // none: Word and Excel documents cannot be read
    OfficeReaderSource* officeLines = nullptr;
    // The program's arguments joined by one space.
    std::string commandLine;
    // Where "Help.html" is looked for: the program's folder first, then the
    // installed data folder beside it.
    std::filesystem::path programDir;
};

// The dialogs and desktop services commands reach; real ones in the program,
// scripted ones in the tests.
struct AppServices {
    MessagePort& boxes;
    FileDialogPort& files;
    WindowService& windows;
    DesktopServices& desktop;
};

class TwinsiftApp final : public MainWindowHost {
public:
    TwinsiftApp(AppContext context, AppServices services);
    ~TwinsiftApp() override;
    TwinsiftApp(const TwinsiftApp&) = delete;
    TwinsiftApp& operator=(const TwinsiftApp&) = delete;

    frmMain& window() { return *window_; }
    CommandPort& port();
    ScanDriver& scanDriver() { return *scan_; }
    SaveDriver& saveDriver() { return *save_; }
    SelectionCommands& selection() { return *selection_; }

    // Runs a command unless a long command is running (Cancel always gets
    // through); false when it was refused.
    bool dispatch(AppCommand command);

    // The file named on the command line, when the whole trimmed line names
    // an existing file that is not a folder; empty otherwise.
    static std::string startupFileOf(const std::string& commandLine);

    // MainWindowHost
    void onCommand(AppCommand command) override { dispatch(command); }
    void onFilesDropped(std::vector<std::string> paths) override;
    void onDupRowChecked(std::int32_t row) override;
    bool commandRunning() const override;
    void onFirstActivationDone() override;
    bool onCloseRequest(std::int16_t winState, double leftTwips, double topTwips) override;

private:
    void openHelp();
    void runSelectionKey(AppCommand command);
    void copyHighlightedRow(AppCommand command);
    void runSelection(AppCommand command);
    void runSelectMenu();
    void runSave();

    AppContext ctx_;
    AppServices services_;
    ResultsView results_;
    std::unique_ptr<frmMain> window_;
    std::unique_ptr<QtCommandPort> port_;
    std::unique_ptr<ScanDriver> scan_;
    std::unique_ptr<SelectionCommands> selection_;
    std::unique_ptr<SaveDriver> save_;
    bool bRegExpAvailable_ = true;
    bool settingsSaved_ = false;
};

} // namespace twinsift
