#include "save_test_support.h"

#include <algorithm>
#include <filesystem>
#include <random>

using namespace twinsift;
using namespace twinsift::test;
namespace fs = std::filesystem;

namespace {

bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// The Office adapter's save side, recording every call.
struct FakeOffice : OfficeSaveTarget {
    int lines = 0;
    int cursor = 0;
    bool open = true;
    bool initOk = true;
    bool saveOk = true;
    int failPutAt = -1; // the put of this line sets an error
    std::string err;
    std::vector<std::string> calls;

    bool InitPut() override {
        calls.push_back("init");
        cursor = 0;
        if (!initOk) err = "Error Setting Word Range";
        return initOk;
    }
    bool PutLine(std::string_view t) override {
        calls.push_back("put:" + std::string(t));
        if (cursor == failPutAt) {
            err = "Word Error: Can't Put Line";
            return false;
        }
        ++cursor;
        return true;
    }
    bool DeleteLine() override {
        calls.push_back("del");
        ++cursor;
        return true;
    }
    bool SaveAs(const std::string& p) override {
        calls.push_back("saveas:" + fs::path(p).filename().string());
        if (!saveOk) err = "Error Saving Word File";
        return saveOk;
    }
    bool Close() override {
        calls.push_back("close");
        open = false;
        return true;
    }
    bool isOpen() const override { return open; }
    bool eof() const override { return cursor >= lines; }
    std::string error() const override { return err; }
};

} // namespace

TEST_F(SaveFixture, WritesEveryKeptLineWithCrLfAndCountsTheRemoved) {
    load({"a\r\nb\r\na\r\nc\nd\r\nb"});
    mark({1, 2}, false);
    mark({3, 5});
    const std::string out = target();
    settings.statDupsDeleted = 0;
    driver.cmdSave_Click();
    EXPECT_EQ(driver.outcome(), SaveOutcome::Saved);
    EXPECT_EQ(readFile(out), "a\r\nb\r\nc\nd\r\n");
    EXPECT_EQ(port.last("status"), "Finished saving!");
    EXPECT_EQ(settings.statDupsDeleted, 2);
    EXPECT_FALSE(settings.bShowQuickstartLink);
    EXPECT_EQ(settings.lastSavedFile, out);
    EXPECT_FALSE(fs::exists(out + ".twinsifttemp"));
    EXPECT_FALSE(run.bBusy);
    EXPECT_TRUE(port.enabled[CmdButton::Save]);
    EXPECT_TRUE(port.visible[CmdButton::Scan]);
    EXPECT_FALSE(port.visible[CmdButton::Stop]);
    EXPECT_TRUE(port.messages.empty());
    ASSERT_EQ(port.saveDialogs.size(), 1u);
    EXPECT_EQ(port.saveDialogs[0].filter, "All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
    EXPECT_EQ(port.saveDialogs[0].defaultExt, "txt");
}

TEST_F(SaveFixture, NothingSelectedAsksFirst) {
    load({"x\r\nx\r\ny\r\n"});
    mark({1, 2}, false);
    const std::string out = target();
    port.answers = {MsgResult::No};
    driver.cmdSave_Click();
    EXPECT_EQ(driver.outcome(), SaveOutcome::NotStarted);
    EXPECT_FALSE(fs::exists(out));
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].title, "Continue Saving?");
    EXPECT_EQ(port.messages[0].text,
              "You have not selected any duplicates! \r\n\r\nAre you sure you want to continue saving? No duplicate "
              "lines will be removed...\r\n\r\n(You can disable this warning in the settings.)");
    EXPECT_TRUE(port.saveDialogs.empty());

    port.answers = {MsgResult::Yes};
    driver.cmdSave_Click();
    EXPECT_EQ(readFile(out), "x\r\nx\r\ny\r\n");

    // An empty duplicate list saves without asking.
    doc.lstDuplicates.Clear();
    port.messages.clear();
    driver.cmdSave_Click();
    EXPECT_TRUE(port.messages.empty());
    EXPECT_EQ(driver.outcome(), SaveOutcome::Saved);
}

TEST_F(SaveFixture, SourceChecksStopBeforeAnythingIsAsked) {
    load({"a\r\n", "b\r\n"});
    const std::string out = target();
    fs::last_write_time(paths[1], fs::last_write_time(paths[1]) + std::chrono::seconds(5));
    driver.cmdSave_Click();
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].text, "A source file has been changed! Save cancelled...");
    EXPECT_EQ(port.messages[0].icon, MsgIcon::Error);

    fs::remove(paths[1]);
    driver.cmdSave_Click();
    ASSERT_EQ(port.messages.size(), 2u);
    EXPECT_EQ(port.messages[1].text, "Can't find source file: " + paths[1]);
    EXPECT_TRUE(port.saveDialogs.empty());
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(port.saveSelectionShown, 0);
}

