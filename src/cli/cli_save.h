#pragma once
// twinsift-cli's selection, save and export steps, run after the scan.

#include "results/export.h"
#include "scan/document.h"
#include "settings/settings_values.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace twinsift {
class modOffice;
}

namespace twinsift::cli {

struct SaveRequest {
    // --select, --mark, --select-kind and --unselect-kind, in command-line order.
    struct Action {
        enum class Kind { Select, Mark, SelectKind, UnselectKind } kind;
        std::string value;
    };
    std::vector<Action> actions;

    bool save = false;
    std::string target;
    bool filesGiven = false;
    std::string files; // comma-separated 1-based file numbers
    int sort = 0;      // 0 off, 1 ascending, 2 descending
    bool applyInclude = false;
    bool savePreprocessed = false;
    bool force = false;

    bool exportGiven = false;
    ExportContent content = ExportContent::Original;
    ExportLines which = ExportLines::All;
    std::string output; // empty: stdout
};

// Checks of option values while the command line is read; a usage error text or empty.
std::string checkSelectRule(const std::string& rule);
std::string parseLineNumber(const std::string& text, const char* option, std::int32_t& line);
std::string parseSort(const std::string& text, int& sort);
std::string parseExportContent(const std::string& text, ExportContent& content);
std::string parseExportWhich(const std::string& text, ExportLines& which);

// Runs the selection actions, the save and the export on the scanned document.
// Returns the exit status: 0 success, 1 failure, 2 usage error.
// `office` holds the loaded Word or Excel document, if any.
int runSelectSaveExport(const SaveRequest& req, LoadedDocument& doc, RunState& run, SettingsValues& settings,
                        bool bRegExpAvailable, modOffice* office, std::ostream& out, std::ostream& err);

} // namespace twinsift::cli
