#pragma once
// Cell references inside spreadsheet formulas and range lists, and how they
// move when worksheet rows are deleted.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift::office {

// The rows deleted from one worksheet, by their numbers before the deletion.
class RowDeletions {
public:
    void add(int row);
    bool empty() const { return rows_.empty(); }
    bool contains(int row) const;
    int countBefore(int row) const; // deleted rows with a smaller number
    // New number of a row that stays; 0 for a deleted row.
    int mapRow(int row) const { return contains(row) ? 0 : row - countBefore(row); }
    // New span of the rows top..bottom; false when none of them stays.
    bool mapSpan(int& top, int& bottom) const;
    const std::vector<int>& rows() const { return rows_; }

private:
    std::vector<int> rows_; // sorted, unique
};

// "AB" -> 28; 0 when not letters. And back.
int columnNumber(std::string_view letters);
std::string columnLetters(int column);

// Parses "C7" into column and row; false otherwise.
bool parseCellRef(std::string_view ref, int& column, int& row);

// Adjusts the references to worksheet `target` in an A1-style formula after
// rows were deleted from it. ownSheet is the worksheet the formula sits on
// (empty for workbook-level names). A reference whose rows are all gone
// becomes #REF!. lostRows (when given) is set when a reference lost rows, so
// that the formula's cached result can no longer be trusted.
std::string adjustFormulaRows(std::string_view formula, std::string_view ownSheet, std::string_view target,
                              const RowDeletions& del, bool* lostRows = nullptr);

// The formula as it reads when copied dRows down and dCols right (relative
// parts move, $-anchored parts stay): how a shared formula reads in each cell.
std::string translateFormula(std::string_view formula, int dRows, int dCols);

// A blank-separated list of ranges ("A1:B2 D5") after rows were deleted; ranges
// that vanish are left out (empty result when none stays).
std::string adjustRangeList(std::string_view list, const RowDeletions& del);

// The same for an OpenDocument formula, whose references sit in brackets
// ("of:=[.A1]+['Other sheet'.B2:.B9]").
std::string adjustOdfFormulaRows(std::string_view formula, std::string_view ownSheet, std::string_view target,
                                 const RowDeletions& del, bool* lostRows = nullptr);

// True when a formula's result depends on where it stands (ROW(), OFFSET(), ...),
// so that moving it makes its cached result stale.
bool dependsOnPosition(std::string_view formula);

} // namespace twinsift::office
