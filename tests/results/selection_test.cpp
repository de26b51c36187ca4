#include "results/selection.h"
#include "support/recording_port.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace twinsift;
using twinsift::test::RecordingPort;

namespace {

// Entries as the scan leaves them: "[" + zero-padded line number + "]   " + key.
void setEntries(LoadedDocument& doc, int totalLines, const std::vector<std::pair<int, std::string>>& entries) {
    const std::size_t width = std::to_string(totalLines).size();
    doc.lstDuplicates.Clear();
    for (const auto& [line, key] : entries) {
        std::string n = std::to_string(line);
        doc.lstDuplicates.AddItem("[" + std::string(width - n.size(), '0') + n + "]   " + key);
    }
    doc.lSelectedCount = 0;
}

std::string flags(const LoadedDocument& doc) {
    std::string s;
    for (std::int32_t i = 0; i < doc.lstDuplicates.ListCount(); ++i) s += doc.lstDuplicates.Selected(i) ? 'x' : '.';
    return s;
}

struct Fixture : ::testing::Test {
    LoadedDocument doc;
    RunState run;
    RecordingPort port;
    SelectionCommands cmd{doc, run, port};

    void SetUp() override {
        doc.bScanCaseSensitive = true;
        // Two groups of three and a group of two empty lines at the end.
        setEntries(doc, 100, {{1, "a"}, {5, "a"}, {9, "a"}, {2, "b"}, {3, "b"}, {4, "b"}, {7, ""}, {8, ""}});
    }
};

} // namespace

TEST(ParseKeepCount, ReadsTheLeadingNumberRoundingHalfToEven) {
    EXPECT_EQ(ParseKeepCount("2.5"), 2);
    EXPECT_EQ(ParseKeepCount("3.5"), 4);
    EXPECT_EQ(ParseKeepCount("12abc"), 12);
    EXPECT_EQ(ParseKeepCount("   7"), 7);
    EXPECT_EQ(ParseKeepCount("+3"), 3);
    EXPECT_EQ(ParseKeepCount("-3"), -3);
    EXPECT_EQ(ParseKeepCount("2147483647"), 2147483647);
}

TEST(ParseKeepCount, AnythingElseIsZero) {
    for (const char* reply : {"", "abc", "  x5", ".", "-", "2147483648", "-2147483649", "99999999999999999999999"})
        EXPECT_EQ(ParseKeepCount(reply), 0) << reply;
}

TEST_F(Fixture, ListWideRulesWorkGroupByGroup) {
    cmd.mnuSelAllButFirst_Click();
    EXPECT_EQ(flags(doc), ".xx.xx.x");
    EXPECT_EQ(doc.lSelectedCount, 5);
    cmd.mnuSelAllButLast_Click();
    EXPECT_EQ(flags(doc), "xx.xx.x.");
    EXPECT_EQ(doc.lSelectedCount, 5);
    cmd.mnuSelAll_Click();
    EXPECT_EQ(flags(doc), "xxxxxxxx");
    EXPECT_EQ(port.last("selected"), "8 of 8 dups. selected.");
    cmd.mnuUnsel_Click();
    EXPECT_EQ(flags(doc), "........");
    EXPECT_EQ(doc.lSelectedCount, 0);
    EXPECT_EQ(port.all("selected").front(), "Selecting...");
    EXPECT_NE(std::find(port.all("selected").begin(), port.all("selected").end(), "Unselecting..."),
              port.all("selected").end());
}

TEST_F(Fixture, InvertTwiceRestoresEveryFlag) {
    cmd.mnuSelAllButFirst_Click();
    const std::string before = flags(doc);
    cmd.mnuInvert_Click();
    EXPECT_EQ(flags(doc), "x..x..x.");
    EXPECT_EQ(doc.lSelectedCount, 3); // the entries that were clear
    cmd.mnuInvert_Click();
    EXPECT_EQ(flags(doc), before);
    EXPECT_EQ(doc.lSelectedCount, 5);
}

TEST_F(Fixture, KeepFirstAndLastNPerGroup) {
    cmd.SelectAllButFirstN(2);
    EXPECT_EQ(flags(doc), "..x..x..");
    cmd.SelectAllButLastN(2);
    EXPECT_EQ(flags(doc), "x..x....");
    EXPECT_EQ(doc.lSelectedCount, 2);
    cmd.SelectAllButFirstN(5); // more than any group holds
    EXPECT_EQ(flags(doc), "........");
    cmd.SelectAllButFirstN(1);
    const std::string n1 = flags(doc);
    cmd.mnuSelAllButFirst_Click();
    EXPECT_EQ(flags(doc), n1);
}

