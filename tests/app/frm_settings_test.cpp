#include "app/ui/frm_settings.h"
#include "platform/app_identity.h"
#include "platform/ui/c_tooltip.h"
#include "settings/settings_values.h"
#include "support/scripted_boxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace twinsift {
namespace {

// Every setting as text, to prove that nothing at all changed.
std::string snapshot(SettingsValues& s) {
    std::ostringstream out;
    forEachSetting(s, [&](std::string_view key, SettingType, auto& value) { out << key << '=' << value << ';'; });
    return out.str();
}

struct SettingsDialogTest : ::testing::Test {
    SettingsValues settings = SettingsValues::Defaults();
    std::int16_t iSettingsTab = 1;
    AppIdentity app;
    test::ScriptedBoxes boxes;

    std::unique_ptr<frmSettings> open() {
        auto dlg = std::make_unique<frmSettings>(settings, iSettingsTab, app, boxes);
        dlg->show();
        return dlg;
    }
};

TEST_F(SettingsDialogTest, ShowsTheDesignCaptionsAndTheStoredValues) {
    settings.listviewPreviewCutoff = 1234;
    settings.preserveMemory = 1;
    settings.iDisplayColors = 0;
    settings.bShowMsgUnix = false;
    auto dlg = open();

    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Twinsift Settings"));
    EXPECT_EQ(dlg->objectName(), QStringLiteral("frmSettings"));
    EXPECT_EQ(dlg->TabStrip->tabText(0), QStringLiteral("Settings"));
    EXPECT_EQ(dlg->TabStrip->tabText(1), QStringLiteral("Warning Messages"));
    EXPECT_EQ(dlg->frmMisc->title(), QStringLiteral("Settings"));
    EXPECT_EQ(dlg->frmMessages->title(), QStringLiteral("Warning Messages"));
    EXPECT_EQ(dlg->chkShowMsgAddFiles->text(), QStringLiteral("Enable support for multiple files"));
    EXPECT_EQ(dlg->chkPreserveMemory->text(), QStringLiteral("Reduce memory consumption"));
    EXPECT_EQ(dlg->chkEnableColors->text(), QStringLiteral("Display duplicates in colors"));
    EXPECT_EQ(dlg->lblLwCutoff->text(), QStringLiteral("No display if more than"));
    EXPECT_EQ(dlg->lblLines->text(), QStringLiteral("lines"));
    EXPECT_EQ(dlg->chkShowMsgNoDups->text(), QStringLiteral("Warn if no duplicates are selected when saving."));
    EXPECT_EQ(dlg->chkShowMsgUnix->text(), QStringLiteral("Warn if saving unix format textfile."));
    EXPECT_EQ(dlg->chkShowMsgWriteProtected->text(), QStringLiteral("Warn if saving to write protected file."));
    EXPECT_EQ(dlg->chkShowMsgMultibyte->text(), QStringLiteral("Warn if saving multibyte textfiles (utf-16/utf-32)"));
    EXPECT_EQ(dlg->cmdOk->text(), QStringLiteral("Ok"));
    EXPECT_EQ(dlg->cmdCancel->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(dlg->cmdOk->isDefault());

    EXPECT_EQ(dlg->txtLwCutoff->text(), QStringLiteral("1234"));
    EXPECT_TRUE(dlg->chkPreserveMemory->isChecked());
    EXPECT_FALSE(dlg->chkEnableColors->isChecked());
    EXPECT_FALSE(dlg->chkShowMsgAddFiles->isChecked());
    EXPECT_FALSE(dlg->chkShowMsgUnix->isChecked());
    EXPECT_TRUE(dlg->chkShowMsgNoDups->isChecked());
    EXPECT_TRUE(dlg->chkShowMsgWriteProtected->isChecked());
    EXPECT_TRUE(dlg->chkShowMsgMultibyte->isChecked());

    // Screen readers get a name for every control.
    for (QWidget* w : dlg->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_EQ(dlg->txtLwCutoff->objectName(), QStringLiteral("txtLwCutoff"));
    EXPECT_EQ(dlg->picTooltip[3]->objectName(), QStringLiteral("picTooltip3"));
}

TEST_F(SettingsDialogTest, HelpIconsCarryTheirTitlesAndTextsWithTheProgramName) {
    app.sAppName = "Sifter";
    auto dlg = open();
    EXPECT_EQ(dlg->picTooltip[0]->title(), QStringLiteral("Enable support for multiple files"));
    EXPECT_TRUE(dlg->picTooltip[0]->text().startsWith(QStringLiteral("Sifter can load and process several files")));
    EXPECT_TRUE(dlg->picTooltip[0]->text().contains(QStringLiteral("in the same order as they where opened")));
    EXPECT_EQ(dlg->picTooltip[1]->title(), QStringLiteral("No visual display if more than x lines"));
    EXPECT_TRUE(dlg->picTooltip[1]->text().contains(QStringLiteral("set a limit where Sifter should stop displaying")));
    EXPECT_TRUE(dlg->picTooltip[1]->text().endsWith(QStringLiteral("(0 to disable)")));
    EXPECT_EQ(dlg->picTooltip[2]->title(), QStringLiteral("Reduce memory consumption"));
    EXPECT_TRUE(dlg->picTooltip[2]->text().contains(QStringLiteral("reduce the memory consumtion a little bit.")));
    EXPECT_EQ(dlg->picTooltip[3]->title(), QStringLiteral("Display duplicates in color"));
    EXPECT_EQ(dlg->picTooltip[3]->text(),
              QStringLiteral("This options makes is easier to distinguish duplicates from non-duplicates, as well as "
                             "various duplicate groups."));
    EXPECT_EQ(dlg->picTooltip[3]->accessibleName(), dlg->picTooltip[3]->title());
    EXPECT_EQ(dlg->picTooltip[3]->accessibleDescription(), dlg->picTooltip[3]->text());
    EXPECT_EQ(dlg->picTooltip[0]->size(), QSize(15, 15));
    // Each icon sits beside its option.
    EXPECT_NEAR(dlg->picTooltip[1]->geometry().center().y(), dlg->txtLwCutoff->geometry().center().y(), 4);
    EXPECT_NEAR(dlg->picTooltip[2]->geometry().center().y(), dlg->chkPreserveMemory->geometry().center().y(), 4);
}

TEST_F(SettingsDialogTest, TheBalloonComesUpOnlyAfterThePointerRests) {
    auto dlg = open();
    HelpIcon* icon = dlg->picTooltip[2];
    EXPECT_EQ(icon->tooltip().delayMs(), 200);
    EXPECT_EQ(icon->tooltip().durationMs(), 30000);
    QToolTip::hideText();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(icon, &enter);
    EXPECT_FALSE(QToolTip::isVisible());
    QTRY_VERIFY(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), icon->tooltip().balloonText());
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("<b>Reduce memory consumption</b>")));
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral(":/pictures/info.png")));
    QToolTip::hideText();
}

