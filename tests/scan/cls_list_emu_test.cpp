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

namespace {
// Two blocks of bytes loaded in bulk, as the source reader does, lines split at '\n'.
clsListEmu bulkLoaded(const std::vector<std::string>& files) {
    clsListEmu l;
    for (const std::string& f : files) {
        ByteBlock b(f.size());
        std::copy(f.begin(), f.end(), b.data());
        const char* base = l.AdoptBlock(std::move(b));
        std::size_t start = 0;
        for (std::size_t i = 0; i <= f.size(); ++i)
            if (i == f.size() || f[i] == '\n') {
                l.AddItemRef(base + start, static_cast<std::uint32_t>(i - start));
                start = i + 1;
            }
    }
    return l;
}
} // namespace

TEST(ClsListEmu, BulkLoadedLinesBehaveLikeAddedOnesThroughEveryChange) {
    clsListEmu l = bulkLoaded({"bom-first\nb\nc", "d\nee"});
    EXPECT_EQ(texts(l), (std::vector<std::string>{"bom-first", "b", "c", "d", "ee"}));
    EXPECT_EQ(l.Capacity(), 100);
    l.Selected(3, true);
    // Cutting a line down to a piece of itself (a byte-order mark) and
    // replacing it with a new text.
    l.List(0, l.ListView(0).substr(4));
    l.List(4, "a longer text than before");
    EXPECT_EQ(texts(l), (std::vector<std::string>{"first", "b", "c", "d", "a longer text than before"}));
    EXPECT_TRUE(l.Selected(3));
    EXPECT_FALSE(l.Selected(4));
    EXPECT_EQ(l.Find("d"), 3);
    l.RemoveItem(1);
    l.AddItem("z");
    EXPECT_EQ(texts(l), (std::vector<std::string>{"first", "c", "d", "a longer text than before", "z"}));
    EXPECT_TRUE(l.Selected(2));

    clsListEmu sorted = bulkLoaded({"Pear\napple\nfig"});
    sorted.Selected(0, true);
    sorted.ShellSort(Collation(Codec::Utf8));
    EXPECT_EQ(texts(sorted), (std::vector<std::string>{"apple", "fig", "Pear"}));
    EXPECT_TRUE(sorted.Selected(0)) << "the flags stay where they are";
}

TEST(ClsListEmu, EntryItemsPutTheirTextTogetherFromTheBorrowedKey) {
    clsListEmu lines = bulkLoaded({"alpha\nbeta\nalpha"});
    clsListEmu dups;
    dups.SetEntryWidth(2);
    dups.MarkEntrySortGroup(0);
    dups.AddEntryRef(lines.ListView(0).data(), 5, 1);
    dups.AddEntryRef(lines.ListView(2).data(), 5, 3);
    dups.AddItem("plain text");
    EXPECT_EQ(texts(dups), (std::vector<std::string>{"00[01]   alpha", "00[03]   alpha", "plain text"}));
    EXPECT_EQ(dups.EntryLineNumber(1), 3);
    EXPECT_EQ(dups.EntryLineNumber(2), 0);
    EXPECT_EQ(dups.EntrySortKey(1), 0);
    EXPECT_EQ(dups.EntrySortKey(2), -1);
    // A caller may hold one entry's text while it reads the next.
    const std::string_view first = dups.ListView(0);
    EXPECT_EQ(dups.ListView(1), "00[03]   alpha");
    EXPECT_EQ(first, "00[01]   alpha");

    // A block of them as lines, with the sort keys and without.
    std::string block = "x";
    dups.AppendLines(0, 3, block);
    EXPECT_EQ(block, "x00[01]   alpha\n00[03]   alpha\nplain text\n");
    dups.AddEntryRef(nullptr, 0, 7);
    dups.DropEntrySortKeys();
    block.clear();
    dups.AppendLines(1, 4, block);
    EXPECT_EQ(block, "[03]   alpha\nplain text\n[07]   \n");
    dups.RemoveItem(3);

    dups.Selected(1, true);
    dups.OwnTexts();
    lines.Clear(); // the keys now live in the entry list
    EXPECT_EQ(texts(dups), (std::vector<std::string>{"[01]   alpha", "[03]   alpha", "plain text"}));
    EXPECT_TRUE(dups.Selected(1));
    dups.List(0, "[01]   changed");
    EXPECT_EQ(dups.List(0), "[01]   changed");
    EXPECT_EQ(dups.EntryLineNumber(0), 0);
}

