#include "scan/source_reader.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

using namespace twinsift;
using twinsift::test::TempDir;

namespace {

struct Loaded {
    LoadedDocument doc;
    CountResult count;
    std::vector<std::string> seen; // what onLine was told
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        for (int i = 0; i < doc.lstOriginal.ListCount(); ++i) v.push_back(doc.lstOriginal.List(i));
        return v;
    }
};

Loaded load(const std::vector<std::string>& paths, bool convertNbsp = true) {
    Loaded r;
    SettingsValues s = SettingsValues::Defaults();
    s.bConvertNBSPToSpace = convertNbsp;
    r.doc.resetFiles(paths);
    SourceReader reader(r.doc, s);
    r.count = reader.CountLines();
    if (!r.count.ok) return r;
    reader.LoadLines([&](std::string_view t) {
        r.seen.emplace_back(t);
        return true;
    });
    reader.StripByteOrderMarks();
    return r;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(SourceReader, EndsLinesAtCrOrCrLfButNotAtALoneLf) {
    TempDir d;
    auto r = load({d.write("a.txt", "x\r\na\nb")});
    EXPECT_EQ(r.lines(), (Lines{"x", "a\nb"}));
    EXPECT_FALSE(r.doc.bSourceUnix[0]);

    r = load({d.write("b.txt", "a\r\nb\r\n")});
    EXPECT_EQ(r.lines(), (Lines{"a", "b"})) << "a final terminator adds no empty line";

    r = load({d.write("c.txt", "a\r\n\r\n")});
    EXPECT_EQ(r.lines(), (Lines{"a", ""}));

    r = load({d.write("d.txt", "\r\n")});
    EXPECT_EQ(r.lines(), (Lines{""}));

    r = load({d.write("e.txt", "old\rmac\rlines")});
    EXPECT_EQ(r.lines(), (Lines{"old", "mac", "lines"}));

    r = load({d.write("f.txt", "one\r\ntwo\nstill two\r\nthree")});
    EXPECT_EQ(r.lines(), (Lines{"one", "two\nstill two", "three"})) << "several CR lines are never split at LF";
    EXPECT_EQ(r.count.total, 3);
}

TEST(SourceReader, SplitsASingleLineFileAtLf) {
    TempDir d;
    auto r = load({d.write("u.txt", "a\nb\nc")});
    EXPECT_EQ(r.lines(), (Lines{"a", "b", "c"}));
    EXPECT_TRUE(r.doc.bSourceUnix[0]);
    EXPECT_EQ(r.doc.lSourceLineCount[0], 3);

    r = load({d.write("u2.txt", "a\nb\nc\n")});
    EXPECT_EQ(r.lines(), (Lines{"a", "b", "c"}));
    EXPECT_TRUE(r.doc.bSourceUnix[0]);

    r = load({d.write("one.txt", "a\n")});
    EXPECT_EQ(r.lines(), (Lines{"a\n"})) << "one LF at the end keeps the text as read";
    EXPECT_FALSE(r.doc.bSourceUnix[0]);

    r = load({d.write("blank.txt", "a\n\nb\n")});
    EXPECT_EQ(r.lines(), (Lines{"a", "", "b"}));

    r = load({d.write("crlfend.txt", "a\nb\r\n")});
    EXPECT_EQ(r.lines(), (Lines{"a", "b"}));
    EXPECT_TRUE(r.doc.bSourceUnix[0]);
}

TEST(SourceReader, SplitsLinesAlikeOnEitherSideOfEveryWindowEdge) {
    // The line splitters find their line ends a window of bytes at a time;
    // what they give must not depend on where the windows fall. Each is
    // checked against the plain rule, on random texts a few windows long,
    // runs of separators included (more than four in a 64-byte block).
    auto textLines = [](const std::string& t) {
        std::vector<std::string> v;
        std::size_t pos = 0;
        while (pos < t.size()) {
            const std::size_t cr = t.find('\r', pos);
            if (cr == std::string::npos) {
                v.push_back(t.substr(pos));
                break;
            }
            v.push_back(t.substr(pos, cr - pos));
            pos = cr + 1 < t.size() && t[cr + 1] == '\n' ? cr + 2 : cr + 1;
        }
        return v;
    };
    auto lfPieces = [](const std::string& t) {
        std::vector<std::string> v;
        std::size_t pos = 0;
        while (pos < t.size()) {
            const std::size_t lf = t.find('\n', pos);
            if (lf == std::string::npos) {
                v.push_back(t.substr(pos));
                break;
            }
            v.push_back(t.substr(pos, lf - pos));
            pos = lf + 1;
        }
        return v;
    };
    const std::string pieces[] = {"a", "xyz", "\r", "\n", "\r\n", "\n\r", std::string(70, '\r'), std::string(3000, 'q')};
    std::uint32_t seed = 4321;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 60; ++round) {
        std::string text;
        const std::size_t want = round < 6 ? kOffsetWindow - 3 + static_cast<std::size_t>(round) : next() % (3 * kOffsetWindow);
        while (text.size() < want) text += pieces[next() % std::size(pieces)];
        if (round < 6) text.resize(want);
        std::vector<std::string> got;
        auto collect = [&](const char* p, std::size_t n) { got.emplace_back(p, n); };
        forEachTextLine(text.data(), text.size(), collect);
        ASSERT_EQ(got, textLines(text)) << "round " << round;
        got.clear();
        forEachLfPiece(text.data(), text.size(), collect);
        ASSERT_EQ(got, lfPieces(text)) << "round " << round;
    }
}

