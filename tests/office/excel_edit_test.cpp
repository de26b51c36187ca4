// Editing worksheet columns through the adapter: whole rows deleted, cells
// written back as numbers or texts, references following the moved rows.

#include "office_fixture.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <regex>
#include <set>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

std::string str(const std::string& ref, const std::string& text) {
    return R"(<c r=")" + ref + R"(" t="inlineStr"><is><t>)" + text + "</t></is></c>";
}

// Used range A1:C5, every cell named after itself ("b3").
std::string grid() {
    std::string x;
    for (int r = 1; r <= 5; ++r) {
        x += "<row r=\"" + std::to_string(r) + "\">";
        for (char c : {'A', 'B', 'C'})
            x += str(std::string(1, c) + std::to_string(r), std::string(1, static_cast<char>(c + 32)) + std::to_string(r));
        x += "</row>";
    }
    return x;
}

struct ExcelEdit : ::testing::Test {
    test::TempDir dir;
    SettingsValues settings = SettingsValues::Defaults();
};

TEST_F(ExcelEdit, DeletedRowsTakeTheWholeWorksheetRowAndTheCursorStays) {
    const std::string src = test::writeXlsx((dir.path() / "g.xlsx").string(), grid(),
        R"(<mergeCells count="1"><mergeCell ref="A4:A5"/></mergeCells>)"
        R"(<conditionalFormatting sqref="C2:C5"><cfRule type="expression" priority="1"><formula>$C5="x"</formula></cfRule></conditionalFormatting>)"
        R"(<conditionalFormatting sqref="A2:A3"><cfRule type="expression" priority="2"><formula>TRUE</formula></cfRule></conditionalFormatting>)");
    modOffice office(settings);
    EXPECT_EQ(test::readExcelRows(office, src, 1, 1), (std::vector<std::string>{"a1", "a2", "a3", "a4", ""}));
    EXPECT_EQ(test::readExcelRows(office, src, 1, 2), (std::vector<std::string>{"b1", "b2", "b3", "b4", "b5"}));
    EXPECT_EQ(office.lExcelRowCount, 5);

    ASSERT_TRUE(office.ExcelInitPut());
    EXPECT_TRUE(office.ExcelPutRow("b1"));
    EXPECT_TRUE(office.ExcelDeleteRow());
    EXPECT_TRUE(office.ExcelDeleteRow());
    EXPECT_EQ(office.lExcelRow, 2);
    EXPECT_EQ(office.lExcelLastRow, 3);
    EXPECT_TRUE(office.ExcelPutRow("changed4")); // the former row 4
    EXPECT_FALSE(office.bExcelEOF);
    EXPECT_TRUE(office.ExcelPutRow("b5"));
    EXPECT_TRUE(office.bExcelEOF);
    EXPECT_FALSE(office.ExcelPutRow("x"));
    const std::string out = (dir.path() / "g2.xlsx").string();
    ASSERT_TRUE(office.ExcelSaveAs(out)) << office.sOfficeError;
    ASSERT_TRUE(office.ExcelClose());

    EXPECT_EQ(test::readExcelRows(office, out, 1, 1), (std::vector<std::string>{"a1", "a4", ""}));
    EXPECT_EQ(test::readExcelRows(office, out, 1, 2), (std::vector<std::string>{"b1", "changed4", "b5"}));
    EXPECT_EQ(test::readExcelRows(office, out, 1, 3), (std::vector<std::string>{"c1", "c4", "c5"}));
    const std::string sheet = test::packageEntry(out, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find(R"(<mergeCell ref="A2:A3")"), std::string::npos) << sheet;
    // A format over moved rows follows them; one over deleted rows only goes.
    EXPECT_NE(sheet.find(R"(<conditionalFormatting sqref="C2:C3"><cfRule type="expression" priority="1"><formula>$C3="x"</formula>)"), std::string::npos) << sheet;
    EXPECT_EQ(sheet.find("priority=\"2\""), std::string::npos) << sheet;
    EXPECT_NE(test::packageEntry(out, "xl/workbook.xml").find(R"(fullCalcOnLoad="1")"), std::string::npos);
}

