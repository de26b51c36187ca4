#include "office/mod_office.h"
#include "platform/message_ids.h"
#include "platform/ui/c_tooltip.h"
#include "scan/document.h"
#include "scan/patterns.h"
#include "scan/ui/frm_load.h"
#include "settings/settings_values.h"
#include "support/scripted_boxes.h"
#include "support/test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

struct LoadDialog : ::testing::Test {
    SettingsValues settings = SettingsValues::Defaults();
    RunState run;
    test::ScriptedBoxes boxes;
    std::unique_ptr<modOffice> office = std::make_unique<modOffice>(settings);

    std::unique_ptr<frmLoad> open() { return std::make_unique<frmLoad>(settings, run, boxes, office.get()); }
    static QColor base(const QLineEdit* field) { return field->palette().color(QPalette::Base); }
};

TEST_F(LoadDialog, ShowsTheStoredValuesOnTheTabLastSelected) {
    settings.Load_CaseSensitive = 1;
    settings.Load_ChkStartPos = 1;
    settings.Load_StartPos = 7;
    settings.Load_txtExclude = "draft";
    run.iLoadTab = 3;
    auto dlg = open();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Opening file..."));
    EXPECT_EQ(dlg->TabStrip->currentIndex(), 2);
    EXPECT_EQ(dlg->TabStrip->tabText(0), QStringLiteral("Options"));
    EXPECT_EQ(dlg->TabStrip->tabText(1), QStringLiteral("Include Filter"));
    EXPECT_EQ(dlg->TabStrip->tabText(2), QStringLiteral("Pre-Processing Filter"));
    EXPECT_TRUE(dlg->FramePreProcessing->isVisibleTo(dlg.get()));
    EXPECT_FALSE(dlg->FrameOptions->isVisibleTo(dlg.get()));
    EXPECT_TRUE(dlg->chkCaseSensitive->isChecked());
    EXPECT_TRUE(dlg->chkStartPos->isChecked());
    EXPECT_EQ(dlg->txtStartPos->text(), QStringLiteral("7"));
    EXPECT_TRUE(dlg->txtStartPos->isEnabled());
    EXPECT_FALSE(dlg->txtStartAfterStr->isEnabled());
    EXPECT_EQ(dlg->txtExclude->text(), QStringLiteral("draft"));
    EXPECT_FALSE(dlg->txtExclude->isEnabled());
    EXPECT_EQ(dlg->chkExclude->text(), QStringLiteral("Exlude lines containing:"));

    dlg->TabStrip->setCurrentIndex(0);
    EXPECT_TRUE(dlg->FrameOptions->isVisibleTo(dlg.get()));
    EXPECT_TRUE(dlg->FrameExcel->isVisibleTo(dlg.get()));
    EXPECT_FALSE(dlg->FramePreProcessing->isVisibleTo(dlg.get()));
    // Not a workbook: the Excel controls are off and Ok leaves their settings.
    EXPECT_FALSE(dlg->cmbExcelWorksheet->isEnabled());
    EXPECT_FALSE(dlg->lblExcelColumn->isEnabled());
    settings.Load_ExcelColumnName = "Q";
    dlg->cmdOk->click();
    EXPECT_TRUE(dlg->okPressed());
    EXPECT_EQ(settings.Load_ExcelColumnName, "Q");
    EXPECT_EQ(run.iLoadTab, 1);
    EXPECT_FALSE(run.bLoadSaveWindow_Cancel);
}

TEST_F(LoadDialog, PairedOptionsExcludeEachOtherAndGreyTheirFields) {
    auto dlg = open();
    dlg->chkStartAfterStr->setChecked(true);
    EXPECT_TRUE(dlg->txtStartAfterStr->isEnabled());
    const QColor enabledBase = base(dlg->txtStartAfterStr);
    dlg->chkStartPos->setChecked(true);
    EXPECT_FALSE(dlg->chkStartAfterStr->isChecked());
    EXPECT_FALSE(dlg->txtStartAfterStr->isEnabled());
    EXPECT_NE(base(dlg->txtStartAfterStr), enabledBase);
    EXPECT_EQ(base(dlg->txtStartAfterStr), QApplication::palette().color(QPalette::Button));
    EXPECT_TRUE(dlg->txtStartPos->isEnabled());

    dlg->chkIncludeNumChars->setChecked(true);
    dlg->chkIncludeUntilStr->setChecked(true);
    EXPECT_FALSE(dlg->chkIncludeNumChars->isChecked());
    EXPECT_FALSE(dlg->txtIncludeNumChars->isEnabled());
    EXPECT_TRUE(dlg->txtIncludeUntilStr->isEnabled());

    for (auto [box, governed] : {std::pair{dlg->chkAdvancedFilter, std::vector<QWidget*>{dlg->txtProcessFilter, dlg->chkProcessCase, dlg->chkProcessRegExp}},
                                 std::pair{dlg->chkInclude, std::vector<QWidget*>{dlg->txtInclude, dlg->chkIncludeCase, dlg->chkIncludeRegExp}},
                                 std::pair{dlg->chkExclude, std::vector<QWidget*>{dlg->txtExclude, dlg->chkExcludeCase, dlg->chkExcludeRegExp}}}) {
        for (QWidget* w : governed) EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        box->setChecked(true);
        for (QWidget* w : governed) EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    }
}

