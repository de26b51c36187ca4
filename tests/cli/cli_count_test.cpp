#include "cli_runner.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

using twinsift::test::TempDir;
using twinsift::test::cli;

TEST(CliCount, PrintsTheLinesAndFilesLoaded) {
    TempDir d;
    auto r = cli({"--count", d.write("a.txt", "1\r\n2\r\n3\r\n"), d.write("b.txt", "x\ny\nz\nw\nv")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Loaded 8 lines from 2 files\n");
}

TEST(CliCount, RefusesMissingAndEmptyFiles) {
    TempDir d;
    auto r = cli({"--count", (d.path() / "missing.txt").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: Can't Open File...\n");
    EXPECT_TRUE(r.out.empty());

    r = cli({"--count", d.write("empty.txt", "")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "File Is Empty! Scan aborted...\n");
}

TEST(CliCount, UsageErrorsExitWithTwo) {
    EXPECT_EQ(cli({}).status, 2);
    EXPECT_EQ(cli({"--no-such-option", "x"}).status, 2);
    auto h = cli({"--help"});
    EXPECT_EQ(h.status, 0);
    EXPECT_NE(h.out.find("Usage: twinsift-cli"), std::string::npos);
}
