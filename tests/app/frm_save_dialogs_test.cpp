// The save options dialog and the "Select files to save" dialog, driven
// directly: built, acted in, closed, and what they stored read back.

#include "app/ui/dialog_layout.h"
#include "platform/app_identity.h"
#include "platform/ui/c_tooltip.h"
#include "results/ui/frm_save_selection.h"
#include "save/ui/frm_save.h"
#include "scan/document.h"
#include "settings/settings_values.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

using dialog::px;

struct SaveSelectionDialog : ::testing::Test {
    LoadedDocument doc;
    void SetUp() override {
        doc.sSourceFiles = {"/data/one.txt", "/data/two.txt"};
        doc.bSourceSave = {1, 0};
    }
};

TEST_F(SaveSelectionDialog, OpensWithTheFilesAndTheirFlagsAndOkStoresTheChoice) {
    frmSaveSelection d(doc, false);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Select files to save"));
    EXPECT_EQ(d.objectName(), QStringLiteral("frmSaveSelection"));
    EXPECT_EQ(d.lblInfo->text(), QStringLiteral("Select the files you want to include when saving. Selected files "
                                                "will be merged into one, with selected duplicates removed."));
    ASSERT_EQ(d.lstFiles->count(), 2);
    EXPECT_EQ(d.lstFiles->item(0)->text(), QStringLiteral("/data/one.txt"));
    EXPECT_EQ(d.lstFiles->item(1)->text(), QStringLiteral("/data/two.txt"));
    EXPECT_TRUE(d.lstFiles->item(0)->isSelected());
    EXPECT_FALSE(d.lstFiles->item(1)->isSelected());
    EXPECT_EQ(d.lstFiles->selectionMode(), QAbstractItemView::MultiSelection);

    d.lstFiles->item(0)->setSelected(false);
    d.lstFiles->item(1)->setSelected(true);
    d.cmdOk->click();
    EXPECT_EQ(doc.bSourceSave, (std::vector<char>{0, 1}));
    EXPECT_FALSE(d.bSaveSelectionCancel());
}

