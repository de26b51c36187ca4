#include "settings/ini_file.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace twinsift;
using twinsift::test::readFile;
using twinsift::test::TempDir;

namespace {

struct IniFile : ::testing::Test {
    TempDir dir;
    std::filesystem::path file = dir.path() / "settings.ini";
    std::string bytes() const { return readFile(file); }
    void put(const std::string& content) const { dir.write("settings.ini", content); }
    std::string read(const char* key) const { return ReadIniValue(file, "Twinsift", key, "dflt"); }
    bool write(const char* key, const char* value) const { return WriteIniValue(file, "Twinsift", key, value); }
};

} // namespace

TEST_F(IniFile, BuildsTheSectionNewestKeyFirstAndReplacesKeysInPlace) {
    EXPECT_EQ(read("caseSensitive"), "dflt"); // creates the file, empty
    EXPECT_EQ(bytes(), "");
    ASSERT_TRUE(write("caseSensitive", "0"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\ncaseSensitive=0\r\n");
    ASSERT_TRUE(write("preserveMemory", "1"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\npreserveMemory=1\r\ncaseSensitive=0\r\n");
    ASSERT_TRUE(WriteIniValue(file, "twinsift", "CASESENSITIVE", "1"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\npreserveMemory=1\r\nCASESENSITIVE=1\r\n");
}

TEST_F(IniFile, MatchesNamesWithoutRegardToCaseButNotAroundSpaces) {
    put("[TWINSIFT]\r\nCASESENSITIVE=Abc\r\nlastLoadedFile = x\r\n");
    EXPECT_EQ(read("caseSensitive"), "Abc");
    EXPECT_EQ(read("lastLoadedFile"), "dflt");
    EXPECT_EQ(read("caseSensitiv"), "dflt");
}

TEST_F(IniFile, TreatsABracketInsideAValueAsText) {
    ASSERT_TRUE(write("Load_chkExclude", "1"));
    ASSERT_TRUE(write("Load_txtInclude", "[a-z]+"));
    EXPECT_EQ(read("Load_txtInclude"), "[a-z]+");
    EXPECT_EQ(read("Load_chkExclude"), "1"); // below the bracketed value
    ASSERT_TRUE(write("Load_chkExclude", "0")); // replaced, not added a second time
    EXPECT_EQ(bytes(), "[Twinsift]\r\nLoad_txtInclude=[a-z]+\r\nLoad_chkExclude=0\r\n");
}

TEST_F(IniFile, KeepsOtherSectionsAndSearchesOnlyItsOwn) {
    put("[Other]\r\ncaseSensitive=9\r\n\r\n[Twinsift]\r\nwinTop=5\r\n[Later]\r\ncaseSensitive=8\r\n");
    EXPECT_EQ(read("caseSensitive"), "dflt");
    ASSERT_TRUE(write("caseSensitive", "1"));
    EXPECT_EQ(bytes(), "[Other]\r\ncaseSensitive=9\r\n\r\n[Twinsift]\r\ncaseSensitive=1\r\nwinTop=5\r\n"
                       "[Later]\r\ncaseSensitive=8\r\n");

    put("[Other]\r\na=1"); // a new section goes after one empty line
    ASSERT_TRUE(write("k", "v"));
    EXPECT_EQ(bytes(), "[Other]\r\na=1\r\n\r\n[Twinsift]\r\nk=v\r\n");
}

TEST_F(IniFile, TidiesEmptyLinesAndHandEditedLineEnds) {
    put("\r\n\r\n[Other]\r\na=1\r\n\r\n\r\n\r\n\r\nb=2\r\n\r\n[Twinsift]\r\nk=old");
    ASSERT_TRUE(write("k", "new"));
    EXPECT_EQ(bytes(), "[Other]\r\na=1\r\n\r\nb=2\r\n\r\n[Twinsift]\r\nk=new\r\n");

    put("[Twinsift]"); // a header without a line break still takes the key
    ASSERT_TRUE(write("k", "v"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\nk=v\r\n");

    put("[Twinsift]\na=1\nk=2\n"); // LF-only, as an editor on Linux may save it
    EXPECT_EQ(read("k"), "2");
    ASSERT_TRUE(write("a", "3"));
    EXPECT_EQ(bytes(), "[Twinsift]\na=3\nk=2\r\n");

    // Only line breaks go from the ends: a control character at either end
    // belongs to a line, and another key's write must not change it.
    put(std::string("\x05[Other]\r\nx=1\r\n[Twinsift]\r\na=1\r\nk=False\x05\n"));
    ASSERT_TRUE(write("a", "2"));
    EXPECT_EQ(read("k"), "False\x05");
    EXPECT_EQ(bytes(), std::string("\x05[Other]\r\nx=1\r\n[Twinsift]\r\na=2\r\nk=False\x05\r\n"));
}

TEST_F(IniFile, WorksBeyondThirtyTwoThousandCharactersAndFailsQuietly) {
    std::string big = "[Filler]\r\n";
    for (int i = 0; i < 2000; ++i) big += "key" + std::to_string(i) + "=some filler text\r\n";
    put(big + "[Twinsift]\r\nk=1\r\n");
    ASSERT_TRUE(write("k", "2"));
    EXPECT_EQ(bytes(), big + "[Twinsift]\r\nk=2\r\n");

    const auto nowhere = dir.path() / "no-such-folder" / "settings.ini";
    EXPECT_EQ(ReadIniValue(nowhere, "Twinsift", "k", "d"), "d");
    EXPECT_FALSE(WriteIniValue(nowhere, "Twinsift", "k", "v"));
}

TEST(PortableMarker, CountsOnlyAFileNamedExactlyPortable) {
    TempDir dir, other;
    std::filesystem::create_directory(dir.path() / "PORTABLE");
    EXPECT_FALSE(PortableMarkerExists(dir.path()));
    other.write("portable", "");
    EXPECT_FALSE(PortableMarkerExists(other.path()));
    other.write("PORTABLE", "");
    EXPECT_TRUE(PortableMarkerExists(other.path()));
}
