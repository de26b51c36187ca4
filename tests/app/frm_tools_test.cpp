#include "app_fixture.h"
#include "results/ui/frm_tools.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

struct ToolsWindow : test::AppFixture {
    // Starts the program on a file and waits until its scan has ended.
    void openFile(const std::string& contents) {
        start(files.write("list.txt", contents));
        showWindow();
        QDeadlineTimer deadline(20000);
        while (app->scanDriver().outcome() == ScanOutcome::NoFile && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_EQ(app->scanDriver().outcome(), ScanOutcome::Completed);
    }

    // Presses Tools in the main window; the window that opens is used by act
    // as a person would, then closed with Esc.
    void useTools(const std::function<void(frmTools&)>& act) {
        windows.onTools = [&] {
            frmTools dlg(settings, document, app->port(), &window());
            QAbstractItemModelTester tester(&dlg.frequencyModel(),
                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
            dlg.show();
            act(dlg);
            QTest::keyClick(&dlg, Qt::Key_Escape);
            EXPECT_FALSE(dlg.isVisible());
        };
        auto* tools = child<QToolButton>("cmdShowCopySave");
        ASSERT_TRUE(tools->isEnabled());
        const int before = windows.tools;
        tools->click();
        ASSERT_EQ(windows.tools, before + 1);
    }

    static QStringList table(frmTools& dlg) {
        const QAbstractItemModel& m = *dlg.lvFreq->model();
        QStringList rows;
        for (int r = 0; r < m.rowCount(); ++r)
            rows << m.data(m.index(r, 0)).toString() + QLatin1Char('|') + m.data(m.index(r, 1)).toString();
        return rows;
    }
    static void clickHeader(frmTools& dlg, int section) {
        QHeaderView* h = dlg.lvFreq->header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(section) + 5, h->height() / 2));
    }
    static void choose(frmTools& dlg, int line, int content) {
        dlg.optLine[line]->click();
        dlg.optContent[content]->click();
    }
};

std::string repeatLine(const std::string& line, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) s += line + "\r\n";
    return s;
}

TEST_F(ToolsWindow, CalculateListsGroupsMostFrequentFirstAndHeadersResort) {
    // Groups of 2 ("bee"), 10 ("ant") and 3 ("cat"), interleaved, and a single line.
    std::string text = "bee\r\nsolo\r\ncat\r\n" + repeatLine("ant", 5) + "bee\r\ncat\r\n" + repeatLine("ant", 5) +
                       "cat\r\n";
    openFile(text);
    useTools([&](frmTools& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Tools"));
        EXPECT_EQ(dlg.TabStrip->tabText(0), QStringLiteral("Duplicate Frequency"));
        EXPECT_EQ(dlg.TabStrip->tabText(1), QStringLiteral("Copy / Save Duplicates"));
        EXPECT_EQ(dlg.TabStrip->currentIndex(), 0);
        EXPECT_EQ(dlg.cmdFreq->toolTip(), QStringLiteral("Click to calculate te duplicate frequency"));
        EXPECT_EQ(dlg.lvFreq->model()->rowCount(), 0);
        EXPECT_FALSE(dlg.cmdFreqCopy->isEnabled());

        // Enter is Calculate, from the list as from anywhere in the window.
        dlg.lvFreq->setFocus();
        QTest::keyClick(&dlg, Qt::Key_Return);
        EXPECT_EQ(table(dlg), (QStringList{"10|ant", "3|cat", "2|bee"}));
        EXPECT_FALSE(dlg.cmdFreq->isEnabled());
        EXPECT_TRUE(dlg.cmdFreqCopy->isEnabled());

        clickHeader(dlg, 0);
        EXPECT_EQ(table(dlg), (QStringList{"2|bee", "3|cat", "10|ant"}));
        clickHeader(dlg, 0);
        EXPECT_EQ(table(dlg), (QStringList{"10|ant", "3|cat", "2|bee"}));
        clickHeader(dlg, 1);
        EXPECT_EQ(table(dlg), (QStringList{"10|ant", "2|bee", "3|cat"}));
        clickHeader(dlg, 1);
        EXPECT_EQ(table(dlg), (QStringList{"3|cat", "2|bee", "10|ant"}));

        dlg.cmdFreqCopy->click();
        EXPECT_EQ(desktop.clipboard, "3\t\tcat\r\n2\t\tbee\r\n10\t\tant\r\n");
    });
    // The window is made anew: the list starts empty again.
    useTools([&](frmTools& dlg) {
        EXPECT_EQ(dlg.lvFreq->model()->rowCount(), 0);
        EXPECT_TRUE(dlg.cmdFreq->isEnabled());
    });
}

