// Damaged and hostile input: every case fails with the adapter's open text,
// nothing crashes and nothing outside the package is read.

#include "office_fixture.h"

#include "office/zip_package.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

struct BadPackage : ::testing::Test {
    test::TempDir dir;
    SettingsValues settings = SettingsValues::Defaults();

    void expectWordRefused(const std::string& path) {
        modOffice office(settings);
        EXPECT_FALSE(office.WordOpen(path)) << path;
        EXPECT_EQ(office.sOfficeError, "Error Initializing Word");
        EXPECT_FALSE(office.bWordOpen);
    }
    void expectExcelRefused(const std::string& path) {
        modOffice office(settings);
        EXPECT_FALSE(office.ExcelOpen(path)) << path;
        EXPECT_EQ(office.sOfficeError, "Error Initializing Excel");
        EXPECT_FALSE(office.bExcelOpen);
    }
};

TEST_F(BadPackage, TruncatedAndForeignFilesAreRefused) {
    const std::string whole = test::readFile(test::testdataDir() / "office/word/family.docx");
    for (std::size_t cut : {whole.size() / 2, whole.size() - 10, std::size_t{30}})
        expectWordRefused(dir.write("cut" + std::to_string(cut) + ".docx", whole.substr(0, cut)));
    expectWordRefused(dir.write("text.docx", "just some text\r\n"));
    expectWordRefused(dir.write("old.doc", whole)); // binary formats are not read
    expectWordRefused((dir.path() / "missing.docx").string());
    const std::string book = test::readFile(test::testdataDir() / "office/excel/basic_column.xlsx");
    expectExcelRefused(dir.write("cut.xlsx", book.substr(0, book.size() / 3)));
    expectExcelRefused(dir.write("book.xlsb", book));
    // A workbook is no word-processing document and the other way round.
    expectWordRefused(dir.write("book.docx", book));
    expectExcelRefused(dir.write("doc.xlsx", whole));
}

TEST_F(BadPackage, DocumentTypeDeclarationsAreRefusedSoNoEntityIsExpanded) {
    const std::string secret = dir.write("secret.txt", "TOPSECRET");
    const std::string body = "<w:p><w:r><w:t>&xxe;</w:t></w:r></w:p>";
    std::string path = test::writeDocx((dir.path() / "xxe.docx").string(), body);
    // Put a DTD with an external entity in front of the main part.
    const std::string xml = test::packageEntry(path, "word/document.xml");
    const std::string evil = "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY xxe SYSTEM \"file://" + secret +
                             "\">]>" + xml.substr(xml.find("?>") + 2);
    test::writePackage(path, {{"_rels/.rels", test::packageEntry(path, "_rels/.rels")}, {"word/document.xml", evil}});
    expectWordRefused(path);
}

TEST_F(BadPackage, EntryNamesLeavingThePackageAreRefused) {
    const std::string good = test::writeDocx((dir.path() / "good.docx").string(), "<w:p/>");
    test::writePackage((dir.path() / "trav.docx").string(),
                       {{"_rels/.rels", test::packageEntry(good, "_rels/.rels")},
                        {"word/document.xml", test::packageEntry(good, "word/document.xml")},
                        {"../../escape.xml", "<x/>"}});
    expectWordRefused((dir.path() / "trav.docx").string());
    EXPECT_EQ(office::resolvePartName("word/document.xml", "../../x.xml"), "");
    EXPECT_EQ(office::resolvePartName("word/document.xml", "media/a.png"), "word/media/a.png");
    EXPECT_EQ(office::resolvePartName("xl/workbook.xml", "/xl/worksheets/sheet1.xml"), "xl/worksheets/sheet1.xml");
}

TEST_F(BadPackage, ZipBombIsRefusedByTheAdapter) {
    const std::string good = test::writeDocx((dir.path() / "good.docx").string(), "<w:p/>");
    const std::string path = test::writePackage((dir.path() / "bomb.docx").string(),
                                                {{"_rels/.rels", test::packageEntry(good, "_rels/.rels")},
                                                 {"word/document.xml", std::string(std::size_t{129} << 20, ' ')}});
    EXPECT_LT(fs::file_size(path), std::uintmax_t{1} << 20);
    expectWordRefused(path);
}

TEST_F(BadPackage, InflatingPastTheLimitsStops) {
    const std::string path = test::writePackage((dir.path() / "bomb.zip").string(),
                                                {{"a.xml", std::string(1 << 20, ' ')}, {"b.xml", std::string(600 << 10, ' ')}});
    office::ZipPackage pkg;
    EXPECT_FALSE(pkg.open(path, {512 << 10, 4 << 20})); // one entry over the limit
    EXPECT_FALSE(pkg.open(path, {2 << 20, 1 << 20}));    // all together over the limit
    ASSERT_TRUE(pkg.open(path, {2 << 20, 2 << 20}));
    EXPECT_EQ(pkg.read("b.xml").value_or("").size(), std::size_t{600} << 10);
}

TEST_F(BadPackage, DamagedBytesAnywhereNeverCrashTheReader) {
    for (const char* name : {"word/family.docx", "excel/shared_strings.xlsx"}) {
        const std::string whole = test::readFile(test::testdataDir() / "office" / name);
        const bool word = std::string(name).rfind("word", 0) == 0;
        for (std::size_t at = 0; at < whole.size(); at += 61) {
            std::string bytes = whole;
            bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
            const std::string path = dir.write(word ? "d.docx" : "d.xlsx", bytes);
            modOffice office(settings);
            if (word) {
                if (office.WordOpen(path)) {
                    office.WordInitGet();
                    while (office.lWordLineCount > 0 && !office.bWordEOF) office.WordGetLine();
                } else {
                    EXPECT_EQ(office.sOfficeError, "Error Initializing Word") << at;
                }
            } else if (office.ExcelOpen(path)) {
                office.ExcelInitGet();
                while (!office.bExcelEOF) office.ExcelGetRow();
            } else {
                EXPECT_EQ(office.sOfficeError, "Error Initializing Excel") << at;
            }
        }
    }
}

TEST_F(BadPackage, EmptyWorkbookGivesOneEmptyRow) {
    const std::string path = test::writeXlsx((dir.path() / "empty.xlsx").string(), "");
    modOffice office(settings);
    EXPECT_EQ(test::readExcelRows(office, path, 1, 1), (std::vector<std::string>{""}));
}

} // namespace
} // namespace twinsift
