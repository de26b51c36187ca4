#include "cli/cli_save.h"

#include "cli/cli_port.h"
#include "save/office_save_side.h"
#include "scan/office_lines.h"
#include "results/selection.h"
#include "save/save_driver.h"
#include "save/save_options.h"
#include "scan/dup_entry.h"
#include "scan/line_filters.h"

#include <charconv>
#include <memory>
#include <ostream>

namespace twinsift::cli {

namespace {

// The port of the save and the selection commands: no window, nothing to
// show but warnings; the questions have fixed answers.
class SavePort final : public WindowlessPort {
public:
    SavePort(std::ostream& err, std::string target, bool force)
        : err_(err), target_(std::move(target)), force_(force) {}

    void setPanelText(std::string_view key, std::string_view text) override {
        if (key == "status") status_ = text;
    }
    std::string panelText(std::string_view key) const override { return key == "status" ? status_ : std::string(); }
    MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon, MsgButtons buttons,
                         std::string_view) override {
        err_ << terminalText(text) << '\n';
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        // Saving without a selection was asked for on the command line; a
        // write-protected target only with --force.
        if (id == msgid::kSaveWriteProtected) return force_ ? MsgResult::Yes : MsgResult::No;
        return MsgResult::Yes;
    }
    std::string saveFileDialog(const FileDialogRequest&) override { return target_; }

private:
    std::ostream& err_;
    std::string target_;
    bool force_;
    std::string status_;
};

// Index of the entry of a line number, or -1.
std::int32_t entryOfLine(const LoadedDocument& doc, std::int32_t line) {
    const clsListEmu& d = doc.lstDuplicates;
    for (std::int32_t i = 0; i < d.ListCount(); ++i) {
        if (ReadDupEntry(d.ListView(i)).lineNumber == line) return i;
    }
    return -1;
}

void runAction(const SaveRequest::Action& a, LoadedDocument& doc, SelectionCommands& cmd, std::ostream& err) {
    using Kind = SaveRequest::Action::Kind;
    if (a.kind == Kind::Select) {
        const std::string& r = a.value;
        if (r == "all") cmd.mnuSelAll_Click();
        else if (r == "none") cmd.mnuUnsel_Click();
        else if (r == "invert") cmd.mnuInvert_Click();
        else if (r == "all-but-first") cmd.mnuSelAllButFirst_Click();
        else if (r == "all-but-last") cmd.mnuSelAllButLast_Click();
        else if (r.rfind("all-but-first=", 0) == 0) cmd.SelectAllButFirstN(ParseKeepCount(r.substr(14)));
        else if (r.rfind("all-but-last=", 0) == 0) cmd.SelectAllButLastN(ParseKeepCount(r.substr(13)));
        return;
    }
    std::int32_t line = 0;
    std::from_chars(a.value.data(), a.value.data() + a.value.size(), line);
    const std::int32_t index = entryOfLine(doc, line);
    if (index < 0) {
        err << "twinsift-cli: line " << line << " has no duplicate entry; nothing changed\n";
        return;
    }
    if (a.kind == Kind::Mark) cmd.lwDups_ItemCheck(index);
    else cmd.SelectGroupOf(index, a.kind == Kind::SelectKind);
}

// The file numbers of --files, or a usage error.
std::string applyFileList(const SaveRequest& req, LoadedDocument& doc) {
    const std::size_t n = doc.fileCount();
    doc.bSourceSave.assign(n, req.filesGiven ? 0 : 1);
    if (!req.filesGiven) return {};
    std::size_t pos = 0;
    const std::string& s = req.files;
    while (pos <= s.size()) {
        std::size_t comma = s.find(',', pos);
        if (comma == std::string::npos) comma = s.size();
        const std::string item = s.substr(pos, comma - pos);
        std::size_t f = 0;
        const auto r = std::from_chars(item.data(), item.data() + item.size(), f);
        if (item.empty() || r.ec != std::errc() || r.ptr != item.data() + item.size() || f < 1 || f > n)
            return "--files: '" + item + "' is not a file number from 1 to " + std::to_string(n);
        doc.bSourceSave[f - 1] = 1;
        pos = comma + 1;
    }
    return {};
}

// The save options dialog's rules, said aloud where they drop a wish.
void applySaveOptions(const SaveRequest& req, const LoadedDocument& doc, SettingsValues& s, std::ostream& err) {
    s.Save_TestInclude = req.applyInclude ? 1 : 0;
    s.Save_FilteredContent = req.savePreprocessed ? 1 : 0;
    s.Save_Sort = req.sort != 0 ? 1 : 0;
    s.Save_SortMode = req.sort == 2 ? -1 : 0;
    const SaveOptionsState st = SaveOptionsOnLoad(s, doc.bDocIsWord, doc.bDocIsExcel);
    if (req.applyInclude && !st.testInclude)
        err << "twinsift-cli: note: --apply-include cleared: no include or exclude filter was used when loading\n";
    if (req.savePreprocessed && !st.saveFiltered)
        err << "twinsift-cli: note: --save-preprocessed cleared: no pre-processing option was used when loading\n";
    if (req.sort != 0 && !st.sort)
        err << "twinsift-cli: note: --sort cleared: only text files are sorted\n";
    SaveOptionsStore(st, s);
}

int runSave(const SaveRequest& req, LoadedDocument& doc, RunState& run, SettingsValues& settings,
            bool bRegExpAvailable, modOffice* office, std::ostream& err) {
    if (std::string e = applyFileList(req, doc); !e.empty()) {
        err << "twinsift-cli: " << e << '\n';
        return 2;
    }
    applySaveOptions(req, doc, settings, err);
    settings.lastSavedFile = req.target;

    SavePort port(err, req.target, req.force);
    SaveDriver driver(doc, settings, run, port);
    LineFilters filters(settings, doc.codec, bRegExpAvailable);
    driver.setLineFilters({[&](std::string_view l) { return filters.PassesIncludeFilter(l); },
                           [&](std::string_view l) { return filters.PreprocessLine(l, false); }});
    std::unique_ptr<OfficeSaveSide> officeSide;
    if (office && (doc.bDocIsWord || doc.bDocIsExcel)) {
        officeSide = std::make_unique<OfficeSaveSide>(*office, doc.bDocIsWord);
        driver.setOffice(officeSide.get());
    }
    driver.cmdSave_Click();
    if (!port.panelText("status").empty()) err << port.panelText("status") << '\n';
    return driver.outcome() == SaveOutcome::Saved ? 0 : 1;
}

int runExport(const SaveRequest& req, const LoadedDocument& doc, const SettingsValues& settings, std::ostream& out,
              std::ostream& err) {
    const bool used = PreprocessUsed(settings);
    const ExportOptionState st = ExportOptionSetup(used, doc.bReducedMemory, req.content);
    if (st.content != req.content)
        err << "twinsift-cli: note: --export "
            << (req.content == ExportContent::Preprocessed ? "preprocessed" : "original")
            << " is not available for this document; writing "
            << (st.content == ExportContent::Preprocessed ? "preprocessed" : "original") << " lines\n";
    if (!req.output.empty()) {
        const std::string e = WriteExportFile(req.output, doc, used, req.which, st.content);
        if (!e.empty()) {
            err << e << '\n';
            return 1;
        }
        return 0;
    }
    const std::string text = BuildExportText(doc, used, req.which, st.content);
    if (text.empty()) {
        err << "Nothing to copy...\n";
        return 1;
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return out ? 0 : 1;
}

} // namespace

std::string checkSelectRule(const std::string& r) {
    for (const char* ok : {"all", "none", "invert", "all-but-first", "all-but-last"})
        if (r == ok) return {};
    if (r.rfind("all-but-first=", 0) == 0 || r.rfind("all-but-last=", 0) == 0) return {};
    return "--select takes all, none, invert, all-but-first, all-but-last, all-but-first=N or all-but-last=N, not '" +
           r + "'";
}

std::string parseLineNumber(const std::string& text, const char* option, std::int32_t& line) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), line);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size())
        return std::string("--") + option + " needs a line number, not '" + text + "'";
    return {};
}

