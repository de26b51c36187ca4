// The frame of the program as a user meets it: the first start, the title,
// debug mode, the start-up file, the help key, the selection keys, the close
// and what it stores.
#include "app/ui/frm_quickstart.h"
#include "app_fixture.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QTableView>

#include <fstream>
#include <vector>

namespace twinsift {
namespace {

struct Shell : test::AppFixture {
    std::vector<std::string> order; // what happened, in order

    void SetUp() override {
        windows.onQuickstart = [this] { order.push_back("quickstart"); };
        windows.onLoadOptions = [this] {
            order.push_back("open");
            return true;
        };
    }
    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        // Keys reach the window whichever control has the focus.
        QTest::keyClick(child<QTableView>("lwShow"), static_cast<Qt::Key>(key), mods);
        QApplication::processEvents();
    }
    std::string stored(const char* key) {
        const auto it = store.values.find({"quorvane", "twinsift", QString::fromLatin1(key).toLower().toStdString()});
        return it == store.values.end() ? "<none>" : it->second;
    }
    void waitUntilIdle() {
        QDeadlineTimer deadline(10000);
        while ((run.bBusy || app->scanDriver().outcome() == ScanOutcome::NoFile) && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

TEST_F(Shell, FirstStartShowsTitleMakerQuickstartAndLink) {
    start();
    EXPECT_TRUE(window().firstActivationPending());
    // The defaults centre a 7800 x 8000 twip window.
    EXPECT_EQ(settings.winWidth, 7800);
    EXPECT_EQ(settings.winHeight, 8000);
    showWindow();
    EXPECT_FALSE(window().firstActivationPending());
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16 - Press F1 for Help"));
    EXPECT_EQ(window().panelText(QStringLiteral("status")),
              QStringLiteral("Twinsift 6.16 by Quorvane - https://quorvane.example/twinsift"));
    EXPECT_EQ(windows.quickstart, 1);
    EXPECT_TRUE(child<QLabel>("lblShowQuickstartHelp")->isVisible());
    EXPECT_EQ(window().minimumSize(), frmMain::minimumClientSize());
    EXPECT_EQ(frmMain::minimumClientSize(), QSize(388, 384));

    // The link shows the quickstart window again.
    QTest::mouseClick(child<QLabel>("lblShowQuickstartHelp"), Qt::LeftButton);
    EXPECT_EQ(windows.quickstart, 2);
}

TEST_F(Shell, LaterStartsFollowTheStoredQuickstartChoices) {
    store.put("Quorvane", "Twinsift", "bShowQuickstartWindow", "False");
    store.put("Quorvane", "Twinsift", "bShowQuickstartLink", "False");
    start();
    showWindow();
    EXPECT_EQ(windows.quickstart, 0);
    EXPECT_FALSE(child<QLabel>("lblShowQuickstartHelp")->isVisible());
}

TEST_F(Shell, DebugModeAnywhereOnTheCommandLineMarksTheTitleAndDropsTheMinimumSize) {
    start("--x DEBUG_MODE y");
    showWindow();
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Twinsift 6.16 Debug Version - Press F1 for Help"));
    window().resize(300, 150); // below the usual 388 x 384
    QApplication::processEvents();
    EXPECT_EQ(window().size(), QSize(300, 150));

    // Letter case counts.
    EXPECT_FALSE(AppIdentity::FromCommandLine("debug_mode").bDebugMode);
}

TEST_F(Shell, StartupFileOpensOnceAfterTheQuickstartWindow) {
    const std::string file = files.write("list.txt", "a\r\nb\r\na\r\n");
    start("  " + file + " ");
    showWindow();
    waitUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"quickstart", "open"}));
    EXPECT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
    EXPECT_EQ(window().panelText(QStringLiteral("status")),
              QStringLiteral("Scanned 3 lines: Found 2 duplicate lines with 1 unique duplicates!"));
    EXPECT_EQ(dialogs.openRequests.size(), 0u) << "the file dialog is not shown";
}

TEST_F(Shell, QuotedPathTwoArgumentsOrAFolderOpenNothing) {
    const std::string file = files.write("list.txt", "a\r\na\r\n");
    for (const std::string& line : {"\"" + file + "\"", file + " " + file, files.path().string(), std::string()}) {
        EXPECT_EQ(TwinsiftApp::startupFileOf(line), "") << line;
    }
    EXPECT_EQ(TwinsiftApp::startupFileOf(" " + file + "  "), file);

    start("\"" + file + "\"");
    showWindow();
    EXPECT_EQ(order, (std::vector<std::string>{"quickstart"}));
    EXPECT_EQ(window().panelText(QStringLiteral("status")),
              QStringLiteral("Twinsift 6.16 by Quorvane - https://quorvane.example/twinsift"));
}

TEST_F(Shell, F1OpensTheManualBesideTheProgramAndShiftF1DoesNothing) {
    start();
    showWindow();
    press(Qt::Key_F1);
    EXPECT_TRUE(desktop.opened.empty()) << "no manual: nothing happens";

    std::ofstream(programDir.path() / "Help.html") << "<html></html>";
    press(Qt::Key_F1, Qt::ShiftModifier);
    press(Qt::Key_F1, Qt::AltModifier);
    EXPECT_TRUE(desktop.opened.empty());
    press(Qt::Key_F1);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], std::filesystem::canonical(programDir.path() / "Help.html").string());
}

