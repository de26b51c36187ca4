#include "scan/scan_driver.h"

#include "scan/line_filters.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <limits>
#include <new>
#include <optional>
#include <thread>

namespace twinsift {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The part of a path after its last separator; a backslash is a separator
// only where the platform says so.
std::string fileNameOf(const std::string& path) {
#ifdef _WIN32
    const std::size_t cut = path.find_last_of("\\/");
#else
    const std::size_t cut = path.find_last_of('/');
#endif
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void addStatistic(std::int32_t& counter, std::int64_t amount) { counter = addToCounter(counter, amount); }

std::string percentText(std::string_view phase, std::int64_t done, std::int64_t total) {
    const std::int64_t p = total > 0 ? done * 100 / total : 0;
    std::string s(phase);
    s += std::to_string(p);
    s += '%';
    return s;
}

// percentText for a progress step that comes every few lines: the text is put
// together again only when the figure changes.
class PercentText {
public:
    PercentText(std::string_view phase, std::int64_t total) : phase_(phase), total_(total) {}
    const std::string& operator()(std::int64_t done) {
        const std::int64_t p = total_ > 0 ? done * 100 / total_ : 0;
        if (p != shown_) {
            shown_ = p;
            text_ = percentText(phase_, done, total_);
        }
        return text_;
    }

private:
    std::string_view phase_;
    std::int64_t total_;
    std::int64_t shown_ = -1;
    std::string text_;
};

} // namespace

void ScanDriver::closeOffice() {
    if (office_.ExcelClose) office_.ExcelClose();
    if (office_.WordClose) office_.WordClose();
}

void ScanDriver::reset() {
    port_.setPanelText("status", "");
    port_.setPanelText("selected", "");
    port_.setPanelText("line", "");
    doc_.bDocIsWord = false;
    doc_.bDocIsExcel = false;
    port_.setMousePointer(MousePointer::Hourglass);
    port_.setButtonEnabled(CmdButton::Save, false);
    port_.setButtonEnabled(CmdButton::Select, false);
    port_.setButtonEnabled(CmdButton::ShowCopySave, false);
    view_.clear();
    port_.clearListViews();
    doc_.releaseLines();
    port_.setCaption(app_.nameAndVersion());
    closeOffice();
    port_.setMousePointer(MousePointer::Default);
}

void ScanDriver::endEarly(int kind) {
    if (kind == 1) {
        const std::int32_t n = doc_.lstDuplicates.ListCount();
        setStatus(n == 0 ? std::string("No duplicate lines found (Interuppted by user)")
                         : std::to_string(n) + " Duplicate lines found (Interuppted by user)");
    } else if (kind == 2) {
        if (port_.panelText("status").empty()) setStatus("File Error!");
        port_.pumpEvents();
    } else {
        setStatus("");
    }
    if (busy_) busy_->end();
    port_.setCaption(app_.nameAndVersion());
    port_.setProgressValue(progressMax_);
}

// Shows the adapter's read error, if there is one, and closes its session.
bool ScanDriver::officeReadFailed() {
    if (!office_.sOfficeError) return false;
    const std::string error = office_.sOfficeError();
    if (error.empty()) return false;
    port_.messageBox(msgid::kScanReadError, "An error occurred when reading the document..." + std::string(kCrLf) + std::string(kCrLf) +
                         error,
                     MsgIcon::Error, MsgButtons::Ok);
    if (doc_.bDocIsWord && office_.WordClose) office_.WordClose();
    if (doc_.bDocIsExcel && office_.ExcelClose) office_.ExcelClose();
    setStatus("");
    stop_ = Stop::ReadError;
    return true;
}

// The work of the progress step P once per interval; false ends the command.
bool ScanDriver::serviceStep(std::int64_t value, std::string_view phaseText, bool loading) {
    port_.setProgressValue(value);
    setStatus(phaseText);
    port_.pumpEvents();
    if (loading && officeReadFailed()) return false;
    if (run_.bCancelRequested) {
        run_.bCancelRequested = false;
        if (port_.messageBox(msgid::kScanStop, "Are you sure you want to stop processing?", MsgIcon::Question, MsgButtons::YesNo) ==
            MsgResult::Yes) {
            if (loading) {
                if (doc_.bDocIsWord && office_.WordClose) office_.WordClose();
                if (doc_.bDocIsExcel && office_.ExcelClose) office_.ExcelClose();
            }
            stop_ = Stop::User;
            return false;
        }
    }
    return true;
}

bool ScanDriver::chooseFiles(std::vector<std::string>& sOpenFiles) {
    std::size_t j = 0;
    // sDroppedFiles ends with one spare empty element.
    std::size_t dropped = run_.sDroppedFiles.size();
    if (dropped > 0 && run_.sDroppedFiles.back().empty()) --dropped;
    for (;;) {
        std::string path;
        if (run_.bDropOpen) {
            if (j < run_.sDroppedFiles.size()) path = run_.sDroppedFiles[j];
        } else if (!run_.sStartupFile.empty()) {
            path = run_.sStartupFile;
            run_.sStartupFile.clear();
        } else {
            FileDialogRequest req;
            req.initialFile = settings_.lastLoadedFile;
            req.defaultExt = "txt";
            req.filter = std::string(kOpenFilter);
            req.filterIndex = 1;
            req.fileMustExist = true;
            path = port_.openFileDialog(req);
        }
        if (path.empty()) {
            outcome_ = ScanOutcome::NoFile;
            return false;
        }
        std::error_code ec;
        const auto p = std::filesystem::u8path(path);
        if (!std::filesystem::exists(p, ec) || std::filesystem::is_directory(p, ec)) {
            port_.messageBox(msgid::kScanCantOpen, "Error: Can't Open File...", MsgIcon::Error, MsgButtons::Ok);
            outcome_ = ScanOutcome::Refused;
            return false;
        }
        const auto size = std::filesystem::file_size(p, ec);
        if (!ec && size == 0) {
            port_.messageBox(msgid::kScanEmptyFile, "File Is Empty! Scan aborted...", MsgIcon::Warning, MsgButtons::Ok);
            outcome_ = ScanOutcome::Refused;
            return false;
        }
        settings_.lastLoadedFile = path;
        settings_.lastSavedFile = path;
        const SourceKind kind = ClassifyFile(path);
        if (sOpenFiles.size() == 1) {
            doc_.bDocIsWord = kind == SourceKind::Word;
            doc_.bDocIsExcel = kind == SourceKind::Excel;
        } else if (kind != SourceKind::Text) {
            port_.messageBox(msgid::kScanCantCombine, "Can't combine textfiles and Word/Excel files! Scan aborted...", MsgIcon::Warning,
                             MsgButtons::Ok);
            outcome_ = ScanOutcome::Refused;
            return false;
        }
        sOpenFiles.back() = path;
        if (doc_.bDocIsWord || doc_.bDocIsExcel) return true;
        if (run_.bDropOpen) {
            if (dropped > 0 && j < dropped - 1) {
                ++j;
                sOpenFiles.emplace_back();
                continue;
            }
            return true;
        }
        if (settings_.bShowMsgAddFiles) {
            const std::string question = "Add another file?" + std::string(kCrLf) + std::string(kCrLf) +
                                         "Each added file is appended to the end of the" + std::string(kCrLf) +
                                         "previous file. Press no to begin scaning added" + std::string(kCrLf) +
                                         "files for duplicate lines.";
            if (port_.messageBox(msgid::kScanAddFile, question, MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes) {
                sOpenFiles.emplace_back();
                continue;
            }
        }
        return true;
    }
}

void ScanDriver::cmdScan_Click() {
    outcome_ = ScanOutcome::NoFile;
    stop_ = Stop::None;
    linesScanned_ = dupLines_ = uniqueDups_ = 0;
    reset();
    std::vector<std::string> sOpenFiles(1);
    try {
        if (!chooseFiles(sOpenFiles)) return;
        busy_.emplace(run_.bBusy, port_);
        doc_.resetFiles(sOpenFiles);
    } catch (...) {
        if (!busy_) busy_.emplace(run_.bBusy, port_);
        outcome_ = ScanOutcome::ReadError;
        setStatus("");
        endEarly(2);
        return;
    }
    try {
        loadAndScan(sOpenFiles);
    } catch (...) {
        // Out of memory or an unreadable source midway: the document is
        // unusable, the window must come back.
        outcome_ = ScanOutcome::ReadError;
        doc_.lstDuplicates.Clear();
        setStatus("");
        endEarly(2);
    }
    // Whatever way the command ended, the window is given back.
    busy_.reset();
}

bool ScanDriver::loadAndScan(const std::vector<std::string>& sOpenFiles) {
    // C. Preparing.
    run_.bLoadSaveWindow_Cancel = false;
    run_.sLoadWindow_ExcelFileName = doc_.bDocIsExcel ? sOpenFiles.front() : std::string();
    const bool ok = port_.windows().showLoadOptions();
    if (!ok || run_.bLoadSaveWindow_Cancel) {
        setStatus("Load cancelled...");
        outcome_ = ScanOutcome::LoadCancelled;
        endEarly(2);
        return false;
    }
    busy_->disableCommands(MousePointer::ArrowHourglass);
    setStatus("Loading...");
    port_.pumpEvents();

    // D. Counting and loading.
    SourceReader reader(doc_, settings_, office_.lines);
    const CountResult counted = reader.CountLines();
    if (!counted.ok) {
        port_.messageBox(msgid::kScanCountFailed, counted.error + std::string(kCrLf) + std::string(kCrLf) + "Scan aborted...", MsgIcon::Error,
                         MsgButtons::Ok);
        closeOffice();
        outcome_ = ScanOutcome::CountFailed;
        endEarly(3);
        return false;
    }
    run_.bCancelRequested = false;
    busy_->showCancel();
    port_.pumpEvents();

    doc_.lSelectedCount = 0;
    doc_.releaseLines();
    view_.clear();
    port_.clearListViews();

    const std::int64_t T = counted.total;
    if (settings_.listviewPreviewCutoff > 0 && settings_.listviewPreviewCutoff < T) {
        doc_.bNoDisplay = true;
        view_.noticeRow = "Large file loaded - visual display turned off (change in settings)";
        view_.dupDisplayOption = false;
        port_.showNoticeRow(view_.noticeRow);
        port_.setDupViewDisplayOption(false);
    } else {
        doc_.bNoDisplay = false;
        view_.dupDisplayOption = true;
        port_.setDupViewDisplayOption(true);
    }
    const bool display = !doc_.bNoDisplay;

    setProgressRange(0, T);
    port_.setProgressValue(0);
    step_ = ProgressStep(doc_.bDocIsWord ? 1 : doc_.bDocIsExcel ? 5 : 50, {});
    std::int64_t loaded = 0;
    PercentText loadingText("Loading... ", T);
    step_.setService([&](std::int64_t value) {
        if (display) {
            view_.showRowCount = static_cast<std::int32_t>(value);
            port_.showRowsAdded(view_.showRowCount);
        }
        return serviceStep(value, loadingText(value), true);
    });
    // The scan's arrays for a big text file are made now, and their memory
    // is faulted in on the other core while the lines load. The key table
    // only when it has a slot for every line, which reduced memory does not.
    std::optional<ScanArrays> arrays;
    std::function<void(const std::atomic<bool>*)> alongside;
    if (T >= (1 << 16) && !doc_.bDocIsWord && !doc_.bDocIsExcel && std::thread::hardware_concurrency() > 1) {
        const bool reduced = settings_.preserveMemory == 1;
        arrays.emplace(T, !reduced, KeySlotWords(settings_, doc_, T, reduced));
        alongside = [&arrays](const std::atomic<bool>* stop) { arrays->prefault(stop); };
    }
    reader.LoadLines([&](std::string_view) { return step_(++loaded); }, alongside);
    // An error on the last rows, after the last progress step, must not pass
    // for the end of the document.
    if (stop_ == Stop::None && (doc_.bDocIsWord || doc_.bDocIsExcel)) officeReadFailed();
    if (display) {
        view_.showRowCount = doc_.lstOriginal.ListCount();
        view_.showRowColor.assign(static_cast<std::size_t>(view_.showRowCount), -1);
        port_.showRowsAdded(view_.showRowCount);
    }
    if (stop_ == Stop::User) {
        outcome_ = ScanOutcome::Interrupted;
        endEarly(1);
        return false;
    }
    if (stop_ == Stop::ReadError) {
        outcome_ = ScanOutcome::ReadError;
        endEarly(2);
        return false;
    }
    setStatus("File Loaded!");
    reader.StripByteOrderMarks([&](std::int32_t index, std::string_view) {
        if (display) port_.showRowChanged(index);
    });
    doc_.bReducedMemory = !doc_.bDocIsWord && !doc_.bDocIsExcel && settings_.preserveMemory == 1;

    // E. Scanning.
    const std::int64_t N = doc_.lstOriginal.ListCount();
    setStatus("Finding duplicates...");
    setProgressRange(0, N);
    port_.setProgressValue(0);
    const LineFilters filters(settings_, doc_.codec, bRegExpAvailable_);
    PercentText scanningText("Finding duplicates... ", N);
    step_.setService([&](std::int64_t i) { return serviceStep(i, scanningText(i), false); });
    // Reduced memory: a key table for the distinct lines, not one slot per
    // line; without a view that keeps the lines, the entries copy their keys
    // as the scan makes them and the text goes behind them.
    ScanMemoryPlan memory;
    memory.arrays = arrays ? &*arrays : nullptr;
    memory.wideSlots = KeySlotWords(settings_, doc_, N, doc_.bReducedMemory) == 2;
    if (doc_.bReducedMemory) {
        memory.tableKeys = -1;
        memory.copyKeys = !display;
    }
    DuplicateScan scan = FindDuplicates(doc_, filters, settings_, step_, memory);
    if (scan.bStopped) {
        outcome_ = ScanOutcome::Interrupted;
        endEarly(1);
        return false;
    }
    port_.setMousePointer(MousePointer::Hourglass);
    port_.setProgressValue(progressMax_);
    port_.setButtonEnabled(CmdButton::Stop, false);
    port_.pumpEvents();
    if (doc_.bReducedMemory) {
        // The entries keep their keys (without a view the scan copied them
        // already); the upper view keeps showing the lines it was given.
        clsListEmu lines = std::move(doc_.lstOriginal);
        doc_.lstOriginal = clsListEmu();
        if (!scan.bKeysOwned) {
            if (!display) lines.ReleaseItems();
            doc_.lstDuplicates.OwnTexts(display ? nullptr : &lines);
        }
        if (display) view_.keptLines = std::move(lines);
    }
    std::int32_t S = 0;
    if (doc_.lstDuplicates.ListCount() > 1 || scan.sEmptyLines.size() > 1) {
        if (doc_.lstDuplicates.ListCount() > 0) {
            // The entries come out of the scan in the order the text sort
            // gives; only the status is left to show.
            setStatus("Sorting duplicates...");
            port_.pumpEvents();
        }
        S = doc_.lstDuplicates.ListCount();
        AppendEmptyLineGroup(doc_, scan);
    }

    // F. Displaying and finishing the entries.
    const std::int32_t count = doc_.lstDuplicates.ListCount();
    const std::int32_t W = scan.W;
    const bool colours = settings_.iDisplayColors == 1;
    setStatus("Displaying duplicates...");
    port_.pumpEvents();
    port_.setButtonEnabled(CmdButton::Stop, true);
    setProgressRange(0, static_cast<std::int64_t>(count) - 1);
    step_.setInterval(100);
    step_.resetBatch();
    port_.setMousePointer(MousePointer::ArrowHourglass);
    std::int32_t colour = -1;
    std::string previousPrefix;
    if (display) view_.dupRows.reserve(static_cast<std::size_t>(count));
    PercentText displayingText("Displaying duplicates... ", static_cast<std::int64_t>(count) - 1);
    step_.setService([&](std::int64_t k) {
        if (display) port_.dupRowsAdded(static_cast<std::int32_t>(view_.dupRows.size()));
        return serviceStep(k, displayingText(k), false);
    });
    // Entries that the scan left as line references carry their line number
    // and group's first line as numbers: no text to cut or read back.
    clsListEmu& dups = doc_.lstDuplicates;
    std::int32_t previousFirst = -1;
    for (std::int32_t k = 0; k < count; ++k) {
        std::int32_t L = 0;
        if (const std::int32_t line = dups.EntryLineNumber(k); line > 0) {
            if (display) {
                L = line;
                const std::int32_t first = dups.EntrySortKey(k);
                if (first != previousFirst && k <= S) colour = colour == 5 ? 0 : colour + 1;
                view_.dupRows.push_back(ResultsView::DupRow{k, L, static_cast<std::int8_t>(colours ? colour : -1)});
                previousFirst = first;
            }
        } else {
            const std::string_view entry = dups.ListView(k);
            if (display) {
                const std::string_view prefix = entry.substr(0, static_cast<std::size_t>(W));
                for (char c : entry.substr(static_cast<std::size_t>(W) + 1, static_cast<std::size_t>(W)))
                    L = L * 10 + (c - '0');
                if (prefix != previousPrefix && k <= S) colour = colour == 5 ? 0 : colour + 1;
                view_.dupRows.push_back(ResultsView::DupRow{k, L, static_cast<std::int8_t>(colours ? colour : -1)});
                previousPrefix.assign(prefix);
            }
            dups.List(k, entry.substr(static_cast<std::size_t>(W)));
        }
        if (display && colours && L > 0 && L <= static_cast<std::int32_t>(view_.showRowColor.size()))
            view_.showRowColor[static_cast<std::size_t>(L - 1)] = static_cast<std::int8_t>(colour);
        if (!step_(k)) {
            dups.DropEntrySortKeys(k + 1);
            if (display) port_.dupRowsAdded(static_cast<std::int32_t>(view_.dupRows.size()));
            outcome_ = ScanOutcome::Interrupted;
            endEarly(1);
            return false;
        }
    }
    dups.DropEntrySortKeys();
    if (display) port_.dupRowsAdded(static_cast<std::int32_t>(view_.dupRows.size()));

    // G. Completion.
    if (count == 0)
        setStatus("No duplicate lines found...");
    else
        setStatus("Scanned " + std::to_string(N) + " lines: Found " + std::to_string(count) +
                  " duplicate lines with " + std::to_string(scan.lUniqueDups) + " unique duplicates!");
    port_.setProgressValue(progressMax_);
    addStatistic(settings_.statFilesOpened, static_cast<std::int64_t>(doc_.fileCount()));
    addStatistic(settings_.statLinesScanned, N);
    addStatistic(settings_.statDupsFound, count);
    addStatistic(settings_.statUniqueDupsFound, scan.lUniqueDups);
    busy_->setDocumentButtons(N > 0, count > 0, count > 0);
    busy_->end();
    if (!view_.noticeRow.empty() || view_.showRowCount > 0 || !view_.dupRows.empty()) port_.unselectViewRows();
    port_.refreshButtonBar();
    port_.refreshViews();
    std::string caption = app_.nameAndVersion() + " - [";
    for (std::size_t f = 0; f < doc_.fileCount(); ++f) {
        if (f > 0) caption += ", ";
        caption += fileNameOf(doc_.sSourceFiles[f]);
    }
    caption += ']';
    port_.setCaption(caption);

    linesScanned_ = N;
    dupLines_ = count;
    uniqueDups_ = scan.lUniqueDups;
    outcome_ = ScanOutcome::Completed;
    return true;
}

} // namespace twinsift