TEST_F(SettingsDialogTest, OkStoresEveryControl) {
    auto dlg = open();
    dlg->chkPreserveMemory->setChecked(true);
    dlg->chkEnableColors->setChecked(false);
    dlg->chkShowMsgAddFiles->setChecked(true);
    dlg->chkShowMsgNoDups->setChecked(false);
    dlg->chkShowMsgMultibyte->setChecked(false);
    dlg->chkShowMsgUnix->setChecked(false);
    dlg->chkShowMsgWriteProtected->setChecked(false);
    dlg->txtLwCutoff->setText(QStringLiteral("500"));
    dlg->cmdOk->click();

    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(settings.preserveMemory, 1);
    EXPECT_EQ(settings.iDisplayColors, 0);
    EXPECT_TRUE(settings.bShowMsgAddFiles);
    EXPECT_FALSE(settings.bShowMsgNoDups);
    EXPECT_FALSE(settings.bShowMsgMultibyte);
    EXPECT_FALSE(settings.bShowMsgUnix);
    EXPECT_FALSE(settings.bShowMsgWriteProtected);
    EXPECT_EQ(settings.listviewPreviewCutoff, 500);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(SettingsDialogTest, TheTabIsRememberedByOkAndCancelButNotByTheCloseBox) {
    {
        auto dlg = open();
        EXPECT_TRUE(dlg->frmMisc->isVisible());
        EXPECT_FALSE(dlg->frmMessages->isVisible());
        QTest::mouseClick(dlg->TabStrip->tabBar(), Qt::LeftButton, {},
                          dlg->TabStrip->tabBar()->tabRect(1).center());
        EXPECT_FALSE(dlg->frmMisc->isVisible());
        EXPECT_TRUE(dlg->frmMessages->isVisible());
        dlg->cmdCancel->click();
    }
    EXPECT_EQ(iSettingsTab, 2);
    {
        auto dlg = open();
        EXPECT_EQ(dlg->TabStrip->currentIndex(), 1);
        EXPECT_TRUE(dlg->frmMessages->isVisible());
        EXPECT_FALSE(dlg->frmMisc->isVisible());
        dlg->TabStrip->setCurrentIndex(0);
        dlg->close();
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
    }
    EXPECT_EQ(iSettingsTab, 2);
    {
        auto dlg = open();
        dlg->TabStrip->setCurrentIndex(0);
        dlg->cmdOk->click();
    }
    EXPECT_EQ(iSettingsTab, 1);
}

TEST_F(SettingsDialogTest, CancelAndTheCloseBoxChangeNoSetting) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        const std::string before = snapshot(settings);
        auto dlg = open();
        for (QCheckBox* box : dlg->findChildren<QCheckBox*>()) box->toggle();
        dlg->txtLwCutoff->setText(QStringLiteral("7"));
        if (way == 0) dlg->cmdCancel->click();
        else if (way == 1) QTest::keyClick(dlg->chkPreserveMemory, Qt::Key_Escape);
        else dlg->close();
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
        EXPECT_EQ(snapshot(settings), before);
    }
}