TEST_F(SaveFixture, MergesTheMarkedFilesAndKeepsTheGlobalNumbering) {
    load({numbered(1, 5), numbered(6, 8), numbered(9, 15)});
    // 4 removed in file 1, 2 in file 2 (not saved), 7 in file 3.
    mark({1, 2, 3, 4, 6, 7, 9, 10, 11, 12, 13, 14, 15});
    port.onSaveSelection = [&] {
        doc.bSourceSave = {1, 0, 1};
        return true;
    };
    const std::string out = target();
    settings.statDupsDeleted = 3;
    driver.cmdSave_Click();
    EXPECT_EQ(port.saveSelectionShown, 1);
    EXPECT_EQ(readFile(out), "line 5\r\n");
    EXPECT_EQ(driver.linesRemoved(), 11);
    EXPECT_EQ(settings.statDupsDeleted, 14);
}

TEST_F(SaveFixture, AbandonedSelectionOrNoMarkedFileWritesNothing) {
    load({"a\r\n", "b\r\n"});
    const std::string out = target();
    port.onSaveSelection = [] { return false; };
    driver.cmdSave_Click();
    EXPECT_EQ(driver.outcome(), SaveOutcome::Abandoned);
    port.onSaveSelection = [&] {
        doc.bSourceSave = {0, 0};
        return true;
    };
    driver.cmdSave_Click();
    EXPECT_EQ(driver.outcome(), SaveOutcome::Abandoned);
    EXPECT_TRUE(port.saveDialogs.empty());
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(port.enabled[CmdButton::Scan]); // the finishing steps ran
}