TEST_F(ToolsWindow, OneGroupOfTenIsOneRow) {
    openFile(repeatLine("same", 10));
    useTools([&](frmTools& dlg) {
        dlg.cmdFreq->click();
        EXPECT_EQ(table(dlg), (QStringList{"10|same"}));
    });
}

TEST_F(ToolsWindow, EmptyLinesFormOneRowWithAnEmptyLine) {
    settings.Load_IgnoreEmptyLines = 0;
    openFile("x\r\n\r\ny\r\n\r\n\r\nz\r\n");
    useTools([&](frmTools& dlg) {
        dlg.cmdFreq->click();
        EXPECT_EQ(table(dlg), (QStringList{"3|"}));
        dlg.cmdFreqCopy->click();
        EXPECT_EQ(desktop.clipboard, "3\t\t\r\n");
    });
}

TEST_F(ToolsWindow, CaseRuleIsTheSettingWhenCalculateRuns) {
    settings.Load_CaseSensitive = 0;
    openFile("Apple\r\napple\r\nAPPLE\r\npear\r\n");
    useTools([&](frmTools& dlg) {
        dlg.cmdFreq->click();
        EXPECT_EQ(table(dlg), (QStringList{"3|Apple"}));
    });
    settings.Load_CaseSensitive = 1;
    useTools([&](frmTools& dlg) {
        dlg.cmdFreq->click();
        QStringList rows = table(dlg);
        rows.sort();
        EXPECT_EQ(rows, (QStringList{"1|APPLE", "1|Apple", "1|apple"}));
    });
}

TEST_F(ToolsWindow, CountsOfFiveDigitsSortAsNumbers) {
    openFile(repeatLine("small", 9999) + repeatLine("big", 12345));
    useTools([&](frmTools& dlg) {
        dlg.cmdFreq->click();
        EXPECT_EQ(table(dlg), (QStringList{"12345|big", "9999|small"}));
        clickHeader(dlg, 0);
        EXPECT_EQ(table(dlg), (QStringList{"9999|small", "12345|big"}));
        clickHeader(dlg, 0);
        EXPECT_EQ(table(dlg), (QStringList{"12345|big", "9999|small"}));
    });
}

// Lines 3 and 7 form one group, 9 and 12 another.
const char* const kTwelve = "one\r\ntwo\r\nred\r\nfour\r\nfive\r\nsix\r\nred\r\neight\r\nblue\r\nten\r\neleven\r\nblue\r\n";