TEST_F(SettingsDialogTest, TheLineLimitBoxTakesOnlyDigits) {
    auto dlg = open();
    dlg->txtLwCutoff->clear();
    QTest::keyClicks(dlg->txtLwCutoff, QStringLiteral("a1b-2 c.3"));
    EXPECT_EQ(dlg->txtLwCutoff->text(), QStringLiteral("123"));
    QTest::keyClick(dlg->txtLwCutoff, Qt::Key_Backspace);
    EXPECT_EQ(dlg->txtLwCutoff->text(), QStringLiteral("12"));
    // Keys that type nothing still edit.
    QTest::keyClick(dlg->txtLwCutoff, Qt::Key_Home);
    QTest::keyClick(dlg->txtLwCutoff, Qt::Key_Delete);
    EXPECT_EQ(dlg->txtLwCutoff->text(), QStringLiteral("2"));
    // Pasted text is not filtered.
    dlg->txtLwCutoff->insert(QStringLiteral("x"));
    EXPECT_EQ(dlg->txtLwCutoff->text(), QStringLiteral("x2"));
}

TEST_F(SettingsDialogTest, TypingZeroAndEnterTurnsTheLimitOff) {
    auto dlg = open();
    dlg->txtLwCutoff->clear();
    QTest::keyClicks(dlg->txtLwCutoff, QStringLiteral("0"));
    QTest::keyClick(dlg->txtLwCutoff, Qt::Key_Return);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(settings.listviewPreviewCutoff, 0);
}

TEST_F(SettingsDialogTest, AClearedLimitIsRefilledWhenTheBoxLosesTheFocus) {
    settings.listviewPreviewCutoff = 4321;
    auto dlg = open();
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    dlg->txtLwCutoff->setFocus();
    QTRY_VERIFY(dlg->txtLwCutoff->hasFocus());
    dlg->txtLwCutoff->clear();
    dlg->chkEnableColors->setFocus();
    QTRY_VERIFY(dlg->chkEnableColors->hasFocus());
    EXPECT_EQ(dlg->txtLwCutoff->text(), QStringLiteral("4321"));

    // A box that is not empty keeps what it holds.
    dlg->txtLwCutoff->setFocus();
    QTRY_VERIFY(dlg->txtLwCutoff->hasFocus());
    dlg->txtLwCutoff->setText(QStringLiteral("abc"));
    dlg->chkEnableColors->setFocus();
    QTRY_VERIFY(dlg->chkEnableColors->hasFocus());
    EXPECT_EQ(dlg->txtLwCutoff->text(), QStringLiteral("abc"));
}