TEST_F(SaveFixture, UnixAndByteOrderMarkFiles) {
    load({"one\ntwo\nthree\n", std::string("\xFF\xFE") + "w\r\nz\r\n"});
    doc.bSourceSave = {1, 1};
    mark({2});
    const std::string out = target();
    driver.cmdSave_Click();
    ASSERT_EQ(port.messages.size(), 2u);
    EXPECT_EQ(port.messages[0].text.substr(0, 39), "One or more open file(s) appears to be ");
    EXPECT_EQ(port.messages[1].text,
              "The open file appears to be in Unix/MacOSX text format. When you save it, it will be converted into "
              "Dos/Windows text format.\r\n\r\n(You can disable this warning in the settings.)");
    // No extra empty line from the final LF; the mark of the second file's first line goes.
    EXPECT_EQ(readFile(out), "one\r\nthree\r\nw\r\nz\r\n");

    settings.bShowMsgMultibyte = false;
    settings.bShowMsgUnix = false;
    port.messages.clear();
    driver.cmdSave_Click();
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(SaveFixture, IncludeTestAndPreprocessedContent) {
    load({"keep 1\r\ndrop 2\r\nkeep 3\r\ndrop 4\r\nkeep 5\r\n"});
    mark({3, 4});
    driver.setLineFilters({[](std::string_view l) { return l.substr(0, 4) == "keep"; },
                           [](std::string_view l) { return "<" + std::string(l.substr(5)) + ">"; }});
    const std::string out = target();
    settings.Save_TestInclude = 1;
    driver.cmdSave_Click();
    EXPECT_EQ(readFile(out), "keep 1\r\nkeep 5\r\n");
    EXPECT_EQ(driver.linesRemoved(), 3); // two failed the test, one selected (the other selected failed too)

    settings.Save_TestInclude = 0;
    settings.Save_FilteredContent = 1;
    driver.cmdSave_Click();
    EXPECT_EQ(readFile(out), "<1>\r\n<2>\r\n<5>\r\n");
}

TEST_F(SaveFixture, TickStatusesRoundHalfToEven) {
    load({numbered(1, 120)});
    const std::string out = target();
    driver.cmdSave_Click();
    const auto& st = port.all("status");
    EXPECT_TRUE(contains(st, "Saving... 42%")); // 51 of 120 is 42.5
    EXPECT_TRUE(contains(st, "Saving... 84%"));
    EXPECT_EQ(std::count_if(st.begin(), st.end(), [](const std::string& s) { return s.rfind("Saving... ", 0) == 0; }), 2);
    EXPECT_EQ(port.progressMax, 120);
    EXPECT_EQ(port.progressValue, 120);
    EXPECT_EQ(readFile(out), numbered(1, 120));
}

TEST_F(SaveFixture, BigFileWithEveryLineEndSavesLineByLine) {
    // Several read blocks' worth: CR LF, lone CR and LF inside lines, empty
    // lines, one line longer than a block, and no end on the last line. Each
    // kept line goes out as its text and CR LF, whatever ended it.
    std::mt19937 rng(7);
    std::string source;
    std::vector<std::string> lines;
    for (int i = 0; source.size() < (9u << 20); ++i) {
        std::string text;
        if (i == 20000) {
            text.assign(5u << 20, 'L');
        } else {
            const int length = static_cast<int>(rng() % 60);
            for (int k = 0; k < length; ++k) text += rng() % 17 == 0 ? '\n' : static_cast<char>('a' + rng() % 26);
        }
        // A line whose text starts with an LF would join a CR before it as CR LF.
        if (!text.empty() && text.front() == '\n') text.front() = '-';
        lines.push_back(text);
        source += text;
        source += rng() % 4 == 0 ? "\r" : "\r\n";
    }
    lines.push_back("last");
    source += "last";
    load({source});
    ASSERT_EQ(doc.lstOriginal.ListCount(), static_cast<std::int32_t>(lines.size()));

    std::vector<int> removed;
    std::string expected;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (rng() % 3 == 0) {
            removed.push_back(static_cast<int>(i + 1));
        } else {
            expected += lines[i];
            expected += "\r\n";
        }
    }
    mark(removed);
    const std::string out = target();
    driver.cmdSave_Click();
    EXPECT_EQ(driver.outcome(), SaveOutcome::Saved);
    EXPECT_EQ(driver.linesRemoved(), static_cast<std::int64_t>(removed.size()));
    const std::string got = readFile(out);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
    EXPECT_EQ(port.progressValue, static_cast<std::int64_t>(lines.size()));

    // A file whose lines end at LF, read a block at a time all the same.
    std::string lfSource;
    expected.clear();
    removed.clear();
    for (int i = 0; lfSource.size() < (9u << 20); ++i) {
        const std::string text = i % 7 == 0 ? std::string() : "lf line " + std::to_string(static_cast<long long>(i) * 7919 % 100003);
        lfSource += text + "\n";
        if (i % 3 == 1) {
            removed.push_back(i + 1);
        } else {
            expected += text + "\r\n";
        }
    }
    load({lfSource});
    ASSERT_TRUE(doc.bSourceUnix[0]);
    doc.lstDuplicates.Clear();
    mark(removed);
    driver.cmdSave_Click();
    EXPECT_EQ(driver.outcome(), SaveOutcome::Saved);
    const std::string lfGot = readFile(out);
    ASSERT_EQ(lfGot.size(), expected.size());
    EXPECT_TRUE(lfGot == expected);
}

TEST_F(SaveFixture, SortingAndItsFailure) {
    load({"b\r\nc\r\na\r\nb\r\n"});
    mark({4});
    const std::string out = target();
    settings.Save_Sort = 1;
    driver.cmdSave_Click();
    EXPECT_EQ(readFile(out), "a\r\nb\r\nc\r\n");
    EXPECT_TRUE(contains(port.all("status"), "Sorting file..."));
    EXPECT_FALSE(port.enabled[CmdButton::Stop]);

    settings.Save_SortMode = -1;
    driver.cmdSave_Click();
    EXPECT_EQ(readFile(out), "c\r\nb\r\na\r\n");

    // Every line removed: nothing to sort, and the old target stays.
    doc.lstDuplicates.Clear();
    mark({1, 2, 3, 4});
    const auto deleted = settings.statDupsDeleted;
    driver.cmdSave_Click();
    EXPECT_EQ(port.last("status"), "Error sorting file!");
    EXPECT_EQ(driver.outcome(), SaveOutcome::Failed);
    EXPECT_EQ(readFile(out), "c\r\nb\r\na\r\n");
    EXPECT_EQ(filesStartingWith(dir.path(), "out.txt"), std::vector<std::string>{"out.txt"});
    EXPECT_EQ(settings.statDupsDeleted, deleted);
}

