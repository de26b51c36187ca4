#include "cli_runner.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using twinsift::test::TempDir;
using twinsift::test::cli;

TEST(CliScan, ListsTheDuplicateEntriesByDefault) {
    TempDir d;
    const std::string f = d.write("a.txt", "b\r\na\r\n B\r\na\r\nb\r\nc");
    for (auto args : {std::vector<std::string>{f}, std::vector<std::string>{"--list", f}}) {
        auto r = cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "[1]   b\n[3]   B\n[5]   b\n[2]   a\n[4]   a\n");
        EXPECT_EQ(r.err, "Scanned 6 lines: Found 5 duplicate lines with 2 unique duplicates!\n");
    }
    auto r = cli({"--quiet", "--case-sensitive", "--keep-whitespace", f});
    EXPECT_EQ(r.out, "[1]   b\n[5]   b\n[2]   a\n[4]   a\n");

    r = cli({d.write("u.txt", "x\r\ny\r\n")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "No duplicate lines found...\n");
}

TEST(CliScan, SeveralFilesAreOneDocument) {
    TempDir d;
    auto r = cli({d.write("a.txt", "x\r\ny\r\n"), d.write("b.txt", "z\ny\n")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[2]   y\n[4]   y\n");
}

TEST(CliScan, LinesShowWhatTheProgramReads) {
    TempDir d;
    const std::string f = d.write("a.txt", "\xEF\xBB\xBF" "a\xC2\xA0" "b\r\n c\r\n");
    auto r = cli({"--lines", f});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "a b\n c\n");
    r = cli({"--lines", "--no-nbsp-conversion", f});
    EXPECT_EQ(r.out, "a\xC2\xA0" "b\n c\n");
}

TEST(CliScan, FrequencyTable) {
    TempDir d;
    auto r = cli({"--frequency", d.write("a.txt", "x\r\ny\r\ny\r\nX\r\ny\r\n")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "3\t\ty\n2\t\tx\n");
}

TEST(CliScan, LoadOptionsShapeTheKeys) {
    TempDir d;
    const std::string f = d.write("a.txt", "id=1;x\r\nID=2;x\r\nid=1;y\r\n\r\nskip=1;x\r\n\r\n");
    EXPECT_EQ(cli({"--skip-chars", "4", f}).out, "[1]   ;x\n[2]   ;x\n");
    EXPECT_EQ(cli({"--skip-chars", "5", f}).out, "[1]   x\n[2]   x\n");
    EXPECT_EQ(cli({"--max-chars=4", "--exclude", "skip", f}).out, "[1]   id=1\n[3]   id=1\n");
    EXPECT_EQ(cli({"--skip-until", ";", f}).out, "[1]   ;x\n[2]   ;x\n[5]   ;x\n");
    EXPECT_EQ(cli({"--cut-at", ";", "--include", "id=", f}).out, "[1]   id=1\n[3]   id=1\n");
    EXPECT_EQ(cli({"--key-pattern", "=\\d", "--key-regex", f}).out, "[1]   =1\n[3]   =1\n[5]   =1\n");
    EXPECT_EQ(cli({"--key-pattern", "I:=", "--key-case-sensitive", "--include", "X$", "--include-regex",
                   "--include-case-sensitive", f})
                  .out,
              "");
    EXPECT_EQ(cli({"--report-empty-lines", "--include", "*", "--exclude", "=1", f}).out, "[4]   \n[6]   \n");
    EXPECT_EQ(cli({"--exclude", "ID", "--exclude-case-sensitive", "--max-chars", "2", f}).out,
              "[1]   id\n[3]   id\n");
    EXPECT_EQ(cli({"--skip-until", "=", "--cut-at", ";", f}).out, "[1]   =1\n[3]   =1\n[5]   =1\n");
    EXPECT_EQ(cli({"--exclude", "^s", "--exclude-regex", "--skip-until", "=", "--cut-at", ";", f}).out,
              "[1]   =1\n[3]   =1\n");
}

TEST(CliScan, ExclusivePairsApplyBothInOrder) {
    TempDir d;
    const std::string f = d.write("a.txt", "ab=cd=1\r\nxy=cd=1\r\n");
    // Skip two characters, then up to the "=": both lines give "=cd=1".
    EXPECT_EQ(cli({"--skip-chars", "2", "--skip-until", "=", f}).out, "[1]   =cd=1\n[2]   =cd=1\n");
    EXPECT_EQ(cli({"--max-chars", "5", "--cut-at", "c", f}).out, "");
    EXPECT_EQ(cli({"--max-chars", "5", "--cut-at", "=", "--skip-chars", "3", f}).out, "[1]   cd\n[2]   cd\n");
}

TEST(CliScan, NumbersAreSixteenBitAndNegativeOnesKeepTheLine) {
    TempDir d;
    const std::string f = d.write("a.txt", " a\r\na\r\n a\r\n");
    // The failure rule: the whole line, whitespace included, is the key.
    EXPECT_EQ(cli({"--skip-chars", "-1", f}).out, "[1]    a\n[3]    a\n");
    EXPECT_EQ(cli({"--skip-chars", "32767", f}).status, 0);
    for (const char* bad : {"abc", "40000", "-32769", "", "1.5", "7x"}) {
        auto r = cli({"--skip-chars", bad, f});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--skip-chars"), std::string::npos) << bad;
        EXPECT_EQ(cli({"--max-chars", bad, f}).status, 2) << bad;
    }
    EXPECT_EQ(cli({"--max-chars", f}).status, 2);          // the file name is no number
    EXPECT_EQ(cli({f, "--skip-until"}).status, 2);         // value missing
    EXPECT_EQ(cli({"--quiet=1", f}).status, 2);            // takes no value
}

TEST(CliScan, FileErrorsExitWithOne) {
    TempDir d;
    auto r = cli({(d.path() / "missing.txt").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: Can't Open File...\n");
    r = cli({d.write("a.txt", "x\r\n"), d.write("e.txt", "")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "File Is Empty! Scan aborted...\n");
    r = cli({d.write("b.txt", "x\r\n"), d.write("c.xlsx", "PK")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Can't combine textfiles and Word/Excel files! Scan aborted...\n");
    EXPECT_TRUE(r.out.empty());
}

TEST(CliScan, APatternTheEngineRefusesIsAUsageError) {
    TempDir d;
    const std::string f = d.write("a.txt", "a(b\r\na(b\r\n");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"--include", "a(b", "--include-regex", f}, "twinsift-cli: --include: missing closing parenthesis at offset 3\n"},
        {{"--exclude", "[x", "--exclude-regex", f}, "twinsift-cli: --exclude: missing terminating ] for character class at offset 2\n"},
        {{"--key-pattern", "a{1,99999}", "--key-regex", f},
         "twinsift-cli: --key-pattern: number too big in {} quantifier at offset 9\n"},
        {{"--include", std::string(40000, 'a'), f}, "twinsift-cli: --include: pattern longer than 32768 bytes\n"},
    };
    for (const Case& c : cases) {
        const auto r = cli(c.args);
        EXPECT_EQ(r.status, 2) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    // As wildcard patterns the same texts are plain characters.
    const auto r = cli({"--include", "a(b", f});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[1]   a(b\n[2]   a(b\n");
}

namespace {
// An output that is always full.
struct FullBuffer final : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};
} // namespace

TEST(CliScan, OutputThatCannotBeWrittenIsAnError) {
    TempDir d;
    const std::string f = d.write("a.txt", "x\r\nx\r\n");
    for (auto args : {std::vector<std::string>{f}, std::vector<std::string>{"--count", f},
                      std::vector<std::string>{"--frequency", f}, std::vector<std::string>{"--help"}}) {
        FullBuffer full;
        std::ostream out(&full);
        std::ostringstream err;
        EXPECT_EQ(twinsift::cli::run(args, out, err), 1) << args[0];
        EXPECT_NE(err.str().find("twinsift-cli: error writing the output\n"), std::string::npos) << err.str();
    }
}

TEST(CliScan, ALongListComesOutWholeAndInOrder) {
    // Enough entries to be put together in several blocks, the last one short.
    constexpr int kLines = 200000, kKeys = 70000;
    std::string text, expected;
    for (int i = 0; i < kLines; ++i) text += "k" + std::to_string(i % kKeys) + "\r\n";
    auto padded = [](int n) {
        std::string s = std::to_string(n);
        return std::string(6 - s.size(), '0') + s;
    };
    for (int key = 0; key < kKeys; ++key)
        for (int line = key; line < kLines; line += kKeys)
            expected += "[" + padded(line + 1) + "]   k" + std::to_string(key) + "\n";
    TempDir d;
    auto r = cli({"--quiet", "--list", d.write("long.txt", text)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == expected) << "the list differs from the expected one (" << r.out.size() << " against "
                                   << expected.size() << " bytes)";
}

TEST(CliScan, ItemsOfVeryDifferentLengthsComeOutWholeAndInOrder) {
    // Blocks are cut by a count of items that follows the length of the
    // items before: thousands of short keys, then keys of a megabyte and
    // more (a block of one each), then short ones again.
    std::string text, expected;
    std::vector<std::string> keys;
    for (int k = 0; k < 9000; ++k) keys.push_back("s" + std::to_string(k));
    for (int k = 0; k < 5; ++k) keys.push_back(std::string((1u << 20) + 1000u * k, static_cast<char>('a' + k)));
    for (int k = 0; k < 9000; ++k) keys.push_back("t" + std::to_string(k));
    for (int round = 0; round < 2; ++round)
        for (const std::string& key : keys) text += key + "\r\n";
    const auto count = static_cast<int>(keys.size());
    auto padded = [](int n) {
        std::string s = std::to_string(n);
        return std::string(5 - s.size(), '0') + s;
    };
    for (int k = 0; k < count; ++k)
        for (const int line : {k + 1, k + 1 + count}) expected += "[" + padded(line) + "]   " + keys[k] + "\n";
    TempDir d;
    auto r = cli({"--quiet", "--list", "--case-sensitive", d.write("mixed.txt", text)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out == expected) << "the list differs from the expected one (" << r.out.size() << " against "
                                   << expected.size() << " bytes)";
}
