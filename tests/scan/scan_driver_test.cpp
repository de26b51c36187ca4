#include "scan/scan_driver.h"

#include "support/recording_port.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace twinsift;
using twinsift::test::RecordingPort;
using twinsift::test::TempDir;

namespace {

struct Fixture {
    TempDir dir;
    LoadedDocument doc;
    SettingsValues settings = SettingsValues::Defaults();
    RunState run;
    RecordingPort port;
    ResultsView view;
    ScanDriver driver{doc, settings, run, port, view};

    // Nobody answers Yes by accident: an unscripted question is declined.
    Fixture() { port.unscriptedAnswer = MsgResult::No; }

    std::string file(const std::string& name, const std::string& bytes) { return dir.write(name, bytes); }
    ScanOutcome open(std::vector<std::string> picks) {
        for (auto& p : picks) port.filesToPick.push_back(p);
        driver.cmdScan_Click();
        return driver.outcome();
    }
    // Open, Save As, Select, Tools, Settings, About enabled; Open and Cancel shown.
    std::string buttons() {
        std::string s;
        for (CmdButton b : {CmdButton::Scan, CmdButton::Save, CmdButton::Select, CmdButton::ShowCopySave,
                            CmdButton::Settings, CmdButton::About})
            s += port.enabled[b] ? 'y' : 'n';
        s += port.visible[CmdButton::Scan] ? " open" : " -";
        s += port.visible[CmdButton::Stop] ? " cancel" : " -";
        return s;
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> e;
        for (std::int32_t i = 0; i < doc.lstDuplicates.ListCount(); ++i) e.push_back(doc.lstDuplicates.List(i));
        return e;
    }
};

std::string numbered(int n, int period) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "line " + std::to_string(i % period) + "\r\n";
    return s;
}

const std::string kCaption = "Twinsift 6.16";

} // namespace

TEST(ScanDriver, CancellingTheFirstDialogLeavesAnEmptyWindow) {
    Fixture f;
    f.doc.lstOriginal.AddItem("old");
    f.port.panels["status"] = {"old status"};
    EXPECT_EQ(f.open({}), ScanOutcome::NoFile);
    EXPECT_TRUE(f.port.messages.empty());
    EXPECT_EQ(f.port.status(), "");
    EXPECT_EQ(f.doc.lstOriginal.ListCount(), 0);
    EXPECT_EQ(f.buttons(), "ynnnyy open -");
    EXPECT_EQ(f.port.caption, kCaption);
    EXPECT_FALSE(f.run.bBusy);
    EXPECT_EQ(f.port.loadOptionsShown, 0);

    ASSERT_EQ(f.port.openRequests.size(), 1u);
    const FileDialogRequest& r = f.port.openRequests[0];
    EXPECT_EQ(r.defaultExt, "txt");
    EXPECT_TRUE(r.fileMustExist);
    EXPECT_TRUE(r.title.empty());
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(r.filter.substr(0, 46), "All Files (*.*)|*.*|Text Files (*.txt)|*.txt|W");
}

