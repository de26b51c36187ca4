#pragma once
// The Tools window's "Copy / Save Duplicates" page: which duplicate entries go
// out (all, selected, not selected), what is written for each (the loaded
// line, its pre-processed text, its line number) and where (clipboard, file).

#include "platform/command_port.h"
#include "scan/document.h"
#include "settings/settings_values.h"

#include <functional>
#include <string>
#include <string_view>

namespace twinsift {

enum class ExportLines : std::uint8_t { All, Selected, NotSelected };
enum class ExportContent : std::uint8_t { Original, Preprocessed, LineNumber };

// At least one of the five pre-processing options was on when loading.
bool PreprocessUsed(const SettingsValues& settings);

// How the page opens: the content option chosen and which ones can be chosen.
struct ExportOptionState {
    ExportContent content = ExportContent::Original;
    bool originalEnabled = true;
    bool preprocessedEnabled = true;
};
ExportOptionState ExportOptionSetup(bool bPreprocessUsed, bool bReducedMemory,
                                    ExportContent chosen = ExportContent::Original);

// Calls emit(outputLine) for every entry the choice takes, in list order.
void BuildExportLines(const LoadedDocument& doc, bool bPreprocessUsed, ExportLines lines,
                      ExportContent content, const std::function<void(std::string_view)>& emit);

// The output lines, each followed by CR LF: what Copy puts on the clipboard.
std::string BuildExportText(const LoadedDocument& doc, bool bPreprocessUsed, ExportLines lines,
                            ExportContent content);

// Writes the output lines to `path` with CR LF. The text reaches the path only
// once it is complete: a failed write leaves whatever was there before and no
// partial file. Returns an empty text on success, else "Error opening file!" or
// "Error writing file!".
std::string WriteExportFile(const std::string& path, const LoadedDocument& doc, bool bPreprocessUsed,
                            ExportLines lines, ExportContent content);

// The page's two buttons, talking to the window through the port.
class DuplicateExport {
public:
    DuplicateExport(const LoadedDocument& doc, SettingsValues& settings, CommandPort& port)
        : doc_(doc), settings_(settings), port_(port), bPreprocessUsed_(PreprocessUsed(settings)) {}

    void cmdOk_Click(ExportLines lines, ExportContent content);
    void cmdSave_Click(ExportLines lines, ExportContent content);
    bool bPreprocessUsed() const { return bPreprocessUsed_; }

private:
    const LoadedDocument& doc_;
    SettingsValues& settings_;
    CommandPort& port_;
    bool bPreprocessUsed_;
};

} // namespace twinsift