TEST_F(SettingsDialogTest, ANumberBeyondTheStoredRangeIsRefusedAndNothingIsStored) {
    settings.preserveMemory = 0;
    const std::string before = snapshot(settings);
    auto dlg = open();
    dlg->chkPreserveMemory->setChecked(true);
    dlg->txtLwCutoff->setText(QStringLiteral("2147483648"));
    dlg->cmdOk->click();

    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].id, "settings.cutoff-range");
    EXPECT_EQ(boxes.calls[0].text, "The line limit must be a whole number from 0 to 2147483647.");
    EXPECT_EQ(boxes.calls[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(snapshot(settings), before);

    // The largest value that fits is taken.
    dlg->txtLwCutoff->setText(QStringLiteral("2147483647"));
    dlg->cmdOk->click();
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(settings.listviewPreviewCutoff, 2147483647);
    EXPECT_EQ(settings.preserveMemory, 1);
}

TEST(LineLimitText, TakesTheLeadingNumberRoundedHalvesToEven) {
    EXPECT_EQ(lineLimitFromText("30000"), 30000);
    EXPECT_EQ(lineLimitFromText("  12abc"), 12);
    EXPECT_EQ(lineLimitFromText("abc"), 0);
    EXPECT_EQ(lineLimitFromText(""), 0);
    EXPECT_EQ(lineLimitFromText("2.5"), 2);
    EXPECT_EQ(lineLimitFromText("3.5"), 4);
    EXPECT_EQ(lineLimitFromText(".5"), 0);
    EXPECT_EQ(lineLimitFromText("1.5e2x"), 150);
    EXPECT_EQ(lineLimitFromText("7e"), 7);
    EXPECT_EQ(lineLimitFromText("+8"), 8);
    EXPECT_EQ(lineLimitFromText("-0.4"), 0);
    EXPECT_EQ(lineLimitFromText("2147483647.4"), 2147483647);
    EXPECT_EQ(lineLimitFromText("2147483647.5"), std::nullopt);
    EXPECT_EQ(lineLimitFromText("99999999999999999999"), std::nullopt);
    EXPECT_EQ(lineLimitFromText("1e400"), std::nullopt);
    EXPECT_EQ(lineLimitFromText("-1"), std::nullopt);
}

TEST_F(SettingsDialogTest, MultipleFilesOpensUncheckedWhenOffAndOkTurnsItOn) {
    settings.bShowMsgAddFiles = false;
    auto dlg = open();
    EXPECT_FALSE(dlg->chkShowMsgAddFiles->isChecked());
    QTest::mouseClick(dlg->chkShowMsgAddFiles, Qt::LeftButton);
    EXPECT_TRUE(dlg->chkShowMsgAddFiles->isChecked());
    dlg->cmdOk->click();
    EXPECT_TRUE(settings.bShowMsgAddFiles);
}

TEST_F(SettingsDialogTest, F1IsSwallowed) {
    QWidget mainWindow;
    int helpOpened = 0;
    QShortcut help(QKeySequence(Qt::Key_F1), &mainWindow);
    help.setContext(Qt::ApplicationShortcut);
    QObject::connect(&help, &QShortcut::activated, [&] { ++helpOpened; });
    mainWindow.show();
    QApplication::setActiveWindow(&mainWindow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
    QTest::keyClick(&mainWindow, Qt::Key_F1);
    ASSERT_EQ(helpOpened, 1); // the program's help key works outside the dialog

    auto dlg = open();
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QTest::keyClick(dlg->txtLwCutoff, Qt::Key_F1);
    QTest::keyClick(dlg->chkPreserveMemory, Qt::Key_F1);
    QTest::keyClick(dlg.get(), Qt::Key_F1);
    EXPECT_EQ(helpOpened, 1);
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(SettingsDialogTest, NoCaptionIsCutShortAndEveryControlFitsItsFrame) {
    auto dlg = open();
    for (QWidget* w : {static_cast<QWidget*>(dlg->chkShowMsgAddFiles), static_cast<QWidget*>(dlg->chkPreserveMemory),
                       static_cast<QWidget*>(dlg->chkEnableColors), static_cast<QWidget*>(dlg->lblLwCutoff),
                       static_cast<QWidget*>(dlg->lblLines), static_cast<QWidget*>(dlg->chkShowMsgNoDups),
                       static_cast<QWidget*>(dlg->chkShowMsgUnix), static_cast<QWidget*>(dlg->chkShowMsgWriteProtected),
                       static_cast<QWidget*>(dlg->chkShowMsgMultibyte), static_cast<QWidget*>(dlg->cmdOk),
                       static_cast<QWidget*>(dlg->cmdCancel)}) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_GE(w->width(), w->sizeHint().width());
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()));
    }
    EXPECT_LT(dlg->lblLwCutoff->geometry().right(), dlg->txtLwCutoff->x());
    EXPECT_LT(dlg->txtLwCutoff->geometry().right(), dlg->lblLines->x());
    EXPECT_TRUE(dlg->TabStrip->geometry().contains(dlg->frmMisc->geometry()));
    EXPECT_GT(dlg->frmMisc->y(), dlg->TabStrip->y() + dlg->TabStrip->tabBar()->height() - 1);
    EXPECT_GT(dlg->cmdOk->y(), dlg->TabStrip->geometry().bottom());
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());
}

} // namespace
} // namespace twinsift