TEST_F(LoadDialog, OkStoresEveryValueAndCancelNone) {
    const SettingsValues before = settings;
    {
        auto dlg = open();
        dlg->chkRemoveWhitespaces->setChecked(false);
        dlg->chkInclude->setChecked(true);
        dlg->txtInclude->setText(QStringLiteral("a*b"));
        dlg->TabStrip->setCurrentIndex(1);
        dlg->cmdCancel->click();
        EXPECT_FALSE(dlg->okPressed());
    }
    EXPECT_TRUE(run.bLoadSaveWindow_Cancel);
    EXPECT_EQ(run.iLoadTab, 2); // remembered on Cancel too
    EXPECT_EQ(settings.Load_RemoveWhitespaces, before.Load_RemoveWhitespaces);
    EXPECT_EQ(settings.Load_chkInclude, 0);
    EXPECT_EQ(settings.Load_txtInclude, "");

    run.bLoadSaveWindow_Cancel = false;
    auto dlg = open();
    EXPECT_EQ(dlg->TabStrip->currentIndex(), 1);
    dlg->chkRemoveWhitespaces->setChecked(false);
    dlg->chkLoad_IgnoreEmptyLines->setChecked(false);
    dlg->chkInclude->setChecked(true);
    dlg->txtInclude->setText(QStringLiteral("(\\d+)-\\1"));
    dlg->chkIncludeRegExp->setChecked(true);
    dlg->chkIncludeNumChars->setChecked(true);
    dlg->txtIncludeNumChars->setText(QStringLiteral(" 32767 "));
    dlg->chkAdvancedFilter->setChecked(true);
    dlg->txtProcessFilter->setText(QStringLiteral("id=*;"));
    dlg->chkProcessCase->setChecked(true);
    dlg->cmdOk->click();
    EXPECT_TRUE(dlg->okPressed());
    EXPECT_FALSE(run.bLoadSaveWindow_Cancel);
    EXPECT_EQ(settings.Load_RemoveWhitespaces, 0);
    EXPECT_EQ(settings.Load_IgnoreEmptyLines, 0);
    EXPECT_EQ(settings.Load_chkInclude, 1);
    EXPECT_EQ(settings.Load_txtInclude, "(\\d+)-\\1");
    EXPECT_EQ(settings.Load_chkIncludeRegExp, 1);
    EXPECT_EQ(settings.Load_ChkIncludeNumChars, 1);
    EXPECT_EQ(settings.Load_IncludeNumChars, 32767);
    EXPECT_EQ(settings.Load_ChkAdvancedFilter, 1);
    EXPECT_EQ(settings.Load_TxtProcessFilter, "id=*;");
    EXPECT_EQ(settings.Load_ChkProcessCase, 1);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(LoadDialog, RefusesNumbersOutsideSixteenBitsAndNamesTheField) {
    for (const char* bad : {"32768", "-32769", "12abc", "", "1.5", "x"}) {
        boxes.calls.clear();
        settings.Load_StartPos = 1;
        auto dlg = open();
        dlg->chkStartPos->setChecked(true);
        dlg->txtStartPos->setText(QString::fromLatin1(bad));
        dlg->chkRemoveWhitespaces->setChecked(false);
        dlg->cmdOk->click();
        EXPECT_FALSE(dlg->okPressed()) << bad;
        ASSERT_EQ(boxes.calls.size(), 1u) << bad;
        EXPECT_EQ(boxes.calls[0].id, msgid::kLoadBadNumber);
        EXPECT_NE(boxes.calls[0].text.find("\"Skip the first\""), std::string::npos);
        // Nothing stored, the dialog still open on the field's tab.
        EXPECT_EQ(settings.Load_StartPos, 1);
        EXPECT_EQ(settings.Load_RemoveWhitespaces, 1);
        EXPECT_FALSE(run.bLoadSaveWindow_Cancel);
        EXPECT_EQ(dlg->TabStrip->currentIndex(), 2);
    }
    EXPECT_EQ(int16FromText("-32768"), std::optional<std::int16_t>(-32768));
    EXPECT_EQ(int16FromText("+5"), std::optional<std::int16_t>(5));

    auto dlg = open();
    dlg->txtIncludeNumChars->setText(QStringLiteral("70000"));
    dlg->cmdOk->click();
    ASSERT_FALSE(boxes.calls.empty());
    EXPECT_NE(boxes.calls.back().text.find("\"Include up to\""), std::string::npos);
}

TEST_F(LoadDialog, RefusesAPatternThatDoesNotCompileWithTheEnginesError) {
    auto dlg = open();
    dlg->chkExclude->setChecked(true);
    dlg->chkExcludeRegExp->setChecked(true);
    dlg->txtExclude->setText(QStringLiteral("(abc"));
    dlg->cmdOk->click();
    EXPECT_FALSE(dlg->okPressed());
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].id, msgid::kLoadBadPattern);
    EXPECT_EQ(boxes.calls[0].icon, MsgIcon::Warning);
    EXPECT_NE(boxes.calls[0].text.find("Exlude lines containing:"), std::string::npos);
    const std::string engine = PatternError("(abc", true, false);
    ASSERT_FALSE(engine.empty());
    EXPECT_NE(boxes.calls[0].text.find(engine), std::string::npos);
    EXPECT_EQ(settings.Load_chkExclude, 0);
    EXPECT_EQ(dlg->TabStrip->currentIndex(), 1);

    // A switched-off filter is not checked; the same text as a wildcard is fine.
    dlg->chkExcludeRegExp->setChecked(false);
    dlg->chkAdvancedFilter->setChecked(true);
    dlg->chkProcessRegExp->setChecked(true);
    dlg->txtProcessFilter->setText(QStringLiteral("[z-a]"));
    dlg->cmdOk->click();
    EXPECT_FALSE(dlg->okPressed());
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_NE(boxes.calls[1].text.find("Advanced filter:"), std::string::npos);
    EXPECT_EQ(dlg->TabStrip->currentIndex(), 2);
    dlg->chkAdvancedFilter->setChecked(false);
    dlg->cmdOk->click();
    EXPECT_TRUE(dlg->okPressed());
    EXPECT_EQ(settings.Load_txtExclude, "(abc");
    EXPECT_EQ(settings.Load_ChkAdvancedFilter, 0);
}

