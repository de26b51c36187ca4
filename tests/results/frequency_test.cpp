#include "results/frequency.h"
#include "scan/dup_entry.h"

#include <gtest/gtest.h>

using namespace twinsift;

namespace {

clsListEmu entries(const std::vector<std::string>& texts) {
    clsListEmu l;
    for (const auto& t : texts) l.AddItem(t);
    return l;
}

// Entries of groups with the given sizes, texts g0, g1, ...
clsListEmu groups(const std::vector<int>& sizes) {
    clsListEmu l;
    int line = 1;
    for (std::size_t g = 0; g < sizes.size(); ++g)
        for (int i = 0; i < sizes[g]; ++i) l.AddItem("[" + std::to_string(line++) + "]   g" + std::to_string(g));
    return l;
}

std::vector<std::int64_t> counts(const FrequencyList& f) {
    std::vector<std::int64_t> c;
    for (const auto& r : f.rows()) c.push_back(r.count);
    return c;
}

} // namespace

TEST(FrequencyList, OneRowPerGroupMostFrequentFirst) {
    FrequencyList f;
    f.Calculate(groups({10}), false, Codec::Utf8);
    ASSERT_EQ(f.rows().size(), 1u);
    EXPECT_EQ(f.rows()[0].count, 10);
    EXPECT_EQ(f.rows()[0].line, "g0");

    f.Calculate(groups({2, 10, 3}), false, Codec::Utf8);
    EXPECT_EQ(counts(f), (std::vector<std::int64_t>{10, 3, 2}));
    EXPECT_EQ(f.rows()[0].line, "g1");
    EXPECT_EQ(f.sortColumn(), FrequencyList::Column::Count);
    EXPECT_TRUE(f.descending());
}

TEST(FrequencyList, ColumnClicksToggleTheOrder) {
    FrequencyList f;
    f.Calculate(groups({2, 10, 3}), false, Codec::Utf8);
    f.ColumnClick(FrequencyList::Column::Count, {});
    EXPECT_EQ(counts(f), (std::vector<std::int64_t>{2, 3, 10}));
    f.ColumnClick(FrequencyList::Column::Count, {});
    EXPECT_EQ(counts(f), (std::vector<std::int64_t>{10, 3, 2}));

    f.ColumnClick(FrequencyList::Column::Line, {}); // another column: ascending
    EXPECT_EQ(f.rows()[0].line, "g0");
    EXPECT_EQ(f.rows()[2].line, "g2");
    f.ColumnClick(FrequencyList::Column::Line, {});
    EXPECT_EQ(f.rows()[0].line, "g2");

    // A locale comparison can be given for the Line column.
    f.ColumnClick(FrequencyList::Column::Line, [](std::string_view a, std::string_view b) { return b.compare(a); });
    EXPECT_EQ(f.rows()[0].line, "g2");
}

TEST(FrequencyList, LargeCountsStillSortAsNumbers) {
    FrequencyList f;
    f.Calculate(groups({10000, 9999, 2, 123456}), true, Codec::Utf8);
    EXPECT_EQ(counts(f), (std::vector<std::int64_t>{123456, 10000, 9999, 2}));
    f.ColumnClick(FrequencyList::Column::Count, {});
    EXPECT_EQ(counts(f), (std::vector<std::int64_t>{2, 9999, 10000, 123456}));
}

TEST(FrequencyList, GroupsFollowTheCaseRuleAndShowTheFirstForm) {
    const clsListEmu l = entries({"[1]   Apple", "[2]   APPLE", "[3]   apple", "[4]   \xC3\xA9t\xC3\xA9",
                                  "[5]   \xC3\x89T\xC3\x89"});
    FrequencyList f;
    f.Calculate(l, false, Codec::Utf8);
    ASSERT_EQ(f.rows().size(), 2u);
    EXPECT_EQ(f.rows()[0].count, 3);
    EXPECT_EQ(f.rows()[0].line, "Apple");
    EXPECT_EQ(f.rows()[1].count, 2);

    f.Calculate(l, true, Codec::Utf8);
    EXPECT_EQ(f.rows().size(), 5u);
}

TEST(FrequencyList, EmptyLineGroupAndCopyText) {
    FrequencyList f;
    f.Calculate(entries({"[1]   x", "[3]   x", "[2]   ", "[4]   ", "[5]   "}), false, Codec::Utf8);
    ASSERT_EQ(f.rows().size(), 2u);
    EXPECT_EQ(f.rows()[0].count, 3);
    EXPECT_EQ(f.rows()[0].line, "");
    EXPECT_EQ(f.CopyText(), "3\t\t\r\n2\t\tx\r\n");
    EXPECT_EQ(ReadDupEntry("[0012]   a ] b  ").key, "a ] b  ");
    EXPECT_EQ(ReadDupEntry("[0012]   a ] b  ").lineNumber, 12);
}

TEST(FrequencyList, EntriesThatBorrowTheirKeysCountLikeTextOnes) {
    // The scan's entries put their text together on reading, in a few
    // buffers taken in turn: a group of four (or eight) must not make the
    // next group's first entry look like its own.
    const std::vector<std::string> keys = {"k0", "k1", "k2", "k3", "k4", "k5"};
    const std::vector<int> sizes = {4, 8, 2, 6, 4, 3};
    clsListEmu borrowed;
    borrowed.SetEntryWidth(2);
    std::int32_t line = 1;
    for (std::size_t g = 0; g < sizes.size(); ++g)
        for (int i = 0; i < sizes[g]; ++i)
            borrowed.AddEntryRef(keys[g].data(), static_cast<std::uint32_t>(keys[g].size()), line++);
    FrequencyList f;
    f.Calculate(borrowed, false, Codec::Utf8);
    EXPECT_EQ(counts(f), (std::vector<std::int64_t>{8, 6, 4, 4, 3, 2}));
}
