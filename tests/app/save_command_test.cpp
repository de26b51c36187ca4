// Save As from the window: every question on the way, the options and
// file-selection dialogs acted in as a user would, the button states and
// texts, and the exact bytes of what is written.

#include "app/ui/qt_command_port.h"
#include "app_fixture.h"
#include "../office/office_fixture.h"
#include "office/mod_office.h"
#include "results/selection.h"
#include "results/ui/frm_save_selection.h"
#include "save/ui/frm_save.h"
#include "scan/office_lines.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QTableView>
#include <gtest/gtest.h>

#include <filesystem>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

const std::string kHint = "\r\n\r\n(You can disable this warning in the settings.)";

struct SaveFromWindow : test::AppFixture {
    void SetUp() override {
        start();
        settings.bShowMsgAddFiles = false;
        showWindow();
    }
    std::string open(const std::string& name, const std::string& content) {
        const std::string path = files.write(name, content);
        dialogs.opens.push_back(path);
        EXPECT_TRUE(app->dispatch(AppCommand::Open));
        EXPECT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
        boxes.calls.clear(); // only what the save asks counts here
        return path;
    }
    void save() { child<QToolButton>("cmdSave")->click(); }
    QString status() { return window().panelText(QStringLiteral("status")); }
    std::vector<std::string> boxIds() const {
        std::vector<std::string> ids;
        for (const auto& c : boxes.calls) ids.push_back(c.id);
        return ids;
    }
    // The options dialog, acted in as a user would before pressing a button.
    void optionsDialog(std::function<void(frmSave&)> act, bool ok = true) {
        windows.onSaveOptions = [this, act, ok] {
            frmSave dialog(settings, document.bDocIsWord, document.bDocIsExcel, run, identity, &window());
            if (act) act(dialog);
            (ok ? dialog.cmdOk : dialog.cmdCancel)->click();
            return !run.bLoadSaveWindow_Cancel;
        };
    }
    void expectIdleButtons() {
        EXPECT_TRUE(child<QToolButton>("cmdScan")->isVisibleTo(&window()));
        EXPECT_FALSE(child<QToolButton>("cmdStop")->isVisibleTo(&window()));
        EXPECT_TRUE(child<QToolButton>("cmdSave")->isEnabled());
        EXPECT_TRUE(child<QToolButton>("cmdSettings")->isEnabled());
        EXPECT_FALSE(run.bBusy);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
};

const std::string kThreeGroups = "a\r\nb\r\na\r\nc\r\nb\r\na\r\nc\r\nc\r\nlast\r\n";

TEST_F(SaveFromWindow, AllButFirstThenSaveAsKeepsFirstOfEachGroupAndEveryOtherLine) {
    const std::string source = open("groups.txt", kThreeGroups);
    app->selection().mnuSelAllButFirst_Click();
    const std::string target = (files.path() / "clean.txt").string();
    dialogs.saves.push_back(target);
    optionsDialog(nullptr);
    const std::int32_t deletedBefore = settings.statDupsDeleted;

    save();
    EXPECT_EQ(test::readFile(target), "a\r\nb\r\nc\r\nlast\r\n");
    EXPECT_EQ(test::readFile(source), kThreeGroups);
    EXPECT_FALSE(fs::exists(target + ".twinsifttemp"));
    EXPECT_EQ(status(), QStringLiteral("Finished saving!"));
    EXPECT_EQ(settings.statDupsDeleted, deletedBefore + 5);
    EXPECT_FALSE(settings.bShowQuickstartLink);
    EXPECT_EQ(settings.lastSavedFile, target);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(windows.saveOptions, 1);
    EXPECT_EQ(windows.saveSelection, 0); // one file: nothing to choose

    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const FileDialogRequest& r = dialogs.saveRequests[0];
    EXPECT_EQ(r.filter, "All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
    EXPECT_EQ(r.initialFile, source); // Open proposes the opened file
    EXPECT_EQ(r.defaultExt, "txt");
    EXPECT_TRUE(r.overwritePrompt);
    expectIdleButtons();
    EXPECT_TRUE(child<QToolButton>("cmdSelect")->isEnabled());
    EXPECT_EQ(window().dupView()->model()->rowCount(), 8); // text documents stay loaded
}

TEST_F(SaveFromWindow, OptionsDialogChoicesAreStoredAndSortTheOutput) {
    open("groups.txt", kThreeGroups);
    app->selection().mnuSelAllButFirst_Click();
    const std::string target = (files.path() / "sorted.txt").string();
    dialogs.saves.push_back(target);
    optionsDialog([](frmSave& d) {
        EXPECT_FALSE(d.chkTestInclude->isEnabled()); // no include filter when loading
        EXPECT_FALSE(d.optSort[1]->isEnabled());
        d.chkSort->click();
        EXPECT_TRUE(d.optSort[1]->isEnabled());
        d.optSort[1]->click();
    });
    save();
    EXPECT_EQ(test::readFile(target), "last\r\nc\r\nb\r\na\r\n");
    EXPECT_EQ(settings.Save_Sort, 1);
    EXPECT_EQ(settings.Save_SortMode, -1);
    EXPECT_EQ(status(), QStringLiteral("Finished saving!"));
}

TEST_F(SaveFromWindow, CancelPointsBeforeWritingLeaveEverythingAsItWas) {
    open("groups.txt", kThreeGroups);
    const std::string target = files.write("keep.txt", "old\r\n");
    const std::string lastSaved = settings.lastSavedFile;
    const QString scanned = status();

    // Nothing selected: the warning, with its title; No stops.
    boxes.answer(std::string(msgid::kSaveNothingSelected), MsgResult::No);
    save();
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text,
              "You have not selected any duplicates! \r\n\r\nAre you sure you want to continue saving? No duplicate "
              "lines will be removed...\r\n\r\n(You can disable this warning in the settings.)");
    EXPECT_EQ(boxes.calls[0].title, "Continue Saving?");
    EXPECT_EQ(boxes.calls[0].icon, MsgIcon::Warning);
    EXPECT_EQ(boxes.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(dialogs.saveRequests.empty());

    // The file dialog cancelled.
    app->selection().mnuSelAll_Click();
    save();
    EXPECT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(windows.saveOptions, 0);

    // The options dialog cancelled, and closed by its close box.
    dialogs.saves.push_back(target);
    optionsDialog(nullptr, false);
    save();
    windows.onSaveOptions = [this] {
        frmSave dialog(settings, false, false, run, identity, &window());
        dialog.show();
        dialog.close();
        return !run.bLoadSaveWindow_Cancel;
    };
    dialogs.saves.push_back(target);
    save();
    EXPECT_EQ(windows.saveOptions, 2);
    EXPECT_EQ(test::readFile(target), "old\r\n");
    EXPECT_EQ(settings.lastSavedFile, lastSaved);
    EXPECT_EQ(status(), scanned);
    expectIdleButtons();
}

TEST_F(SaveFromWindow, MissingOrChangedSourceIsReportedAndNothingIsAsked) {
    const std::string source = open("groups.txt", kThreeGroups);
    app->selection().mnuSelAll_Click();

    const auto stamp = fs::last_write_time(source);
    fs::last_write_time(source, stamp + std::chrono::seconds(5));
    save();
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].id, msgid::kSaveSourceChanged);
    EXPECT_EQ(boxes.calls[0].text, "A source file has been changed! Save cancelled...");
    EXPECT_EQ(boxes.calls[0].icon, MsgIcon::Error);

