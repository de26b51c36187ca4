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
    std::string read(const char* key, const char* def = "dflt") const {
        return ReadIniValue(file, "Twinsift", key, def);
    }
};

} // namespace

TEST_F(IniFile, BuildsTheSectionFromAnEmptyFileNewestKeyFirst) {
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "caseSensitive", "0"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\ncaseSensitive=0\r\n");

    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "preserveMemory", "1"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\npreserveMemory=1\r\ncaseSensitive=0\r\n");

    // An existing key keeps its line; only its text changes, in the caller's case.
    ASSERT_TRUE(WriteIniValue(file, "twinsift", "CASESENSITIVE", "1"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\npreserveMemory=1\r\nCASESENSITIVE=1\r\n");
    EXPECT_EQ(read("caseSensitive"), "1");
    EXPECT_EQ(read("preserveMemory"), "1");
}

TEST_F(IniFile, MatchesSectionAndKeyWithoutRegardToCaseButKeepsValueCase) {
    put("[TWINSIFT]\r\nCASESENSITIVE=Abc\r\nlastLoadedFile = x\r\n");
    EXPECT_EQ(read("caseSensitive"), "Abc");
    EXPECT_EQ(read("lastLoadedFile"), "dflt"); // spaces around "=" are part of the key
    EXPECT_EQ(ReadIniValue(file, "Other", "caseSensitive", "d"), "d");
    EXPECT_EQ(read("missing"), "dflt");
    EXPECT_EQ(read("caseSensitiv"), "dflt"); // a key prefix is not the key
}

TEST_F(IniFile, CreatesAMissingFileEmptyOnRead) {
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(read("caseSensitive", "7"), "7");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(bytes(), "");
}

TEST_F(IniFile, TreatsABracketInsideAValueAsText) {
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "Load_chkExclude", "1"));
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "Load_txtInclude", "[a-z]+"));
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "Load_chkInclude", "1"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\nLoad_chkInclude=1\r\nLoad_txtInclude=[a-z]+\r\nLoad_chkExclude=1\r\n");
    EXPECT_EQ(read("Load_txtInclude"), "[a-z]+");
    EXPECT_EQ(read("Load_chkExclude"), "1"); // below the bracketed value

    // Rewriting a key below the value replaces it instead of adding a second one.
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "Load_chkExclude", "0"));
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "Load_txtInclude", "x[]y]"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\nLoad_chkInclude=1\r\nLoad_txtInclude=x[]y]\r\nLoad_chkExclude=0\r\n");
}

TEST_F(IniFile, KeepsOtherSectionsAndSearchesOnlyItsOwn) {
    put("[Other]\r\ncaseSensitive=9\r\n\r\n[Twinsift]\r\nwinTop=5\r\n[Later]\r\ncaseSensitive=8\r\n");
    EXPECT_EQ(read("caseSensitive"), "dflt");
    EXPECT_EQ(read("winTop"), "5");

    // Not in the section (only in the ones around it): inserted below the header.
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "caseSensitive", "1"));
    EXPECT_EQ(bytes(), "[Other]\r\ncaseSensitive=9\r\n\r\n[Twinsift]\r\ncaseSensitive=1\r\nwinTop=5\r\n"
                       "[Later]\r\ncaseSensitive=8\r\n");
    EXPECT_EQ(read("caseSensitive"), "1");
    EXPECT_EQ(ReadIniValue(file, "Later", "caseSensitive", ""), "8");
}

TEST_F(IniFile, AppendsANewSectionAfterOneEmptyLine) {
    put("[Other]\r\na=1\r\n");
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "k", "v"));
    EXPECT_EQ(bytes(), "[Other]\r\na=1\r\n\r\n[Twinsift]\r\nk=v\r\n");

    put("[Other]\r\na=1"); // no line break at the end
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "k", "v"));
    EXPECT_EQ(bytes(), "[Other]\r\na=1\r\n\r\n[Twinsift]\r\nk=v\r\n");
}

TEST_F(IniFile, TidiesEmptyLinesOnEveryWrite) {
    put("\r\n\r\n[Other]\r\na=1\r\n\r\n\r\n\r\n\r\nb=2\r\n\r\n[Twinsift]\r\nk=1\r\n\r\n\r\n");
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "k", "2"));
    EXPECT_EQ(bytes(), "[Other]\r\na=1\r\n\r\nb=2\r\n\r\n[Twinsift]\r\nk=2\r\n");
}

TEST_F(IniFile, HandlesHandEditedLineEnds) {
    // Last line without a break, holding the key being written.
    put("[Twinsift]\r\na=1\r\nk=old");
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "k", "new"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\na=1\r\nk=new\r\n");

    // A header on the last line without a break still takes the key.
    put("[Twinsift]");
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "k", "v"));
    EXPECT_EQ(bytes(), "[Twinsift]\r\nk=v\r\n");

    // LF-only lines, as an editor on Linux may save them.
    put("[Twinsift]\na=1\nk=2\n");
    EXPECT_EQ(read("k"), "2");
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "a", "3"));
    EXPECT_EQ(bytes(), "[Twinsift]\na=3\nk=2\r\n");
}

TEST_F(IniFile, WorksBeyondThirtyTwoThousandCharacters) {
    std::string big = "[Filler]\r\n";
    for (int i = 0; i < 2000; ++i) big += "key" + std::to_string(i) + "=some filler text\r\n";
    put(big + "[Twinsift]\r\nk=1\r\n");
    ASSERT_GT(big.size(), 40000u);
    EXPECT_EQ(read("k"), "1");
    ASSERT_TRUE(WriteIniValue(file, "Twinsift", "k", "2"));
    EXPECT_EQ(read("k"), "2");
    EXPECT_EQ(bytes(), big + "[Twinsift]\r\nk=2\r\n");
}

TEST_F(IniFile, FailsQuietlyWhenTheFileCannotBeCreated) {
    const auto nowhere = dir.path() / "no-such-folder" / "settings.ini";
    EXPECT_EQ(ReadIniValue(nowhere, "Twinsift", "k", "d"), "d");
    EXPECT_FALSE(WriteIniValue(nowhere, "Twinsift", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(nowhere.parent_path()));
}

TEST(PortableMarker, CountsOnlyAFileNamedExactlyPortable) {
    TempDir dir;
    EXPECT_FALSE(PortableMarkerExists(dir.path()));
    std::filesystem::create_directory(dir.path() / "PORTABLE");
    EXPECT_FALSE(PortableMarkerExists(dir.path()));

    TempDir other;
    other.write("portable", "");
    EXPECT_FALSE(PortableMarkerExists(other.path()));
    other.write("PORTABLE", ""); // empty, never read
    EXPECT_TRUE(PortableMarkerExists(other.path()));
}
