#include "save/atomic_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace twinsift;
namespace fs = std::filesystem;

TEST(OutputFile, ABigFileComesOutByteForByteWhateverThePieces) {
    // Tens of megabytes, so that parts go to the disk while the rest is
    // written: short lines, pieces larger than the buffer, and lines again.
    const fs::path path = fs::temp_directory_path() / ("twinsift_output_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".txt");
    std::string expected;
    OutputFile out;
    ASSERT_TRUE(out.open(path.string()));
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 200000; ++i) {
            const std::string line = "line " + std::to_string(round) + "/" + std::to_string(i);
            ASSERT_TRUE(out.writeLine(line));
            expected += line + "\r\n";
        }
        const std::string big(3u << 20, static_cast<char>('a' + round));
        ASSERT_TRUE(out.write(big));
        expected += big;
    }
    ASSERT_TRUE(out.close());
    std::ifstream in(path, std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    fs::remove(path);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
}

TEST(OutputFile, AFullDiskShowsAtALaterWriteOrAtClose) {
    // The limit is reached while earlier buffers are being written behind the
    // caller's back: the failure must still come out, and nothing may hang.
    const fs::path path = fs::temp_directory_path() / ("twinsift_full_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".txt");
    {
        test::ScopedFileSizeLimit full(3u << 20);
        if (!full.active()) GTEST_SKIP() << "no file size limit here";
        OutputFile out;
        ASSERT_TRUE(out.open(path.string()));
        const std::string line(100, 'x');
        bool allTaken = true;
        for (int i = 0; i < 100000 && allTaken; ++i) allTaken = out.writeLine(line);
        EXPECT_FALSE(out.close() && allTaken);
        EXPECT_TRUE(out.failed());
    }
    fs::remove(path);
}

TEST(ReplaceFileAtomically, ABigOldFileMakesWayLikeASmallOne) {
    // The old content of a big target is given back after the rename, on a
    // thread of its own: the new content must be there at once, in full.
    test::TempDir dir;
    const std::string target = dir.write("big.txt", std::string(17u << 20, 'o'));
    for (const std::string& content : {std::string("new\r\n"), std::string(20u << 20, 'n')}) {
        const std::string temp = dir.write("big.txt.twinsifttemp", content);
        ASSERT_TRUE(ReplaceFileAtomically(temp, target));
        std::ifstream in(target, std::ios::binary);
        const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(got == content);
        EXPECT_FALSE(fs::exists(temp));
    }
}
