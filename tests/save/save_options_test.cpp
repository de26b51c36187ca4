#include "save/save_options.h"

#include <gtest/gtest.h>

using namespace twinsift;

TEST(SaveOptions, OptionsThatCannotApplyAreClearedAndStoreZero) {
    SettingsValues s = SettingsValues::Defaults();
    s.Save_TestInclude = 1;
    s.Save_FilteredContent = 1;
    s.Save_Sort = 1;
    // No include/exclude filter and no pre-processing when loading.
    SaveOptionsState st = SaveOptionsOnLoad(s, false, false);
    EXPECT_FALSE(st.testInclude);
    EXPECT_FALSE(st.testIncludeEnabled);
    EXPECT_FALSE(st.saveFiltered);
    EXPECT_FALSE(st.saveFilteredEnabled);
    EXPECT_TRUE(st.sort);
    EXPECT_TRUE(st.sortDirectionEnabled);
    st.testInclude = true; // a disabled box cannot store 1
    SaveOptionsStore(st, s);
    EXPECT_EQ(s.Save_TestInclude, 0);
    EXPECT_EQ(s.Save_FilteredContent, 0);
    EXPECT_EQ(s.Save_Sort, 1);

    s.Load_chkExclude = 1;
    s.Load_ChkAdvancedFilter = 1;
    s.Save_TestInclude = 1;
    s.Save_FilteredContent = 1;
    st = SaveOptionsOnLoad(s, false, false);
    EXPECT_TRUE(st.testInclude && st.testIncludeEnabled);
    EXPECT_TRUE(st.saveFiltered && st.saveFilteredEnabled);
}

TEST(SaveOptions, OfficeDocumentsAreNeverSorted) {
    SettingsValues s = SettingsValues::Defaults();
    s.Save_Sort = 1;
    s.Save_SortMode = -1;
    s.Load_ChkStartPos = 1;
    SaveOptionsState st = SaveOptionsOnLoad(s, true, false);
    EXPECT_FALSE(st.sort);
    EXPECT_FALSE(st.sortEnabled);
    EXPECT_FALSE(st.sortDirectionEnabled);
    st.setSort(true); // even a stray click cannot turn it on
    EXPECT_FALSE(st.sortDirectionEnabled);
    SaveOptionsStore(st, s);
    EXPECT_EQ(s.Save_Sort, 0);
    EXPECT_TRUE(SaveOptionsDialogShown(s, true, false));
    s.Load_ChkStartPos = 0;
    EXPECT_FALSE(SaveOptionsDialogShown(s, false, true));
    EXPECT_TRUE(SaveOptionsDialogShown(s, false, false));
}

TEST(SaveOptions, DirectionIsKeptWhileSortingIsOff) {
    SettingsValues s = SettingsValues::Defaults();
    s.Save_Sort = 0;
    s.Save_SortMode = -1;
    SaveOptionsState st = SaveOptionsOnLoad(s, false, false);
    EXPECT_TRUE(st.descending);
    EXPECT_FALSE(st.sortDirectionEnabled);
    st.setSort(true);
    EXPECT_TRUE(st.sortDirectionEnabled);
    EXPECT_TRUE(st.descending);
    st.descending = false;
    SaveOptionsStore(st, s);
    EXPECT_EQ(s.Save_SortMode, 0);
    EXPECT_EQ(s.Save_Sort, 1);
}