TEST_F(SaveFixture, WriteProtectedTarget) {
    load({"new\r\n"});
    const std::string out = target();
    dir.write("out.txt", "old\r\n");
    fs::permissions(out, fs::perms::owner_read | fs::perms::group_read);
    port.answers = {MsgResult::No};
    driver.cmdSave_Click();
    EXPECT_EQ(port.last("status"), "Save cancelled...");
    EXPECT_EQ(readFile(out), "old\r\n");
    EXPECT_EQ(port.saveOptionsShown, 0);

    settings.bShowMsgWriteProtected = false;
    port.messages.clear();
    driver.cmdSave_Click();
    EXPECT_TRUE(port.messages.empty());
    EXPECT_EQ(readFile(out), "new\r\n");
    // The protection is gone and the other bits are the old file's.
    EXPECT_EQ(fs::status(out).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SaveFixture, DialogsCancelledChangeNothing) {
    load({"a\r\n"});
    port.saveDialogAnswer.clear();
    driver.cmdSave_Click();
    EXPECT_EQ(port.saveOptionsShown, 0);
    const std::string out = target();
    port.onSaveOptions = [] { return false; };
    driver.cmdSave_Click();
    EXPECT_TRUE(run.bLoadSaveWindow_Cancel);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(port.all("status").empty());
    EXPECT_NE(settings.lastSavedFile, out);
}

TEST_F(SaveFixture, CancelAsksAndNoGoesOn) {
    load({numbered(1, 200)});
    const std::string out = target();
    int ticks = 0;
    port.onPump = [&] {
        if (port.last("status") == "Saving... 26%" && ticks++ == 0) run.bCancelRequested = true;
    };
    port.answers = {MsgResult::No};
    driver.cmdSave_Click();
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].text, "Are you sure you want to abort saving?");
    EXPECT_EQ(port.messages[0].icon, MsgIcon::Question);
    EXPECT_FALSE(run.bCancelRequested);
    EXPECT_EQ(readFile(out), numbered(1, 200));
}

TEST_F(SaveFixture, CancelConfirmedLeavesTheTargetAndNoTemporaryFile) {
    load({numbered(1, 200)});
    std::vector<int> all;
    for (int i = 1; i <= 120; ++i) all.push_back(i);
    mark(all, false);
    doc.lstDuplicates.Selected(0, true);
    const std::string out = target();
    dir.write("out.txt", "old\r\n");
    // Once while the removal set is built, once while writing.
    for (const char* when : {"Preparing to save... 42%", "Saving... 76%"}) {
        port.onPump = [&, when] {
            if (port.last("status") == when) run.bCancelRequested = true;
        };
        port.answers = {MsgResult::Yes};
        driver.cmdSave_Click();
        EXPECT_EQ(port.last("status"), "Save cancelled...") << when;
        EXPECT_EQ(driver.outcome(), SaveOutcome::Cancelled);
        EXPECT_EQ(readFile(out), "old\r\n");
        EXPECT_FALSE(fs::exists(out + ".twinsifttemp"));
        EXPECT_FALSE(run.bBusy);
    }
}

TEST_F(SaveFixture, FailuresLeaveTheTargetAsItWas) {
    load({numbered(1, 10)});
    const std::string out = target();
    dir.write("out.txt", "old\r\n");

    // The disk fills up while the temporary file is written.
    {
        ScopedFileSizeLimit full(16);
        if (full.active()) {
            driver.cmdSave_Click();
            EXPECT_EQ(port.last("status"), "Error saving file!");
        }
    }
    EXPECT_EQ(readFile(out), "old\r\n");
    EXPECT_EQ(filesStartingWith(dir.path(), "out.txt"), std::vector<std::string>{"out.txt"});

    // The temporary file cannot be created: its folder is gone.
    const std::string gone = (dir.path() / "gone" / "out.txt").string();
    port.saveDialogAnswer = gone;
    driver.cmdSave_Click();
    EXPECT_EQ(port.last("status"), "Error opening file for writing!");
    port.saveDialogAnswer = out;

    // The source vanished after the checks.
    port.onSaveOptions = [&] {
        fs::rename(paths[0], paths[0] + ".away");
        return true;
    };
    driver.cmdSave_Click();
    EXPECT_EQ(port.last("status"), "Error opening source file for reading!");
    EXPECT_EQ(readFile(out), "old\r\n");
    fs::rename(paths[0] + ".away", paths[0]);
    port.onSaveOptions = [] { return true; };

    // The rename cannot replace the target.
    const std::string dirTarget = target("adir");
    fs::create_directory(dirTarget);
    const auto deleted = settings.statDupsDeleted;
    driver.cmdSave_Click();
    EXPECT_EQ(port.last("status"), "Error saving file!");
    EXPECT_TRUE(fs::is_directory(dirTarget));
    EXPECT_EQ(filesStartingWith(dir.path(), "adir"), std::vector<std::string>{"adir"});
    EXPECT_EQ(settings.statDupsDeleted, deleted);
}