TEST_F(ExcelEdit, UsedRangeStartingAtC3IsReadFromItsFirstRow) {
    const std::string src = test::writeXlsx((dir.path() / "c3.xlsx").string(),
        R"(<row r="3">)" + str("C3", "c3") + str("D3", "d3") + R"(</row><row r="4">)" + str("D4", "d4") + "</row>");
    modOffice office(settings);
    EXPECT_EQ(test::readExcelRows(office, src, 1, 4), (std::vector<std::string>{"d3", "d4"}));
    EXPECT_EQ(office.lExcelFirstColumn[0], 3);
    EXPECT_EQ(office.lExcelLastColumn[0], 4);
}

TEST_F(ExcelEdit, NumericTextIsWrittenAsANumberOtherTextAsText) {
    const std::string src = test::writeXlsx((dir.path() / "n.xlsx").string(),
        R"(<row r="1">)" + str("A1", "41") + R"(</row><row r="2">)" + str("A2", "41") + R"(</row><row r="3"><c r="A3"><v>7</v></c></row>)");
    modOffice office(settings);
    test::readExcelRows(office, src, 1, 1);
    ASSERT_TRUE(office.ExcelInitPut());
    EXPECT_TRUE(office.ExcelPutRow("42"));
    EXPECT_TRUE(office.ExcelPutRow("4 2"));
    EXPECT_TRUE(office.ExcelPutRow("7")); // unchanged: left alone
    const std::string out = (dir.path() / "n2.xlsx").string();
    ASSERT_TRUE(office.ExcelSaveAs(out));
    EXPECT_EQ(test::readExcelRows(office, out, 1, 1), (std::vector<std::string>{"42", "4 2", "7"}));
    const std::string sheet = test::packageEntry(out, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find(R"(<c r="A1"><v>42</v></c>)"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find(R"(<t xml:space="preserve">4 2</t>)"), std::string::npos) << sheet;
}

TEST_F(ExcelEdit, AWorksheetBeyondTheLastFailsAndEndsTheCursor) {
    const std::string src = test::writeXlsx((dir.path() / "one.xlsx").string(), grid());
    modOffice office(settings);
    ASSERT_TRUE(office.ExcelOpen(src));
    office.iExcelSheet = 2;
    EXPECT_FALSE(office.ExcelInitGet());
    EXPECT_EQ(office.sOfficeError, "Excel error: Invalid Worksheet");
    EXPECT_TRUE(office.bExcelEOF);
}

TEST_F(ExcelEdit, ColumnNames) {
    EXPECT_EQ(modOffice::ExcelColumnName(1), "A");
    EXPECT_EQ(modOffice::ExcelColumnName(26), "Z");
    EXPECT_EQ(modOffice::ExcelColumnName(27), "AA");
    EXPECT_EQ(modOffice::ExcelColumnName(52), "AZ");
    EXPECT_EQ(modOffice::ExcelColumnName(53), "BA");
    EXPECT_EQ(modOffice::ExcelColumnName(702), "ZZ");
    EXPECT_EQ(modOffice::ExcelColumnName(703), "AAA");
}

// Deletes every row whose key (column A) was seen before.
std::vector<int> deleteDuplicateKeys(modOffice& office, const std::vector<std::string>& keys) {
    std::set<std::string> seen;
    std::vector<int> keptRows;
    EXPECT_TRUE(office.ExcelInitPut());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!seen.insert(keys[i]).second) {
            EXPECT_TRUE(office.ExcelDeleteRow());
        } else {
            EXPECT_TRUE(office.ExcelPutRow(keys[i]));
            keptRows.push_back(static_cast<int>(i));
        }
    }
    EXPECT_TRUE(office.bExcelEOF);
    return keptRows;
}

