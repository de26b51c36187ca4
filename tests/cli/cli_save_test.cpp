#include "cli_runner.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

using twinsift::test::TempDir;
using twinsift::test::cli;
using twinsift::test::readFile;
namespace fs = std::filesystem;

namespace {
bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Groups: "a" at lines 1, 3, 5; "b" at lines 2, 4; "c" is unique.
constexpr const char* kDoc = "a\r\nb\r\na\r\nb\r\na\r\nc\r\n";
} // namespace

TEST(CliSave, SavesTheFirstOfEveryGroupAndPrintsNoList) {
    TempDir d;
    const std::string src = d.write("in.txt", kDoc), out = (d.path() / "out.txt").string();
    auto r = cli({"--quiet", "--select", "all-but-first", "--save", out, src});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(out), "a\r\nb\r\nc\r\n");
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(has(r.err, "Finished saving!\n"));

    r = cli({"--quiet", "--list", "--select", "all-but-last", "--save", out, src});
    EXPECT_EQ(readFile(out), "b\r\na\r\nc\r\n");
    EXPECT_TRUE(has(r.out, "[5]   a\n")) << r.out;
}

TEST(CliSave, SelectionStepsRunInCommandLineOrder) {
    TempDir d;
    const std::string src = d.write("in.txt", kDoc);
    auto r = cli({"--select", "all", "--unselect-kind", "3", "--mark", "5", "--export", "line-number", "--which",
                  "selected", src});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5\r\n2\r\n4\r\n");

    r = cli({"--mark", "5", "--select-kind", "2", "--unselect-kind", "1", "--export", "line-number", "--which",
             "selected", src});
    EXPECT_EQ(r.out, "2\r\n4\r\n");

    // Unknown lines and unusable counts change nothing.
    r = cli({"--select", "all-but-first", "--mark", "6", "--select", "all-but-last=x", "--select", "all-but-first=0",
             "--export", "line-number", "--which", "unselected", src});
    EXPECT_EQ(r.out, "1\r\n2\r\n");
    EXPECT_TRUE(has(r.err, "line 6 has no duplicate entry"));

    r = cli({"--select", "all-but-first=2.5", "--export", "line-number", "--which", "selected", src});
    EXPECT_EQ(r.out, "5\r\n");

    r = cli({"--select", "some", src});
    EXPECT_EQ(r.status, 2);
}

TEST(CliSave, ExportWithNothingToWrite) {
    TempDir d;
    const std::string src = d.write("in.txt", kDoc);
    auto r = cli({"--export", "original", "--which", "selected", src});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(has(r.err, "Nothing to copy...\n"));

    const std::string file = (d.path() / "dups.txt").string();
    r = cli({"--export", "original", "--which", "selected", "-o", file, src});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(readFile(file), "");

    r = cli({"--export", "original", "-o", file, src});
    EXPECT_EQ(readFile(file), "a\r\na\r\na\r\nb\r\nb\r\n");
}

TEST(CliSave, FilesSortAndOptionRules) {
    TempDir d;
    const std::string one = d.write("1.txt", "z\r\nx\r\n"), two = d.write("2.txt", "y\r\nx\r\nw\r\n");
    const std::string out = (d.path() / "out.txt").string();
    auto r = cli({"--quiet", "--files", "2", "--sort", "desc", "--apply-include", "--save", out, one, two});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(out), "y\r\nx\r\nw\r\n");
    EXPECT_TRUE(has(r.err, "--apply-include cleared"));

    r = cli({"--files", "1,3", "--save", out, one, two});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "'3' is not a file number"));

    // With an include filter the option stays and drops failing lines.
    r = cli({"--include", "*x*", "--select", "all-but-first", "--apply-include", "--save", out, one, two});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(out), "x\r\n");
}

TEST(CliSave, WriteProtectedTargetNeedsForce) {
    TempDir d;
    const std::string src = d.write("in.txt", kDoc), out = d.write("out.txt", "old\r\n");
    fs::permissions(out, fs::perms::owner_read);
    auto r = cli({"--quiet", "--select", "all-but-first", "--save", out, src});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readFile(out), "old\r\n");
    EXPECT_TRUE(has(r.err, "Save cancelled..."));

    r = cli({"--quiet", "--force", "--select", "all-but-first", "--save", out, src});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(out), "a\r\nb\r\nc\r\n");
}

TEST(CliSave, WordDocumentIsSavedThroughTheOfficeAdapter) {
    const fs::path docx = twinsift::test::testdataDir() / "office" / "word" / "plain_duplicates.docx";
    ASSERT_TRUE(fs::exists(docx)) << docx;
    TempDir d;
    const std::string src = (d.path() / "in.docx").string(), out = (d.path() / "out.docx").string();
    fs::copy_file(docx, src);

    auto r = cli({"--quiet", "--case-sensitive", "--keep-whitespace", "--select", "all-but-first", "--save", out, src});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.err, "Finished saving!"));

    // The saved document holds the first line of every group and nothing twice.
    std::string expected;
    std::set<std::string> seen;
    std::istringstream in(readFile(docx.string() + ".expected.txt"));
    for (std::string line; std::getline(in, line);)
        if (seen.insert(line).second) expected += line + "\n";
    r = cli({"--lines", "--case-sensitive", "--keep-whitespace", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(readFile(src), readFile(docx.string())) << "the source document stays as it was";
}

TEST(CliSave, PreservingMemoryDropsTheLinesButNotTheEntriesOrTheSave) {
    TempDir d;
    // Large enough that the loaded bytes come straight from the system and go
    // back to it when the lines are dropped.
    std::string doc;
    for (int i = 0; i < 60000; ++i) doc += "line number " + std::to_string(i % 25000) + (i % 3 ? " Tail" : " tail") + "\r\n";
    const std::string src = d.write("in.txt", doc);
    const std::string kept = (d.path() / "kept.txt").string(), lean = (d.path() / "lean.txt").string();
    auto full = cli({"--quiet", "--list", "--select", "all-but-first", "--save", kept, src});
    auto dropped = cli({"--quiet", "--preserve-memory", "--list", "--select", "all-but-first", "--save", lean, src});
    ASSERT_EQ(full.status, 0) << full.err;
    ASSERT_EQ(dropped.status, 0) << dropped.err;
    EXPECT_EQ(dropped.out, full.out);
    EXPECT_TRUE(has(full.out, "[25001]   line number 0 Tail\n")) << full.out.substr(0, 200);
    EXPECT_EQ(readFile(lean), readFile(kept));
    // The first 25,000 lines stay: 19 bytes each besides their number's digits.
    EXPECT_EQ(readFile(kept).size(), 25000u * 19 + 10 * 1 + 90 * 2 + 900 * 3 + 9000 * 4 + 15000 * 5);
    EXPECT_EQ(cli({"--quiet", "--preserve-memory", "--lines", src}).out, "");
}
