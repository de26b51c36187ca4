#include "results/export.h"

#include "save/atomic_file.h"
#include "scan/dup_entry.h"

#include <charconv>
#include <cstdio>

namespace twinsift {

namespace {

} // namespace

bool PreprocessUsed(const SettingsValues& s) {
    return s.Load_ChkStartPos == 1 || s.Load_ChkStartAfterStr == 1 || s.Load_ChkIncludeNumChars == 1 ||
           s.Load_ChkIncludeUntilStr == 1 || s.Load_ChkAdvancedFilter == 1;
}

ExportOptionState ExportOptionSetup(bool bPreprocessUsed, bool bReducedMemory, ExportContent chosen) {
    ExportOptionState st;
    st.content = chosen;
    if (!bPreprocessUsed) {
        if (st.content == ExportContent::Preprocessed) st.content = ExportContent::Original;
        st.preprocessedEnabled = false;
    }
    if (bReducedMemory && bPreprocessUsed) {
        st.content = ExportContent::Preprocessed;
        st.originalEnabled = false;
    }
    return st;
}

void BuildExportLines(const LoadedDocument& doc, bool bPreprocessUsed, ExportLines lines,
                      ExportContent content, const std::function<void(std::string_view)>& emit) {
    const clsListEmu& dups = doc.lstDuplicates;
    const std::int32_t n = dups.ListCount();
    const std::int32_t originals = doc.lstOriginal.ListCount();
    std::string number;
    for (std::int32_t i = 0; i < n; ++i) {
        const bool selected = dups.Selected(i);
        if (lines == ExportLines::Selected && !selected) continue;
        if (lines == ExportLines::NotSelected && selected) continue;
        const std::string_view entry = dups.ListView(i);
        const std::int64_t lineNo = ReadDupEntry(entry).lineNumber;
        switch (content) {
        case ExportContent::LineNumber:
            number = std::to_string(lineNo);
            emit(number);
            break;
        case ExportContent::Original:
            // Without pre-processing the content is the loaded line (up to the
            // trimming of loading); with it, only lstOriginal has the line as
            // read. When those lines were dropped, the content is all there is.
            if (bPreprocessUsed && lineNo >= 1 && lineNo <= originals) {
                emit(doc.lstOriginal.ListView(static_cast<std::int32_t>(lineNo - 1)));
            } else {
                emit(ReadDupEntry(entry).key);
            }
            break;
        case ExportContent::Preprocessed:
            emit(ReadDupEntry(entry).key);
            break;
        }
    }
}

std::string BuildExportText(const LoadedDocument& doc, bool bPreprocessUsed, ExportLines lines,
                            ExportContent content) {
    std::string text;
    BuildExportLines(doc, bPreprocessUsed, lines, content, [&](std::string_view line) {
        text.append(line);
        text.append("\r\n");
    });
    return text;
}

std::string WriteExportFile(const std::string& path, const LoadedDocument& doc, bool bPreprocessUsed,
                            ExportLines lines, ExportContent content) {
    const std::string target = ResolveWriteTarget(path);
    OutputFile out;
    if (!out.openTempFor(target)) return "Error opening file!";
    TempFileGuard temp(out.tempPath());
    BuildExportLines(doc, bPreprocessUsed, lines, content, [&](std::string_view line) { out.writeLine(line); });
    if (!out.close() || !ReplaceFileAtomically(temp.path(), target)) return "Error writing file!";
    temp.release();
    return {};
}

void DuplicateExport::cmdOk_Click(ExportLines lines, ExportContent content) {
    port_.setMousePointer(MousePointer::Hourglass);
    port_.setMainWindowEnabled(false);
    port_.pumpEvents();
    const std::string text = BuildExportText(doc_, bPreprocessUsed_, lines, content);
    if (!text.empty()) {
        // The clipboard takes Unicode text; the lines are in the document's code page.
        port_.desktop().setClipboardText(toUtf8(text, doc_.codec));
    } else {
        port_.messageBox(msgid::kExportNothing, "Nothing to copy...", MsgIcon::Warning, MsgButtons::Ok);
    }
    port_.pumpEvents();
    port_.setMainWindowEnabled(true);
    port_.setMousePointer(MousePointer::Default);
}

void DuplicateExport::cmdSave_Click(ExportLines lines, ExportContent content) {
    FileDialogRequest req;
    req.initialFile = settings_.sLastSaveDupsPath;
    req.filter = "All Files (*.*)|*.*|Text Files (*.txt)|*.txt";
    req.filterIndex = 1;
    req.defaultExt = "txt";
    req.overwritePrompt = true;
    const std::string path = port_.saveFileDialog(req);
    if (path.empty()) return;

    if (IsWriteProtected(path)) {
        const MsgResult r = port_.messageBox(msgid::kExportWriteProtected,
            "The selected file is write protected. Do you to remove the write protection and continue saving?",
            MsgIcon::Warning, MsgButtons::YesNo);
        if (r != MsgResult::Yes) return;
        ClearWriteProtection(path);
    }

    // The file is written beside its final name first, so that the old file
    // (or no file) stays when the disk fills up half-way.
    const std::string target = ResolveWriteTarget(path);
    OutputFile out;
    if (!out.openTempFor(target)) {
        port_.messageBox(msgid::kExportOpenError, "Error opening file!", MsgIcon::Error, MsgButtons::Ok);
        return;
    }

    port_.setMousePointer(MousePointer::Hourglass);
    port_.setMainWindowEnabled(false);
    port_.pumpEvents();
    TempFileGuard temp(out.tempPath());
    BuildExportLines(doc_, bPreprocessUsed_, lines, content, [&](std::string_view line) { out.writeLine(line); });
    const bool ok = out.close() && ReplaceFileAtomically(temp.path(), target);
    if (ok) temp.release();
    temp.remove();
    port_.pumpEvents();
    port_.setMainWindowEnabled(true);
    port_.setMousePointer(MousePointer::Default);
    if (ok) {
        settings_.sLastSaveDupsPath = path;
    } else {
        port_.messageBox(msgid::kExportWriteError, "Error writing file!", MsgIcon::Error, MsgButtons::Ok);
    }
}

} // namespace twinsift
