#include "save/save_options.h"

namespace twinsift {

bool AnyPreprocessOption(const SettingsValues& s) {
    return s.Load_ChkStartPos == 1 || s.Load_ChkStartAfterStr == 1 || s.Load_ChkIncludeNumChars == 1 ||
           s.Load_ChkIncludeUntilStr == 1 || s.Load_ChkAdvancedFilter == 1;
}

SaveOptionsState SaveOptionsOnLoad(const SettingsValues& s, bool bDocIsWord, bool bDocIsExcel) {
    SaveOptionsState st;
    st.saveFiltered = s.Save_FilteredContent == 1;
    st.testInclude = s.Save_TestInclude == 1;
    st.descending = s.Save_SortMode != 0;
    st.setSort(s.Save_Sort == 1);
    if (bDocIsWord || bDocIsExcel) {
        // Office documents keep their line order; sorting is for text files only.
        st.sortEnabled = false;
        st.setSort(false);
    }
    if (s.Load_chkInclude == 0 && s.Load_chkExclude == 0) {
        st.testInclude = false;
        st.testIncludeEnabled = false;
    }
    if (!AnyPreprocessOption(s)) {
        st.saveFiltered = false;
        st.saveFilteredEnabled = false;
    }
    return st;
}

void SaveOptionsStore(const SaveOptionsState& st, SettingsValues& s) {
    s.Save_FilteredContent = st.saveFiltered && st.saveFilteredEnabled ? 1 : 0;
    s.Save_TestInclude = st.testInclude && st.testIncludeEnabled ? 1 : 0;
    s.Save_Sort = st.sort && st.sortEnabled ? 1 : 0;
    s.Save_SortMode = st.descending ? -1 : 0;
}

bool SaveOptionsDialogShown(const SettingsValues& s, bool bDocIsWord, bool bDocIsExcel) {
    return !(bDocIsWord || bDocIsExcel) || AnyPreprocessOption(s);
}

} // namespace twinsift
