#pragma once
// The Open command: discards the document, chooses the files, asks for the
// load options, counts and loads the lines, finds the duplicates, prepares
// both views and leaves the window ready for selecting and saving. It talks to
// the window only through the CommandPort.

#include "platform/app_identity.h"
#include "platform/busy_scope.h"
#include "platform/command_port.h"
#include "scan/document.h"
#include "scan/duplicate_finder.h"
#include "scan/progress_step.h"
#include "scan/results_view.h"
#include "scan/source_reader.h"
#include "settings/settings_values.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

// The Office adapter as the Open command uses it.
struct OfficeSession {
    OfficeLineSource* lines = nullptr;
    std::function<void()> WordClose;
    std::function<void()> ExcelClose;
    std::function<std::string()> sOfficeError; // the adapter's last error text
};

enum class ScanOutcome : std::uint8_t {
    NoFile,        // the file dialog was cancelled (or no path was given)
    Refused,       // a chosen file was missing, empty or of a kind that cannot be combined
    LoadCancelled, // the load options dialog was closed without OK
    CountFailed,   // the document could not be opened or counted
    ReadError,     // reading failed while loading
    Interrupted,   // the user confirmed Cancel
    Completed
};

class ScanDriver {
public:
    // The texts of the open dialog's file types.
    static constexpr std::string_view kOpenFilter =
        "All Files (*.*)|*.*|Text Files (*.txt)|*.txt|"
        "Word Documents (*.doc,*.docx,*.rtf,*.docm,*.dotx,*.dotm,*.odt)|*.doc;*.docx;*.rtf;*.docm;*.dotx;*.dotm;*.odt|"
        "Excel Workbooks (*.xls,*.xlsx,*.ods,*.xlsm,*.xltx,*.xltm,*.xlsb,*.xlt)|*.xls;*.xlsx;*.ods;*.xlsm;*.xltx;*.xltm;*.xlsb;*.xlt";

    ScanDriver(LoadedDocument& doc, SettingsValues& settings, RunState& run, CommandPort& port, ResultsView& view)
        : doc_(doc), settings_(settings), run_(run), port_(port), view_(view) {}

    void setOffice(OfficeSession office) { office_ = std::move(office); }
    // Who the program is, for the caption.
    void setAppIdentity(AppIdentity app) { app_ = std::move(app); }
    // The answer of InitRegExp() at start-up.
    void setRegExpAvailable(bool available) { bRegExpAvailable_ = available; }

    void cmdScan_Click();
    // The Cancel button.
    static void cmdStop_Click(RunState& run) { run.bCancelRequested = true; }

    ScanOutcome outcome() const { return outcome_; }
    // Figures of the last completed scan.
    std::int64_t linesScanned() const { return linesScanned_; }
    std::int64_t duplicateLines() const { return dupLines_; }
    std::int64_t uniqueDuplicates() const { return uniqueDups_; }

private:
    enum class Stop : std::uint8_t { None, User, ReadError };

    bool chooseFiles(std::vector<std::string>& sOpenFiles);
    bool loadAndScan(const std::vector<std::string>& sOpenFiles);
    void reset();
    bool serviceStep(std::int64_t value, std::string_view phaseText, bool loading);
    bool officeReadFailed();
    void closeOffice();
    void endEarly(int kind); // the endings H1, H2 and H3
    void setStatus(std::string_view text) { port_.setPanelText("status", text); }
    void setProgressRange(std::int64_t min, std::int64_t max) {
        progressMax_ = max;
        port_.setProgressRange(min, max);
    }

    LoadedDocument& doc_;
    SettingsValues& settings_;
    RunState& run_;
    CommandPort& port_;
    ResultsView& view_;
    OfficeSession office_;
    AppIdentity app_;
    bool bRegExpAvailable_ = true;
    // Set while the command holds the window busy.
    std::optional<BusyScope> busy_;

    ScanOutcome outcome_ = ScanOutcome::NoFile;
    ProgressStep step_;
    Stop stop_ = Stop::None;
    std::int64_t progressMax_ = 0;
    std::int64_t linesScanned_ = 0;
    std::int64_t dupLines_ = 0;
    std::int64_t uniqueDups_ = 0;
};

} // namespace twinsift