TEST_F(LoadDialog, WorkbookListsWorksheetsAndUsedColumnsAndStoresTheChoice) {
    run.sLoadWindow_ExcelFileName = (test::testdataDir() / "office/excel/multi_sheet.xlsx").string();
    settings.Load_ExcelWorksheet = 5;
    settings.Load_ExcelColumnName = "AB";
    {
        auto dlg = open();
        EXPECT_TRUE(boxes.calls.empty());
        EXPECT_FALSE(office->bExcelOpen);
        ASSERT_EQ(dlg->cmbExcelWorksheet->count(), 5);
        EXPECT_EQ(dlg->cmbExcelWorksheet->itemText(1), QStringLiteral("Orders"));
        EXPECT_EQ(dlg->cmbExcelWorksheet->currentIndex(), 4);
        EXPECT_EQ(dlg->cmbExcelColumn->currentText(), QStringLiteral("AB"));

        dlg->cmbExcelWorksheet->setCurrentIndex(1);
        QStringList columns;
        for (int i = 0; i < dlg->cmbExcelColumn->count(); ++i) columns << dlg->cmbExcelColumn->itemText(i);
        EXPECT_EQ(columns, (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}));
        EXPECT_EQ(dlg->cmbExcelColumn->currentIndex(), 0);
        dlg->cmbExcelColumn->setCurrentIndex(2);
        dlg->cmdOk->click();
    }
    EXPECT_EQ(settings.Load_ExcelWorksheet, 2);
    EXPECT_EQ(settings.Load_ExcelColumn, 4);
    EXPECT_EQ(settings.Load_ExcelColumnName, "D");
}

TEST_F(LoadDialog, AWorkbookThatCannotBeOpenedLeavesOnlyCancel) {
    test::TempDir dir;
    run.sLoadWindow_ExcelFileName = dir.write("broken.xlsx", "not a workbook");
    auto dlg = open();
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Error initializing Excel...");
    EXPECT_EQ(boxes.calls[0].icon, MsgIcon::Error);
    EXPECT_FALSE(dlg->cmdOk->isEnabled());
    EXPECT_TRUE(dlg->cmdCancel->isEnabled());
    dlg->close();
    EXPECT_TRUE(run.bLoadSaveWindow_Cancel);
}

TEST_F(LoadDialog, HelpIconsCarryTheirTitlesAndTheQuickReference) {
    auto dlg = open();
    QStringList titles;
    int quickReferences = 0;
    for (HelpIcon* icon : dlg->picTooltip) {
        titles << icon->title();
        EXPECT_FALSE(icon->text().isEmpty()) << icon->title().toStdString();
        EXPECT_EQ(icon->tooltip().delayMs(), 200);
        EXPECT_EQ(icon->tooltip().durationMs(), 30000);
        if (icon->title() == QStringLiteral("Regular Expressions Quick Reference")) {
            ++quickReferences;
            EXPECT_TRUE(icon->text().contains(QStringLiteral("\\1 \\2 \\3")));
            EXPECT_TRUE(icon->text().contains(QStringLiteral("[^a-z]")));
        }
    }
    EXPECT_EQ(quickReferences, 3);
    for (const char* t : {"Ignore surrounding spaces, tabs and other \"whitespaces\"", "Case sensitive comparison",
                          "Excel Worksheet to open", "Excel Column to process", "Pre-Processing Filter",
                          "Offset beginning of start", "Limit length of line", "Ignore empty lines", "Include Filter",
                          "Advanced Filter"})
        EXPECT_TRUE(titles.contains(QString::fromUtf8(t))) << t;
    // Every control is named for a screen reader.
    for (QWidget* w : dlg->findChildren<QWidget*>()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

} // namespace
} // namespace twinsift