std::string parseSort(const std::string& text, int& sort) {
    if (text == "asc") sort = 1;
    else if (text == "desc") sort = 2;
    else return "--sort takes asc or desc, not '" + text + "'";
    return {};
}

std::string parseExportContent(const std::string& text, ExportContent& content) {
    if (text == "original") content = ExportContent::Original;
    else if (text == "preprocessed") content = ExportContent::Preprocessed;
    else if (text == "line-number") content = ExportContent::LineNumber;
    else return "--export takes original, preprocessed or line-number, not '" + text + "'";
    return {};
}

std::string parseExportWhich(const std::string& text, ExportLines& which) {
    if (text == "all") which = ExportLines::All;
    else if (text == "selected") which = ExportLines::Selected;
    else if (text == "unselected") which = ExportLines::NotSelected;
    else return "--which takes all, selected or unselected, not '" + text + "'";
    return {};
}

int runSelectSaveExport(const SaveRequest& req, LoadedDocument& doc, RunState& run, SettingsValues& settings,
                        bool bRegExpAvailable, modOffice* office, std::ostream& out, std::ostream& err) {
    if (!req.actions.empty()) {
        SavePort port(err, {}, false);
        SelectionCommands cmd(doc, run, port);
        // There is no view whose rows could be missing: the check box works
        // in large-file mode too.
        const bool noDisplay = doc.bNoDisplay;
        doc.bNoDisplay = false;
        for (const auto& a : req.actions) runAction(a, doc, cmd, err);
        doc.bNoDisplay = noDisplay;
    }
    int status = 0;
    if (req.save) status = runSave(req, doc, run, settings, bRegExpAvailable, office, err);
    if (status == 0 && req.exportGiven) status = runExport(req, doc, settings, out, err);
    return status;
}

} // namespace twinsift::cli
