// Documents built to break a reader: nesting as deep as the bytes allow,
// repeat counts far past any sheet, parts shared between sheets, and sizes that
// make careless loops quadratic. Each must read (or be refused) in time, and
// every save must land where the user asked.

#include "office_fixture.h"

#include "office/cell_text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

// Deep enough that a walk with one stack frame per level overflows the stack.
constexpr int kDeep = 250000;

std::string repeat(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::string para(const std::string& text) { return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>"; }

const char* const kOdfNs =
    R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")";

std::string writeOdt(const std::string& path, const std::string& textXml) {
    return test::writePackage(path, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                                     {"content.xml", std::string("<office:document-content ") + kOdfNs +
                                                         "><office:body><office:text>" + textXml +
                                                         "</office:text></office:body></office:document-content>"}});
}

std::string writeOds(const std::string& path, const std::string& tableXml) {
    return test::writePackage(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                     {"content.xml", std::string("<office:document-content ") + kOdfNs +
                                                         R"(><office:body><office:spreadsheet><table:table table:name="S">)" +
                                                         tableXml +
                                                         "</table:table></office:spreadsheet></office:body></office:document-content>"}});
}

std::string odsRow(const std::string& text, long long repeated = 1) {
    std::string row = "<table:table-row";
    if (repeated != 1) row += " table:number-rows-repeated=\"" + std::to_string(repeated) + "\"";
    row += "><table:table-cell";
    if (!text.empty()) row += R"( office:value-type="string"><text:p>)" + text + "</text:p></table:table-cell>";
    else row += "/>";
    return row + "</table:table-row>";
}

struct HostileInput : ::testing::Test {
    test::TempDir dir;
    SettingsValues settings = SettingsValues::Defaults();
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }
};

TEST_F(HostileInput, DeeplyNestedWordBodiesAndParagraphsReadEditAndSave) {
    // Content controls and revisions around a paragraph, and hyperlinks
    // inside one, each nested a quarter of a million levels deep.
    const std::string body = repeat("<w:sdt><w:sdtContent>", kDeep) + para("deep") +
                             repeat("</w:sdtContent></w:sdt>", kDeep) + repeat("<w:ins>", kDeep) + para("deep") +
                             repeat("</w:ins>", kDeep) + "<w:p>" + repeat("<w:hyperlink>", kDeep) +
                             "<w:r><w:t>link</w:t></w:r>" + repeat("</w:hyperlink>", kDeep) + "</w:p>" + para("end");
    const std::string src = test::writeDocx(path("deep.docx"), body);
    modOffice office(settings);
    EXPECT_EQ(test::readWordLines(office, src), (std::vector<std::string>{"deep", "deep", "link", "end"}));

    ASSERT_TRUE(office.WordInitPut());
    EXPECT_TRUE(office.WordPutLine("deep"));
    EXPECT_TRUE(office.WordDeleteLine());
    EXPECT_TRUE(office.WordPutLine("rewritten")); // drops the nested hyperlinks
    const std::string out = path("out.docx");
    ASSERT_TRUE(office.WordSaveAs(out)) << office.sOfficeError;
    office.WordClose();
    EXPECT_EQ(test::readWordLines(office, out), (std::vector<std::string>{"deep", "rewritten", "end"}));
}

TEST_F(HostileInput, DeeplyNestedOdfTextAndRowGroupsRead) {
    const std::string text = repeat("<text:section>", kDeep) + "<text:p>a</text:p>" + repeat("</text:section>", kDeep) +
                             "<text:p>" + repeat("<text:span>", kDeep) + "b" + repeat("</text:span>", kDeep) +
                             "</text:p>";
    modOffice word(settings);
    EXPECT_EQ(test::readWordLines(word, writeOdt(path("deep.odt"), text)), (std::vector<std::string>{"a", "b"}));

    const std::string table =
        repeat("<table:table-row-group>", kDeep) + odsRow("x") + odsRow("x") + repeat("</table:table-row-group>", kDeep);
    modOffice excel(settings);
    EXPECT_EQ(test::readExcelRows(excel, writeOds(path("deep.ods"), table), 1, 1), (std::vector<std::string>{"x", "x"}));
}

