#pragma once
// The Save As command: writes the loaded document back without the lines
// marked for removal, through a temporary file that replaces the target only
// once it is complete (text files), or through the Office adapter (Word and
// Excel documents, edited in place and saved under the new name).

#include "platform/app_identity.h"
#include "platform/busy_scope.h"
#include "platform/command_port.h"
#include "scan/document.h"
#include "settings/settings_values.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace twinsift {

// The save side of the Office adapter for the loaded Word document or Excel
// column: one PutLine or DeleteLine per loaded line, in line order.
class OfficeSaveTarget {
public:
    virtual ~OfficeSaveTarget() = default;
    virtual bool InitPut() = 0;
    virtual bool PutLine(std::string_view text) = 0;
    virtual bool DeleteLine() = 0;
    virtual bool SaveAs(const std::string& path) = 0;
    // Quits without saving what was not saved.
    virtual bool Close() = 0;
    virtual bool isOpen() const = 0;      // bWordOpen / bExcelOpen
    virtual bool eof() const = 0;         // bWordEOF / bExcelEOF
    virtual std::string error() const = 0; // sOfficeError
};

// The load filters as the save reuses them.
struct SaveLineFilters {
    std::function<bool(std::string_view)> passesInclude;     // the include/exclude test
    std::function<std::string(std::string_view)> preprocess; // without the whitespace step
};

enum class SaveOutcome : std::uint8_t {
    NotStarted, // stopped while asking; nothing changed
    Saved,      // "Finished saving!"
    Cancelled,  // "Save cancelled..."
    Failed,     // any error status
    Abandoned   // the save-selection dialog was cancelled or no file was marked
};

class SaveDriver {
public:
    SaveDriver(LoadedDocument& doc, SettingsValues& settings, RunState& run, CommandPort& port)
        : doc_(doc), settings_(settings), run_(run), port_(port) {}

    void setLineFilters(SaveLineFilters filters) { filters_ = std::move(filters); }
    // The adapter of the loaded Word or Excel document.
    void setOffice(OfficeSaveTarget* office) { office_ = office; }

    // Who the program is, for the caption after a Word or Excel save.
    void setAppIdentity(AppIdentity app) { app_ = std::move(app); }

    void cmdSave_Click();

    SaveOutcome outcome() const { return outcome_; }
    std::int64_t linesRemoved() const { return removed_; }
    // The file the text really went to (a symbolic link's destination).
    const std::string& writtenPath() const { return resolvedTarget_; }

private:
    bool isOffice() const { return doc_.bDocIsWord || doc_.bDocIsExcel; }
    bool askBeforeSaving(std::string& target);
    void finish();
    bool runSave(const std::string& target);
    void setStatus(std::string_view text) { port_.setPanelText("status", text); }
    void setProgressMax(std::int64_t max) {
        progressMax_ = max;
        port_.setProgressRange(0, max);
    }

    LoadedDocument& doc_;
    SettingsValues& settings_;
    RunState& run_;
    CommandPort& port_;
    SaveLineFilters filters_;
    OfficeSaveTarget* office_ = nullptr;
    AppIdentity app_;
    // Set while the command holds the window busy.
    std::optional<BusyScope> busy_;

    SaveOutcome outcome_ = SaveOutcome::NotStarted;
    std::int64_t removed_ = 0;
    std::int64_t progressMax_ = 0;
    std::string resolvedTarget_;
};

} // namespace twinsift