TEST(SourceReader, RemovesAndRecordsByteOrderMarks) {
    TempDir d;
    auto r = load({d.write("u8.txt", "\xEF\xBB\xBF" "abc\r\ndef")});
    EXPECT_EQ(r.lines(), (Lines{"abc", "def"}));
    EXPECT_TRUE(r.doc.bBomFound);
    EXPECT_FALSE(r.doc.bSourceMultibyte[0]);
    EXPECT_EQ(r.seen[0], "\xEF\xBB\xBF" "abc") << "the load pass sees the mark; it is removed afterwards";

    r = load({d.write("u16.txt", std::string("\xFF\xFEh\0i\0", 6))});
    EXPECT_EQ(r.lines(), (Lines{std::string("h\0i\0", 4)}));
    EXPECT_TRUE(r.doc.bSourceMultibyte[0]);
    EXPECT_EQ(r.doc.codec, Codec::Windows1252);

    r = load({d.write("u32be.txt", std::string("\0\0\xFE\xFFx", 5))});
    EXPECT_EQ(r.lines(), (Lines{"x"}));
    EXPECT_TRUE(r.doc.bSourceMultibyte[0]);

    r = load({d.write("none.txt", "plain")});
    EXPECT_FALSE(r.doc.bBomFound);
}

TEST(SourceReader, MarksOnlyTheFileThatHasAMark) {
    TempDir d;
    auto r = load({d.write("a.txt", "a\r\nb"), d.write("b.txt", "\xFE\xFFq\r\nz")});
    EXPECT_EQ(r.lines(), (Lines{"a", "b", "q", "z"}));
    EXPECT_FALSE(r.doc.bSourceMultibyte[0]);
    EXPECT_TRUE(r.doc.bSourceMultibyte[1]);
    EXPECT_TRUE(r.doc.bBomFound);
}

TEST(SourceReader, ConvertsNoBreakSpacesByTheDocumentCodec) {
    TempDir d;
    auto r = load({d.write("u.txt", "a\xC2\xA0" "b\r\nvoil\xC3\xA0")});
    EXPECT_EQ(r.doc.codec, Codec::Utf8);
    EXPECT_EQ(r.lines(), (Lines{"a b", "voil\xC3\xA0"})) << "the A0 inside U+00E0 is not a no-break space";

    r = load({d.write("w.txt", "a\xA0" "b\r\ncaf\xE9")});
    EXPECT_EQ(r.doc.codec, Codec::Windows1252);
    EXPECT_EQ(r.lines(), (Lines{"a b", "caf\xE9"}));

    r = load({d.write("off.txt", "a\xC2\xA0" "b")}, false);
    EXPECT_EQ(r.lines(), (Lines{"a\xC2\xA0" "b"}));
}