TEST(ScanDriver, AddsFilesWhileTheUserAnswersYes) {
    Fixture f;
    f.settings.bShowMsgAddFiles = true;
    f.settings.lastLoadedFile = "start.txt";
    const std::string a = f.file("a.txt", "x\r\ny\r\n");
    const std::string b = f.file("b.txt", "y\r\nz\r\n");
    f.port.answers = {MsgResult::Yes, MsgResult::No};
    ASSERT_EQ(f.open({a, b}), ScanOutcome::Completed);

    ASSERT_EQ(f.port.messages.size(), 2u);
    EXPECT_EQ(f.port.messages[0].text,
              "Add another file?\r\n\r\nEach added file is appended to the end of the\r\n"
              "previous file. Press no to begin scaning added\r\nfiles for duplicate lines.");
    EXPECT_EQ(f.port.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(f.port.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(f.port.openRequests[0].initialFile, "start.txt");
    EXPECT_EQ(f.port.openRequests[1].initialFile, a);

    EXPECT_EQ(f.doc.sSourceFiles, (std::vector<std::string>{a, b}));
    EXPECT_EQ(f.doc.lstOriginal.ListCount(), 4);
    EXPECT_EQ(f.entries(), (std::vector<std::string>{"[2]   y", "[3]   y"}));
    EXPECT_EQ(f.port.caption, kCaption + " - [a.txt, b.txt]");
    EXPECT_EQ(f.settings.lastLoadedFile, b);
    EXPECT_EQ(f.settings.lastSavedFile, b);
    EXPECT_EQ(f.settings.statFilesOpened, 2);
}

TEST(ScanDriver, WithoutMultipleFileSupportNoQuestionIsAsked) {
    Fixture f;
    const std::string a = f.file("a.txt", "x\r\n");
    EXPECT_EQ(f.open({a, a}), ScanOutcome::Completed);
    EXPECT_TRUE(f.port.messages.empty());
    EXPECT_EQ(f.doc.fileCount(), 1u);
    EXPECT_EQ(f.port.filesToPick.size(), 1u);
}

TEST(ScanDriver, RefusesMissingEmptyAndMixedFiles) {
    struct Case {
        std::vector<std::string> names;
        std::string message;
        MsgIcon icon;
    };
    Fixture base;
    const std::string txt = base.file("a.txt", "x\r\n");
    const std::string xlsx = base.file("b.xlsx", "PK");
    const std::string empty = base.file("e.txt", "");
    const std::string missing = (base.dir.path() / "missing.txt").string();
    const std::vector<Case> cases = {
        {{missing}, "Error: Can't Open File...", MsgIcon::Error},
        {{base.dir.path().string()}, "Error: Can't Open File...", MsgIcon::Error},
        {{empty}, "File Is Empty! Scan aborted...", MsgIcon::Warning},
        {{txt, xlsx}, "Can't combine textfiles and Word/Excel files! Scan aborted...", MsgIcon::Warning},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.settings.bShowMsgAddFiles = true;
        f.port.answers = {MsgResult::Yes};
        EXPECT_EQ(f.open(c.names), ScanOutcome::Refused) << c.message;
        ASSERT_FALSE(f.port.messages.empty());
        EXPECT_EQ(f.port.messages.back().text, c.message);
        EXPECT_EQ(f.port.messages.back().icon, c.icon);
        EXPECT_EQ(f.buttons(), "ynnnyy open -") << c.message;
        EXPECT_EQ(f.doc.lstOriginal.ListCount(), 0);
        EXPECT_FALSE(f.run.bBusy);
        EXPECT_EQ(f.port.loadOptionsShown, 0);
    }
}

TEST(ScanDriver, CompletedScanStateTextsAndStatistics) {
    Fixture f;
    f.settings.statLinesScanned = 10;
    const std::string a = f.file("a.txt", "b\r\na\r\nb\r\na\r\nb\r\nc\r\n");
    ASSERT_EQ(f.open({a}), ScanOutcome::Completed);
    EXPECT_EQ(f.port.status(), "Scanned 6 lines: Found 5 duplicate lines with 2 unique duplicates!");
    EXPECT_EQ(f.entries(), (std::vector<std::string>{"[1]   b", "[3]   b", "[5]   b", "[2]   a", "[4]   a"}));
    EXPECT_EQ(f.buttons(), "yyyyyy open -");
    EXPECT_EQ(f.port.focus, CmdButton::Scan);
    EXPECT_EQ(f.port.pointer, MousePointer::Default);
    EXPECT_FALSE(f.run.bBusy);
    EXPECT_EQ(f.port.progressValue, f.port.progressMax);
    EXPECT_EQ(f.settings.statFilesOpened, 1);
    EXPECT_EQ(f.settings.statLinesScanned, 16);
    EXPECT_EQ(f.settings.statDupsFound, 5);
    EXPECT_EQ(f.settings.statUniqueDupsFound, 2);
    EXPECT_EQ(f.port.unselects, 1);

    // The phases in order.
    std::vector<std::string> phases;
    for (const auto& s : f.port.all("status"))
        if (phases.empty() || phases.back() != s) phases.push_back(s);
    EXPECT_EQ(phases, (std::vector<std::string>{"", "Loading...", "File Loaded!", "Finding duplicates...",
                                                "Sorting duplicates...", "Displaying duplicates...",
                                                "Scanned 6 lines: Found 5 duplicate lines with 2 unique duplicates!"}));

    // The views: every line a row, each entry a row keyed by its line number.
    EXPECT_EQ(f.view.showRowCount, 6);
    ASSERT_EQ(f.view.dupRows.size(), 5u);
    EXPECT_EQ(ResultsView::dupRowKey(f.view.dupRows[3]), "l2");
    EXPECT_EQ(f.view.dupRowText(f.doc, 3), "[2]   a");
    EXPECT_EQ(f.view.showRowText(f.doc, 5), "c");
    EXPECT_EQ(f.port.dupRowsReports.back(), 5);
}

TEST(ScanDriver, WithoutDuplicatesSelectAndToolsStayOff) {
    Fixture f;
    ASSERT_EQ(f.open({f.file("a.txt", "x\r\ny\r\n")}), ScanOutcome::Completed);
    EXPECT_EQ(f.port.status(), "No duplicate lines found...");
    EXPECT_EQ(f.buttons(), "yynnyy open -");
    EXPECT_EQ(f.settings.statDupsFound, 0);
}

TEST(ScanDriver, LargeFileModeKeepsTheViewsEmpty) {
    Fixture f;
    f.settings.listviewPreviewCutoff = 10;
    ASSERT_EQ(f.open({f.file("a.txt", numbered(50, 20))}), ScanOutcome::Completed);
    EXPECT_TRUE(f.doc.bNoDisplay);
    EXPECT_EQ(f.port.noticeRow, "Large file loaded - visual display turned off (change in settings)");
    EXPECT_FALSE(f.port.dupDisplayOption);
    EXPECT_TRUE(f.view.dupRows.empty());
    EXPECT_EQ(f.view.showRowCount, 0);
    EXPECT_TRUE(f.port.showRowsReports.empty());
    EXPECT_EQ(f.port.status(), "Scanned 50 lines: Found 50 duplicate lines with 20 unique duplicates!");
    EXPECT_EQ(f.doc.lstDuplicates.List(0), "[01]   line 0"); // finished all the same

    Fixture g;
    g.settings.listviewPreviewCutoff = 50; // not above the limit
    ASSERT_EQ(g.open({g.file("a.txt", numbered(50, 20))}), ScanOutcome::Completed);
    EXPECT_FALSE(g.doc.bNoDisplay);
    EXPECT_TRUE(g.port.dupDisplayOption);
    EXPECT_EQ(g.view.dupRows.size(), 50u);
}

TEST(ScanDriver, ProgressStepRunsOncePerIntervalAcrossLoadingAndScanning) {
    Fixture f;
    ASSERT_EQ(f.open({f.file("a.txt", numbered(200, 200))}), ScanOutcome::Completed);
    std::vector<std::string> percents;
    for (const auto& s : f.port.all("status"))
        if (!s.empty() && s.back() == '%') percents.push_back(s);
    // The batch counter carries over from the load into the scan.
    EXPECT_EQ(percents, (std::vector<std::string>{"Loading... 25%", "Loading... 50%", "Loading... 75%",
                                                  "Finding duplicates... 0%", "Finding duplicates... 25%",
                                                  "Finding duplicates... 50%", "Finding duplicates... 75%"}));
    EXPECT_EQ(f.port.showRowsReports, (std::vector<std::int32_t>{51, 101, 151, 200}));
}

TEST(ScanDriver, DisplayProgressRunsEveryHundredEntries) {
    Fixture f;
    ASSERT_EQ(f.open({f.file("a.txt", numbered(250, 1))}), ScanOutcome::Completed);
    std::vector<std::string> shown;
    for (const auto& s : f.port.all("status"))
        if (s.rfind("Displaying duplicates... ", 0) == 0) shown.push_back(s);
    // Entries 100 and 200 of 250 (k / 249).
    EXPECT_EQ(shown, (std::vector<std::string>{"Displaying duplicates... 40%", "Displaying duplicates... 80%"}));
    // Each report comes after the row of the serviced entry was added.
    EXPECT_EQ(f.port.dupRowsReports, (std::vector<std::int32_t>{101, 201, 250}));
}

TEST(ScanDriver, CancelIsHonouredOnlyAfterYes) {
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        Fixture f;
        bool asked = false;
        f.port.onPump = [&] {
            if (!asked && f.port.status().rfind("Finding duplicates... ", 0) == 0) {
                asked = true;
                ScanDriver::cmdStop_Click(f.run);
            }
        };
        f.port.answers = {answer};
        const ScanOutcome o = f.open({f.file("a.txt", numbered(300, 10))});
        ASSERT_EQ(f.port.messages.size(), 1u);
        EXPECT_EQ(f.port.messages[0].text, "Are you sure you want to stop processing?");
        EXPECT_EQ(f.port.messages[0].icon, MsgIcon::Question);
        EXPECT_FALSE(f.run.bCancelRequested);
        if (answer == MsgResult::No) {
            EXPECT_EQ(o, ScanOutcome::Completed);
            continue;
        }
        EXPECT_EQ(o, ScanOutcome::Interrupted);
        // Asked at line index 0 of the scan (the batch counter carried over
        // from the load), so nothing was found yet.
        EXPECT_EQ(f.port.status(), "No duplicate lines found (Interuppted by user)");
        EXPECT_EQ(f.buttons(), "ynnnyy open -");
        EXPECT_EQ(f.port.caption, kCaption);
        EXPECT_FALSE(f.run.bBusy);
        EXPECT_EQ(f.settings.statFilesOpened, 0);
        EXPECT_EQ(f.port.progressValue, f.port.progressMax);
    }
}

TEST(ScanDriver, CancelWhileDisplayingReportsTheEntriesFound) {
    Fixture f;
    f.port.onPump = [&] {
        if (f.port.status() == "Displaying duplicates... 40%") ScanDriver::cmdStop_Click(f.run);
    };
    f.port.answers = {MsgResult::Yes};
    EXPECT_EQ(f.open({f.file("a.txt", numbered(250, 5))}), ScanOutcome::Interrupted);
    EXPECT_EQ(f.port.status(), "250 Duplicate lines found (Interuppted by user)");
    EXPECT_EQ(f.buttons(), "ynnnyy open -");
}

TEST(ScanDriver, ButtonsWhileTheCommandRuns) {
    Fixture f;
    std::vector<std::string> seen;
    f.port.onPump = [&] { seen.push_back(f.port.status() + ": " + f.buttons()); };
    ASSERT_EQ(f.open({f.file("a.txt", numbered(120, 2))}), ScanOutcome::Completed);
    auto find = [&](const std::string& status) {
        for (const auto& s : seen)
            if (s.rfind(status + ": ", 0) == 0) return s.substr(status.size() + 2);
        return std::string("not seen");
    };
    EXPECT_EQ(find("Loading... 42%"), "nnnnnn - cancel");
    EXPECT_EQ(find("Sorting duplicates..."), "nnnnnn - cancel");
    EXPECT_EQ(find("Displaying duplicates..."), "nnnnnn - cancel");
    // The Cancel button is disabled from the end of the scan until the display runs.
    f.port.onPump = [&] { seen.push_back(f.port.status() + (f.port.enabled[CmdButton::Stop] ? " on" : " off")); };
    seen.clear();
    f.open({f.file("b.txt", numbered(120, 2))});
    for (const char* expected : {"Finding duplicates... 25% on", "Finding duplicates... 66% off", "Sorting duplicates... off",
                                 "Displaying duplicates... off", "Displaying duplicates... 84% on"})
        EXPECT_NE(std::find(seen.begin(), seen.end(), expected), seen.end()) << expected;
}

TEST(ScanDriver, LoadOptionsCancelledEndsWithTheStatusKept) {
    Fixture f;
    f.port.loadOptionsOk = false;
    EXPECT_EQ(f.open({f.file("a.txt", "x\r\n")}), ScanOutcome::LoadCancelled);
    EXPECT_EQ(f.port.status(), "Load cancelled...");
    EXPECT_EQ(f.buttons(), "ynnnyy open -");
    EXPECT_FALSE(f.run.bBusy);
}

TEST(ScanDriver, GroupColoursCycleThroughSixAndTheEmptyGroupSharesOne) {
    Fixture f;
    f.settings.Load_IgnoreEmptyLines = 0;
    std::string text;
    for (int g = 0; g < 7; ++g) text += "g" + std::to_string(g) + "\r\n";
    for (int g = 0; g < 7; ++g) text += "g" + std::to_string(g) + "\r\n";
    text += "\r\nsolo\r\n\r\n";
    ASSERT_EQ(f.open({f.file("a.txt", text)}), ScanOutcome::Completed);
    ASSERT_EQ(f.view.dupRows.size(), 16u);
    std::vector<int> colours;
    for (const auto& r : f.view.dupRows) colours.push_back(r.color);
    EXPECT_EQ(colours, (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 0, 0, 1, 1}));
    EXPECT_EQ(f.view.showRowColor[0], 0);  // g0
    EXPECT_EQ(f.view.showRowColor[13], 0); // g6, wrapped
    EXPECT_EQ(f.view.showRowColor[14], 1); // empty line
    EXPECT_EQ(f.view.showRowColor[15], -1);
    EXPECT_EQ(kDisplayColors[2], 8273920u);
    EXPECT_EQ(f.port.status(), "Scanned 17 lines: Found 16 duplicate lines with 8 unique duplicates!");

    Fixture plain;
    plain.settings.iDisplayColors = 0;
    ASSERT_EQ(plain.open({plain.file("a.txt", text)}), ScanOutcome::Completed);
    for (const auto& r : plain.view.dupRows) EXPECT_EQ(r.color, -1);
}

