#pragma once
// The load options dialog, shown by the Open command after the files are
// chosen and before a line is read.
//
// It edits the load settings in memory, and only on Ok; a number that is not
// a 16-bit whole number or a filter pattern that does not compile is refused
// there, with the dialog left open and nothing stored, because a broken filter
// would otherwise make every line fail silently and a scan report "no
// duplicates" where it really failed. Closing without Ok sets the run's
// bLoadSaveWindow_Cancel. The tab shown last is remembered in iLoadTab for
// the run, whichever way the dialog closed.

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace twinsift {

struct RunState;
struct SettingsValues;
class MessagePort;
class HelpIcon;
class modOffice;

// The text of a number field as a 16-bit whole number: an optional sign and
// digits, blanks around them allowed; nullopt for anything else or a number
// outside -32768 .. 32767.
std::optional<std::int16_t> int16FromText(std::string_view text);

class frmLoad final : public QDialog {
    Q_OBJECT
public:
    // office: the adapter that lists a workbook's worksheets and columns;
    // without one a workbook cannot be prepared ("Error initializing Excel...").
    frmLoad(SettingsValues& settings, RunState& run, MessagePort& boxes, modOffice* office,
            QWidget* parent = nullptr);

    // True once Ok stored the values.
    bool okPressed() const { return bOkPressed; }

    // Controls, named as in the program's design.
    QTabWidget* TabStrip = nullptr;
    QGroupBox* FrameOptions = nullptr;
    QGroupBox* FrameExcel = nullptr;
    QGroupBox* FrameInclude = nullptr;
    QGroupBox* FramePreProcessing = nullptr;
    QCheckBox* chkRemoveWhitespaces = nullptr;
    QCheckBox* chkCaseSensitive = nullptr;
    QCheckBox* chkLoad_IgnoreEmptyLines = nullptr;
    QLabel* lblExcelWorksheet = nullptr;
    QComboBox* cmbExcelWorksheet = nullptr;
    QLabel* lblExcelColumn = nullptr;
    QComboBox* cmbExcelColumn = nullptr;
    QLabel* lblExcelInfo = nullptr;
    QCheckBox* chkInclude = nullptr;
    QLineEdit* txtInclude = nullptr;
    QCheckBox* chkIncludeCase = nullptr;
    QCheckBox* chkIncludeRegExp = nullptr;
    QCheckBox* chkExclude = nullptr;
    QLineEdit* txtExclude = nullptr;
    QCheckBox* chkExcludeCase = nullptr;
    QCheckBox* chkExcludeRegExp = nullptr;
    QLabel* lblOffset = nullptr;
    QCheckBox* chkStartPos = nullptr;
    QLineEdit* txtStartPos = nullptr;
    QLabel* lblStartPosChars = nullptr;
    QCheckBox* chkStartAfterStr = nullptr;
    QLineEdit* txtStartAfterStr = nullptr;
    QLabel* lblLimit = nullptr;
    QCheckBox* chkIncludeNumChars = nullptr;
    QLineEdit* txtIncludeNumChars = nullptr;
    QLabel* lblIncludeNumCharsChars = nullptr;
    QCheckBox* chkIncludeUntilStr = nullptr;
    QLineEdit* txtIncludeUntilStr = nullptr;
    QLabel* lblAdvanced = nullptr;
    QCheckBox* chkAdvancedFilter = nullptr;
    QLineEdit* txtProcessFilter = nullptr;
    QCheckBox* chkProcessCase = nullptr;
    QCheckBox* chkProcessRegExp = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    std::vector<HelpIcon*> picTooltip;

    // Esc, like the Cancel button.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void fillControls();
    void prepareWorkbook();
    void cmbExcelWorksheet_Click();
    void TabStrip_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void finish(bool ok);
    bool refuse(QLineEdit* field, int tab, const std::string& text, std::string_view id);

    SettingsValues& settings_;
    RunState& run_;
    MessagePort& boxes_;
    modOffice* office_;
    bool bOkPressed = false;
    bool closed_ = false;
    bool workbook_ = false;
    std::vector<std::int32_t> firstColumn_; // per worksheet in the list
};

} // namespace twinsift
