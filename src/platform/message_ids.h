#pragma once
// The identifiers of every question and message a command asks or shows.
// A windowless port (twinsift-cli, the tests) answers by these, never by the
// wording, so a reworded message cannot change what a batch run does.

#include <string_view>

namespace twinsift::msgid {

// Open
inline constexpr std::string_view kScanReadError = "scan.read-error";
inline constexpr std::string_view kScanStop = "scan.stop";
inline constexpr std::string_view kScanCantOpen = "scan.cant-open";
inline constexpr std::string_view kScanEmptyFile = "scan.empty-file";
inline constexpr std::string_view kScanCantCombine = "scan.cant-combine";
inline constexpr std::string_view kScanAddFile = "scan.add-file";
inline constexpr std::string_view kScanCountFailed = "scan.count-failed";
inline constexpr std::string_view kScanNoDuplicates = "scan.no-duplicates";
inline constexpr std::string_view kScanFileError = "scan.file-error";

// Save As
inline constexpr std::string_view kSaveMissingSource = "save.missing-source";
inline constexpr std::string_view kSaveSourceChanged = "save.source-changed";
inline constexpr std::string_view kSaveNothingSelected = "save.nothing-selected";
inline constexpr std::string_view kSaveMultibyte = "save.multibyte";
inline constexpr std::string_view kSaveUnix = "save.unix";
inline constexpr std::string_view kSaveWriteProtected = "save.write-protected";
inline constexpr std::string_view kSaveAbort = "save.abort";
inline constexpr std::string_view kSaveOfficeError = "save.office-error";
inline constexpr std::string_view kSaveError = "save.error";

// Selection
inline constexpr std::string_view kSelectKeepCount = "select.keep-count";

// Tools exports
inline constexpr std::string_view kExportNothing = "export.nothing";
inline constexpr std::string_view kExportWriteProtected = "export.write-protected";
inline constexpr std::string_view kExportOpenError = "export.open-error";
inline constexpr std::string_view kExportWriteError = "export.write-error";

// Dialogs
inline constexpr std::string_view kSettingsCutoffRange = "settings.cutoff-range";
inline constexpr std::string_view kLoadBadNumber = "load.bad-number";
inline constexpr std::string_view kLoadBadPattern = "load.bad-pattern";
inline constexpr std::string_view kLoadExcelError = "load.excel-error";

} // namespace twinsift::msgid
