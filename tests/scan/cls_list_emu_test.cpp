#include "scan/cls_list_emu.h"
#include "scan/text_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace twinsift;

namespace {
std::vector<std::string> texts(const clsListEmu& l) {
    std::vector<std::string> v;
    for (int i = 0; i < l.ListCount(); ++i) v.push_back(l.List(i));
    return v;
}
} // namespace

TEST(ClsListEmu, GrowsItsCapacityInStepsOfAHundredKeepingTextsAndFlags) {
    clsListEmu l;
    EXPECT_EQ(l.ListCount(), 0);
    EXPECT_EQ(l.Capacity(), 0);
    for (int i = 0; i < 100; ++i) l.AddItem("item" + std::to_string(i));
    l.Selected(42, true);
    EXPECT_EQ(l.Capacity(), 100);
    l.AddItem("item100");
    EXPECT_EQ(l.Capacity(), 200);
    EXPECT_EQ(l.ListCount(), 101);
    EXPECT_EQ(l.List(0), "item0");
    EXPECT_EQ(l.List(100), "item100");
    EXPECT_TRUE(l.Selected(42));
    EXPECT_FALSE(l.Selected(41));
    EXPECT_FALSE(l.Selected(100));
    l.RemoveItem(0);
    EXPECT_EQ(l.Capacity(), 200) << "RemoveItem keeps the capacity";
    l.Clear();
    EXPECT_EQ(l.ListCount(), 0);
    EXPECT_EQ(l.Capacity(), 0);
}

TEST(ClsListEmu, FindIsExactAndReturnsTheFirstMatch) {
    clsListEmu l;
    EXPECT_EQ(l.Find("abc"), -1);
    l.AddItem("x");
    l.AddItem("abc");
    l.AddItem("abc");
    l.AddItem("");
    EXPECT_EQ(l.Find("abc"), 1);
    EXPECT_EQ(l.Find("ABC"), -1);
    EXPECT_EQ(l.Find(""), 3);
    EXPECT_EQ(l.Find(std::string("ab\0c", 4)), -1);
}

TEST(ClsListEmu, RemoveItemMovesLaterItemsDownWithTheirFlags) {
    clsListEmu l;
    for (auto s : {"a", "b", "c", "d"}) l.AddItem(s);
    l.Selected(2, true);
    l.RemoveItem(1);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_TRUE(l.Selected(1));
    EXPECT_FALSE(l.Selected(2));
}

TEST(ClsListEmu, ReplacingTextKeepsTheFlagAndHandlesLongerShorterAndSelfTexts) {
    clsListEmu l;
    l.AddItem("0005[0006]   hello");
    l.AddItem("second");
    l.Selected(0, true);
    // Cutting a prefix off the item's own text, as the scan's final step does.
    l.List(0, l.ListView(0).substr(4));
    EXPECT_EQ(l.List(0), "[0006]   hello");
    EXPECT_TRUE(l.Selected(0));
    l.List(1, std::string(5000, 'z'));
    EXPECT_EQ(l.List(1), std::string(5000, 'z'));
    EXPECT_EQ(l.List(0), "[0006]   hello");
}

TEST(ClsListEmu, ManyItemsSurviveArenaGrowth) {
    clsListEmu l;
    for (int i = 0; i < 200000; ++i) l.AddItem(std::to_string(i) + std::string(i % 50, 'q'));
    for (int i = 0; i < 200000; i += 997) EXPECT_EQ(l.List(i), std::to_string(i) + std::string(i % 50, 'q'));
}

TEST(ClsListEmu, ShellSortIsCaseInsensitiveAndLeavesFlagsInPlace) {
    Collation coll(Codec::Utf8, "en_US");
    clsListEmu l;
    for (auto s : {"b", "A", "a", "C"}) l.AddItem(s);
    l.Selected(1, true);
    l.ShellSort(coll);
    auto v = texts(l);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_TRUE((v[0] == "A" && v[1] == "a") || (v[0] == "a" && v[1] == "A"));
    EXPECT_EQ(v[2], "b");
    EXPECT_EQ(v[3], "C");
    EXPECT_FALSE(l.Selected(0));
    EXPECT_TRUE(l.Selected(1));

    l.ShellSort_Descending(coll);
    v = texts(l);
    EXPECT_EQ(v[0], "C");
    EXPECT_EQ(v[1], "b");
}

TEST(ClsListEmu, ShellSortMatchesAnOrdinarySortOnLargerLists) {
    Collation coll(Codec::Utf8, "en_US");
    clsListEmu l;
    std::vector<std::string> expect;
    unsigned x = 12345;
    for (int i = 0; i < 3000; ++i) {
        x = x * 1103515245u + 12345u;
        std::string s = "k" + std::to_string((x >> 8) % 100000);
        l.AddItem(s);
        expect.push_back(s);
    }
    std::sort(expect.begin(), expect.end(), [&](auto& a, auto& b) { return coll.compare(a, b) < 0; });
    l.ShellSort(coll);
    for (int i = 0; i < l.ListCount(); ++i) ASSERT_EQ(coll.compare(l.List(i), expect[i]), 0) << i;
}

TEST(ClsListEmu, SortingFewerThanTwoItemsDoesNothing) {
    Collation coll(Codec::Utf8, "en_US");
    clsListEmu l;
    l.ShellSort(coll);
    l.AddItem("only");
    l.ShellSort_Descending(coll);
    EXPECT_EQ(l.List(0), "only");
}
