#pragma once
// "Saving file...": the save options, shown after the target was chosen and
// before anything is written.
//
// What can apply to the loaded document, and what Ok stores, is decided by
// the save option rules (save/save_options.h); the dialog shows that state
// and hands the user's changes back to them. Cancel and the close box cancel
// the whole save and store nothing.

#include "save/save_options.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace twinsift {

struct AppIdentity;
struct RunState;
struct SettingsValues;
class HelpIcon;

class frmSave final : public QDialog {
    Q_OBJECT
public:
    frmSave(SettingsValues& settings, bool bDocIsWord, bool bDocIsExcel, RunState& run, const AppIdentity& app,
            QWidget* parent = nullptr);

    // The balloon texts of the three help icons, in icon order.
    static QString tooltipTitle(int icon);
    static QString tooltipText(int icon, const AppIdentity& app);

    // Controls, named as in the program's design.
    QGroupBox* fraOptions = nullptr;
    QCheckBox* chkTestInclude = nullptr;
    QCheckBox* chkSaveFiltered = nullptr;
    QCheckBox* chkSort = nullptr;
    QRadioButton* optSort[2] = {};
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    HelpIcon* picTooltip[3] = {};

    // Esc and the close box, like the Cancel button.
    void reject() override;
    void done(int result) override;

private:
    void buildControls();
    void chkSort_Click();
    void cmdOk_Click();
    void cmdCancel_Click();

    SettingsValues& settings_;
    RunState& run_;
    SaveOptionsState state_;
    bool ok_ = false;
    bool unloaded_ = false;
};

} // namespace twinsift