    fs::remove(source);
    save();
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[1].text, "Can't find source file: " + source);
    EXPECT_TRUE(dialogs.saveRequests.empty());
    expectIdleButtons();
}

TEST_F(SaveFromWindow, WriteProtectedTargetIsReplacedOnlyAfterYes) {
    open("groups.txt", kThreeGroups);
    app->selection().mnuSelAllButLast_Click();
    const std::string target = files.write("locked.txt", "locked\r\n");
    fs::permissions(target, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::string id(msgid::kSaveWriteProtected);

    boxes.answer(id, MsgResult::No);
    dialogs.saves.push_back(target);
    save();
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "The selected file is write protected. Do you to remove the write protection and "
                                   "continue saving?" + kHint);
    EXPECT_EQ(boxes.calls[0].icon, MsgIcon::Warning);
    EXPECT_EQ(status(), QStringLiteral("Save cancelled..."));
    EXPECT_EQ(test::readFile(target), "locked\r\n");
    EXPECT_EQ(windows.saveOptions, 0);

    boxes.answer(id, MsgResult::Yes);
    dialogs.saves.push_back(target);
    save();
    EXPECT_EQ(status(), QStringLiteral("Finished saving!"));
    // All but last: the last line of each group stays.
    EXPECT_EQ(test::readFile(target), "b\r\na\r\nc\r\nlast\r\n");
    EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);
    expectIdleButtons();
}

