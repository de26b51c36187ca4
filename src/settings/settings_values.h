#pragma once
// Every option, window position, remembered path and usage counter of the
// program. Members are named exactly like their keys in the settings store.

#include "platform/rounding.h"
#include <cstdint>
#include <string>
#include <string_view>

namespace twinsift {

enum class SettingType : std::uint8_t { Int16, Int32, Bool, Text };


struct SettingsValues {
    // General and remembered paths
    std::int16_t caseSensitive = 0;
    std::int16_t preserveMemory = 0;
    std::int32_t listviewPreviewCutoff = 30000;
    std::int16_t settingsExcelWorksheet = 1;
    std::int16_t settingsExcelColumn = 1;
    std::string sScriptPath_Scan;
    std::string sScriptPath_Save;
    std::string sScriptTestLine;
    std::string sLastSaveDupsPath;
    std::int16_t saveEmptyLines = 1;
    std::int16_t saveSort = 0;
    std::int16_t saveSortMode = 0;
    std::int16_t iDisplayColors = 1;
    std::string lastLoadedFile;
    std::string lastSavedFile;

    // Warning messages
    bool bShowMsgAddFiles = false;
    bool bShowMsgNoDups = true;
    bool bShowMsgMultibyte = true;
    bool bShowMsgUnix = true;
    bool bShowMsgWriteProtected = true;

    // Windows (twips); the four centred positions depend on the screen
    std::int16_t winLeft = 0;
    std::int16_t winTop = 0;
    std::int16_t winWidth = 7800;
    std::int16_t winHeight = 8000;
    std::int16_t winState = 0;
    std::int16_t viewWinLeft = 0;
    std::int16_t viewWinTop = 0;
    std::int16_t viewWinWidth = 7095;
    std::int16_t viewWinHeight = 5655;
    std::int16_t viewWinState = 0;

    // Statistics
    std::int32_t statFilesOpened = 0;
    std::int32_t statLinesScanned = 0;
    std::int32_t statDupsFound = 0;
    std::int32_t statUniqueDupsFound = 0;
    std::int32_t statDupsDeleted = 0;

    // Load options
    std::int16_t Load_RemoveWhitespaces = 1;
    std::int16_t Load_CaseSensitive = 0;
    std::int16_t Load_IgnoreEmptyLines = 1;
    std::int16_t Load_StartPos = 1;
    std::string Load_StartAfterStr;
    std::int16_t Load_IncludeNumChars = 10;
    std::string Load_IncludeUntilStr;
    std::int16_t Load_ChkStartPos = 0;
    std::int16_t Load_ChkStartAfterStr = 0;
    std::int16_t Load_ChkIncludeNumChars = 0;
    std::int16_t Load_ChkIncludeUntilStr = 0;
    std::int16_t Load_ChkAdvancedFilter = 0;
    std::string Load_TxtProcessFilter;
    std::int16_t Load_ChkProcessCase = 0;
    std::int16_t Load_ChkProcessRegExp = 0;
    std::int16_t Load_chkInclude = 0;
    std::string Load_txtInclude;
    std::int16_t Load_chkIncludeCase = 0;
    std::int16_t Load_chkIncludeRegExp = 0;
    std::int16_t Load_chkExclude = 0;
    std::string Load_txtExclude;
    std::int16_t Load_chkExcludeCase = 0;
    std::int16_t Load_chkExcludeRegExp = 0;
    std::int16_t Load_ExcelWorksheet = 1;
    std::int16_t Load_ExcelColumn = 1;
    std::string Load_ExcelColumnName;

    // Save options
    std::int16_t Save_FilteredContent = 0;
    std::int16_t Save_TestInclude = 0;
    std::int16_t Save_EmptyLines = 1;
    std::int16_t Save_Sort = 0;
    std::int16_t Save_SortMode = 0;

    // Quickstart and reading
    bool bShowQuickstartWindow = true;
    bool bShowQuickstartLink = true;
    bool bConvertNBSPToSpace = true;