TEST_F(HostileInput, RepeatCountsStopAtTheSheetsEndAndNeverOverflow) {
    modOffice office(settings);
    // A row that says it shows a billion times is cut at the last row.
    auto rows = test::readExcelRows(office, writeOds(path("billion.ods"), odsRow("dup", 1000000000)), 1, 1);
    EXPECT_EQ(rows.size(), 1048576u);
    EXPECT_EQ(rows.back(), "dup");

    // Thousands of empty rows repeated a million times each add up past any
    // integer; the rows with content before them still read as they are.
    const std::string table = odsRow("a") + odsRow("a") + repeat(odsRow("", 1048576), 3000) + odsRow("b");
    rows = test::readExcelRows(office, writeOds(path("overflow.ods"), table), 1, 1);
    EXPECT_EQ(rows, (std::vector<std::string>{"a", "a"}));

    // Columns likewise: a cell far to the right is past the last column.
    const std::string wide = R"(<table:table-row><table:table-cell table:number-columns-repeated="2147483647"/>)"
                             R"(<table:table-cell table:number-columns-repeated="2147483647"/>)"
                             R"(<table:table-cell office:value-type="string"><text:p>far</text:p></table:table-cell>)"
                             R"(<table:table-cell office:value-type="string"><text:p>c</text:p></table:table-cell></table:table-row>)";
    ASSERT_TRUE(office.ExcelOpen(writeOds(path("wide.ods"), odsRow("c") + wide)));
    EXPECT_EQ(office.lExcelLastColumn[0], 1);
}

TEST_F(HostileInput, WorksheetsSharingOnePartAreRefused) {
    // Every sheet naming the same large part would parse it once each.
    const std::string ns = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
    std::string sheets, rels;
    for (int i = 1; i <= 200; ++i) {
        const std::string n = std::to_string(i);
        sheets += R"(<sheet name="S)" + n + R"(" sheetId=")" + n + R"(" r:id="rId)" + n + R"("/>)";
        rels += R"(<Relationship Id="rId)" + n +
                R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)";
    }
    const std::string file = test::writePackage(
        path("shared.xlsx"),
        {{"_rels/.rels",
          R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
         {"xl/workbook.xml", "<workbook " + ns + "><sheets>" + sheets + "</sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" + rels + "</Relationships>"},
         {"xl/worksheets/sheet1.xml", "<worksheet " + ns + "><sheetData>" +
                                          repeat(R"(<row><c t="inlineStr"><is><t>x</t></is></c></row>)", 20000) +
                                          "</sheetData></worksheet>"}});
    modOffice office(settings);
    EXPECT_FALSE(office.ExcelOpen(file));
    EXPECT_EQ(office.sOfficeError, "Error Initializing Excel");
}

TEST_F(HostileInput, ManyMergedAreasWithARowAtTheSheetsEndReadQuickly) {
    std::string merges;
    for (int i = 0; i < 3000; ++i) {
        const std::string top = std::to_string(2 + 2 * i), bottom = std::to_string(3 + 2 * i);
        merges += R"(<mergeCell ref="A)" + top + ":B" + bottom + R"("/>)";
    }
    const std::string data = R"(<row r="2"><c r="A2" t="inlineStr"><is><t>top</t></is></c></row>)"
                             R"(<row r="3"><c r="A3" t="inlineStr"><is><t>hidden</t></is></c></row>)"
                             R"(<row r="1048576"><c r="A1048576" t="inlineStr"><is><t>last</t></is></c></row>)";
    const std::string file = test::writeXlsx(path("merged.xlsx"), data,
                                             R"(<mergeCells count="3000">)" + merges + "</mergeCells>");
    modOffice office(settings);
    const auto rows = test::readExcelRows(office, file, 1, 1);
    ASSERT_EQ(rows.size(), 1048575u); // rows 2 to 1048576
    EXPECT_EQ(rows[0], "top");
    EXPECT_EQ(rows[1], ""); // covered by the merged area A2:B3
    EXPECT_EQ(rows.back(), "last");
    // The second column is covered from the area's first row on.
    const auto second = test::readExcelRows(office, file, 1, 2);
    EXPECT_EQ(second[0], "");
}

