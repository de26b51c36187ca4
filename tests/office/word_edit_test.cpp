// Editing Word documents through the adapter: the save walk of put and delete,
// what stays untouched, and the saves it refuses.

#include "office_fixture.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

std::string para(const std::string& text) { return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>"; }

// A marker that a rewrite of the paragraph would drop.
std::string markedPara(const std::string& text) {
    return R"(<w:p><w:proofErr w:type="spellStart"/><w:r><w:rPr><w:b/></w:rPr><w:t>)" + text + "</w:t></w:r></w:p>";
}

struct WordEdit : ::testing::Test {
    test::TempDir dir;
    SettingsValues settings = SettingsValues::Defaults();
};

TEST_F(WordEdit, ThreeParagraphsPutDeletePutKeepsUnchangedParagraphsUntouched) {
    const std::string src = test::writeDocx((dir.path() / "abc.docx").string(), markedPara("a") + para("b") + markedPara("c"));
    modOffice office(settings);
    EXPECT_EQ(test::readWordLines(office, src), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(office.lWordLineCount, 3);
    EXPECT_TRUE(office.bWordEOF);

    ASSERT_TRUE(office.WordInitPut());
    EXPECT_TRUE(office.WordPutLine("a"));
    EXPECT_EQ(office.iWordSkip, 1);
    EXPECT_TRUE(office.WordDeleteLine());
    EXPECT_EQ(office.iWordSkip, 0);
    EXPECT_FALSE(office.bWordEOF);
    EXPECT_TRUE(office.WordPutLine("c"));
    EXPECT_TRUE(office.bWordEOF);
    EXPECT_FALSE(office.WordPutLine("d")); // past the end
    const std::string out = (dir.path() / "out.docx").string();
    ASSERT_TRUE(office.WordSaveAs(out)) << office.sOfficeError;
    ASSERT_TRUE(office.WordClose());

    EXPECT_EQ(test::readWordLines(office, out), (std::vector<std::string>{"a", "c"}));
    const std::string xml = test::packageEntry(out, "word/document.xml");
    EXPECT_EQ(xml.find("<w:t>b</w:t>"), std::string::npos);
    std::size_t markers = 0;
    for (std::size_t p = xml.find("proofErr"); p != std::string::npos; p = xml.find("proofErr", p + 1)) ++markers;
    EXPECT_EQ(markers, 2u) << xml;
    EXPECT_FALSE(fs::exists(out + ".twinsifttemp"));
}

TEST_F(WordEdit, LetterCaseCountsOnlyWhenLoadingWasCaseSensitive) {
    const std::string src = test::writeDocx((dir.path() / "case.docx").string(), markedPara("apple") + para("end"));
    for (int caseSensitive : {0, 1}) {
        settings.Load_CaseSensitive = static_cast<std::int16_t>(caseSensitive);
        modOffice office(settings);
        test::readWordLines(office, src);
        ASSERT_TRUE(office.WordInitPut());
        ASSERT_TRUE(office.WordPutLine("APPLE"));
        const std::string out = (dir.path() / ("case" + std::to_string(caseSensitive) + ".docx")).string();
        ASSERT_TRUE(office.WordSaveAs(out));
        const auto lines = test::readWordLines(office, out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], caseSensitive ? "APPLE" : "apple");
        // A rewritten line keeps the formatting of its first run.
        EXPECT_NE(test::packageEntry(out, "word/document.xml").find("<w:b"), std::string::npos);
    }
}

TEST_F(WordEdit, ChangedLineTurnsTabsAndLineBreaksBackIntoDocumentMarks) {
    const std::string src = test::writeDocx((dir.path() / "t.docx").string(),
        R"(<w:p><w:pPr><w:jc w:val="center"/></w:pPr><w:r><w:rPr><w:i/></w:rPr><w:t>old</w:t></w:r><w:r><w:t xml:space="preserve"> text</w:t></w:r></w:p>)" + para("z"));
    modOffice office(settings);
    test::readWordLines(office, src);
    ASSERT_TRUE(office.WordInitPut());
    ASSERT_TRUE(office.WordPutLine("  new\tline\vsecond\fpage  <&>"));
    const std::string out = (dir.path() / "t2.docx").string();
    ASSERT_TRUE(office.WordSaveAs(out));
    EXPECT_EQ(test::readWordLines(office, out), (std::vector<std::string>{"  new\tline\vsecond\fpage  <&>", "z"}));
    const std::string xml = test::packageEntry(out, "word/document.xml");
    EXPECT_NE(xml.find("<w:jc w:val=\"center\""), std::string::npos);
    EXPECT_NE(xml.find("<w:tab"), std::string::npos);
    EXPECT_NE(xml.find("<w:br"), std::string::npos);
    EXPECT_NE(xml.find("<w:i"), std::string::npos);
}

TEST_F(WordEdit, ParagraphsThatCannotGoFailAndLeaveTheCursor) {
    const std::string cell = "<w:tc>" + para("only") + "</w:tc>";
    const std::string src = test::writeDocx((dir.path() / "tbl.docx").string(),
        para("first") + "<w:tbl><w:tr>" + cell + "</w:tr></w:tbl>" + para("last"));
    modOffice office(settings);
    EXPECT_EQ(test::readWordLines(office, src), (std::vector<std::string>{"first", "only", "last"}));
    ASSERT_TRUE(office.WordInitPut());
    EXPECT_TRUE(office.WordPutLine("first"));
    EXPECT_FALSE(office.WordDeleteLine());
    EXPECT_EQ(office.sOfficeError,
              "Word Error: Can't Delete Line (Note: Removing data from documents with tables or forms is not supported.)");
    EXPECT_EQ(office.lWordLineIndex, 1);
    // A failure during saving stays visible while the walk goes on.
    EXPECT_TRUE(office.WordPutLine("only"));
    EXPECT_FALSE(office.sOfficeError.empty());
    // The body has to end with a paragraph, and here a table stands before it.
    EXPECT_FALSE(office.WordDeleteLine());
    EXPECT_EQ(office.lWordLineIndex, 2);
}

TEST_F(WordEdit, TheLastParagraphGoesWhenAParagraphTakesItsPlace) {
    const std::string src = test::writeDocx((dir.path() / "l.docx").string(), para("a") + para("b") + "<w:sectPr/>");
    modOffice office(settings);
    test::readWordLines(office, src);
    ASSERT_TRUE(office.WordInitPut());
    EXPECT_TRUE(office.WordPutLine("a"));
    EXPECT_TRUE(office.WordDeleteLine());
    const std::string out = (dir.path() / "l2.docx").string();
    ASSERT_TRUE(office.WordSaveAs(out));
    EXPECT_EQ(test::readWordLines(office, out), (std::vector<std::string>{"a"}));
    EXPECT_NE(test::packageEntry(out, "word/document.xml").find("sectPr"), std::string::npos);
}

TEST_F(WordEdit, SavingRefusesATargetOfAnotherFormatAndAnEmptyPathSavesNothing) {
    const std::string src = test::writeDocx((dir.path() / "s.docx").string(), para("a") + para("b"));
    modOffice office(settings);
    test::readWordLines(office, src);
    EXPECT_TRUE(office.WordSaveAs(""));
    EXPECT_TRUE(office.sOfficeError.empty());
    for (const char* wrong : {"s.odt", "s.docm", "s.xlsx", "s.doc"}) {
        EXPECT_FALSE(office.WordSaveAs((dir.path() / wrong).string())) << wrong;
        EXPECT_EQ(office.sOfficeError, "Error Saving Word File");
        EXPECT_FALSE(fs::exists(dir.path() / wrong));
    }
    // Overwriting the source itself is fine: the document is held in memory.
    ASSERT_TRUE(office.WordInitPut());
    EXPECT_TRUE(office.WordDeleteLine());
    EXPECT_TRUE(office.WordSaveAs(src));
    EXPECT_EQ(test::readWordLines(office, src), (std::vector<std::string>{"b"}));
}

TEST_F(WordEdit, MacroAndTemplatePackagesUseTheSameCodeAndKeepTheirExtension) {
    const std::string body = test::readFile(test::testdataDir() / "office/word/plain_duplicates.docx");
    const std::string src = dir.write("macro.docm", body);
    modOffice office(settings);
    EXPECT_EQ(test::readWordLines(office, src), test::readExpected((test::testdataDir() / "office/word/plain_duplicates.docx.expected.txt").string()));
    EXPECT_FALSE(office.WordSaveAs((dir.path() / "macro.docx").string()));
    EXPECT_TRUE(office.WordSaveAs((dir.path() / "macro copy.DOCM").string()));
    // A target that cannot be written leaves nothing behind.
    const fs::path missing = dir.path() / "no such folder" / "x.docm";
    EXPECT_FALSE(office.WordSaveAs(missing.string()));
    EXPECT_EQ(office.sOfficeError, "Error Saving Word File");
    EXPECT_FALSE(fs::exists(missing.parent_path()));
}

// Removes every repeated line (exact text), the way a save of duplicates would.
std::vector<std::string> dedupeAndSave(modOffice& office, const std::vector<std::string>& lines, const std::string& out) {
    std::set<std::string> seen;
    std::vector<std::string> kept;
    EXPECT_TRUE(office.WordInitPut());
    for (const std::string& l : lines) {
        if (!seen.insert(l).second) {
            EXPECT_TRUE(office.WordDeleteLine()) << l;
        } else {
            EXPECT_TRUE(office.WordPutLine(l));
            kept.push_back(l);
        }
    }
    EXPECT_TRUE(office.bWordEOF);
    EXPECT_TRUE(office.WordSaveAs(out)) << office.sOfficeError;
    return kept;
}

TEST_F(WordEdit, RealDocumentsLoseTheirDuplicatesAndKeepEveryOtherPart) {
    for (const char* name : {"plain_duplicates.docx", "family.docx", "family.odt", "mixed_runs.docx"}) {
        const std::string src = (test::testdataDir() / "office/word" / name).string();
        const std::string out = (dir.path() / (std::string("out_") + name)).string();
        modOffice office(settings);
        const auto lines = test::readWordLines(office, src);
        const auto kept = dedupeAndSave(office, lines, out);
        EXPECT_LT(kept.size(), lines.size()) << name;
        EXPECT_EQ(test::readWordLines(office, out), kept) << name;
        const std::string main = std::string(name).find(".odt") != std::string::npos ? "content.xml" : "word/document.xml";
        for (const char* part : {"word/styles.xml", "styles.xml", "docProps/core.xml", "meta.xml", "mimetype"}) {
            if (part == main) continue;
            EXPECT_EQ(test::packageEntry(out, part), test::packageEntry(src, part)) << name << " " << part;
        }
    }
}

TEST_F(WordEdit, OdtLinesKeepTheirBlanksWhenRewritten) {
    const std::string src = (test::testdataDir() / "office/word/family.odt").string();
    modOffice office(settings);
    const auto lines = test::readWordLines(office, src);
    ASSERT_TRUE(office.WordInitPut());
    std::vector<std::string> want;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string changed = i == 1 ? "  lead, inner   run,\ttab\vbreak trail  " : lines[i] + (i % 2 ? " x" : "");
        ASSERT_TRUE(office.WordPutLine(changed));
        want.push_back(changed);
    }
    const std::string out = (dir.path() / "blanks.odt").string();
    ASSERT_TRUE(office.WordSaveAs(out));
    EXPECT_EQ(test::readWordLines(office, out), want);
}

} // namespace
} // namespace twinsift
