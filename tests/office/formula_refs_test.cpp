// How references in formulas move when worksheet rows are deleted.

#include "office/formula_refs.h"

#include <gtest/gtest.h>

namespace twinsift::office {
namespace {

RowDeletions rows(std::initializer_list<int> r) {
    RowDeletions d;
    for (int x : r) d.add(x);
    return d;
}

TEST(FormulaRefs, CellReferencesBelowMoveUpAndDeletedOnesBecomeRefErrors) {
    const auto del = rows({3, 5});
    EXPECT_EQ(adjustFormulaRows("A1+B4*$C$6", "S", "S", del), "A1+B3*$C$4");
    EXPECT_EQ(adjustFormulaRows("A3+1", "S", "S", del), "#REF!+1");
    EXPECT_EQ(adjustFormulaRows("SUM(A1:A10)", "S", "S", del), "SUM(A1:A8)");
    EXPECT_EQ(adjustFormulaRows("SUM(A3:B3)", "S", "S", del), "SUM(#REF!)");
    EXPECT_EQ(adjustFormulaRows("SUM(4:9)+SUM(A:A)", "S", "S", del), "SUM(3:7)+SUM(A:A)");
}

TEST(FormulaRefs, ReportsWhenAReferenceLostRows) {
    const auto del = rows({3});
    bool lost = false;
    adjustFormulaRows("A4+SUM(B5:B9)", "S", "S", del, &lost);
    EXPECT_FALSE(lost); // moved, but each still covers what it covered
    adjustFormulaRows("SUM(B1:B9)", "S", "S", del, &lost);
    EXPECT_TRUE(lost);
    EXPECT_TRUE(dependsOnPosition("ROW()*2"));
    EXPECT_TRUE(dependsOnPosition("1+offset(A1,1,1)"));
    EXPECT_FALSE(dependsOnPosition("ARROW(1)+\"x\""));
}

TEST(FormulaRefs, OnlyReferencesToTheChangedSheetMove) {
    const auto del = rows({2});
    EXPECT_EQ(adjustFormulaRows("Data!A5+A5", "Other", "Data", del), "Data!A4+A5");
    EXPECT_EQ(adjustFormulaRows("'My data'!B9&\"A9\"", "Other", "My data", del), "'My data'!B8&\"A9\"");
    EXPECT_EQ(adjustFormulaRows("LOG10(A5)+Data!A5", "data", "Data", del), "LOG10(A4)+Data!A4");
    EXPECT_EQ(adjustFormulaRows("[1]Data!A5", "Data", "Data", del), "[1]Data!A5");
    EXPECT_EQ(adjustFormulaRows("Data!$A$1:$B$16", "", "Data", del), "Data!$A$1:$B$15");
}

TEST(FormulaRefs, SharedFormulasTranslateTheirRelativeParts) {
    EXPECT_EQ(translateFormula("A2&\"/\"&B2+$C$2+$D2+E$2", 3, 1), "B5&\"/\"&C5+$C$2+$D5+F$2");
    EXPECT_EQ(translateFormula("SUM(A1:A3)", 2, 0), "SUM(A3:A5)");
}

TEST(FormulaRefs, RangeListsDropWhatVanishes) {
    const auto del = rows({2, 3});
    EXPECT_EQ(adjustRangeList("A1:B3 C2 D4:D6", del), "A1:B1 D2:D4");
    EXPECT_EQ(adjustRangeList("B2:C3", del), "");
}

TEST(FormulaRefs, OpenDocumentReferencesInBrackets) {
    const auto del = rows({2});
    EXPECT_EQ(adjustOdfFormulaRows("of:=[.A3]&\"[.A3]\"&[.B1:.B9]", "First", "First", del),
              "of:=[.A2]&\"[.A3]\"&[.B1:.B8]");
    EXPECT_EQ(adjustOdfFormulaRows("of:=[$First.$A$2]+[Second.A2]", "Second", "First", del),
              "of:=[#REF!]+[Second.A2]");
}

} // namespace
} // namespace twinsift::office