TEST_F(ToolsWindow, SelectedAndNotSelectedLineNumbers) {
    openFile(kTwelve);
    ASSERT_TRUE(app->dispatch(AppCommand::SelectAllButFirst)); // marks lines 7 and 12
    useTools([&](frmTools& dlg) {
        EXPECT_FALSE(dlg.optContent[1]->isEnabled()); // nothing was pre-processed
        EXPECT_TRUE(dlg.optLine[0]->isChecked());
        EXPECT_TRUE(dlg.optContent[0]->isChecked());

        choose(dlg, 1, 2);
        dlg.cmdOk->click();
        EXPECT_EQ(desktop.clipboard, "7\r\n12\r\n");
        choose(dlg, 2, 2);
        dlg.cmdOk->click();
        EXPECT_EQ(desktop.clipboard, "3\r\n9\r\n");
        // The window takes no clicks while the output is built.
        bool enabledWhileCopying = true;
        desktop.onClipboard = [&] { enabledWhileCopying = dlg.isEnabled(); };
        choose(dlg, 0, 0);
        dlg.cmdOk->click();
        desktop.onClipboard = nullptr;
        EXPECT_EQ(desktop.clipboard, "red\r\nred\r\nblue\r\nblue\r\n");
        EXPECT_FALSE(enabledWhileCopying);
        EXPECT_TRUE(dlg.isEnabled());
        EXPECT_TRUE(window().isEnabled());
    });
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(ToolsWindow, OriginalLineOrPreprocessedText) {
    settings.Load_ChkStartPos = 1;
    settings.Load_StartPos = 2;
    openFile("a:same\r\nb:same\r\nc:other\r\n");
    useTools([&](frmTools& dlg) {
        EXPECT_TRUE(dlg.bPreprocessUsed());
        EXPECT_TRUE(dlg.optContent[0]->isEnabled());
        EXPECT_TRUE(dlg.optContent[1]->isEnabled());
        EXPECT_TRUE(dlg.optContent[0]->isChecked());
        dlg.cmdOk->click();
        EXPECT_EQ(desktop.clipboard, "a:same\r\nb:same\r\n");
        choose(dlg, 0, 1);
        dlg.cmdOk->click();
        EXPECT_EQ(desktop.clipboard, "same\r\nsame\r\n");
    });
}

TEST_F(ToolsWindow, ReducedMemoryWithPreprocessingOpensOnThePreprocessedText) {
    settings.preserveMemory = 1;
    settings.Load_ChkStartPos = 1;
    settings.Load_StartPos = 2;
    openFile("a:same\r\nb:same\r\nc:other\r\n");
    ASSERT_TRUE(document.bReducedMemory);
    useTools([&](frmTools& dlg) {
        EXPECT_FALSE(dlg.optContent[0]->isEnabled());
        EXPECT_TRUE(dlg.optContent[1]->isChecked());
        dlg.cmdOk->click();
        EXPECT_EQ(desktop.clipboard, "same\r\nsame\r\n");
    });
}

TEST_F(ToolsWindow, NothingToCopyAndAnEmptySave) {
    openFile(kTwelve);
    const std::string out = (fs::path(files.path()) / "none.txt").string();
    dialogs.saves.push_back(out);
    desktop.clipboard = "before";
    useTools([&](frmTools& dlg) {
        choose(dlg, 1, 0);
        dlg.cmdOk->click();
        dlg.cmdSave->click();
    });
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "Nothing to copy...");
    EXPECT_EQ(boxes.calls[0].icon, MsgIcon::Warning);
    EXPECT_EQ(desktop.clipboard, "before");
    ASSERT_TRUE(fs::exists(out));
    EXPECT_EQ(test::readFile(out), "");
}

TEST_F(ToolsWindow, SaveAsOverAWriteProtectedFile) {
    openFile(kTwelve);
    ASSERT_TRUE(app->dispatch(AppCommand::SelectAllButFirst));
    settings.sLastSaveDupsPath = "earlier.txt";
    const std::string out = files.write("locked.txt", "old contents\r\n");
    fs::permissions(out, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    dialogs.saves.push_back(out);
    boxes.answer(std::string(msgid::kExportWriteProtected), MsgResult::Yes);
    useTools([&](frmTools& dlg) {
        dlg.TabStrip->setCurrentIndex(1);
        choose(dlg, 2, 0);
        dlg.cmdSave->click();
        EXPECT_TRUE(dlg.isEnabled());
    });
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const FileDialogRequest& req = dialogs.saveRequests[0];
    EXPECT_EQ(req.initialFile, "earlier.txt");
    EXPECT_EQ(req.filter, "All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
    EXPECT_EQ(req.filterIndex, 1);
    EXPECT_EQ(req.defaultExt, "txt");
    EXPECT_TRUE(req.overwritePrompt);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].id, msgid::kExportWriteProtected);
    EXPECT_EQ(boxes.calls[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(test::readFile(out), "red\r\nblue\r\n");
    EXPECT_NE(fs::status(out).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(settings.sLastSaveDupsPath, out);
}

TEST_F(ToolsWindow, WriteProtectedFileAnsweredNoStaysAsItWas) {
    openFile(kTwelve);
    const std::string out = files.write("locked.txt", "old contents\r\n");
    fs::permissions(out, fs::perms::owner_read);
    dialogs.saves.push_back(out);
    boxes.answer(std::string(msgid::kExportWriteProtected), MsgResult::No);
    useTools([&](frmTools& dlg) { dlg.cmdSave->click(); });
    EXPECT_EQ(test::readFile(out), "old contents\r\n");
    EXPECT_EQ(fs::status(out).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(settings.sLastSaveDupsPath.empty());
}

} // namespace
} // namespace twinsift
