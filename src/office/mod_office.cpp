#include "office/mod_office.h"

#include "scan/text_codec.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <initializer_list>

namespace twinsift {

namespace {

constexpr const char* kWordOpenError = "Error Initializing Word";
constexpr const char* kWordRangeError = "Error Setting Word Range";
constexpr const char* kWordGetError = "Word Error: Can't Get Line";
constexpr const char* kWordPutError =
    "Word Error: Can't Put Line (Note: Removing data from documents with tables or forms is not supported.)";
constexpr const char* kWordDeleteError =
    "Word Error: Can't Delete Line (Note: Removing data from documents with tables or forms is not supported.)";
constexpr const char* kWordSaveError = "Error Saving Word File";
constexpr const char* kExcelOpenError = "Error Initializing Excel";
constexpr const char* kExcelSheetError = "Excel error: Invalid Worksheet";
constexpr const char* kExcelInitGetError = "Error in Excel InitGet";
constexpr const char* kExcelInitPutError = "Error in Excel InitPut";
constexpr const char* kExcelGetError = "Excel Error: Can't Get Row";
constexpr const char* kExcelPutError = "Excel Error: Can't Put Row";
constexpr const char* kExcelDeleteError = "Excel Error: Can't Delete Row";
constexpr const char* kExcelSaveError = "Error Saving Excel File";

const std::initializer_list<std::string_view> kOfficeExtensions = {
    ".doc", ".dot", ".docx", ".docm", ".dotx", ".dotm", ".odt", ".rtf",
    ".xls", ".xlt", ".xlsx", ".xlsm", ".xltx", ".xltm", ".xlsb", ".ods"};

// Formats the program cannot read itself: the binary ones and RTF.
const std::initializer_list<std::string_view> kForeignExtensions = {".doc", ".dot", ".rtf", ".xls", ".xlt", ".xlsb"};

std::string lowerExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool contains(std::initializer_list<std::string_view> list, std::string_view s) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

} // namespace

bool officeTargetAllowed(const std::string& target, const std::string& sourceExt) {
    const std::string ext = lowerExtension(target);
    return !contains(kOfficeExtensions, ext) || ext == sourceExt;
}

// --- live rows ------------------------------------------------------------

void modOffice::LiveRows::reset(int count) {
    live_ = std::max(0, count);
    tree_.assign(static_cast<std::size_t>(live_) + 1, 0);
    for (int i = 1; i <= live_; ++i) {
        tree_[static_cast<std::size_t>(i)] += 1;
        const int parent = i + (i & -i);
        if (parent <= live_) tree_[static_cast<std::size_t>(parent)] += tree_[static_cast<std::size_t>(i)];
    }
}

int modOffice::LiveRows::nth(int k) const {
    if (k < 1 || k > live_) return 0;
    const int n = static_cast<int>(tree_.size()) - 1;
    int pos = 0;
    int step = 1;
    while (step * 2 <= n) step *= 2;
    for (; step > 0; step /= 2) {
        if (pos + step <= n && tree_[static_cast<std::size_t>(pos + step)] < k) {
            pos += step;
            k -= tree_[static_cast<std::size_t>(pos)];
        }
    }
    return pos + 1;
}

void modOffice::LiveRows::erase(int index) {
    const int n = static_cast<int>(tree_.size()) - 1;
    for (int i = index; i <= n; i += i & -i) tree_[static_cast<std::size_t>(i)] -= 1;
    --live_;
}

// --- common -----------------------------------------------------------------

modOffice::modOffice(const SettingsValues& settings) : settings_(settings) {}
modOffice::~modOffice() = default;

bool modOffice::sameText(std::string_view document, std::string_view text) const {
    if (settings_.Load_CaseSensitive != 0) return document == text;
    return toUpper(document, Codec::Utf8) == toUpper(text, Codec::Utf8);
}

std::string modOffice::ExcelColumnName(int n) {
    if (n < 1) return {};
    if (n <= 26) return std::string(1, static_cast<char>(64 + n));
    if (n <= 702) {
        const int q = (n - 1) / 26;
        return {static_cast<char>(64 + q), static_cast<char>(64 + n - 26 * q)};
    }
    return office::columnLetters(n);
}

// --- Word -----------------------------------------------------------------

bool modOffice::WordOpen(const std::string& path) {
    sOfficeError.clear();
    auto doc = std::make_unique<office::WordDocument>();
    const std::string ext = lowerExtension(path);
    if (contains(kForeignExtensions, ext) || !doc->open(path)) {
        sOfficeError = kWordOpenError;
        bWordOpen = false;
        word_.reset();
        return false;
    }
    word_ = std::move(doc);
    wordExt_ = ext;
    lWordLineCount = static_cast<std::int32_t>(word_->lineCount());
    lWordLineIndex = 0;
    iWordSkip = 0;
    bWordEOF = false;
    bWordOpen = true;
    return true;
}

bool modOffice::WordInitGet() {
    sOfficeError.clear();
    if (!word_) {
        sOfficeError = kWordRangeError;
        bWordEOF = true;
        return false;
    }
    lWordLineIndex = 0;
    iWordSkip = 0;
    bWordEOF = false;
    return true;
}

bool modOffice::WordInitPut() { return WordInitGet(); }

std::string modOffice::WordGetLine() {
    sOfficeError.clear();
    if (!bWordOpen || lWordLineCount == 0) return {};
    if (!word_) {
        sOfficeError = kWordGetError;
        return {};
    }
    if (lWordLineIndex >= lWordLineCount) {
        bWordEOF = true;
        return {};
    }
    std::string line = word_->lineText(static_cast<std::size_t>(lWordLineIndex));
    ++lWordLineIndex;
    if (lWordLineIndex >= lWordLineCount) bWordEOF = true;
    return line;
}

bool modOffice::WordPutLine(std::string_view text) {
    if (!bWordOpen || lWordLineCount == 0 || !word_) return false;
    if (lWordLineIndex >= lWordLineCount) {
        bWordEOF = true;
        return false;
    }
    const auto i = static_cast<std::size_t>(lWordLineIndex);
    if (!sameText(word_->lineText(i), text) && !word_->setLineText(i, text)) {
        sOfficeError = kWordPutError;
        return false;
    }
    iWordSkip = 1;
    ++lWordLineIndex;
    if (lWordLineIndex >= lWordLineCount) bWordEOF = true;
    return true;
}

bool modOffice::WordDeleteLine() {
    if (!bWordOpen || lWordLineCount == 0 || !word_) return false;
    if (lWordLineIndex >= lWordLineCount) {
        bWordEOF = true;
        return false;
    }
    if (!word_->deleteLine(static_cast<std::size_t>(lWordLineIndex))) {
        sOfficeError = kWordDeleteError;
        return false;
    }
    iWordSkip = 0;
    ++lWordLineIndex;
    if (lWordLineIndex >= lWordLineCount) bWordEOF = true;
    return true;
}

bool modOffice::WordSaveAs(const std::string& path) {
    sOfficeError.clear();
    if (path.empty()) return true;
    const bool ok = word_ && saveDocumentAs(path, wordExt_, [&](const std::string& temp) { return word_->writeTo(temp); });
    if (!ok) sOfficeError = kWordSaveError;
    return ok;
}

bool modOffice::WordClose() {
    if (!word_) return false;
    sOfficeError.clear();
    word_.reset();
    bWordOpen = false;
    return true;
}

// --- Excel ----------------------------------------------------------------

bool modOffice::ExcelOpen(const std::string& path) {
    sOfficeError.clear();
    auto book = std::make_unique<office::ExcelWorkbook>();
    const std::string ext = lowerExtension(path);
    if (contains(kForeignExtensions, ext) || !book->open(path)) {
        sOfficeError = kExcelOpenError;
        bExcelOpen = false;
        excel_.reset();
        return false;
    }
    excel_ = std::move(book);
    excelExt_ = ext;
    iExcelSheetCount = static_cast<std::int16_t>(std::min(excel_->sheetCount(), 32767));
    sExcelSheetName.assign(static_cast<std::size_t>(iExcelSheetCount), {});
    lExcelFirstColumn.assign(static_cast<std::size_t>(iExcelSheetCount), 0);
    lExcelLastColumn.assign(static_cast<std::size_t>(iExcelSheetCount), 0);
    for (int k = 0; k < iExcelSheetCount; ++k) {
        const auto u = excel_->usedRange(k);
        sExcelSheetName[static_cast<std::size_t>(k)] = excel_->sheetName(k);
        lExcelFirstColumn[static_cast<std::size_t>(k)] = u.firstColumn;
        lExcelLastColumn[static_cast<std::size_t>(k)] = u.lastColumn;
    }
    excelSheet_ = -1;
    lExcelRowCount = 0;
    bExcelEOF = false;
    bExcelOpen = true;
    return true;
}

bool modOffice::ExcelInitGet() {
    sOfficeError.clear();
    if (!excel_) {
        sOfficeError = kExcelInitGetError;
        bExcelEOF = true;
        return false;
    }
    if (excel_->sheetCount() < iExcelSheet || iExcelSheet < 1) {
        sOfficeError = kExcelSheetError;
        bExcelEOF = true;
        return false;
    }
    excelSheet_ = iExcelSheet - 1;
    range_ = excel_->usedRange(excelSheet_);
    lExcelRow = 1;
    lExcelRowCount = range_.lastRow - range_.firstRow + 1;
    live_.reset(lExcelRowCount);
    bExcelEOF = false;
    return true;
}

int modOffice::currentWorksheetRow() const {
    const int index = live_.nth(lExcelRow);
    return index == 0 ? 0 : range_.firstRow + index - 1;
}

std::string modOffice::ExcelGetRow() {
    sOfficeError.clear();
    if (!bExcelOpen || lExcelRowCount == 0) return {};
    if (lExcelRowCount < lExcelRow) {
        bExcelEOF = true;
        return {};
    }
    const int row = currentWorksheetRow();
    if (!excel_ || excelSheet_ < 0 || row == 0) {
        sOfficeError = kExcelGetError;
        return {};
    }
    std::string text = excel_->cellText(excelSheet_, row, iExcelColumn);
    ++lExcelRow;
    if (lExcelRow > lExcelRowCount) bExcelEOF = true;
    return text;
}

bool modOffice::ExcelInitPut() {
    sOfficeError.clear();
    if (!excel_ || excelSheet_ < 0) {
        sOfficeError = kExcelInitPutError;
        bExcelEOF = true;
        return false;
    }
    lExcelRow = 1;
    lExcelLastRow = lExcelRowCount;
    bExcelEOF = false;
    return true;
}

bool modOffice::ExcelPutRow(std::string_view text) {
    if (!bExcelOpen || lExcelRowCount == 0 || !excel_) return false;
    if (lExcelLastRow < lExcelRow) {
        bExcelEOF = true;
        return false;
    }
    const int row = currentWorksheetRow();
    if (row == 0) {
        sOfficeError = kExcelPutError;
        return false;
    }
    if (!sameText(excel_->cellText(excelSheet_, row, iExcelColumn), text) &&
        !excel_->setCell(excelSheet_, row, iExcelColumn, text)) {
        sOfficeError = kExcelPutError;
        return false;
    }
    ++lExcelRow;
    if (lExcelRow > lExcelLastRow) bExcelEOF = true;
    return true;
}

bool modOffice::ExcelDeleteRow() {
    if (!bExcelOpen || lExcelRowCount == 0 || !excel_) return false;
    if (lExcelLastRow < lExcelRow) {
        bExcelEOF = true;
        return false;
    }
    const int index = live_.nth(lExcelRow);
    if (index == 0 || !excel_->deleteRow(excelSheet_, range_.firstRow + index - 1)) {
        sOfficeError = kExcelDeleteError;
        return false;
    }
    live_.erase(index);
    --lExcelLastRow;
    if (lExcelLastRow < lExcelRow) bExcelEOF = true;
    return true;
}

bool modOffice::ExcelSaveAs(const std::string& path) {
    sOfficeError.clear();
    if (path.empty()) return true;
    const bool ok =
        excel_ && saveDocumentAs(path, excelExt_, [&](const std::string& temp) { return excel_->writeTo(temp); });
    if (!ok) sOfficeError = kExcelSaveError;
    return ok;
}

bool modOffice::ExcelClose() {
    if (!excel_) return false;
    sOfficeError.clear();
    excel_.reset();
    excelSheet_ = -1;
    bExcelOpen = false;
    return true;
}

} // namespace twinsift