TEST(SourceReader, ChoosesUtf8OnlyWhenEveryFileIsValidUtf8) {
    TempDir d;
    auto r = load({d.write("a.txt", "caf\xC3\xA9"), d.write("b.txt", "plain")});
    EXPECT_EQ(r.doc.codec, Codec::Utf8);
    r = load({d.write("c.txt", "caf\xC3\xA9"), d.write("d.txt", "caf\xE9")});
    EXPECT_EQ(r.doc.codec, Codec::Windows1252);
}

TEST(SourceReader, PlacesEachFileInTheLineList) {
    TempDir d;
    auto r = load({d.write("3.txt", "1\r\n2\r\n3\r\n"), d.write("5.txt", "a\nb\nc\nd\ne")});
    EXPECT_EQ(r.count.total, 8);
    EXPECT_EQ(r.doc.lSourceFirstLine, (std::vector<std::int32_t>{0, 3}));
    EXPECT_EQ(r.doc.lSourceLineCount, (std::vector<std::int32_t>{3, 5}));
    EXPECT_EQ(r.lines(), (Lines{"1", "2", "3", "a", "b", "c", "d", "e"}));
    EXPECT_EQ(r.seen, r.lines());
}

TEST(SourceReader, StopsWhenTheDriverSaysSo) {
    TempDir d;
    LoadedDocument doc;
    SettingsValues s = SettingsValues::Defaults();
    doc.resetFiles({d.write("a.txt", "1\r\n2\r\n3\r\n4")});
    SourceReader reader(doc, s);
    ASSERT_TRUE(reader.CountLines().ok);
    int calls = 0;
    EXPECT_FALSE(reader.LoadLines([&](std::string_view) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(doc.lstOriginal.ListCount(), 2);
}

TEST(SourceReader, KeepsItsOwnCopyWhenTheFileChangesAfterCounting) {
    TempDir d;
    const auto path = d.write("a.txt", "1\r\n2\r\n3");
    LoadedDocument doc;
    SettingsValues s = SettingsValues::Defaults();
    doc.resetFiles({path});
    SourceReader reader(doc, s);
    ASSERT_EQ(reader.CountLines().total, 3);
    d.write("a.txt", ""); // truncated by another program
    reader.LoadLines([](std::string_view) { return true; });
    ASSERT_EQ(doc.lstOriginal.ListCount(), 3);
    EXPECT_EQ(doc.lstOriginal.List(2), "3");
}

TEST(SourceReader, ReportsAFileThatCannotBeRead) {
    LoadedDocument doc;
    SettingsValues s = SettingsValues::Defaults();
    doc.resetFiles({"/nonexistent/twinsift/none.txt"});
    SourceReader reader(doc, s);
    const auto c = reader.CountLines();
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.error, "Error: Can't Open File...");
}

TEST(ClassifyFile, DecidesByTheLowerCasedEnding) {
    EXPECT_EQ(ClassifyFile("REPORT.DOCX"), SourceKind::Word);
    EXPECT_EQ(ClassifyFile("notes.doc.txt"), SourceKind::Text);
    EXPECT_EQ(ClassifyFile("a.rtf"), SourceKind::Word);
    EXPECT_EQ(ClassifyFile("a.odt"), SourceKind::Word);
    EXPECT_EQ(ClassifyFile("b.XLSB"), SourceKind::Excel);
    EXPECT_EQ(ClassifyFile("b.ods"), SourceKind::Excel);
    EXPECT_EQ(ClassifyFile("xls"), SourceKind::Text);
    EXPECT_EQ(ClassifyFile(""), SourceKind::Text);
}
