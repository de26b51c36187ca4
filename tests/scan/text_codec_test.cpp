#include "scan/text_codec.h"

#include "scan/byte_count.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

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

namespace {

// The wide validator against the byte-by-byte one, with `seq` placed at many
// places of an ASCII text so that it meets every edge of the 32-byte blocks,
// the padded tail and the end of the text. Returns the first disagreement.
std::string disagreement(const std::string& seq) {
    for (std::size_t at : {0u, 1u, 29u, 30u, 31u, 32u, 61u, 63u, 64u, 95u, 126u, 127u, 128u}) {
        for (std::size_t extra : {0u, 1u, 40u, 100u}) {
            std::string text(at, 'a');
            text += seq;
            text.append(extra, 'z');
            if (detail::isValidUtf8Wide(text.data(), text.size()) !=
                detail::isValidUtf8Scalar(text.data(), text.size()))
                return "at " + std::to_string(at) + " + " + std::to_string(extra);
        }
    }
    return {};
}

std::string hex(const std::string& s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

} // namespace

TEST(TextCodec, WideValidatorAgreesOnEveryShortSequence) {
    // All one- and two-byte sequences; three and four bytes over the byte
    // values where the rules change (lead ranges, 80/8F/90/9F/A0/BF/C0).
    const int edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                         0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    int failures = 0;
    auto check = [&](const std::string& seq) {
        if (failures > 5) return;
        const std::string where = disagreement(seq);
        if (!where.empty()) {
            ++failures;
            ADD_FAILURE() << hex(seq) << where;
        }
    };
    for (int a = 0; a < 256; ++a) {
        check(std::string(1, static_cast<char>(a)));
        for (int b = 0x70; b < 0xD0; ++b) check({static_cast<char>(a), static_cast<char>(b)});
    }
    for (int a = 0xC0; a < 0x100; ++a)
        for (int b : edges)
            for (int c : edges) {
                check({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
                for (int d : edges)
                    if (a >= 0xF0)
                        check({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)});
            }
}

TEST(TextCodec, WideValidatorAgreesOnMixedText) {
    // Valid characters of every length, now and then one byte changed.
    const std::string pieces[] = {"a", "xyz ", "\xC3\xA9", "\xCF\x89", "\xE4\xB8\xAD", "\xED\x9F\xBF",
                                  "\xEF\xBF\xBD", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "\r\n"};
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    int valid = 0, invalid = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const std::size_t want = next() % 300;
        while (text.size() < want) text += pieces[next() % std::size(pieces)];
        if (round % 2 == 1 && !text.empty()) text[next() % text.size()] = static_cast<char>(0x80 + next() % 0x80);
        const bool expected = detail::isValidUtf8Scalar(text.data(), text.size());
        (expected ? valid : invalid)++;
        ASSERT_EQ(detail::isValidUtf8Wide(text.data(), text.size()), expected) << hex(text);
    }
    EXPECT_GT(valid, 1000);
    EXPECT_GT(invalid, 1000);
}

TEST(ByteCount, CountsEveryMatchWhateverTheLengthAndStart) {
    std::string text;
    std::uint32_t seed = 99;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        text.push_back("ab\r\n\xC3\r"[(seed >> 10) % 6]);
    }
    for (std::size_t start : {0u, 1u, 31u, 33u}) {
        for (std::size_t len : {0u, 1u, 63u, 64u, 255u, 256u, 257u, 1000u, 4967u}) {
            const std::size_t expected = static_cast<std::size_t>(std::count(text.begin() + start, text.begin() + start + len, '\r'));
            EXPECT_EQ(countByte(text.data() + start, len, '\r'), expected) << start << "+" << len;
        }
    }
    EXPECT_EQ(countByte(text.data(), text.size(), '\xC3'),
              static_cast<std::size_t>(std::count(text.begin(), text.end(), '\xC3')));
}

TEST(ByteCount, UpperCasesLettersAndFindsEveryLeadByteWhateverTheirDensity) {
    // Windows from none to every byte a possible lead (0xC0 and above), at
    // every alignment, against the plain rule: a-z become A-Z, every other
    // byte stays, and the leads come out in order with nothing in between.
    std::uint32_t seed = 7;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    const std::string pool = "aZz{`@ \x7F\x80\xBF\xC0\xC3\xE4\xF0\xFF";
    for (const unsigned percentLeads : {0u, 3u, 12u, 30u, 60u, 100u}) {
        std::string text(kOffsetWindow, 'x');
        for (char& c : text) {
            const bool lead = next() % 100 < percentLeads;
            c = lead ? static_cast<char>(0xC0 + (next() >> 8) % 64) : pool[(next() >> 8) % 10];
        }
        for (const std::size_t start : {0u, 5u}) {
            const std::size_t len = kOffsetWindow - start;
            std::string upper(len, '\0');
            std::vector<std::uint16_t> leads(kOffsetWindow + kOffsetSlack);
            const std::size_t found = upperAsciiFindLeads(text.data() + start, len, upper.data(), leads.data());
            std::string expectedUpper;
            std::vector<std::uint16_t> expectedLeads;
            for (std::size_t i = 0; i < len; ++i) {
                const auto c = static_cast<unsigned char>(text[start + i]);
                expectedUpper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : static_cast<char>(c));
                if (c >= 0xC0) expectedLeads.push_back(static_cast<std::uint16_t>(i));
            }
            ASSERT_EQ(upper, expectedUpper) << percentLeads << "% from " << start;
            leads.resize(found);
            ASSERT_EQ(leads, expectedLeads) << percentLeads << "% from " << start;
        }
    }
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