TEST_F(Fixture, PromptRepliesThatAreNotAPositiveNumberChangeNothing) {
    cmd.mnuSelAllButFirst_Click();
    const std::string before = flags(doc);
    const auto textsBefore = port.all("selected").size();
    port.inputReplies = {std::string("abc"), std::string("-2"), std::string("0"), std::string(""), std::nullopt,
                         std::string("4294967296")};
    for (int i = 0; i < 6; ++i) cmd.mnuSelAllButFirstNN_Click();
    EXPECT_EQ(flags(doc), before);
    EXPECT_EQ(port.all("selected").size(), textsBefore);

    port.inputReplies = {std::string("2.5")};
    cmd.mnuSelAllButLastNN_Click();
    EXPECT_EQ(flags(doc), "x..x....");
}

TEST(Selection, CaseRuleDecidesTheGroups) {
    LoadedDocument doc;
    RunState run;
    RecordingPort port;
    SelectionCommands cmd(doc, run, port);
    setEntries(doc, 9, {{1, "abc"}, {5, "ABC"}, {9, "abc"}});

    doc.bScanCaseSensitive = false;
    cmd.SelectAllButFirstN(2); // lines 1 and 5 stay, 9 goes
    EXPECT_EQ(flags(doc), "..x");
    cmd.mnuSelAllButFirst_Click();
    EXPECT_EQ(flags(doc), ".xx");

    doc.bScanCaseSensitive = true; // now three groups of one
    cmd.mnuSelAllButFirst_Click();
    EXPECT_EQ(flags(doc), "...");
}

TEST(Selection, EntriesSharingTheirKeysBytesWalkLikeAnyOther) {
    // Line references of one group may borrow the same key bytes, or have
    // equal bytes of their own, between entries stored as text.
    LoadedDocument doc;
    RunState run;
    RecordingPort port;
    SelectionCommands cmd(doc, run, port);
    static const char text[] = "ab" "ab" "AB" "b";
    const char* ab = text;
    const char* ab2 = text + 2;
    const char* AB = text + 4;
    const char* b = text + 6;
    clsListEmu& list = doc.lstDuplicates;
    list.SetEntryWidth(2);
    list.AddEntryRef(ab, 2, 1);
    list.AddEntryRef(ab, 2, 4);
    list.AddEntryRef(ab2, 2, 6);
    list.AddItem("[09]   ab");
    list.AddEntryRef(ab, 2, 11);
    list.AddEntryRef(AB, 2, 12);
    list.AddEntryRef(AB, 2, 13);
    list.AddEntryRef(ab, 1, 2); // "a": a prefix of the same bytes
    list.AddEntryRef(ab, 1, 3);
    list.AddItem("[05]   b");
    list.AddEntryRef(b, 1, 7);

    doc.bScanCaseSensitive = true;
    cmd.mnuSelAllButFirst_Click();
    EXPECT_EQ(flags(doc), ".xxxx.x.x.x");
    cmd.mnuSelAllButLast_Click();
    EXPECT_EQ(flags(doc), "xxxx.x.x.x.");
    cmd.SelectAllButFirstN(2);
    EXPECT_EQ(flags(doc), "..xxx......");

    doc.bScanCaseSensitive = false;
    cmd.mnuSelAllButFirst_Click();
    EXPECT_EQ(flags(doc), ".xxxxxx.x.x");
    cmd.SelectAllButLastN(3);
    EXPECT_EQ(flags(doc), "xxxx.......");
}

TEST(Selection, AllButLastOnOneGroupOfTwo) {
    LoadedDocument doc;
    RunState run;
    RecordingPort port;
    SelectionCommands cmd(doc, run, port);
    setEntries(doc, 20, {{3, "x"}, {17, "x"}});
    cmd.mnuSelAllButLast_Click();
    EXPECT_EQ(flags(doc), "x.");
    EXPECT_EQ(port.last("selected"), "1 of 2 dups. selected.");
    // The view hears once of every row the walk rewrote.
    EXPECT_EQ(port.checkedRanges, (std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 1}}));
}