TEST_F(HostileInput, LongNumberFormatsOnManyStylesOpenQuickly) {
    std::string fmts, xfs;
    const std::string longCode = repeat("m", 20000);
    for (int i = 0; i < 400; ++i) {
        fmts += R"(<numFmt numFmtId=")" + std::to_string(200 + i) + R"(" formatCode=")" + longCode + R"("/>)";
        for (int k = 0; k < 5; ++k) xfs += R"(<xf numFmtId=")" + std::to_string(200 + i) + R"("/>)";
    }
    // Built by hand: the styles part hangs off the workbook's relationships.
    const std::string ns = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
    const std::string file = test::writePackage(
        path("formats.xlsx"),
        {{"_rels/.rels",
          R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
         {"xl/workbook.xml", "<workbook " + ns + R"(><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
         {"xl/_rels/workbook.xml.rels",
          R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>)"},
         {"xl/styles.xml", "<styleSheet " + ns + "><numFmts>" + fmts + "</numFmts><cellXfs>" + xfs +
                               "</cellXfs></styleSheet>"},
         {"xl/worksheets/sheet1.xml",
          "<worksheet " + ns + R"(><sheetData><row r="1"><c r="A1" s="3"><v>1</v></c></row></sheetData></worksheet>)"}});
    modOffice office(settings);
    EXPECT_EQ(test::readExcelRows(office, file, 1, 1), (std::vector<std::string>{"1900-01-01"}));

    // The one-pass reading of "m" decides as before.
    using office::DateKind;
    EXPECT_EQ(office::classifyNumberFormat(164, "mm:ss"), DateKind::Time);
    EXPECT_EQ(office::classifyNumberFormat(164, "h:mm"), DateKind::Time);
    EXPECT_EQ(office::classifyNumberFormat(164, "mmm yyyy"), DateKind::Date);
    EXPECT_EQ(office::classifyNumberFormat(164, "d/m/yy h:mm"), DateKind::DateTime);
    EXPECT_EQ(office::classifyNumberFormat(164, "m;h"), DateKind::Date);
    EXPECT_EQ(office::classifyNumberFormat(164, "\"h\"m"), DateKind::Time); // the scan ignores quotes
}

TEST_F(HostileInput, DeletingEveryDuplicateParagraphOfALongTableCellIsLinear) {
    const int n = 100000;
    const std::string body = "<w:tbl><w:tr><w:tc>" + repeat(para("dup"), n) + "</w:tc></w:tr></w:tbl>" + para("end");
    const std::string src = test::writeDocx(path("cell.docx"), body);
    modOffice office(settings);
    ASSERT_TRUE(office.WordOpen(src));
    ASSERT_EQ(office.lWordLineCount, n + 1);
    ASSERT_TRUE(office.WordInitPut());
    EXPECT_TRUE(office.WordPutLine("dup"));
    for (int i = 1; i < n; ++i) ASSERT_TRUE(office.WordDeleteLine()) << i;
    EXPECT_TRUE(office.WordPutLine("end"));
    const std::string out = path("cell-out.docx");
    ASSERT_TRUE(office.WordSaveAs(out)) << office.sOfficeError;
    office.WordClose();
    EXPECT_EQ(test::readWordLines(office, out), (std::vector<std::string>{"dup", "end"}));
}

TEST_F(HostileInput, OfficeSavesWriteThroughLinksAndNeverThroughPlantedOnes) {
    const std::string victim = dir.write("victim.txt", "keep");
    const std::string word = test::writeDocx(path("real.docx"), para("a") + para("a") + para("b"));
    const std::string wordLink = path("link.docx");
    fs::create_symlink("real.docx", wordLink);
    // Someone expects the temporary file at its usual name.
    fs::create_symlink(victim, word + ".twinsifttemp");
    modOffice office(settings);
    test::readWordLines(office, wordLink);
    ASSERT_TRUE(office.WordInitPut());
    EXPECT_TRUE(office.WordPutLine("a"));
    EXPECT_TRUE(office.WordDeleteLine());
    ASSERT_TRUE(office.WordSaveAs(wordLink)) << office.sOfficeError;
    office.WordClose();
    EXPECT_TRUE(fs::is_symlink(wordLink));
    EXPECT_EQ(test::readWordLines(office, word), (std::vector<std::string>{"a", "b"}));
    office.WordClose();
    EXPECT_EQ(test::readFile(victim), "keep");
    EXPECT_TRUE(fs::is_symlink(word + ".twinsifttemp"));
    EXPECT_EQ(test::filesStartingWith(dir.path(), "real.docx").size(), 2u);

    const std::string book = test::writeXlsx(path("real.xlsx"), R"(<row r="1"><c r="A1"><v>1</v></c></row>)"
                                                                R"(<row r="2"><c r="A2"><v>1</v></c></row>)");
    const std::string bookLink = path("link.xlsx");
    fs::create_symlink(book, bookLink);
    test::readExcelRows(office, bookLink, 1, 1);
    ASSERT_TRUE(office.ExcelInitPut());
    EXPECT_TRUE(office.ExcelPutRow("1"));
    EXPECT_TRUE(office.ExcelDeleteRow());
    ASSERT_TRUE(office.ExcelSaveAs(bookLink)) << office.sOfficeError;
    office.ExcelClose();
    EXPECT_TRUE(fs::is_symlink(bookLink));
    EXPECT_EQ(test::readExcelRows(office, book, 1, 1), (std::vector<std::string>{"1"}));
    EXPECT_EQ(test::filesStartingWith(dir.path(), "real.xlsx").size(), 1u);
}

} // namespace
} // namespace twinsift
