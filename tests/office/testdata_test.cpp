// Every shared office test document read through the adapter gives exactly the
// lines or rows its expected file lists.

#include "office_fixture.h"

#include "office/formula_refs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace twinsift {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> expectedFiles(const char* folder) {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(test::testdataDir() / "office" / folder))
        if (e.path().filename().string().find(".expected.txt") != std::string::npos) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(OfficeTestdata, EveryWordDocumentGivesItsExpectedLines) {
    const auto files = expectedFiles("word");
    ASSERT_GE(files.size(), 10u);
    SettingsValues settings = SettingsValues::Defaults();
    for (const fs::path& expected : files) {
        const std::string name = expected.filename().string();
        const std::string doc = name.substr(0, name.size() - std::string(".expected.txt").size());
        modOffice office(settings);
        const auto lines = test::readWordLines(office, (expected.parent_path() / doc).string());
        EXPECT_EQ(lines, test::readExpected(expected.string())) << doc;
        EXPECT_EQ(office.lWordLineCount, static_cast<std::int32_t>(lines.size())) << doc;
    }
}

TEST(OfficeTestdata, EveryWorksheetColumnGivesItsExpectedRows) {
    const auto files = expectedFiles("excel");
    ASSERT_GE(files.size(), 30u);
    SettingsValues settings = SettingsValues::Defaults();
    for (const fs::path& expected : files) {
        // NAME.EXT.S.COL.expected.txt
        std::string stem = expected.filename().string();
        stem.resize(stem.size() - std::string(".expected.txt").size());
        const std::size_t colDot = stem.rfind('.');
        const std::size_t sheetDot = stem.rfind('.', colDot - 1);
        const std::string doc = stem.substr(0, sheetDot);
        const int sheet = std::stoi(stem.substr(sheetDot + 1, colDot - sheetDot - 1));
        const int column = office::columnNumber(stem.substr(colDot + 1));
        modOffice office(settings);
        const auto rows = test::readExcelRows(office, (expected.parent_path() / doc).string(), sheet, column);
        EXPECT_EQ(rows, test::readExpected(expected.string())) << stem;
        EXPECT_EQ(office.lExcelRowCount, static_cast<std::int32_t>(rows.size())) << stem;
    }
}

TEST(OfficeTestdata, WorkbookListsWorksheetsWithoutChartSheetsAndTheirUsedColumns) {
    SettingsValues settings = SettingsValues::Defaults();
    modOffice office(settings);
    ASSERT_TRUE(office.ExcelOpen((test::testdataDir() / "office/excel/multi_sheet.xlsx").string()));
    ASSERT_EQ(office.iExcelSheetCount, 5);
    EXPECT_EQ(office.sExcelSheetName,
              (std::vector<std::string>{"Customers", "Orders", "Empty", "Hidden", "Wide"}));
    EXPECT_EQ(office.lExcelFirstColumn, (std::vector<std::int32_t>{1, 2, 1, 1, 27}));
    EXPECT_EQ(office.lExcelLastColumn, (std::vector<std::int32_t>{2, 4, 1, 1, 28}));
    EXPECT_TRUE(office.ExcelClose());
    EXPECT_FALSE(office.bExcelOpen);
    EXPECT_FALSE(office.ExcelClose()); // nothing left to close
}

} // namespace
} // namespace twinsift
