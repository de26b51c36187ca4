// The reader's Word and Excel branch: the pre-count through the adapter and
// the load pass until the end of the document.

#include "office_fixture.h"

#include "scan/office_lines.h"
#include "scan/source_reader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace twinsift {
namespace {

struct ReaderBranch : ::testing::Test {
    test::TempDir dir;
    SettingsValues settings = SettingsValues::Defaults();
    modOffice office{settings};
    OfficeReaderSource source{office, settings};
    LoadedDocument doc;

    CountResult count(const std::string& path) {
        const SourceKind kind = ClassifyFile(path);
        doc.bDocIsWord = kind == SourceKind::Word;
        doc.bDocIsExcel = kind == SourceKind::Excel;
        doc.resetFiles({path});
        SourceReader reader(doc, settings, &source);
        CountResult c = reader.CountLines();
        if (c.ok) reader.LoadLines([](std::string_view) { return true; });
        return c;
    }
    std::vector<std::string> loaded() const {
        std::vector<std::string> out;
        for (std::int32_t i = 0; i < doc.lstOriginal.ListCount(); ++i) out.emplace_back(doc.lstOriginal.ListView(i));
        return out;
    }
};

TEST_F(ReaderBranch, WordDocumentIsCountedAndLoadedWithNoBreakSpacesConverted) {
    const std::string path = test::writeDocx((dir.path() / "d.docx").string(),
        "<w:p><w:r><w:t>one\xC2\xA0two</w:t></w:r></w:p><w:p/><w:p><w:r><w:t>three</w:t></w:r></w:p>");
    const CountResult c = count(path);
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(c.total, 3);
    EXPECT_EQ(doc.lSourceLineCount[0], 3);
    EXPECT_EQ(loaded(), (std::vector<std::string>{"one two", "", "three"}));
    EXPECT_TRUE(office.bWordOpen); // stays open for saving
    EXPECT_TRUE(office.bWordEOF);
}

TEST_F(ReaderBranch, WorksheetAndColumnComeFromTheLoadOptions) {
    settings.Load_ExcelWorksheet = 2;
    settings.Load_ExcelColumn = 3;
    const CountResult c = count((test::testdataDir() / "office/excel/multi_sheet.xlsx").string());
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(loaded(), test::readExpected((test::testdataDir() / "office/excel/multi_sheet.xlsx.2.C.expected.txt").string()));
    settings.Load_ExcelWorksheet = 9;
    const CountResult bad = count((test::testdataDir() / "office/excel/multi_sheet.xlsx").string());
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error, "Excel error: Invalid Worksheet");
}

TEST_F(ReaderBranch, FailuresCarryTheAdapterTextOrTheEmptyDocumentText) {
    const CountResult empty = count(test::writeDocx((dir.path() / "e.docx").string(), "<w:sectPr/>"));
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.error, "Error: File is empty!");
    const CountResult broken = count(dir.write("b.docx", "PK broken"));
    EXPECT_FALSE(broken.ok);
    EXPECT_EQ(broken.error, "Error Initializing Word");
    EXPECT_FALSE(office.bWordOpen);
}

} // namespace
} // namespace twinsift