TEST_F(SaveSelectionDialog, EnterIsOkEscIsCancelAndF1DoesNothing) {
    {
        frmSaveSelection d(doc, false);
        d.show();
        d.lstFiles->item(1)->setSelected(true);
        QTest::keyClick(&d, Qt::Key_F1);
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
        EXPECT_TRUE(d.bSaveSelectionCancel());
        EXPECT_EQ(doc.bSourceSave, (std::vector<char>{1, 0}));
    }
    {
        frmSaveSelection d(doc, false);
        d.show();
        d.lstFiles->item(1)->setSelected(true);
        QTest::keyClick(d.lstFiles, Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
        EXPECT_FALSE(d.bSaveSelectionCancel());
        EXPECT_EQ(doc.bSourceSave, (std::vector<char>{1, 1}));
    }
}

TEST_F(SaveSelectionDialog, LaysOutOnResizeAndKeepsItsMinimumSize) {
    frmSaveSelection d(doc, false);
    EXPECT_EQ(d.size(), QSize(px(4710), px(3030)));
    d.show();
    d.resize(600, 400);
    EXPECT_EQ(d.lstFiles->geometry(), QRect(px(120), px(720), 600 - px(250), 400 - px(1400)));
    EXPECT_EQ(d.cmdOk->pos(), QPoint(600 - px(2200), 400 - px(500)));
    EXPECT_EQ(d.cmdCancel->pos(), QPoint(600 - px(1100), 400 - px(500)));
    d.resize(10, 10);
    EXPECT_EQ(d.size(), QSize(px(4500), px(2000)));

    // In debug mode there is no minimum, and rules that cannot apply are skipped.
    frmSaveSelection debug(doc, true);
    debug.show();
    debug.resize(50, 50);
    EXPECT_EQ(debug.size(), QSize(50, 50));
    EXPECT_EQ(debug.cmdCancel->pos(), QPoint(50 - px(1100), 50 - px(500)));
}

struct SaveOptionsDialog : ::testing::Test {
    SettingsValues s = SettingsValues::Defaults();
    RunState run;
    AppIdentity app;
};

TEST_F(SaveOptionsDialog, ShowsTheStoredValuesAndOkStoresTheChoice) {
    s.Load_chkInclude = 1;
    s.Load_ChkStartPos = 1;
    s.Save_TestInclude = 1;
    s.Save_FilteredContent = 0;
    s.Save_Sort = 1;
    s.Save_SortMode = 0;
    frmSave d(s, false, false, run, app);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Saving file..."));
    EXPECT_EQ(d.fraOptions->title(), QStringLiteral("Save Options"));
    EXPECT_EQ(d.chkTestInclude->text(), QStringLiteral("Apply include filter when saving"));
    EXPECT_EQ(d.chkSaveFiltered->text(), QStringLiteral("Save pre-processed content instead of original"));
    EXPECT_EQ(d.chkSort->text(), QStringLiteral("Sort lines"));
    EXPECT_EQ(d.optSort[0]->text(), QStringLiteral("Ascending"));
    EXPECT_EQ(d.optSort[1]->text(), QStringLiteral("Descending"));
    EXPECT_TRUE(d.chkTestInclude->isChecked() && d.chkTestInclude->isEnabled());
    EXPECT_TRUE(!d.chkSaveFiltered->isChecked() && d.chkSaveFiltered->isEnabled());
    EXPECT_TRUE(d.chkSort->isChecked() && d.optSort[0]->isChecked() && d.optSort[1]->isEnabled());

    d.chkSaveFiltered->click();
    d.chkTestInclude->click();
    d.optSort[1]->click();
    d.cmdOk->click();
    EXPECT_FALSE(run.bLoadSaveWindow_Cancel);
    EXPECT_EQ(s.Save_FilteredContent, 1);
    EXPECT_EQ(s.Save_TestInclude, 0);
    EXPECT_EQ(s.Save_Sort, 1);
    EXPECT_EQ(s.Save_SortMode, -1);
}

TEST_F(SaveOptionsDialog, WithoutFiltersTheirOptionsAreClearedDisabledAndStoreZero) {
    s.Save_TestInclude = 1;
    s.Save_FilteredContent = 1;
    frmSave d(s, false, false, run, app);
    EXPECT_FALSE(d.chkTestInclude->isChecked());
    EXPECT_FALSE(d.chkTestInclude->isEnabled());
    EXPECT_FALSE(d.chkSaveFiltered->isChecked());
    EXPECT_FALSE(d.chkSaveFiltered->isEnabled());
    d.cmdOk->click();
    EXPECT_EQ(s.Save_TestInclude, 0);
    EXPECT_EQ(s.Save_FilteredContent, 0);
}

TEST_F(SaveOptionsDialog, WordDocumentCannotBeSorted) {
    s.Load_ChkAdvancedFilter = 1;
    s.Save_Sort = 1;
    s.Save_SortMode = -1;
    frmSave d(s, true, false, run, app);
    EXPECT_FALSE(d.chkSort->isChecked());
    EXPECT_FALSE(d.chkSort->isEnabled());
    EXPECT_FALSE(d.optSort[0]->isEnabled());
    EXPECT_FALSE(d.optSort[1]->isEnabled());
    EXPECT_TRUE(d.chkSaveFiltered->isEnabled());
    d.cmdOk->click();
    EXPECT_EQ(s.Save_Sort, 0);
}

TEST_F(SaveOptionsDialog, SortBoxEnablesTheDirectionWithoutChangingIt) {
    s.Save_Sort = 0;
    s.Save_SortMode = -1;
    frmSave d(s, false, false, run, app);
    EXPECT_TRUE(d.optSort[1]->isChecked());
    EXPECT_FALSE(d.optSort[1]->isEnabled());
    d.chkSort->click();
    EXPECT_TRUE(d.optSort[0]->isEnabled());
    EXPECT_TRUE(d.optSort[1]->isEnabled());
    EXPECT_TRUE(d.optSort[1]->isChecked());
    d.chkSort->click();
    EXPECT_FALSE(d.optSort[0]->isEnabled());
    EXPECT_TRUE(d.optSort[1]->isChecked());
}

TEST_F(SaveOptionsDialog, CancelEscAndTheCloseBoxCancelAndStoreNothing) {
    s.Load_chkExclude = 1;
    s.Save_TestInclude = 1;
    s.Save_Sort = 1;
    s.Save_SortMode = -1;
    const SettingsValues before = s;
    for (int way = 0; way < 3; ++way) {
        run.bLoadSaveWindow_Cancel = false;
        frmSave d(s, false, false, run, app);
        d.show();
        d.chkTestInclude->click();
        d.chkSort->click();
        if (way == 0) d.cmdCancel->click();
        if (way == 1) QTest::keyClick(&d, Qt::Key_Escape);
        if (way == 2) d.close();
        EXPECT_FALSE(d.isVisible()) << way;
        EXPECT_TRUE(run.bLoadSaveWindow_Cancel) << way;
        EXPECT_EQ(s.Save_TestInclude, before.Save_TestInclude) << way;
        EXPECT_EQ(s.Save_Sort, before.Save_Sort) << way;
        EXPECT_EQ(s.Save_SortMode, before.Save_SortMode) << way;
    }
}

TEST_F(SaveOptionsDialog, HelpIconsCarryTheirBalloons) {
    app.sAppName = "Twinsift";
    frmSave d(s, false, false, run, app);
    const QString titles[3] = {QStringLiteral("Save pre-processed content instead of original"),
                               QStringLiteral("Sort lines"), QStringLiteral("Apply include filter when saving")};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(d.picTooltip[i], nullptr);
        EXPECT_EQ(d.picTooltip[i]->title(), titles[i]);
        EXPECT_EQ(d.picTooltip[i]->tooltip().delayMs(), 200);
        EXPECT_EQ(d.picTooltip[i]->tooltip().durationMs(), 30000);
    }
    EXPECT_TRUE(d.picTooltip[0]->text().startsWith(
        QStringLiteral("When loading, the optional 'pre-processing filter' can modify each line before it is loaded "
                       "into Twinsift and compared against other lines.")));
    EXPECT_EQ(d.picTooltip[1]->text(),
              QStringLiteral("Enable this to sort the lines alphabetically before saving, either ascending (a-z) or "
                             "descending (z-a). Only available for text files (ie not Word or Excel files)."));
    EXPECT_TRUE(d.picTooltip[2]->text().contains(QStringLiteral("when saiving too")));
    EXPECT_TRUE(d.picTooltip[2]->text().endsWith(QStringLiteral("this option is no available.")));
    // Each icon sits on the line of the option it explains.
    const QCheckBox* beside[3] = {d.chkSaveFiltered, d.chkSort, d.chkTestInclude};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(d.picTooltip[i]->geometry().center().y(), beside[i]->geometry().center().y(), 1) << i;
}

} // namespace
} // namespace twinsift
