#pragma once
// The one loaded document: its source files, its lines, the duplicate entries
// with their removal marks, and the state of the run that built it.
//
// Per-file lists are indexed by file number - 1 (file 1 is element 0).

#include "scan/cls_list_emu.h"
#include "scan/text_codec.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace twinsift {

enum class SourceKind : std::uint8_t { Text, Word, Excel };

struct LoadedDocument {
    clsListEmu lstOriginal;   // every loaded line in load order; index + 1 is the line number
    clsListEmu lstDuplicates; // "[" + padded line number + "]   " + key; flag = remove on save

    std::vector<std::string> sSourceFiles;
    std::vector<std::filesystem::file_time_type> dSourceFileDate;
    std::vector<std::int32_t> lSourceFirstLine;
    std::vector<std::int32_t> lSourceLineCount;
    std::vector<char> bSourceSave;
    std::vector<char> bSourceMultibyte;
    std::vector<char> bSourceUnix;

    bool bDocIsWord = false;
    bool bDocIsExcel = false;

    // Fixed when the document is loaded; see text_codec.h.
    Codec codec = Codec::Utf8;

    // Run state of the result.
    bool bScanCaseSensitive = false;
    bool bNoDisplay = false;
    bool bReducedMemory = false;
    bool bBomFound = false;
    std::int32_t lSelectedCount = 0;

    std::size_t fileCount() const { return sSourceFiles.size(); }

    // Forgets every line and entry (the Open command's first step).
    void releaseLines() {
        lstOriginal.Clear();
        lstDuplicates.Clear();
    }

    // Re-creates the per-file lists for the chosen files: file 1 is marked for
    // saving, every other flag is false, dates are read from the file system.
    void resetFiles(const std::vector<std::string>& paths);
};

// Flags of the main window that the long commands share with it.
struct RunState {
    bool bBusy = false;
    bool bCancelRequested = false;
    bool bLoadSaveWindow_Cancel = false;
    std::string sLoadWindow_ExcelFileName;
    std::vector<std::string> sDroppedFiles; // drop order, with one spare empty element at the end
    bool bDropOpen = false;
    std::string sStartupFile;
    // Tabs last chosen in the settings and load options dialogs, for this run
    // only (1-based).
    std::int16_t iSettingsTab = 1;
    std::int16_t iLoadTab = 1;
};

// Kind of a source by the lower-cased end of its path.
SourceKind ClassifyFile(const std::string& path);

} // namespace twinsift
