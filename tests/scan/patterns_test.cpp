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

TEST(PatternError, NamesTheEngineErrorOrTheLimitAndAcceptsGoodPatterns) {
    EXPECT_EQ(PatternError("a(b", true, false), "missing closing parenthesis at offset 3");
    EXPECT_EQ(PatternError("x{1,70000}", true, false), "number too big in {} quantifier at offset 9");
    EXPECT_EQ(PatternError(std::string(40000, 'a'), true, false), "pattern longer than 32768 bytes");
    EXPECT_EQ(PatternError("(a+)+$", true, false), "");
    // A wildcard pattern is translated first: its brackets are plain text.
    EXPECT_EQ(PatternError("a(b", false, false), "");
    EXPECT_EQ(PatternError("[x", false, true), "");
    // Bytes that are not UTF-8 compile for a Windows-1252 document only.
    EXPECT_NE(PatternError("caf\xE9", true, false, Codec::Utf8), "");
    EXPECT_EQ(PatternError("caf\xE9", true, false, Codec::Windows1252), "");
}

TEST(CompiledPattern, FindsTheLeftmostMatchAnywhereInAVeryLongLine) {
    // The search goes through the line in windows of start positions; a match
    // that starts in one window and ends in the next, or starts far in, must
    // come out exactly as from one search.
    std::string line(100000, 'x');
    line.replace(16380, 8, "ab12cd34");
    line.replace(90000, 3, "end");
    const CompiledPattern digits("[0-9]+cd[0-9]+", true, Codec::Utf8);
    EXPECT_EQ(digits.firstMatch(line), "12cd34");
    const CompiledPattern far("e.d$|end", true, Codec::Utf8);
    EXPECT_EQ(far.firstMatch(line), "end");
    // Lookbehind sees the text before the window, "^" only the line's start.
    const CompiledPattern behind("(?<=ab)12", true, Codec::Utf8);
    EXPECT_TRUE(behind.test(line));
    EXPECT_FALSE(CompiledPattern("^ab", true, Codec::Utf8).test(line));
    // A window never starts inside a UTF-8 character.
    std::string utf;
    for (int i = 0; i < 30000; ++i) utf += "\xC3\xA9";
    utf += "Z";
    EXPECT_EQ(CompiledPattern(".Z", true, Codec::Utf8).firstMatch(utf), "\xC3\xA9Z");
}

TEST(CompiledPattern, CatastrophicPatternsEndEveryLineAsNoMatch) {
    // Each of these backtracks without end on its line; every test must come
    // back, as no match, and the valid pattern keeps working afterwards.
    struct Case {
        const char* pattern;
        std::string line;
        const char* matching;
    };
    const std::vector<Case> cases = {
        {"(a+)+$", std::string(5000, 'a') + "!", "baa"},
        {"(a|aa)+$", std::string(5000, 'a') + "!", "baa"},
        {"(\\w+\\s?)+$", std::string(5000, 'w') + "!", "ab cd"},
        {"^(([a-z])+.)+[A-Z]([a-z])+$", std::string(5000, 'a') + "!", "ab Cd"},
        {"(x+x+)+y", std::string(5000, 'x'), "xxy"},
    };
    for (const Case& c : cases) {
        const CompiledPattern p(c.pattern, true, Codec::Utf8);
        ASSERT_TRUE(p.valid()) << c.pattern;
        for (int line = 0; line < 20; ++line) EXPECT_FALSE(p.test(c.line)) << c.pattern;
        EXPECT_TRUE(p.test(c.matching)) << c.pattern;
    }
}

TEST(CompiledPattern, ABoundedRepeatWithAHugeCountStopsOnAHugeLine) {
    // Every start position lets the repeat run 65535 characters before it
    // fails: quadratic work that the per-attempt limits never see.
    const std::string line(8u << 20, 'a');
    const CompiledPattern p("a{1,65535}b", true, Codec::Utf8);
    ASSERT_TRUE(p.valid());
    EXPECT_FALSE(p.test(line));
    EXPECT_TRUE(p.test("aaab"));
}