TEST_F(SaveFromWindow, UnixFileWarnsAndIsWrittenWithCrLf) {
    open("unix.txt", "x\ny\nx\n");
    app->selection().mnuSelAllButFirst_Click();
    const std::string target = (files.path() / "dos.txt").string();
    dialogs.saves.push_back(target);
    save();
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].id, msgid::kSaveUnix);
    EXPECT_EQ(boxes.calls[0].text, "The open file appears to be in Unix/MacOSX text format. When you save it, it "
                                   "will be converted into Dos/Windows text format." + kHint);
    EXPECT_EQ(test::readFile(target), "x\r\ny\r\n");
}

TEST_F(SaveFromWindow, MultibyteFileWarnsBeforeTheTargetIsAsked) {
    // UTF-16 little-endian "q", "q" with its byte-order mark.
    settings.bShowMsgNoDups = false;
    open("wide.txt", std::string("\xFF\xFEq\0\r\0\n\0q\0\r\0\n\0", 14));
    app->selection().mnuSelAllButFirst_Click();
    save(); // the file dialog is cancelled
    ASSERT_FALSE(boxes.calls.empty());
    EXPECT_EQ(boxes.calls[0].id, msgid::kSaveMultibyte);
    EXPECT_EQ(boxes.calls[0].text,
              "One or more open file(s) appears to be in multibyte text format (UTF-16/UTF-32). Twinsift does not "
              "fully support this format. When saving, non-western charactes may get corrupted. You should verify "
              "saved files to make sure they are saved correctly." + kHint);
    EXPECT_EQ(dialogs.saveRequests.size(), 1u);
}

