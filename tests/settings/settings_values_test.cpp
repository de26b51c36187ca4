#include "settings/settings_values.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace twinsift;

TEST(SettingsValues, CentresTheWindowsOnTheScreen) {
    const auto v = SettingsValues::Defaults(19200, 14400);
    EXPECT_EQ(v.winLeft, 5700);
    EXPECT_EQ(v.winTop, 3200);
    EXPECT_EQ(v.winWidth, 7800);
    EXPECT_EQ(v.winHeight, 8000);
    // 9600 - 3547.5 = 6052.5 and 7200 - 2827.5 = 4372.5: halves go to the even neighbour.
    EXPECT_EQ(v.viewWinLeft, 6052);
    EXPECT_EQ(v.viewWinTop, 4372);
    const auto odd = SettingsValues::Defaults(19215, 14415);
    EXPECT_EQ(odd.viewWinLeft, 6060); // 9607.5 - 3547.5
    EXPECT_EQ(odd.winLeft, 5708);     // 9607.5 - 3900 = 5707.5 -> 5708
}

TEST(SettingsValues, RoundsHalvesToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.6), 3);
}

TEST(SettingsValues, ListsSixtyNineDistinctKeysInStoreOrder) {
    SettingsValues v = SettingsValues::Defaults();
    std::vector<std::string> keys;
    std::set<std::string> unique;
    forEachSetting(v, [&](std::string_view key, SettingType, auto&) {
        keys.emplace_back(key);
        unique.emplace(key);
    });
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(kSettingCount));
    EXPECT_EQ(unique.size(), keys.size());
    EXPECT_EQ(keys.front(), "caseSensitive");
    EXPECT_EQ(keys[13], "lastLoadedFile");
    EXPECT_EQ(keys[35], "Load_RemoveWhitespaces");
    EXPECT_EQ(keys.back(), "bConvertNBSPToSpace");
}

TEST(SettingsValues, HasTheDocumentedDefaults) {
    const auto v = SettingsValues::Defaults();
    EXPECT_EQ(v.listviewPreviewCutoff, 30000);
    EXPECT_EQ(v.iDisplayColors, 1);
    EXPECT_FALSE(v.bShowMsgAddFiles);
    EXPECT_TRUE(v.bShowMsgNoDups);
    EXPECT_EQ(v.Load_RemoveWhitespaces, 1);
    EXPECT_EQ(v.Load_CaseSensitive, 0);
    EXPECT_EQ(v.Load_IgnoreEmptyLines, 1);
    EXPECT_EQ(v.Load_StartPos, 1);
    EXPECT_EQ(v.Load_IncludeNumChars, 10);
    EXPECT_EQ(v.Load_ExcelWorksheet, 1);
    EXPECT_EQ(v.Save_EmptyLines, 1);
    EXPECT_EQ(v.saveEmptyLines, 1);
    EXPECT_TRUE(v.bShowQuickstartWindow);
    EXPECT_TRUE(v.bShowQuickstartLink);
    EXPECT_TRUE(v.bConvertNBSPToSpace);
    EXPECT_EQ(v.statDupsDeleted, 0);
    EXPECT_TRUE(v.lastLoadedFile.empty());
}
