#include "save/save_driver.h"

#include "save/atomic_file.h"
#include "save/save_options.h"
#include "save/sort_file.h"
#include "scan/dup_entry.h"
#include "scan/source_reader.h"
#include "scan/text_codec.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

namespace twinsift {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHint = "\r\n\r\n(You can disable this warning in the settings.)";

fs::path toPath(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

std::string percent(std::string_view phase, double part, double whole) {
    const double p = whole > 0 ? roundHalfEven(part / whole * 100.0) : 0.0;
    return std::string(phase) + " " + std::to_string(static_cast<long long>(p)) + "%";
}

// A phase's status as a percentage, for a tick that comes every few lines:
// the text is put together only when the figure changes.
class PercentStatus {
public:
    explicit PercentStatus(std::string_view phase) : phase_(phase) {}
    // The status for part of whole, or nullptr when it reads as it did last time.
    const std::string* next(double part, double whole) {
        const auto p = static_cast<long long>(whole > 0 ? roundHalfEven(part / whole * 100.0) : 0.0);
        if (p == shown_) return nullptr;
        shown_ = p;
        text_ = percent(phase_, part, whole);
        return &text_;
    }

private:
    std::string_view phase_;
    long long shown_ = -1;
    std::string text_;
};

// Reads a text file a block of whole lines at a time, by the reader's rule: a
// line ends at CR or CR LF, so a block ends just past a CR (and the LF after
// it) or at the end of the file. A lone LF stays in its line, but where the
// file's lines end at LF (`lfPieces`), a block may also end just past an LF:
// splitting each block's line at its LFs then gives the pieces the whole line
// would, without the whole file in memory.
class LineBlocks {
public:
    ~LineBlocks() { close(); }
    bool open(const std::string& path, bool lfPieces) {
        lfPieces_ = lfPieces;
#ifdef _WIN32
        file_ = _wfopen(toPath(path).c_str(), L"rb");
#else
        file_ = std::fopen(path.c_str(), "rb");
#endif
        if (buf_.empty()) buf_.resize(kBlock);
        begin_ = end_ = 0;
        eof_ = error_ = false;
        return file_ != nullptr;
    }
    void close() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
    }
    bool failed() const { return error_; }

    // The next block; it stays valid until the next call. False at the end
    // of the file, or after a read error (see failed()).
    bool next(std::string_view& block) {
        if (begin_ > 0) {
            // Whatever followed the last block's last line moves to the front.
            std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        for (;;) {
            if (!eof_) fill();
            if (eof_) {
                if (end_ == 0) return false;
                block = std::string_view(buf_.data(), end_);
                begin_ = end_;
                return true;
            }
            // The last CR (or LF) before the last byte read: whether an LF
            // follows the very last one is only known after the next read.
            std::size_t cr = end_ - 1;
            while (cr > 0 && buf_[cr - 1] != '\r' && !(lfPieces_ && buf_[cr - 1] == '\n')) --cr;
            if (cr > 0) {
                std::size_t cut = cr;
                if (buf_[cut] == '\n') ++cut;
                block = std::string_view(buf_.data(), cut);
                begin_ = cut;
                return true;
            }
            // Not one whole line yet: read on.
        }
    }

private:
    static constexpr std::size_t kBlock = std::size_t(4) << 20;
    void fill() {
        if (end_ == buf_.size()) buf_.resize(buf_.size() * 2); // room for a longer line
        const std::size_t got = std::fread(buf_.data() + end_, 1, buf_.size() - end_, file_);
        if (got == 0) {
            if (std::ferror(file_)) error_ = true;
            eof_ = true;
        }
        end_ += got;
    }

    std::FILE* file_ = nullptr;
    std::vector<char> buf_;
    std::size_t begin_ = 0, end_ = 0;
    bool eof_ = false, error_ = false;
    bool lfPieces_ = false;
};

// A byte-order mark that reached the first line as single-byte characters.
std::string_view stripSingleByteMark(std::string_view line) {
    if (line.size() >= 4 && line.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) return line.substr(4);
    if (line.size() >= 2 && (line.substr(0, 2) == "\xFE\xFF" || line.substr(0, 2) == "\xFF\xFE"))
        return line.substr(2);
    return line;
}

// Ends the writing part of a save early; the reason is already on screen.
struct SaveStopped {};

} // namespace

bool SaveDriver::askBeforeSaving(std::string& target) {
    const std::size_t files = doc_.fileCount();

    // 1. The sources must still be the files that were loaded.
    if (isOffice()) {
        if (!office_ || !office_->InitPut()) {
            setStatus("Error saving file!");
            if (office_ && office_->isOpen()) office_->Close();
            outcome_ = SaveOutcome::Failed;
            finish();
            return false;
        }
    } else {
        std::error_code ec;
        for (std::size_t i = 0; i < files; ++i) {
            if (!fs::exists(toPath(doc_.sSourceFiles[i]), ec)) {
                port_.messageBox(msgid::kSaveMissingSource, "Can't find source file: " + doc_.sSourceFiles[i], MsgIcon::Error, MsgButtons::Ok);
                port_.refreshButtonBar();
                return false;
            }
        }
        for (std::size_t i = 0; i < files; ++i) {
            const auto now = fs::last_write_time(toPath(doc_.sSourceFiles[i]), ec);
            if (ec || (i < doc_.dSourceFileDate.size() && now != doc_.dSourceFileDate[i])) {
                port_.messageBox(msgid::kSaveSourceChanged, "A source file has been changed! Save cancelled...", MsgIcon::Error, MsgButtons::Ok);
                port_.refreshButtonBar();
                return false;
            }
        }
    }

    // 2. Saving without removing anything is allowed, but rarely meant.
    const std::int32_t n = doc_.lstDuplicates.ListCount();
    if (n > 0) {
        port_.setMousePointer(MousePointer::Hourglass);
        bool any = false;
        for (std::int32_t i = 0; i < n && !any; ++i) any = doc_.lstDuplicates.Selected(i);
        port_.setMousePointer(MousePointer::Default);
        if (!any && settings_.bShowMsgNoDups) {
            const MsgResult r = port_.messageBox(msgid::kSaveNothingSelected,
                "You have not selected any duplicates! \r\n\r\nAre you sure you want to continue saving? No "
                "duplicate lines will be removed...\r\n\r\n(You can disable this warning in the settings.)",
                MsgIcon::Warning, MsgButtons::YesNo, "Continue Saving?");
            port_.refreshButtonBar();
            if (r != MsgResult::Yes) return false;
        }
    }

    // 3./4. Which files take part.
    if (files > 1) {
        const bool ok = port_.windows().showSaveSelection();
        port_.refreshButtonBar();
        if (!ok) {
            outcome_ = SaveOutcome::Abandoned;
            finish();
            return false;
        }
    }
    bool anyMarked = false;
    for (std::size_t i = 0; i < files && i < doc_.bSourceSave.size(); ++i) anyMarked = anyMarked || doc_.bSourceSave[i];
    if (!anyMarked) {
        outcome_ = SaveOutcome::Abandoned;
        finish();
        return false;
    }

    // 5. Formats that do not come back exactly as they were.
    bool multibyte = false, lfOnly = false;
    for (std::size_t i = 0; i < files; ++i) {
        if (!doc_.bSourceSave[i]) continue;
        multibyte = multibyte || (i < doc_.bSourceMultibyte.size() && doc_.bSourceMultibyte[i]);
        lfOnly = lfOnly || (i < doc_.bSourceUnix.size() && doc_.bSourceUnix[i]);
    }
    if (multibyte && settings_.bShowMsgMultibyte) {
        port_.messageBox(msgid::kSaveMultibyte,
            std::string("One or more open file(s) appears to be in multibyte text format (UTF-16/UTF-32). Twinsift "
                        "does not fully support this format. When saving, non-western charactes may get corrupted. "
                        "You should verify saved files to make sure they are saved correctly.") +
                std::string(kHint),
            MsgIcon::Warning, MsgButtons::Ok);
        port_.refreshButtonBar();
    }
    if (lfOnly && settings_.bShowMsgUnix) {
        port_.messageBox(msgid::kSaveUnix, std::string("The open file appears to be in Unix/MacOSX text format. When you save it, it "
                                     "will be converted into Dos/Windows text format.") +
                             std::string(kHint),
                         MsgIcon::Warning, MsgButtons::Ok);
        port_.refreshButtonBar();
    }

    // 6. The target.
    FileDialogRequest req;
    req.initialFile = settings_.lastSavedFile;
    req.defaultExt = "txt";
    req.filterIndex = 1;
    req.overwritePrompt = true;
    if (doc_.bDocIsWord) {
        req.filter = "Word Documents (*.doc,*.docx,*.rtf,*.docm,*.dotx,*.dotm,*.odt)|*.doc;*.docx;*.rtf;*.docm;*.dotx;"
                     "*.dotm;*.odt|All Files (*.*)|*.*";
    } else if (doc_.bDocIsExcel) {
        req.filter = "Excel Workbooks (*.xls,*.xlsx,*.ods,*.xlsm,*.xltx,*.xltm,*.xlsb,*.xlt)|*.xls;*.xlsx;*.ods;*.xlsm;"
                     "*.xltx;*.xltm;*.xlsb;*.xlt|All Files (*.*)|*.*";
    } else {
        req.filter = "All Files (*.*)|*.*|Text Files (*.txt)|*.txt";
    }
    target = port_.saveFileDialog(req);
    if (target.empty()) return false;
    // Through a link for every kind of document: the link stays, its file
    // gets the content.
    resolvedTarget_ = ResolveWriteTarget(target);

    // 7. Write protection.
    if (IsWriteProtected(resolvedTarget_)) {
        if (settings_.bShowMsgWriteProtected) {
            const MsgResult r = port_.messageBox(msgid::kSaveWriteProtected,
                std::string("The selected file is write protected. Do you to remove the write protection and "
                            "continue saving?") +
                    std::string(kHint),
                MsgIcon::Warning, MsgButtons::YesNo);
            port_.refreshButtonBar();
            if (r != MsgResult::Yes) {
                setStatus("Save cancelled...");
                run_.bBusy = false;
                return false;
            }
        }
        ClearWriteProtection(resolvedTarget_);
    }

    // 8. The save options.
    if (SaveOptionsDialogShown(settings_, doc_.bDocIsWord, doc_.bDocIsExcel)) {
        run_.bLoadSaveWindow_Cancel = false;
        const bool ok = port_.windows().showSaveOptions();
        port_.refreshButtonBar();
        if (!ok) run_.bLoadSaveWindow_Cancel = true;
        if (run_.bLoadSaveWindow_Cancel) return false;
    }
    return true;
}

void SaveDriver::cmdSave_Click() {
    outcome_ = SaveOutcome::NotStarted;
    removed_ = 0;
    resolvedTarget_.clear();
    if (run_.bBusy) return;

    std::string target;
    if (!askBeforeSaving(target)) return;

    bool completed = false;
    try {
        completed = runSave(target);
    } catch (const SaveStopped&) {
        completed = false;
    } catch (const std::exception&) {
        setStatus("Error saving file!");
        if (office_ && office_->isOpen()) office_->Close();
        outcome_ = SaveOutcome::Failed;
    }
    (void)completed;
    finish();
}

bool SaveDriver::runSave(const std::string& target) {
    const bool office = isOffice();
    const std::size_t files = doc_.fileCount();

    // 9. Start.
    busy_.emplace(run_.bBusy, port_);
    settings_.lastSavedFile = target;
    busy_->disableCommands(MousePointer::ArrowHourglass);
    run_.bCancelRequested = false;
    std::int64_t total = 0;
    std::int64_t loaded = 0;
    for (std::size_t i = 0; i < files; ++i) {
        if (doc_.bSourceSave[i]) total += doc_.lSourceLineCount[i];
        loaded = std::max<std::int64_t>(loaded, std::int64_t(doc_.lSourceFirstLine[i]) + doc_.lSourceLineCount[i]);
    }
    port_.pumpEvents();
    busy_->showCancel();
    setStatus("Preparing to save...");
    port_.pumpEvents();

    OutputFile out;
    LineBlocks in;
    // Every way out of the save but the final replace removes the temporary file.
    TempFileGuard tempGuard;
    std::string temp;

    auto fail = [&](std::string_view status) {
        setStatus(status);
        if (office && office_->isOpen()) office_->Close();
        in.close();
        if (out.isOpen()) out.close(false);
        outcome_ = SaveOutcome::Failed;
        throw SaveStopped{};
    };
    // 15. Cancel check, shared by both phases.
    auto cancelCheck = [&] {
        if (!run_.bCancelRequested) return;
        run_.bCancelRequested = false;
        const MsgResult r = port_.messageBox(msgid::kSaveAbort, "Are you sure you want to abort saving?", MsgIcon::Question, MsgButtons::YesNo);
        port_.refreshButtonBar();
        if (r != MsgResult::Yes) return;
        if (office) {
            if (office_->isOpen()) office_->Close();
        } else {
            in.close();
            if (out.isOpen()) out.close(false);
            tempGuard.remove();
        }
        setStatus("Save cancelled...");
        outcome_ = SaveOutcome::Cancelled;
        throw SaveStopped{};
    };

    // 10. The removal set: one flag per loaded line number.
    std::vector<std::uint8_t> removal(static_cast<std::size_t>(loaded) + 2, 0);
    const std::int32_t n = doc_.lstDuplicates.ListCount();
    if (n >= 1) {
        setProgressMax(n - 1);
        port_.setProgressValue(0);
        PercentStatus status("Preparing to save...");
        for (std::int32_t i = 0; i < n; ++i) {
            if (doc_.lstDuplicates.Selected(i)) {
                // An entry the scan left as a line reference knows its number.
                std::int64_t line = doc_.lstDuplicates.EntryLineNumber(i);
                if (line == 0) line = ReadDupEntry(doc_.lstDuplicates.ListView(i)).lineNumber;
                if (line >= 1 && line < static_cast<std::int64_t>(removal.size())) removal[line] = 1;
            }
            if (i > 0 && i % 50 == 0) {
                if (const std::string* text = status.next(i, n - 1)) setStatus(*text);
                port_.setProgressValue(i - 1);
                port_.pumpEvents();
                cancelCheck();
            }
        }
    }

    // 11. The output.
    setProgressMax(total);
    port_.setProgressValue(0);
    setStatus("Saving...");
    port_.pumpEvents();
    if (!office) {
        if (!out.openTempFor(resolvedTarget_)) {
            setStatus("Error opening file for writing!");
            outcome_ = SaveOutcome::Failed;
            return false;
        }
        temp = out.tempPath();
        tempGuard.reset(temp);
    }

    auto officeErrorCheck = [&] {
        if (!office || office_->error().empty()) return;
        port_.messageBox(msgid::kSaveOfficeError, "An error occurred when saving the document...\r\n\r\n" + office_->error(), MsgIcon::Error,
                         MsgButtons::Ok);
        port_.refreshButtonBar();
        office_->Close();
        setStatus("Save error...");
        outcome_ = SaveOutcome::Failed;
        throw SaveStopped{};
    };

    // 12.-14. Every line of every marked file.
    const std::int64_t tickEvery = office ? (doc_.bDocIsWord ? 1 : 5) : 50;
    const bool testInclude = settings_.Save_TestInclude == 1 && filters_.passesInclude;
    const bool filtered = settings_.Save_FilteredContent == 1 && filters_.preprocess;
    std::int64_t handled = 0;
    std::int64_t line = 0;
    std::string scratch;
    PercentStatus saving("Saving...");

    // 14. Tick.
    auto tick = [&] {
        if (handled > 1 && (tickEvery == 1 || handled % tickEvery == 1)) {
            if (const std::string* text = saving.next(static_cast<double>(handled), static_cast<double>(total)))
                setStatus(*text);
            port_.setProgressValue(handled - 1);
            port_.pumpEvents();
            officeErrorCheck();
            cancelCheck();
        }
    };
    auto handle = [&](std::string_view text, bool firstOfFile) {
        ++handled;
        if (removal[static_cast<std::size_t>(line)]) {
            if (doc_.bDocIsWord || doc_.bDocIsExcel) office_->DeleteLine();
            ++removed_;
        } else {
            if (doc_.bBomFound && firstOfFile) text = stripSingleByteMark(text);
            if (testInclude && !filters_.passesInclude(text)) {
                // The line leaves the document in Word and Excel as well, so
                // that every format saves the same lines.
                if (office) office_->DeleteLine();
                ++removed_;
            } else {
                if (filtered) {
                    scratch = filters_.preprocess(text);
                    text = scratch;
                }
                if (office) {
                    office_->PutLine(text);
                } else if (!out.writeLine(text)) {
                    fail("Error saving file!");
                }
            }
        }
        tick();
        ++line;
    };

    for (std::size_t i = 0; i < files; ++i) {
        line = std::int64_t(doc_.lSourceFirstLine[i]) + 1;
        if (!doc_.bSourceSave[i]) continue;
        const std::int64_t first = line;
        if (office) {
            std::int32_t k = 0;
            while (!office_->eof()) {
                if (k >= doc_.lstOriginal.ListCount() || line >= static_cast<std::int64_t>(removal.size())) {
                    // A cursor that stopped moving is the adapter's failure.
                    officeErrorCheck();
                    fail("Error saving file!");
                }
                handle(doc_.lstOriginal.ListView(k), line == first);
                ++k;
            }
            continue;
        }
        if (!in.open(doc_.sSourceFiles[i], doc_.bSourceUnix[i])) {
            setStatus("Error opening source file for reading!");
            outcome_ = SaveOutcome::Failed;
            out.close(false);
            return false;
        }
        const bool lfOnly = doc_.bSourceUnix[i];
        // A kept line that ended in CR LF is written as it stands in the
        // file, so runs of them go out in one piece: `run` holds the bytes of
        // those not yet written, all from the current block.
        const bool verbatim = !lfOnly && !testInclude && !filtered;
        std::string_view run;
        auto flushRun = [&] {
            if (!run.empty() && !out.write(run)) fail("Error saving file!");
            run = {};
        };
        std::string_view block;
        while (in.next(block)) {
            const char* const blockEnd = block.data() + block.size();
            forEachTextLine(block.data(), block.size(), [&](const char* text, std::size_t size) {
                // A file that grew since loading (its time kept) still saves
                // every line; extra lines are never marked.
                auto room = [&] {
                    if (line >= static_cast<std::int64_t>(removal.size())) removal.resize(line + 1, 0);
                };
                if (lfOnly) {
                    forEachLfPiece(text, size, [&](const char* piece, std::size_t length) {
                        room();
                        handle(std::string_view(piece, length), line == first);
                    });
                    return;
                }
                room();
                const char* const next = text + size + 2;
                if (verbatim && next <= blockEnd && next[-1] == '\n' && !removal[static_cast<std::size_t>(line)] &&
                    !(doc_.bBomFound && line == first)) {
                    // Any other line flushed the run, so this one follows it.
                    const char* const from = run.empty() ? text : run.data();
                    run = std::string_view(from, static_cast<std::size_t>(next - from));
                    ++handled;
                    tick();
                    ++line;
                    return;
                }
                flushRun();
                handle(std::string_view(text, size), line == first);
            });
            flushRun();
        }
        const bool readFailed = in.failed();
        in.close();
        if (readFailed) fail("Error saving file!");
    }

    // 16. Complete the output. A failed put or delete after the last tick
    // must not reach the saved document either.
    officeErrorCheck();
    if (office) {
        if (!office_->SaveAs(target)) {
            port_.messageBox(msgid::kSaveError, office_->error(), MsgIcon::Error, MsgButtons::Ok);
            port_.refreshButtonBar();
            fail("Error saving file!");
        }
        office_->Close();
    } else if (!out.close()) {
        fail("Error saving file!");
    }
    port_.setProgressValue(line - 1);
    removal.clear();
    removal.shrink_to_fit();

    // 17. Sort and replace.
    if (!office) {
        if (settings_.Save_Sort == 1) {
            port_.setButtonEnabled(CmdButton::Stop, false);
            port_.setMousePointer(MousePointer::Hourglass);
            setStatus("Sorting file...");
            port_.pumpEvents();
            const Collation collation(doc_.codec);
            if (!SortFile(temp, settings_.Save_SortMode != 0, collation, [this] { port_.pumpEvents(); })) {
                setStatus("Error sorting file!");
                outcome_ = SaveOutcome::Failed;
                return false;
            }
        }
        if (!ReplaceFileAtomically(temp, resolvedTarget_)) fail("Error saving file!");
        tempGuard.release();
    }
    settings_.statDupsDeleted = addToCounter(settings_.statDupsDeleted, static_cast<std::int64_t>(removed_));
    if (settings_.statDupsDeleted > 0) settings_.bShowQuickstartLink = false;
    setStatus("Finished saving!");
    outcome_ = SaveOutcome::Saved;
    return true;
}

void SaveDriver::finish() {
    port_.pumpEvents();
    const bool haveDups = doc_.lstDuplicates.ListCount() > 0;
    if (!busy_) busy_.emplace(run_.bBusy, port_);
    busy_->setDocumentButtons(true, haveDups, haveDups);
    busy_.reset();
    port_.setProgressValue(progressMax_);
    if (isOffice()) {
        // The Office instance is closed by now: the document is gone.
        port_.setButtonEnabled(CmdButton::Save, false);
        port_.setButtonEnabled(CmdButton::Select, false);
        port_.setButtonEnabled(CmdButton::ShowCopySave, false);
        port_.clearListViews();
        port_.setPanelText("line", "");
        port_.setPanelText("selected", "Document Closed");
        port_.setCaption(app_.nameAndVersion());
        doc_.releaseLines();
        doc_.lSelectedCount = 0;
    }
    port_.refreshButtonBar();
}

} // namespace twinsift
