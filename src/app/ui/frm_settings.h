#pragma once
// The settings dialog: the general options and the warning switches.
//
// It edits the caller's settings values in memory, and only on Ok; the values
// reach the store when the main window closes. The selected tab is handed
// back through iSettingsTab (1 = "Settings", 2 = "Warning Messages") on Ok
// and Cancel, so the next opening in the same run shows the same tab.

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string_view>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace twinsift {

struct AppIdentity;
struct SettingsValues;
class MessagePort;
class HelpIcon;

// The line limit typed into the dialog: the leading number of the text
// (blanks before it skipped, no digits gives 0), rounded halves to even.
// nullopt when that number lies outside 0 .. 2147483647, the range the
// limit is stored in.
std::optional<std::int32_t> lineLimitFromText(std::string_view text);

class frmSettings final : public QDialog {
    Q_OBJECT
public:
    // The message box id of the refusal of a line limit out of range.
    static constexpr std::string_view kCutoffRangeId = "settings.cutoff-range";
    static constexpr std::string_view kCutoffRangeText =
        "The line limit must be a whole number from 0 to 2147483647.";

    frmSettings(SettingsValues& settings, std::int16_t& iSettingsTab, const AppIdentity& app, MessagePort& boxes,
                QWidget* parent = nullptr);

    // Controls, named as in the program's design.
    QTabWidget* TabStrip = nullptr;
    QGroupBox* frmMisc = nullptr;
    QGroupBox* frmMessages = nullptr;
    QCheckBox* chkShowMsgAddFiles = nullptr;
    QCheckBox* chkPreserveMemory = nullptr;
    QCheckBox* chkEnableColors = nullptr;
    QLabel* lblLwCutoff = nullptr;
    QLineEdit* txtLwCutoff = nullptr;
    QLabel* lblLines = nullptr;
    HelpIcon* picTooltip[4] = {};
    QCheckBox* chkShowMsgNoDups = nullptr;
    QCheckBox* chkShowMsgUnix = nullptr;
    QCheckBox* chkShowMsgWriteProtected = nullptr;
    QCheckBox* chkShowMsgMultibyte = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Esc, like the Cancel button.
    void reject() override;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void fitToFont();
    void fillControls();
    void TabStrip_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    int selectedTab() const;

    SettingsValues& settings_;
    std::int16_t& iSettingsTab_;
    const AppIdentity& app_;
    MessagePort& boxes_;
};

} // namespace twinsift
