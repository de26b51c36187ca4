#include "scan/text_codec.h"

#include <gtest/gtest.h>

using namespace twinsift;

TEST(TextCodec, RecognisesValidAndInvalidUtf8) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii text that is long enough for the word loop"));
    EXPECT_TRUE(isValidUtf8("caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("caf\xE9"));                 // Windows-1252 é
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));                 // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));             // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));         // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("abcdefgh\xC3"));             // cut short
    EXPECT_FALSE(isValidUtf8("\xFF\xFEh\0i"));             // UTF-16 mark
}

TEST(TextCodec, UpperCasesByTheDocumentCodec) {
    EXPECT_EQ(toUpper("abc \xC3\xA9t\xC3\xA9 \xCF\x89", Codec::Utf8), "ABC \xC3\x89T\xC3\x89 \xCE\xA9");
    EXPECT_EQ(toUpper("stra\xC3\x9F" "e", Codec::Utf8), "STRA\xC3\x9F" "E") << "simple mapping keeps sharp s";
    EXPECT_EQ(toUpper("caf\xE9 \x9A\x9C\x9E\xFF \xF7\xDF", Codec::Windows1252), "CAF\xC9 \x8A\x8C\x8E\x9F \xF7\xDF");
    EXPECT_EQ(toUpper("bad \xC3 byte", Codec::Utf8), "BAD \xC3 BYTE");
}

TEST(TextCodec, CountsCharactersAsCodePointsInUtf8AndBytesOtherwise) {
    EXPECT_EQ(charCount("caf\xC3\xA9", Codec::Utf8), 4u);
    EXPECT_EQ(charCount("caf\xC3\xA9", Codec::Windows1252), 5u);
    EXPECT_EQ(byteOffsetOfChar("\xC3\xA9\xC3\xA9x", 2, Codec::Utf8), 4u);
    EXPECT_EQ(byteOffsetOfChar("ab", 5, Codec::Utf8), 2u);
}

TEST(TextCodec, NoBreakSpaceConversionNeverBreaksUtf8Characters) {
    std::string u = "a\xC2\xA0" "b \xC3\xA0 la \xC2\xA0";
    u.resize(convertNoBreakSpaces(u.data(), u.size(), Codec::Utf8));
    EXPECT_EQ(u, "a b \xC3\xA0 la  ");
    std::string w = "a\xA0" "b\xC2";
    w.resize(convertNoBreakSpaces(w.data(), w.size(), Codec::Windows1252));
    EXPECT_EQ(w, "a b\xC2");
}

TEST(TextCodec, CollationIgnoresCaseButNotLetters) {
    Collation c(Codec::Utf8, "en_US");
    EXPECT_EQ(c.compare("apple", "APPLE"), 0);
    EXPECT_LT(c.compare("apple", "banana"), 0);
    EXPECT_GT(c.compare("Banana", "apple"), 0);
    Collation w(Codec::Windows1252, "en_US");
    EXPECT_EQ(w.compare("caf\xE9", "CAF\xC9"), 0);
    EXPECT_LT(w.compare("cafe", "caf\xE9"), 0);
}

TEST(TextCodec, CollationIgnoresCaseUnderThePosixLocaleToo) {
    Collation c(Codec::Utf8, "en_US_POSIX");
    EXPECT_EQ(c.compare("apple", "APPLE"), 0);
    EXPECT_LT(c.compare("apple", "Banana"), 0) << "not ordered by character code";
}
