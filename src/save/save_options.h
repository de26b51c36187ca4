#pragma once
// What the save options dialog offers for the loaded document, and what its
// "Ok" stores. The dialog itself only shows this state.

#include "settings/settings_values.h"

namespace twinsift {

struct SaveOptionsState {
    bool testInclude = false;          // chkTestInclude
    bool testIncludeEnabled = true;
    bool saveFiltered = false;         // chkSaveFiltered
    bool saveFilteredEnabled = true;
    bool sort = false;                 // chkSort
    bool sortEnabled = true;
    bool descending = false;           // optSort(1) chosen, else optSort(0)
    bool sortDirectionEnabled = false; // both optSort buttons

    // chkSort changed: the direction buttons follow it, the direction stays.
    void setSort(bool on) {
        sort = on;
        sortDirectionEnabled = on && sortEnabled;
    }
};

// At least one of the five pre-processing options is on in the load settings.
bool AnyPreprocessOption(const SettingsValues& settings);

// The dialog as it opens for this document and these settings.
SaveOptionsState SaveOptionsOnLoad(const SettingsValues& settings, bool bDocIsWord, bool bDocIsExcel);

// "Ok": stores the four save settings; a disabled option stores 0.
void SaveOptionsStore(const SaveOptionsState& state, SettingsValues& settings);

// Whether the save driver shows the dialog at all: always for text files, for
// Word and Excel only when a pre-processing option was used.
bool SaveOptionsDialogShown(const SettingsValues& settings, bool bDocIsWord, bool bDocIsExcel);

} // namespace twinsift
