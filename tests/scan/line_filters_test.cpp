#include "scan/line_filters.h"

#include <gtest/gtest.h>

using namespace twinsift;

namespace {

SettingsValues defaults() { return SettingsValues::Defaults(); }

std::string key(const SettingsValues& s, std::string_view line, bool ws = true, Codec codec = Codec::Utf8) {
    return LineFilters(s, codec).PreprocessLine(line, ws);
}

bool passes(const SettingsValues& s, std::string_view line, bool regexp = true) {
    return LineFilters(s, Codec::Utf8, regexp).PassesIncludeFilter(line);
}

} // namespace

TEST(PreprocessLine, WhitespaceStepTrimsSpacesThenControlCharactersInRounds) {
    const SettingsValues s = defaults();
    EXPECT_EQ(key(s, "  abc\t"), "abc");
    EXPECT_EQ(key(s, "\t abc"), " abc");
    EXPECT_EQ(key(s, " \tx \t "), "x ");
    EXPECT_EQ(key(s, "\t\x01mid\x1f\t"), "mid");
    EXPECT_EQ(key(s, "   "), "");
    EXPECT_EQ(key(s, "\t\t"), "");
    EXPECT_EQ(key(s, ""), "");
    // Bytes of UTF-8 characters are not control characters.
    EXPECT_EQ(key(s, "\xC3\xA9\t"), "\xC3\xA9");
    // The save driver's call leaves the whitespace alone.
    EXPECT_EQ(key(s, "  abc\t", false), "  abc\t");
    SettingsValues off = s;
    off.Load_RemoveWhitespaces = 0;
    EXPECT_EQ(key(off, "  abc\t"), "  abc\t");
}

TEST(PreprocessLine, PositionSteps) {
    SettingsValues s = defaults();
    s.Load_ChkStartPos = 1;
    s.Load_StartPos = 3;
    EXPECT_EQ(key(s, "ABCDEF"), "DEF");
    EXPECT_EQ(key(s, "AB"), "");
    EXPECT_EQ(key(s, "ABC"), "");
    // Positions count characters: code points in UTF-8, bytes in Windows-1252.
    EXPECT_EQ(key(s, "\xC3\xA9\xC3\xA9\xC3\xA9xy"), "xy");
    EXPECT_EQ(key(s, "\xC3\xA9\xC3\xA9\xC3\xA9xy", true, Codec::Windows1252), "\xA9\xC3\xA9xy");

    s.Load_ChkIncludeNumChars = 1;
    s.Load_StartPos = 2;
    s.Load_IncludeNumChars = 3;
    EXPECT_EQ(key(s, "ABCDEFGH"), "CDE");

    SettingsValues keep = defaults();
    keep.Load_ChkIncludeNumChars = 1;
    keep.Load_IncludeNumChars = 10;
    EXPECT_EQ(key(keep, "abcd"), "abcd");
    keep.Load_IncludeNumChars = 0;
    EXPECT_EQ(key(keep, "abcd"), "");
}

TEST(PreprocessLine, SearchStepsIgnoreLetterCase) {
    SettingsValues s = defaults();
    s.Load_ChkStartAfterStr = 1;
    s.Load_StartAfterStr = "=";
    EXPECT_EQ(key(s, "key=value"), "=value");
    EXPECT_EQ(key(s, "no sign here"), "");

    s.Load_StartAfterStr = "ID";
    EXPECT_EQ(key(s, "xx id: 7"), "id: 7");
    s.Load_StartAfterStr = "";
    EXPECT_EQ(key(s, "unchanged"), "unchanged");

    SettingsValues cut = defaults();
    cut.Load_ChkIncludeUntilStr = 1;
    cut.Load_IncludeUntilStr = ".COM";
    EXPECT_EQ(key(cut, "x.com/y"), "x");
    EXPECT_EQ(key(cut, "x.org/y"), "");
    cut.Load_IncludeUntilStr = "";
    EXPECT_EQ(key(cut, "anything"), "");

    // Non-ASCII letters fold by the codec; the cut keeps the original bytes.
    cut.Load_IncludeUntilStr = "\xC3\x89T\xC3\x89"; // ÉTÉ
    EXPECT_EQ(key(cut, "caf\xC3\xA9 \xC3\xA9t\xC3\xA9 x"), "caf\xC3\xA9 ");
    cut.Load_IncludeUntilStr = "\xC9T\xC9";
    EXPECT_EQ(key(cut, "caf\xE9 \xE9t\xE9 x", true, Codec::Windows1252), "caf\xE9 ");
}