TEST_F(SaveFixture, TargetMayBeTheSourceOrALink) {
    load({"a\r\nb\r\na\r\n"});
    mark({3});
    port.saveDialogAnswer = paths[0];
    driver.cmdSave_Click();
    EXPECT_EQ(readFile(paths[0]), "a\r\nb\r\n");

    load({"x\r\nx\r\n"});
    mark({2});
    const std::string real = dir.write("real.txt", "old\r\n");
    const std::string link = (dir.path() / "link.txt").string();
    fs::create_symlink("real.txt", link);
    port.saveDialogAnswer = link;
    driver.cmdSave_Click();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "x\r\n");
    EXPECT_EQ(driver.writtenPath(), real);
}

TEST_F(SaveFixture, WordSaveGoesThroughTheAdapterAndClosesTheDocument) {
    doc.resetFiles({(dir.path() / "doc.docx").string()});
    doc.bDocIsWord = true;
    for (const char* l : {"a", "b", "a", "drop me"}) doc.lstOriginal.AddItem(l);
    doc.lSourceFirstLine = {0};
    doc.lSourceLineCount = {4};
    mark({3});
    FakeOffice office;
    office.lines = 4;
    driver.setOffice(&office);
    driver.setLineFilters({[](std::string_view l) { return l != "drop me"; }, {}});
    settings.Save_TestInclude = 1;
    target("saved.docx");
    driver.cmdSave_Click();
    EXPECT_EQ(office.calls, (std::vector<std::string>{"init", "put:a", "put:b", "del", "del", "saveas:saved.docx", "close"}));
    EXPECT_EQ(port.last("status"), "Finished saving!");
    EXPECT_EQ(port.saveOptionsShown, 0); // no pre-processing when loading
    EXPECT_EQ(port.saveDialogs[0].filter.substr(0, 15), "Word Documents ");
    EXPECT_EQ(port.last("selected"), "Document Closed");
    EXPECT_EQ(port.caption, "Twinsift 6.16");
    EXPECT_EQ(port.viewClears, 1);
    EXPECT_FALSE(port.enabled[CmdButton::Save]);
    EXPECT_FALSE(port.enabled[CmdButton::Select]);
    EXPECT_EQ(driver.linesRemoved(), 2);
}

TEST_F(SaveFixture, WordFailuresCloseTheInstance) {
    auto setup = [&](FakeOffice& office) {
        doc.resetFiles({(dir.path() / "doc.docx").string()});
        doc.bDocIsWord = true;
        doc.lstOriginal.Clear();
        for (const char* l : {"a", "b", "c"}) doc.lstOriginal.AddItem(l);
        doc.lSourceFirstLine = {0};
        doc.lSourceLineCount = {3};
        office.lines = 3;
        driver.setOffice(&office);
        target("saved.docx");
    };
    {
        FakeOffice office;
        office.initOk = false;
        setup(office);
        driver.cmdSave_Click();
        EXPECT_EQ(port.last("status"), "Error saving file!");
        EXPECT_EQ(office.calls, (std::vector<std::string>{"init", "close"}));
        EXPECT_TRUE(port.saveDialogs.empty());
    }
    {
        FakeOffice office;
        office.failPutAt = 1;
        setup(office);
        driver.cmdSave_Click();
        EXPECT_EQ(port.last("status"), "Save error...");
        EXPECT_EQ(port.messages.back().text, "An error occurred when saving the document...\r\n\r\nWord Error: Can't Put Line");
        EXPECT_EQ(office.calls.back(), "close");
        EXPECT_EQ(std::count(office.calls.begin(), office.calls.end(), std::string("saveas:saved.docx")), 0);
    }
    {
        // Excel ticks every 5 rows: a failure on the last row is still caught.
        FakeOffice office;
        office.failPutAt = 2;
        setup(office);
        doc.bDocIsWord = false;
        doc.bDocIsExcel = true;
        driver.cmdSave_Click();
        EXPECT_EQ(port.last("status"), "Save error...");
        EXPECT_EQ(office.calls.back(), "close");
        EXPECT_EQ(std::count(office.calls.begin(), office.calls.end(), std::string("saveas:saved.docx")), 0);
    }
    {
        FakeOffice office;
        office.saveOk = false;
        setup(office);
        driver.cmdSave_Click();
        EXPECT_EQ(port.messages.back().text, "Error Saving Word File");
        EXPECT_EQ(port.last("status"), "Error saving file!");
        EXPECT_EQ(office.calls.back(), "close");
        EXPECT_EQ(port.last("selected"), "Document Closed");
    }
}