TEST_F(Shell, F1FindsTheInstalledManualInTheSharedDataFolder) {
    // An installed program runs from bin/ and keeps its manual in share/.
    const auto shared = programDir.path() / "share" / "twinsift";
    std::filesystem::create_directories(shared);
    std::filesystem::create_directories(programDir.path() / "bin");
    std::ofstream(shared / "Help.html") << "<html></html>";
    programFolder = programDir.path() / "bin";
    start();
    showWindow();
    press(Qt::Key_F1);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0], std::filesystem::canonical(shared / "Help.html").string());
}

TEST_F(Shell, CtrlFunctionKeysRunTheSelectionCommandsOnlyWithRowsAndWithoutShiftOrAlt) {
    start();
    showWindow();
    // An empty duplicate view: the keys do nothing.
    press(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(window().panelText(QStringLiteral("selected")), QString());

    settings.bShowMsgAddFiles = false;
    dialogs.opens.push_back(files.write("dups.txt", "a\r\nb\r\na\r\nb\r\na\r\n"));
    child<QToolButton>("cmdScan")->click();
    ASSERT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);

    press(Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(document.lSelectedCount, 0);
    press(Qt::Key_F1, Qt::ControlModifier); // All
    EXPECT_EQ(window().panelText(QStringLiteral("selected")), QStringLiteral("5 of 5 dups. selected."));
    press(Qt::Key_F2, Qt::ControlModifier); // None
    EXPECT_EQ(document.lSelectedCount, 0);
    press(Qt::Key_F4, Qt::ControlModifier); // All but first duplicate
    EXPECT_EQ(window().panelText(QStringLiteral("selected")), QStringLiteral("3 of 5 dups. selected."));
    const QAbstractItemModel& dups = *child<QTableView>("lwDups")->model();
    EXPECT_EQ(dups.data(dups.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(dups.data(dups.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);

    // While a command runs the keys are refused with every other command.
    run.bBusy = true;
    press(Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(document.lSelectedCount, 3);
    run.bBusy = false;
}

TEST_F(Shell, SettingsAndAboutOpenTheirWindowsAndOpenGetsTheFocusBack) {
    start();
    showWindow();
    child<QToolButton>("cmdSettings")->click();
    EXPECT_EQ(windows.settings, 1);
    EXPECT_TRUE(child<QToolButton>("cmdScan")->hasFocus() || !window().isActiveWindow());
    child<QToolButton>("cmdAbout")->click();
    EXPECT_EQ(windows.about, 1);

    run.bBusy = true;
    child<QToolButton>("cmdAbout")->click();
    EXPECT_EQ(windows.about, 1) << "refused while a command runs";
    EXPECT_TRUE(app->dispatch(AppCommand::Stop));
    EXPECT_TRUE(run.bCancelRequested);
    run.bBusy = false;
}

TEST_F(Shell, CloseIsRefusedWhileBusyAndSavesTheSettingsOnce) {
    start();
    showWindow();
    run.bBusy = true;
    EXPECT_FALSE(window().close());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(store.writes.empty());

    run.bBusy = false;
    EXPECT_TRUE(window().close());
    EXPECT_EQ(store.writes.size(), 68u);
    EXPECT_EQ(stored("winState"), "0");
    EXPECT_EQ(stored("bShowQuickstartWindow"), "True");
}

TEST_F(Shell, AQuickstartWindowStillOpenAtCloseHasItsChoiceSaved) {
    std::unique_ptr<frmQuickstart> quickstart;
    windows.onQuickstart = [&] {
        quickstart = std::make_unique<frmQuickstart>(settings, identity);
        quickstart->show();
    };
    start();
    showWindow();
    ASSERT_TRUE(quickstart && quickstart->isVisible());
    // Left unticked, the window will not show at the next start.
    EXPECT_TRUE(window().close());
    EXPECT_FALSE(quickstart->isVisible());
    EXPECT_EQ(stored("bShowQuickstartWindow"), "False");
}

TEST_F(Shell, GeometryIsRememberedOnlyAfterTheFirstActivation) {
    start();
    const std::int16_t width = settings.winWidth;
    window().resize(500, 450);
    EXPECT_EQ(settings.winWidth, width) << "before the first activation";
    showWindow();
    window().resize(520, 470);
    QApplication::processEvents();
    EXPECT_EQ(settings.winWidth, window().frameGeometry().width() * 15);
    EXPECT_EQ(settings.winHeight, window().frameGeometry().height() * 15);
}

TEST_F(Shell, MaximisedCloseStoresStateTwoWithTheLastNormalSize) {
    start();
    showWindow();
    window().resize(530, 480);
    QApplication::processEvents();
    const std::int16_t w = settings.winWidth, h = settings.winHeight;
    window().showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(window().isMaximized());
    EXPECT_TRUE(window().close());
    EXPECT_EQ(stored("winState"), "2");
    EXPECT_EQ(stored("winWidth"), std::to_string(w));
    EXPECT_EQ(stored("winHeight"), std::to_string(h));
}

TEST_F(Shell, MinimisedCloseKeepsTheStoredPlacement) {
    store.put("Quorvane", "Twinsift", "winLeft", "300");
    store.put("Quorvane", "Twinsift", "winState", "0");
    start();
    showWindow();
    window().showMinimized();
    QApplication::processEvents();
    if (!window().isMinimized()) GTEST_SKIP() << "this platform cannot minimise";
    EXPECT_TRUE(window().close());
    EXPECT_EQ(stored("winLeft"), "300");
    EXPECT_EQ(stored("winState"), "0");
}

} // namespace
} // namespace twinsift