TEST(PreprocessLine, AdvancedFilterKeepsTheFirstMatch) {
    SettingsValues s = defaults();
    s.Load_ChkAdvancedFilter = 1;
    s.Load_TxtProcessFilter = "#:#";
    EXPECT_EQ(key(s, "a #12# b #3#"), "#12#");
    EXPECT_EQ(key(s, "no hashes"), "");

    s.Load_ChkProcessRegExp = 1;
    s.Load_TxtProcessFilter = "[A-Z]+";
    EXPECT_EQ(key(s, "12 abc DEF"), "abc"); // case-insensitive by default
    s.Load_ChkProcessCase = 1;
    EXPECT_EQ(key(s, "12 abc DEF"), "DEF");
    s.Load_TxtProcessFilter = "(";
    EXPECT_EQ(key(s, "12 abc DEF"), "");

    // Off when the box is unchecked or the engine is missing.
    s.Load_TxtProcessFilter = "\\d+";
    EXPECT_EQ(LineFilters(s, Codec::Utf8, false).PreprocessLine(" a1 ", true), "a1");
    s.Load_ChkAdvancedFilter = 0;
    EXPECT_EQ(key(s, " a1 "), "a1");
}

TEST(PreprocessLine, AFailingStepReturnsTheLineUnchanged) {
    SettingsValues s = defaults();
    s.Load_ChkStartPos = 1;
    s.Load_StartPos = -1;
    EXPECT_EQ(key(s, "  abc  "), "  abc  ");
    s = defaults();
    s.Load_ChkIncludeNumChars = 1;
    s.Load_IncludeNumChars = -5;
    EXPECT_EQ(key(s, "  abc  "), "  abc  ");
    // A negative value in a step that is off does no harm.
    s.Load_ChkIncludeNumChars = 0;
    EXPECT_EQ(key(s, "  abc  "), "abc");
}

TEST(PassesIncludeFilter, IncludeAndExcludePatterns) {
    SettingsValues s = defaults();
    EXPECT_TRUE(passes(s, "anything"));
    s.Load_txtInclude = "zzz"; // set, but its box is off
    EXPECT_TRUE(passes(s, "anything"));

    s.Load_chkInclude = 1;
    s.Load_txtInclude = "*#*";
    EXPECT_TRUE(passes(s, "a#b"));
    EXPECT_FALSE(passes(s, "ab"));

    s.Load_txtInclude = "*";
    EXPECT_TRUE(passes(s, "ab"));
    s.Load_chkIncludeRegExp = 1; // "*" is no regular expression: nothing passes
    EXPECT_FALSE(passes(s, "ab"));
    EXPECT_FALSE(passes(s, "*"));

    s = defaults();
    s.Load_chkExclude = 1;
    s.Load_txtExclude = "*";
    EXPECT_FALSE(passes(s, "ab"));
    s.Load_chkExcludeRegExp = 1; // an invalid exclude pattern turns nothing away
    EXPECT_TRUE(passes(s, "ab"));
}

TEST(PassesIncludeFilter, ExcludeOnlyNarrowsWhatTheIncludeAdmits) {
    SettingsValues s = defaults();
    s.Load_chkInclude = 1;
    s.Load_txtInclude = "abc";
    s.Load_chkExclude = 1;
    s.Load_txtExclude = "abcd";
    EXPECT_TRUE(passes(s, "abcx"));
    EXPECT_FALSE(passes(s, "abcdx"));
    EXPECT_FALSE(passes(s, "xyz"));
}

TEST(PassesIncludeFilter, CaseSensitivity) {
    SettingsValues s = defaults();
    s.Load_chkInclude = 1;
    s.Load_txtInclude = "ABC";
    s.Load_chkIncludeCase = 1;
    EXPECT_TRUE(passes(s, "xABCx"));
    EXPECT_FALSE(passes(s, "xabcx"));
    s.Load_chkIncludeCase = 0;
    EXPECT_TRUE(passes(s, "xabcx"));

    s = defaults();
    s.Load_chkExclude = 1;
    s.Load_txtExclude = "Secret";
    s.Load_chkExcludeCase = 1;
    EXPECT_TRUE(passes(s, "a secret"));
    EXPECT_FALSE(passes(s, "a Secret"));
}

TEST(PassesIncludeFilter, WithoutTheEngineNoLinePasses) {
    const SettingsValues s = defaults();
    EXPECT_FALSE(passes(s, "anything", false));
    EXPECT_TRUE(LineFilters(s, Codec::Utf8, false).hasIncludeTest());
    EXPECT_FALSE(LineFilters(s, Codec::Utf8, true).hasIncludeTest());
}