    // Every default, with the screen-centred positions computed for a primary
    // screen of the given size in twips.
    static SettingsValues Defaults(double screenWidthTwips, double screenHeightTwips);
    // Defaults for a 1024 x 768 pixel screen at 15 twips per pixel; for programs
    // that never show a window.
    static SettingsValues Defaults() { return Defaults(1024 * 15.0, 768 * 15.0); }
};

// Calls f(key, type, member) for every setting, in the order they are read and
// stored. The member is an int16_t&, int32_t&, bool& or std::string&.
template <class Values, class F>
void forEachSetting(Values& v, F&& f) {
#define TWINSIFT_SETTING(type, name) f(std::string_view(#name), SettingType::type, v.name)
    TWINSIFT_SETTING(Int16, caseSensitive);
    TWINSIFT_SETTING(Int16, preserveMemory);
    TWINSIFT_SETTING(Int32, listviewPreviewCutoff);
    TWINSIFT_SETTING(Int16, settingsExcelWorksheet);
    TWINSIFT_SETTING(Int16, settingsExcelColumn);
    TWINSIFT_SETTING(Text, sScriptPath_Scan);
    TWINSIFT_SETTING(Text, sScriptPath_Save);
    TWINSIFT_SETTING(Text, sScriptTestLine);
    TWINSIFT_SETTING(Text, sLastSaveDupsPath);
    TWINSIFT_SETTING(Int16, saveEmptyLines);
    TWINSIFT_SETTING(Int16, saveSort);
    TWINSIFT_SETTING(Int16, saveSortMode);
    TWINSIFT_SETTING(Int16, iDisplayColors);
    TWINSIFT_SETTING(Text, lastLoadedFile);
    TWINSIFT_SETTING(Text, lastSavedFile);
    TWINSIFT_SETTING(Bool, bShowMsgAddFiles);
    TWINSIFT_SETTING(Bool, bShowMsgNoDups);
    TWINSIFT_SETTING(Bool, bShowMsgMultibyte);
    TWINSIFT_SETTING(Bool, bShowMsgUnix);
    TWINSIFT_SETTING(Bool, bShowMsgWriteProtected);
    TWINSIFT_SETTING(Int16, winLeft);
    TWINSIFT_SETTING(Int16, winTop);
    TWINSIFT_SETTING(Int16, winWidth);
    TWINSIFT_SETTING(Int16, winHeight);
    TWINSIFT_SETTING(Int16, winState);
    TWINSIFT_SETTING(Int16, viewWinLeft);
    TWINSIFT_SETTING(Int16, viewWinTop);
    TWINSIFT_SETTING(Int16, viewWinWidth);
    TWINSIFT_SETTING(Int16, viewWinHeight);
    TWINSIFT_SETTING(Int16, viewWinState);
    TWINSIFT_SETTING(Int32, statFilesOpened);
    TWINSIFT_SETTING(Int32, statLinesScanned);
    TWINSIFT_SETTING(Int32, statDupsFound);
    TWINSIFT_SETTING(Int32, statUniqueDupsFound);
    TWINSIFT_SETTING(Int32, statDupsDeleted);
    TWINSIFT_SETTING(Int16, Load_RemoveWhitespaces);
    TWINSIFT_SETTING(Int16, Load_CaseSensitive);
    TWINSIFT_SETTING(Int16, Load_IgnoreEmptyLines);
    TWINSIFT_SETTING(Int16, Load_StartPos);
    TWINSIFT_SETTING(Text, Load_StartAfterStr);
    TWINSIFT_SETTING(Int16, Load_IncludeNumChars);
    TWINSIFT_SETTING(Text, Load_IncludeUntilStr);
    TWINSIFT_SETTING(Int16, Load_ChkStartPos);
    TWINSIFT_SETTING(Int16, Load_ChkStartAfterStr);
    TWINSIFT_SETTING(Int16, Load_ChkIncludeNumChars);
    TWINSIFT_SETTING(Int16, Load_ChkIncludeUntilStr);
    TWINSIFT_SETTING(Int16, Load_ChkAdvancedFilter);
    TWINSIFT_SETTING(Text, Load_TxtProcessFilter);
    TWINSIFT_SETTING(Int16, Load_ChkProcessCase);
    TWINSIFT_SETTING(Int16, Load_ChkProcessRegExp);
    TWINSIFT_SETTING(Int16, Load_chkInclude);
    TWINSIFT_SETTING(Text, Load_txtInclude);
    TWINSIFT_SETTING(Int16, Load_chkIncludeCase);
    TWINSIFT_SETTING(Int16, Load_chkIncludeRegExp);
    TWINSIFT_SETTING(Int16, Load_chkExclude);
    TWINSIFT_SETTING(Text, Load_txtExclude);
    TWINSIFT_SETTING(Int16, Load_chkExcludeCase);
    TWINSIFT_SETTING(Int16, Load_chkExcludeRegExp);
    TWINSIFT_SETTING(Int16, Load_ExcelWorksheet);
    TWINSIFT_SETTING(Int16, Load_ExcelColumn);
    TWINSIFT_SETTING(Text, Load_ExcelColumnName);
    TWINSIFT_SETTING(Int16, Save_FilteredContent);
    TWINSIFT_SETTING(Int16, Save_TestInclude);
    TWINSIFT_SETTING(Int16, Save_EmptyLines);
    TWINSIFT_SETTING(Int16, Save_Sort);
    TWINSIFT_SETTING(Int16, Save_SortMode);
    TWINSIFT_SETTING(Bool, bShowQuickstartWindow);
    TWINSIFT_SETTING(Bool, bShowQuickstartLink);
    TWINSIFT_SETTING(Bool, bConvertNBSPToSpace);
#undef TWINSIFT_SETTING
}

// Number of settings keys.
inline constexpr int kSettingCount = 69;

// Adds to a usage counter. A counter that would pass the 32-bit range stays at
// its limit instead of wrapping into a negative count.
inline std::int32_t addToCounter(std::int32_t counter, std::int64_t amount) noexcept {
    const std::int64_t sum = static_cast<std::int64_t>(counter) + amount;
    if (sum > INT32_MAX) return INT32_MAX;
    if (sum < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(sum);
}

} // namespace twinsift