TEST(ScanDriver, ReducedMemoryDropsTheLinesButNotTheView) {
    Fixture f;
    f.settings.preserveMemory = 1;
    ASSERT_EQ(f.open({f.file("a.txt", "\xEF\xBB\xBFx\r\nx\r\n")}), ScanOutcome::Completed);
    EXPECT_TRUE(f.doc.bReducedMemory);
    EXPECT_EQ(f.doc.lstOriginal.ListCount(), 0);
    EXPECT_EQ(f.view.showRowText(f.doc, 0), "x");
    EXPECT_EQ(f.entries(), (std::vector<std::string>{"[1]   x", "[2]   x"}));
    EXPECT_TRUE(f.doc.bBomFound);
    EXPECT_EQ(f.port.changedShowRows, (std::vector<std::int32_t>{0}));
}

TEST(ScanDriver, DroppedFilesAreAllTakenWithoutQuestions) {
    Fixture f;
    f.settings.bShowMsgAddFiles = true;
    const std::string a = f.file("a.txt", "x\r\n"), b = f.file("b.txt", "x\r\n"), c = f.file("c.txt", "y\r\n");
    f.run.sDroppedFiles = {a, b, c, ""};
    f.run.bDropOpen = true;
    EXPECT_EQ(f.open({}), ScanOutcome::Completed);
    EXPECT_TRUE(f.port.messages.empty());
    EXPECT_TRUE(f.port.openRequests.empty());
    EXPECT_EQ(f.doc.sSourceFiles, (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(f.port.caption, kCaption + " - [a.txt, b.txt, c.txt]");
}

TEST(ScanDriver, TheStartupFileIsTakenOnce) {
    Fixture f;
    f.run.sStartupFile = f.file("a.txt", "x\r\n");
    EXPECT_EQ(f.open({}), ScanOutcome::Completed);
    EXPECT_TRUE(f.run.sStartupFile.empty());
    EXPECT_TRUE(f.port.openRequests.empty());
    EXPECT_EQ(f.open({}), ScanOutcome::NoFile);
    EXPECT_EQ(f.port.openRequests.size(), 1u);
}

namespace {
class FakeWord : public OfficeLineSource {
public:
    std::vector<std::string> lines;
    std::size_t next = 0;
    CountResult open(const std::string&) override {
        CountResult r;
        r.total = static_cast<std::int64_t>(lines.size());
        return r;
    }
    bool nextLine(std::string& line) override {
        if (next >= lines.size()) return false;
        line = lines[next++];
        return true;
    }
};
} // namespace

TEST(ScanDriver, OfficeFailuresEndTheCommand) {
    {
        Fixture f; // no adapter: the count fails
        int closes = 0;
        f.driver.setOffice({nullptr, [&] { ++closes; }, [&] { ++closes; }, {}});
        EXPECT_EQ(f.open({f.file("a.docx", "PK")}), ScanOutcome::CountFailed);
        ASSERT_EQ(f.port.messages.size(), 1u);
        EXPECT_EQ(f.port.messages[0].text, "Error Initializing Word\r\n\r\nScan aborted...");
        EXPECT_EQ(f.port.messages[0].icon, MsgIcon::Error);
        EXPECT_EQ(f.port.status(), "");
        EXPECT_EQ(f.buttons(), "ynnnyy open -");
        EXPECT_EQ(closes, 4); // at the reset and after the failure
    }
    {
        Fixture f; // an adapter error while reading
        FakeWord word;
        word.lines = {"a", "b", "a", "c"};
        int wordCloses = 0;
        f.driver.setOffice({&word, [&] { ++wordCloses; }, {},
                            [&]() -> std::string { return word.next >= 2 ? "Word went away" : ""; }});
        EXPECT_EQ(f.open({f.file("a.docx", "PK")}), ScanOutcome::ReadError);
        ASSERT_EQ(f.port.messages.size(), 1u);
        EXPECT_EQ(f.port.messages[0].text, "An error occurred when reading the document...\r\n\r\nWord went away");
        EXPECT_EQ(f.port.status(), "File Error!");
        EXPECT_EQ(wordCloses, 2);
        EXPECT_EQ(f.buttons(), "ynnnyy open -");
    }
    {
        Fixture f; // an error on the last rows of a worksheet, after the last step
        FakeWord sheet;
        sheet.lines = {"a", "b", "c"};
        f.driver.setOffice({&sheet, {}, {}, [&]() -> std::string { return sheet.next >= 3 ? "Bad row" : ""; }});
        EXPECT_EQ(f.open({f.file("a.xlsx", "PK")}), ScanOutcome::ReadError);
        ASSERT_EQ(f.port.messages.size(), 1u);
        EXPECT_EQ(f.port.messages[0].text, "An error occurred when reading the document...\r\n\r\nBad row");
        EXPECT_EQ(f.port.status(), "File Error!");
    }
    {
        Fixture f; // a Word document loads line by line
        FakeWord word;
        word.lines = {"a", "b", "a"};
        f.driver.setOffice({&word, {}, {}, {}});
        ASSERT_EQ(f.open({f.file("a.docx", "PK")}), ScanOutcome::Completed);
        EXPECT_TRUE(f.doc.bDocIsWord);
        EXPECT_EQ(f.entries(), (std::vector<std::string>{"[1]   a", "[3]   a"}));
        EXPECT_EQ(f.port.showRowsReports, (std::vector<std::int32_t>{2, 3, 3})); // interval 1
    }
}