TEST(ClsListEmu, EntriesKeepTheirSortableTextWhenItemsMove) {
    clsListEmu lines = bulkLoaded({"b\na\nb\na"});
    clsListEmu dups;
    dups.SetEntryWidth(1);
    for (int group : {0, 1}) {
        dups.MarkEntrySortGroup(dups.ListCount());
        for (int line : {group + 1, group + 3}) dups.AddEntryRef(lines.ListView(line - 1).data(), 1, line);
    }
    EXPECT_EQ(texts(dups), (std::vector<std::string>{"0[1]   b", "0[3]   b", "1[2]   a", "1[4]   a"}));
    dups.RemoveItem(0);
    EXPECT_EQ(texts(dups), (std::vector<std::string>{"0[3]   b", "1[2]   a", "1[4]   a"}));
    dups.ShellSortWith([](std::string_view a, std::string_view b) { return b.compare(a); }, false);
    EXPECT_EQ(texts(dups), (std::vector<std::string>{"1[4]   a", "1[2]   a", "0[3]   b"}));

    // The display drops the keys of the entries it has finished with.
    clsListEmu shown;
    shown.SetEntryWidth(1);
    shown.MarkEntrySortGroup(0);
    shown.AddEntryRef(lines.ListView(0).data(), 1, 1);
    shown.AddEntryRef(lines.ListView(2).data(), 1, 3);
    shown.DropEntrySortKeys(1);
    EXPECT_EQ(texts(shown), (std::vector<std::string>{"[1]   b", "0[3]   b"}));
}