TEST_F(ExcelEdit, FormulasFollowTheirRowsWhenRowsAboveAreDeleted) {
    const std::string src = (test::testdataDir() / "office/excel/second_column.xlsx").string();
    modOffice office(settings);
    const auto b = test::readExcelRows(office, src, 1, 2);
    const auto keys = test::readExcelRows(office, src, 1, 1);
    const auto kept = deleteDuplicateKeys(office, keys);
    ASSERT_LT(kept.size(), keys.size());
    const std::string out = (dir.path() / "second.xlsx").string();
    ASSERT_TRUE(office.ExcelSaveAs(out)) << office.sOfficeError;

    std::vector<std::string> wantA, wantB;
    for (int i : kept) wantA.push_back(keys[static_cast<std::size_t>(i)]), wantB.push_back(b[static_cast<std::size_t>(i)]);
    EXPECT_EQ(test::readExcelRows(office, out, 1, 1), wantA);
    EXPECT_EQ(test::readExcelRows(office, out, 1, 2), wantB);

    // Every formula of row r refers to row r only.
    pugi::xml_document sheet;
    ASSERT_TRUE(sheet.load_string(test::packageEntry(out, "xl/worksheets/sheet1.xml").c_str()));
    int formulas = 0;
    const std::regex ref(R"(\$?[A-Z]{1,3}\$?([0-9]+))");
    for (pugi::xpath_node xn : sheet.select_nodes("//*[local-name()='c'][*[local-name()='f']]")) {
        const std::string r = xn.node().attribute("r").value();
        const std::string row = r.substr(r.find_first_of("0123456789"));
        const std::string f = xn.node().child("f").text().get();
        for (std::sregex_iterator it(f.begin(), f.end(), ref), end; it != end; ++it) {
            EXPECT_EQ((*it)[1].str(), row) << r << ": " << f;
            ++formulas;
        }
    }
    EXPECT_GT(formulas, 0);
    // =ROW() results changed with the move: no stale cached value is left.
    for (pugi::xpath_node xn : sheet.select_nodes("//*[local-name()='c'][*[local-name()='f']='ROW()']"))
        EXPECT_FALSE(xn.node().child("v")) << xn.node().attribute("r").value();
}

TEST_F(ExcelEdit, SharedFormulasBecomeOwnFormulasBeforeRowsMove) {
    std::string rows;
    for (int r = 1; r <= 3; ++r) {
        const std::string n = std::to_string(r);
        const std::string f = r == 1 ? R"(<f t="shared" ref="B1:B3" si="0">A1*2</f>)" : R"(<f t="shared" si="0"/>)";
        rows += "<row r=\"" + n + "\">" + str("A" + n, "k" + n) + "<c r=\"B" + n + "\">" + f + "<v>0</v></c></row>";
    }
    const std::string src = test::writeXlsx((dir.path() / "shared.xlsx").string(), rows);
    modOffice office(settings);
    test::readExcelRows(office, src, 1, 1);
    ASSERT_TRUE(office.ExcelInitPut());
    EXPECT_TRUE(office.ExcelDeleteRow());
    const std::string out = (dir.path() / "shared2.xlsx").string();
    ASSERT_TRUE(office.ExcelSaveAs(out));
    const std::string sheet = test::packageEntry(out, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find(R"(<c r="B1"><f>A1*2</f>)"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find(R"(<c r="B2"><f>A2*2</f>)"), std::string::npos) << sheet;
    EXPECT_EQ(sheet.find("shared"), std::string::npos) << sheet;
}

TEST_F(ExcelEdit, OdsRowsAreDeletedAndCellsRewritten) {
    const std::string src = (test::testdataDir() / "office/excel/family_calc.ods").string();
    modOffice office(settings);
    const auto c = test::readExcelRows(office, src, 1, 3);
    const auto a = test::readExcelRows(office, src, 1, 1); // the session stays on column A
    ASSERT_TRUE(office.ExcelInitPut());
    std::vector<std::string> wantA, wantC;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i == 2) {
            EXPECT_TRUE(office.ExcelDeleteRow());
            continue;
        }
        const std::string text = i == 1 ? "12.5" : i == 3 ? "new\ntext  two" : a[i];
        EXPECT_TRUE(office.ExcelPutRow(text));
        wantA.push_back(text);
        wantC.push_back(c[i]);
    }
    const std::string out = (dir.path() / "f.ods").string();
    ASSERT_TRUE(office.ExcelSaveAs(out)) << office.sOfficeError;
    EXPECT_EQ(test::readExcelRows(office, out, 1, 1), wantA);
    EXPECT_EQ(test::readExcelRows(office, out, 1, 3), wantC);
    EXPECT_EQ(test::packageEntry(out, "mimetype"), test::packageEntry(src, "mimetype"));
    EXPECT_FALSE(office.ExcelSaveAs((dir.path() / "f.xlsx").string()));
    EXPECT_EQ(office.sOfficeError, "Error Saving Excel File");
}

} // namespace
} // namespace twinsift