TEST(Selection, ProgressTextEveryTenEntries) {
    for (int n : {9, 10, 25}) {
        LoadedDocument doc;
        RunState run;
        RecordingPort port;
        SelectionCommands cmd(doc, run, port);
        std::vector<std::pair<int, std::string>> e;
        for (int i = 1; i <= n; ++i) e.push_back({i, "k"});
        setEntries(doc, n, e);
        cmd.mnuSelAll_Click();
        std::vector<std::string> expected{"Selecting..."};
        if (n == 10) expected.push_back("Selecting... 100%");
        if (n == 25) expected = {"Selecting...", "Selecting... 37%", "Selecting... 79%"};
        expected.push_back(std::to_string(n) + " of " + std::to_string(n) + " dups. selected.");
        EXPECT_EQ(port.all("selected"), expected) << n;
    }
}

TEST(Selection, BackwardWalkProgressFalls) {
    LoadedDocument doc;
    RunState run;
    RecordingPort port;
    SelectionCommands cmd(doc, run, port);
    std::vector<std::pair<int, std::string>> e;
    for (int i = 1; i <= 21; ++i) e.push_back({i, "k"});
    setEntries(doc, 21, e);
    cmd.SelectAllButLastN(1);
    EXPECT_EQ(port.all("selected"),
              (std::vector<std::string>{"Selecting...", "Selecting... 55%", "Selecting... 5%", "20 of 21 dups. selected."}));
    EXPECT_FALSE(doc.lstDuplicates.Selected(20));
}

TEST_F(Fixture, GroupCommandsActOnTheHighlightedRowsGroup) {
    port.highlighted = 4; // middle of the "b" group
    cmd.mnuSelAllOfCurrent_Click();
    EXPECT_EQ(flags(doc), "...xxx..");
    EXPECT_EQ(port.checkedRanges, (std::vector<std::pair<std::int32_t, std::int32_t>>{{3, 5}}));
    EXPECT_EQ(port.last("selected"), "3 of 8 dups. selected.");
    port.highlighted = 7; // the empty-line group is a group like any other
    cmd.mnuSelAllOfCurrent_Click();
    EXPECT_EQ(flags(doc), "...xxxxx");
    port.highlighted = 3;
    cmd.mnuSelNoneOfCurrent_Click();
    EXPECT_EQ(flags(doc), "......xx");
    EXPECT_EQ(doc.lSelectedCount, 2);
    // Group commands show no progress figures.
    for (const auto& t : port.all("selected")) EXPECT_EQ(t.find('%'), std::string::npos);
}

TEST_F(Fixture, WithoutAHighlightedRowOrWhileBusyNothingHappens) {
    port.highlighted = -1;
    cmd.mnuSelAllOfCurrent_Click();
    port.highlighted = 99;
    cmd.mnuSelNoneOfCurrent_Click();
    EXPECT_TRUE(port.all("selected").empty());

    run.bBusy = true; // an Open or Save is running
    cmd.mnuSelAll_Click();
    port.highlighted = 0;
    cmd.mnuSelAllOfCurrent_Click();
    cmd.lwDups_ItemCheck(0);
    EXPECT_EQ(flags(doc), "........");
    EXPECT_EQ(doc.lSelectedCount, 0);
}

TEST_F(Fixture, CheckBoxFlipsOneEntryButNotWhileACommandRuns) {
    cmd.lwDups_ItemCheck(2);
    cmd.lwDups_ItemCheck(5);
    EXPECT_EQ(flags(doc), "..x..x..");
    EXPECT_EQ(port.last("selected"), "2 of 8 dups. selected.");
    cmd.lwDups_ItemCheck(2);
    EXPECT_EQ(doc.lSelectedCount, 1);

    // A click that lands while the command lets events run is answered
    // from the flag: the box goes back, the flag and the count stay.
    bool clicked = false;
    port.onPump = [&] {
        if (clicked) return;
        clicked = true;
        cmd.lwDups_ItemCheck(0);
    };
    cmd.mnuUnsel_Click();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(flags(doc), "........");
    EXPECT_EQ(doc.lSelectedCount, 0);
    EXPECT_FALSE(port.checks.at(0));
}

TEST_F(Fixture, LargeFileModeChangesOnlyTheFlags) {
    doc.bNoDisplay = true;
    cmd.mnuSelAllButFirst_Click();
    EXPECT_EQ(flags(doc), ".xx.xx.x");
    EXPECT_EQ(doc.lSelectedCount, 5);
    EXPECT_EQ(port.dupRowWrites, 0);
}
