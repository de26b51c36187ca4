#include "scan/patterns.h"

#include <gtest/gtest.h>

using namespace twinsift;

TEST(WildcardToRegExp, EscapesMetacharactersAndTranslatesWildcards) {
    EXPECT_EQ(WildcardToRegExp("a.b?c"), "a\\.b.c");
    EXPECT_EQ(WildcardToRegExp("50%"), "50%");
    EXPECT_EQ(WildcardToRegExp("a*b"), "a.*?b");
    EXPECT_EQ(WildcardToRegExp("*.txt"), ".*\\.txt");
    EXPECT_EQ(WildcardToRegExp("*abc*"), ".*abc.*");
    EXPECT_EQ(WildcardToRegExp("a:b"), "a.+?b");
    EXPECT_EQ(WildcardToRegExp("(x)?"), "\\(x\\).");
    EXPECT_EQ(WildcardToRegExp("*"), ".*");
    EXPECT_EQ(WildcardToRegExp(":"), ".+");
    // The backslash is escaped first, so later escapes are not doubled.
    EXPECT_EQ(WildcardToRegExp("\\[x]{1}^$+|"), "\\\\\\[x\\]\\{1\\}\\^\\$\\+\\|");
}

TEST(WildcardToRegExp, TranslatedPatternsMatchAnywhereInTheLine) {
    const std::string dotted = WildcardToRegExp("a.b?c");
    EXPECT_TRUE(TestPattern("a.bXc", dotted, false));
    EXPECT_FALSE(TestPattern("aXbXc", dotted, false));

    const std::string colon = WildcardToRegExp("a:c");
    EXPECT_TRUE(TestPattern("abc", colon, false));
    EXPECT_TRUE(TestPattern("abbbc", colon, false));
    EXPECT_FALSE(TestPattern("ac", colon, false));
    EXPECT_TRUE(TestPattern("ac", WildcardToRegExp("a*c"), false));
    EXPECT_TRUE(TestPattern("xx abc yy", WildcardToRegExp("abc"), false));
}

TEST(TestPattern, CaseSensitivityAndInvalidPatterns) {
    EXPECT_TRUE(TestPattern("xABCx", "abc", false));
    EXPECT_FALSE(TestPattern("xABCx", "abc", true));
    for (const char* text : {"", "(", "abc", "a(b"}) {
        EXPECT_FALSE(TestPattern(text, "a(b", false)) << text;
        EXPECT_EQ(FirstMatch(text, "a(b", false), "") << text;
    }
    EXPECT_FALSE(TestPattern("anything", "*", false)); // "*" is not a regular expression
}

TEST(FirstMatch, GivesTheLeftmostNonEmptyMatch) {
    EXPECT_EQ(FirstMatch("order 123 shipped 45", "\\d+", false), "123");
    EXPECT_EQ(FirstMatch("abc", "x*", false), ""); // the leftmost match is empty
    EXPECT_EQ(FirstMatch("abc", "z", false), "");
    EXPECT_EQ(FirstMatch("key=Value; other", "=\\w+?;", false), "=Value;");
    EXPECT_EQ(FirstMatch("aaa", "a+?", false), "a");
}

TEST(PatternSyntax, FollowsTheScriptDialect) {
    // "." stops at CR and LF, "$" only at the very end.
    EXPECT_FALSE(TestPattern("a\nb", "a.b", true));
    EXPECT_FALSE(TestPattern("a\rb", "a.b", true));
    EXPECT_FALSE(TestPattern("abc\n", "abc$", true));
    EXPECT_TRUE(TestPattern("xabc", "abc$", true));
    EXPECT_FALSE(TestPattern("xabc", "^abc", true));
    // Back references, also to a group that did not take part.
    EXPECT_TRUE(TestPattern("abab", "(ab)\\1", true));
    EXPECT_TRUE(TestPattern("b", "(a)?b\\1", true));
    // \d, \w and \b are ASCII only, also in a UTF-8 document.
    EXPECT_FALSE(TestPattern("\xD9\xA3", "\\d", true, Codec::Utf8)); // Arabic-Indic three
    EXPECT_FALSE(TestPattern("\xC3\xA9", "\\w", true, Codec::Utf8));
    EXPECT_TRUE(TestPattern("x y", "\\bx\\b", true));
    // Sets, ranges, negation, alternation and counted repeats.
    EXPECT_EQ(FirstMatch("abc123", "[^a-c]+", true), "123");
    EXPECT_EQ(FirstMatch("catdog", "dog|cat", true), "cat");
    EXPECT_EQ(FirstMatch("aaaa", "a{2,3}", true), "aaa");
    EXPECT_EQ(FirstMatch("aaaa", "a{2,}?", true), "aa");
}

TEST(PatternSyntax, OneCharacterIsOneCodePointInUtf8AndOneByteOtherwise) {
    EXPECT_EQ(FirstMatch("x\xC3\xA9y", "x.y", true, Codec::Utf8), "x\xC3\xA9y");
    EXPECT_EQ(FirstMatch("x\xC3\xA9y", "x.y", true, Codec::Windows1252), "");
    EXPECT_EQ(FirstMatch("x\xC3\xA9y", "x..y", true, Codec::Windows1252), "x\xC3\xA9y");
}

TEST(PatternSyntax, CaseInsensitiveMatchingFoldsLettersByTheCodec) {
    // UTF-8: É (C3 89) and é (C3 A9).
    EXPECT_TRUE(TestPattern("caf\xC3\xA9", "CAF\xC3\x89", false, Codec::Utf8));
    EXPECT_FALSE(TestPattern("caf\xC3\xA9", "CAF\xC3\x89", true, Codec::Utf8));
    // Windows-1252: É is C9, é is E9; Š 8A and š 9A.
    EXPECT_TRUE(TestPattern("caf\xE9", "CAF\xC9", false, Codec::Windows1252));
    EXPECT_TRUE(TestPattern("\x9A", "[\x8A]", false, Codec::Windows1252));
    EXPECT_FALSE(TestPattern("caf\xE9", "CAF\xC9", true, Codec::Windows1252));
    // A Windows-1252 text is no UTF-8: a lone E9 byte must not break matching.
    EXPECT_TRUE(TestPattern("\xE9t\xE9", "T", false, Codec::Windows1252));
}

TEST(PatternSyntax, CatastrophicPatternsEndAsNoMatch) {
    const std::string text = std::string(40, 'a') + "!";
    EXPECT_FALSE(TestPattern(text, "(a+)+$", true));
    EXPECT_FALSE(TestPattern(text, "(a|aa)+b", true));
    EXPECT_EQ(FirstMatch(text, "(a*)*b", true), "");
}

TEST(InitRegExp, ReportsTheEngineAvailable) { EXPECT_TRUE(InitRegExp()); }
