// Cell values as text: serial dates in both date systems, number formats that
// show dates, and the numeric test for written-back cells.

#include "office/cell_text.h"

#include <gtest/gtest.h>

namespace twinsift::office {
namespace {

TEST(CellText, SerialDatesInBothDateSystems) {
    EXPECT_EQ(formatSerialDate(1, DateKind::Date, false), "1900-01-01");
    EXPECT_EQ(formatSerialDate(59, DateKind::Date, false), "1900-02-28");
    EXPECT_EQ(formatSerialDate(60, DateKind::Date, false), "1900-02-29"); // the spreadsheet's phantom day
    EXPECT_EQ(formatSerialDate(61, DateKind::Date, false), "1900-03-01");
    EXPECT_EQ(formatSerialDate(45306, DateKind::Date, false), "2024-01-15");
    EXPECT_EQ(formatSerialDate(0, DateKind::Date, true), "1904-01-01");
    EXPECT_EQ(formatSerialDate(45306.5729166667, DateKind::DateTime, false), "2024-01-15 13:45:00");
    EXPECT_EQ(formatSerialDate(0.99999999, DateKind::Time, false), "00:00:00"); // rounds into the next day
    EXPECT_EQ(formatSerialDate(0.5, DateKind::Time, false), "12:00:00");
}

TEST(CellText, NumberFormatsThatShowDatesOrTimes) {
    EXPECT_EQ(classifyNumberFormat(14, ""), DateKind::Date);
    EXPECT_EQ(classifyNumberFormat(21, ""), DateKind::Time);
    EXPECT_EQ(classifyNumberFormat(164, "yyyy-mm-dd hh:mm"), DateKind::DateTime);
    EXPECT_EQ(classifyNumberFormat(164, "[$-409]mmm d"), DateKind::Date);
    EXPECT_EQ(classifyNumberFormat(164, "[h]:mm"), DateKind::Time);
    EXPECT_EQ(classifyNumberFormat(164, "mm:ss"), DateKind::Time);
    EXPECT_EQ(classifyNumberFormat(164, "0.00E+00"), DateKind::None);
    EXPECT_EQ(classifyNumberFormat(164, "#,##0 \"days\";[Red]-0"), DateKind::None);
    EXPECT_EQ(classifyNumberFormat(0, "General"), DateKind::None);
}

TEST(CellText, NumbersAndNumericTexts) {
    EXPECT_EQ(formatNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatNumber(1e20), "1E+20");
    EXPECT_EQ(formatNumber(-0.0), "0");
    EXPECT_EQ(formatNumber(0.00001), "1E-05");
    EXPECT_EQ(numericValue(" -4.5e3 "), -4500.0);
    EXPECT_EQ(numericValue(".5"), 0.5);
    EXPECT_FALSE(numericValue("4 2"));
    EXPECT_FALSE(numericValue("1e"));
    EXPECT_FALSE(numericValue("inf"));
    EXPECT_FALSE(numericValue(""));
    EXPECT_EQ(decodeOoxmlEscapes("a_x000D_b_x005F_x0041_"), "a\rb_x0041_");
    EXPECT_EQ(decodeOoxmlEscapes(encodeOoxmlEscapes("_x0041_\r")), "_x0041_\r");
}

} // namespace
} // namespace twinsift::office