TEST(ClsListEmu, BulkLinesKeepTheirExactTextsWhateverSeparatesThem) {
    // Each case: the block, then the lines a reader cut from it (start, length).
    struct Case {
        std::string block;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> lines;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        // CR LF, a lone CR, an LF that belongs to the text before a CR, an
        // empty line, and a last line without an end.
        {"one\r\ntwo\n\r\r\nlast", {{0, 3}, {5, 4}, {10, 0}, {12, 4}}, {"one", "two\n", "", "last"}},
        // Pieces split at LF, the last one ended by a CR.
        {"a\nb\n\nc\r", {{0, 1}, {2, 1}, {4, 0}, {5, 1}}, {"a", "b", "", "c"}},
        // Lines the separator rule does not give: a CR the reader kept, bytes
        // skipped between lines.
        {"k\r\nnext\r\nz", {{0, 2}, {3, 4}, {9, 1}}, {"k\r", "next", "z"}},
        {"p--q\rr", {{0, 1}, {3, 1}, {5, 1}}, {"p", "q", "r"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        clsListEmu l;
        ByteBlock b(c.block.size());
        std::copy(c.block.begin(), c.block.end(), b.data());
        const char* base = l.AdoptBlock(std::move(b));
        for (const auto& [start, length] : c.lines) {
            l.AddItemRef(base + start, length);
            EXPECT_EQ(l.List(l.ListCount() - 1), c.expected[static_cast<std::size_t>(l.ListCount() - 1)]);
        }
        EXPECT_EQ(texts(l), c.expected);
        l.Selected(1, true);
        l.Selected(2, true);
        l.Selected(2, false);
        EXPECT_TRUE(l.Selected(1));
        EXPECT_FALSE(l.Selected(0));
        EXPECT_FALSE(l.Selected(2));
        // Cuts: the first bytes of a block's first line, the first bytes of a
        // line in the middle (its neighbour must keep its end), the last bytes
        // of a line.
        l.List(0, l.ListView(0).substr(1));
        l.List(2, l.ListView(2).substr(std::min<std::size_t>(1, l.ListView(2).size())));
        l.List(1, l.ListView(1).substr(0, 1));
        std::vector<std::string> cut = c.expected;
        cut[0] = cut[0].substr(1);
        cut[2] = cut[2].substr(std::min<std::size_t>(1, cut[2].size()));
        cut[1] = cut[1].substr(0, 1);
        EXPECT_EQ(texts(l), cut);
        EXPECT_TRUE(l.Selected(1));
        EXPECT_FALSE(l.Selected(2));
    }
}

TEST(ClsListEmu, OwningTheKeysGivesBackTheLinesBehindAndKeepsEveryKey) {
    // 300,000 lines of about 76 bytes. Group k holds lines k and k + 150,000
    // (k < 100,000); then a group of two "abc" lines, and far behind it one of
    // two lines of three NUL bytes, which must not be taken for the bytes of
    // the "abc" lines once those are given back.
    constexpr int kLines = 300000;
    std::vector<std::string> lineTexts(kLines);
    for (int i = 0; i < kLines; ++i) lineTexts[static_cast<std::size_t>(i)] = std::to_string(i) + std::string(70, 'x');
    for (int k = 0; k < 100000; ++k) lineTexts[static_cast<std::size_t>(k + 150000)] = lineTexts[static_cast<std::size_t>(k)];
    lineTexts[100000] = lineTexts[100001] = "abc";
    lineTexts[290000] = lineTexts[290001] = std::string(3, '\0');
    std::string text;
    for (const std::string& t : lineTexts) text += t + "\n";
    text.pop_back();
    clsListEmu lines = bulkLoaded({text});
    ASSERT_EQ(lines.ListCount(), kLines);
    clsListEmu dups;
    dups.SetEntryWidth(6);
    std::vector<std::string> expected;
    auto group = [&](std::vector<int> members) {
        dups.MarkEntrySortGroup(dups.ListCount());
        for (int m : members) {
            const std::string_view key = lines.ListView(m);
            dups.AddEntryRef(key.data(), static_cast<std::uint32_t>(key.size()), m + 1);
            std::string n = std::to_string(m + 1);
            expected.push_back("[" + std::string(6 - n.size(), '0') + n + "]   " + lineTexts[static_cast<std::size_t>(m)]);
        }
    };
    for (int k = 0; k < 100000; ++k) group({k, k + 150000});
    group({100000, 100001});
    group({290000, 290001});
    const char* firstLine = lines.ListView(0).data();
    dups.OwnTexts(&lines);
    dups.DropEntrySortKeys();
    const std::vector<std::string> got = texts(dups);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i] != expected[i]) FAIL() << "entry " << i << ": " << got[i] << " instead of " << expected[i];
#if defined(__linux__)
    EXPECT_EQ(firstLine[0], '\0') << "the lines passed were given back";
#endif
    (void)firstLine;
}

TEST(ClsListEmu, AppendedTextsAreTheTextsEveryKindOfItemShows) {
    clsListEmu lines = bulkLoaded({"alpha\nbeta\nalpha"});
    clsListEmu dups;
    dups.SetEntryWidth(3);
    dups.AddItem("plain text");
    dups.MarkEntrySortGroup(1);
    dups.AddEntryRef(lines.ListView(0).data(), 5, 1);
    dups.AddEntryRef(lines.ListView(2).data(), 5, 12345); // wider than the width
    dups.AddEntryRef(nullptr, 0, 7);
    auto check = [](const clsListEmu& l) {
        std::string all = "x", allLines = "x";
        for (int i = 0; i < l.ListCount(); ++i) {
            std::string appended = "x";
            l.AppendText(i, appended);
            EXPECT_EQ(appended, "x" + l.List(i));
            all += l.List(i) + "\n";
        }
        l.AppendLines(0, l.ListCount(), allLines);
        EXPECT_EQ(allLines, all);
    };
    check(lines);
    check(dups);
    EXPECT_EQ(dups.List(2), "000[12345]   alpha");
    dups.DropEntrySortKeys();
    check(dups);
    EXPECT_EQ(dups.List(2), "[12345]   alpha");
}