TEST_F(SaveFromWindow, SaveSelectionDialogChoosesWhichFilesAreMerged) {
    const std::string one = files.write("one.txt", "a\r\nb\r\n");
    const std::string two = files.write("two.txt", "a\r\nc\r\n");
    app->onFilesDropped({one, two});
    // The drop opens its files once the drop itself has been answered.
    QDeadlineTimer deadline(10000);
    while (document.fileCount() != 2 && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(document.fileCount(), 2u);
    boxes.calls.clear();
    app->selection().mnuSelAllButFirst_Click(); // removes line 3, the "a" of two.txt
    const std::string target = (files.path() / "merged.txt").string();

    // Cancel: the flags stay and nothing is asked further.
    windows.onSaveSelection = [this] {
        frmSaveSelection dialog(document, false, &window());
        EXPECT_EQ(dialog.lstFiles->count(), 2);
        EXPECT_TRUE(dialog.lstFiles->item(0)->isSelected());
        EXPECT_FALSE(dialog.lstFiles->item(1)->isSelected());
        dialog.lstFiles->item(1)->setSelected(true);
        dialog.cmdCancel->click();
        return !dialog.bSaveSelectionCancel();
    };
    save();
    EXPECT_EQ(document.bSourceSave, (std::vector<char>{1, 0}));
    EXPECT_TRUE(dialogs.saveRequests.empty());
    expectIdleButtons();

    // The close box: the flags stay and the save goes on with the first file.
    windows.onSaveSelection = [this] {
        frmSaveSelection dialog(document, false, &window());
        dialog.show();
        dialog.lstFiles->item(1)->setSelected(true);
        dialog.close();
        return !dialog.bSaveSelectionCancel();
    };
    dialogs.saves.push_back(target);
    save();
    EXPECT_EQ(test::readFile(target), "a\r\nb\r\n");

    // Ok with both chosen: one file, the files in loading order.
    windows.onSaveSelection = [this] {
        frmSaveSelection dialog(document, false, &window());
        dialog.lstFiles->item(1)->setSelected(true);
        dialog.cmdOk->click();
        return !dialog.bSaveSelectionCancel();
    };
    dialogs.saves.push_back(target);
    save();
    EXPECT_EQ(document.bSourceSave, (std::vector<char>{1, 1}));
    EXPECT_EQ(test::readFile(target), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(status(), QStringLiteral("Finished saving!"));
}

struct AbortFromWindow : SaveFromWindow {
    std::string source, target;
    void SetUp() override {
        SaveFromWindow::SetUp();
        std::string text;
        for (int i = 0; i < 120; ++i) text += "line " + std::to_string(i % 60) + "\r\n";
        source = open("long.txt", text);
        app->selection().mnuSelAllButFirst_Click();
        target = files.write("target.txt", "untouched\r\n");
        dialogs.saves.push_back(target);
        // Cancel is pressed as soon as it shows, while the save runs; every
        // batch lets events through, however quick the save.
        dynamic_cast<QtCommandPort&>(app->port()).setPumpInterval(0);
        windows.onSaveOptions = [this] {
            pressCancelWhenShown();
            return true;
        };
    }
    void pressCancelWhenShown() {
        QTimer::singleShot(0, &window(), [this] {
            QToolButton* stop = child<QToolButton>("cmdStop");
            if (stop->isVisibleTo(&window()) && stop->isEnabled()) {
                EXPECT_FALSE(child<QToolButton>("cmdSave")->isEnabled());
                EXPECT_FALSE(child<QToolButton>("cmdSelect")->isEnabled());
                stop->click();
            } else {
                pressCancelWhenShown();
            }
        });
    }
};

TEST_F(AbortFromWindow, YesAbandonsTheSaveAndLeavesTheTarget) {
    boxes.answer(std::string(msgid::kSaveAbort), MsgResult::Yes);
    save();
    ASSERT_EQ(boxIds(), (std::vector<std::string>{std::string(msgid::kSaveAbort)}));
    EXPECT_EQ(boxes.calls[0].text, "Are you sure you want to abort saving?");
    EXPECT_EQ(boxes.calls[0].icon, MsgIcon::Question);
    EXPECT_EQ(status(), QStringLiteral("Save cancelled..."));
    EXPECT_EQ(test::readFile(target), "untouched\r\n");
    EXPECT_FALSE(fs::exists(target + ".twinsifttemp"));
    expectIdleButtons();
}

TEST_F(AbortFromWindow, NoGoesOnSaving) {
    boxes.answer(std::string(msgid::kSaveAbort), MsgResult::No);
    save();
    EXPECT_EQ(boxIds(), (std::vector<std::string>{std::string(msgid::kSaveAbort)}));
    EXPECT_EQ(status(), QStringLiteral("Finished saving!"));
    std::string expected;
    for (int i = 0; i < 60; ++i) expected += "line " + std::to_string(i) + "\r\n";
    EXPECT_EQ(test::readFile(target), expected);
    EXPECT_FALSE(run.bCancelRequested);
}

// Word and Excel documents stay open in the adapter from Open to Save As.
struct OfficeSaveFromWindow : ::testing::Test {
    test::TempDir programDir, files;
    MemorySettingsStore store;
    SettingsPersistence persistence{store, programDir.path()};
    SettingsValues settings = SettingsValues::Defaults();
    LoadedDocument document;
    RunState run;
    AppIdentity identity;
    test::ScriptedBoxes boxes;
    test::ScriptedFiles dialogs;
    test::ScriptedWindows windows;
    test::RecordingDesktop desktop;
    std::unique_ptr<modOffice> office;
    std::unique_ptr<OfficeReaderSource> officeLines;
    std::unique_ptr<TwinsiftApp> app;

    void SetUp() override {
        persistence.LoadSettings(settings);
        settings.bShowMsgAddFiles = false;
        office = std::make_unique<modOffice>(settings);
        officeLines = std::make_unique<OfficeReaderSource>(*office, settings);
        app = std::make_unique<TwinsiftApp>(
            AppContext{settings, document, run, identity, &persistence, office.get(), officeLines.get(), {},
                       programDir.path()},
            AppServices{boxes, dialogs, windows, desktop});
        app->window().show();
        QApplication::processEvents();
    }
    void TearDown() override {
        app.reset();
    }
    void openAndSave(const std::string& source, const std::string& target) {
        dialogs.opens.push_back(source);
        ASSERT_TRUE(app->dispatch(AppCommand::Open));
        ASSERT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
        app->selection().mnuSelAllButFirst_Click();
        dialogs.saves.push_back(target);
        app->window().findChild<QToolButton*>(QStringLiteral("cmdSave"))->click();
    }
    void expectDocumentClosed() {
        frmMain& w = app->window();
        EXPECT_EQ(w.panelText(QStringLiteral("status")), QStringLiteral("Finished saving!"));
        EXPECT_EQ(w.panelText(QStringLiteral("selected")), QStringLiteral("Document Closed"));
        EXPECT_TRUE(w.panelText(QStringLiteral("line")).isEmpty());
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Twinsift 6.16"));
        EXPECT_EQ(w.showView()->model()->rowCount(), 0);
        EXPECT_EQ(w.dupView()->model()->rowCount(), 0);
        EXPECT_FALSE(w.findChild<QToolButton*>(QStringLiteral("cmdSave"))->isEnabled());
        EXPECT_FALSE(w.findChild<QToolButton*>(QStringLiteral("cmdSelect"))->isEnabled());
        EXPECT_FALSE(w.findChild<QToolButton*>(QStringLiteral("cmdShowCopySave"))->isEnabled());
        EXPECT_TRUE(w.findChild<QToolButton*>(QStringLiteral("cmdScan"))->isEnabled());
        // No pre-processing when loading: the options dialog is skipped.
        EXPECT_EQ(windows.saveOptions, 0);
    }
};

std::string para(const std::string& t) { return "<w:p><w:r><w:t>" + t + "</w:t></w:r></w:p>"; }

TEST_F(OfficeSaveFromWindow, WordDocumentIsSavedWithoutTheSelectedLinesAndThenClosed) {
    const std::string source =
        test::writeDocx((files.path() / "list.docx").string(), para("red") + para("blue") + para("red") + para("green"));
    const std::string target = (files.path() / "clean.docx").string();
    openAndSave(source, target);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].filter,
              "Word Documents (*.doc,*.docx,*.rtf,*.docm,*.dotx,*.dotm,*.odt)|*.doc;*.docx;*.rtf;*.docm;*.dotx;"
              "*.dotm;*.odt|All Files (*.*)|*.*");
    expectDocumentClosed();
    EXPECT_FALSE(office->bWordOpen);
    modOffice reader(settings);
    EXPECT_EQ(test::readWordLines(reader, target), (std::vector<std::string>{"red", "blue", "green"}));
}

TEST_F(OfficeSaveFromWindow, ExcelColumnIsSavedWithoutTheSelectedRowsAndThenClosed) {
    auto row = [](int r, const std::string& t) {
        return "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\" t=\"inlineStr\"><is><t>" +
               t + "</t></is></c></row>";
    };
    const std::string source = test::writeXlsx((files.path() / "list.xlsx").string(),
                                               row(1, "x") + row(2, "y") + row(3, "x") + row(4, "x"));
    const std::string target = (files.path() / "clean.xlsx").string();
    openAndSave(source, target);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].filter,
              "Excel Workbooks (*.xls,*.xlsx,*.ods,*.xlsm,*.xltx,*.xltm,*.xlsb,*.xlt)|*.xls;*.xlsx;*.ods;*.xlsm;"
              "*.xltx;*.xltm;*.xlsb;*.xlt|All Files (*.*)|*.*");
    expectDocumentClosed();
    modOffice reader(settings);
    EXPECT_EQ(test::readExcelRows(reader, target, 1, 1), (std::vector<std::string>{"x", "y"}));
}

} // namespace
} // namespace twinsift
