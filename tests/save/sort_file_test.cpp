#include "save/sort_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace twinsift;
using twinsift::test::TempDir;
using twinsift::test::readFile;

namespace {
const Collation& collation() {
    static const Collation c(Codec::Utf8, "en_US");
    return c;
}
} // namespace

TEST(SortFile, SortsCaseInsensitivelyWithCrLfAfterEveryLine) {
    TempDir dir;
    const std::string p = dir.write("f.txt", "b\r\nA\r\na\r\nC\r\n");
    int pumps = 0;
    ASSERT_TRUE(SortFile(p, false, collation(), [&] { ++pumps; }));
    const std::string out = readFile(p);
    EXPECT_TRUE(out == "A\r\na\r\nb\r\nC\r\n" || out == "a\r\nA\r\nb\r\nC\r\n") << out;
    EXPECT_EQ(pumps, 2);

    ASSERT_TRUE(SortFile(p, true, collation()));
    const std::string desc = readFile(p);
    EXPECT_EQ(desc.substr(0, 6), "C\r\nb\r\n");
    EXPECT_EQ(desc.size(), out.size());
}

TEST(SortFile, LineBreaksAndEmptyLines) {
    TempDir dir;
    // CR alone and a missing final break both end lines; the empty line sorts first.
    const std::string p = dir.write("f.txt", "zeta\rbeta\r\n\r\nalpha");
    ASSERT_TRUE(SortFile(p, false, collation()));
    EXPECT_EQ(readFile(p), "\r\nalpha\r\nbeta\r\nzeta\r\n");

    const std::string one = dir.write("one.txt", "only line\r\n");
    ASSERT_TRUE(SortFile(one, false, collation()));
    EXPECT_EQ(readFile(one), "only line\r\n");

    // A lone LF is part of its line.
    const std::string lf = dir.write("lf.txt", "b\nx\r\na\r\n");
    ASSERT_TRUE(SortFile(lf, false, collation()));
    EXPECT_EQ(readFile(lf), "a\r\nb\nx\r\n");
}

TEST(SortFile, NothingToSortReportsFailureAndTouchesNothing) {
    TempDir dir;
    const std::string empty = dir.write("empty.txt", "");
    EXPECT_FALSE(SortFile(empty, false, collation()));
    EXPECT_EQ(readFile(empty), "");
    EXPECT_FALSE(SortFile((dir.path() / "missing.txt").string(), false, collation()));
    EXPECT_FALSE(SortFile("", false, collation()));
}
