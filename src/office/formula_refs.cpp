#include "office/formula_refs.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>

namespace twinsift::office {

void RowDeletions::add(int row) {
    auto it = std::lower_bound(rows_.begin(), rows_.end(), row);
    if (it == rows_.end() || *it != row) rows_.insert(it, row);
}

bool RowDeletions::contains(int row) const { return std::binary_search(rows_.begin(), rows_.end(), row); }

int RowDeletions::countBefore(int row) const {
    return static_cast<int>(std::lower_bound(rows_.begin(), rows_.end(), row) - rows_.begin());
}

bool RowDeletions::mapSpan(int& top, int& bottom) const {
    if (top > bottom) std::swap(top, bottom);
    const int newTop = top - countBefore(top);
    const int newBottom = bottom - countBefore(bottom + 1);
    if (newBottom < newTop) return false;
    top = newTop;
    bottom = newBottom;
    return true;
}

int columnNumber(std::string_view s) {
    if (s.empty() || s.size() > 3) return 0;
    int n = 0;
    for (char c : s) {
        const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (u < 'A' || u > 'Z') return 0;
        n = n * 26 + (u - 'A' + 1);
    }
    return n <= 16384 ? n : 0;
}

std::string columnLetters(int column) {
    std::string s;
    while (column > 0) {
        const int r = (column - 1) % 26;
        s.insert(s.begin(), static_cast<char>('A' + r));
        column = (column - 1) / 26;
    }
    return s;
}

bool parseCellRef(std::string_view ref, int& column, int& row) {
    std::size_t i = 0;
    while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i]))) ++i;
    column = columnNumber(ref.substr(0, i));
    if (column == 0 || i == ref.size()) return false;
    long r = 0;
    for (std::size_t k = i; k < ref.size(); ++k) {
        if (!std::isdigit(static_cast<unsigned char>(ref[k]))) return false;
        r = r * 10 + (ref[k] - '0');
        if (r > 1048576) return false;
    }
    row = static_cast<int>(r);
    return row >= 1;
}

namespace {

// One end of a reference: a cell, a whole row or a whole column.
struct RefPart {
    int col = 0; // 0: none (a row reference)
    int row = 0; // 0: none (a column reference)
    bool colAbs = false, rowAbs = false;
};

struct Ref {
    RefPart a, b;
    bool range = false;
};

bool isIdent(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '\\' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Reads one reference end at s[i]; advances i.
bool readPart(std::string_view s, std::size_t& i, RefPart& p) {
    std::size_t k = i;
    if (k < s.size() && s[k] == '$') p.colAbs = true, ++k;
    std::size_t letters = k;
    while (letters < s.size() && std::isalpha(static_cast<unsigned char>(s[letters]))) ++letters;
    if (letters > k) {
        p.col = columnNumber(s.substr(k, letters - k));
        if (p.col == 0) return false;
        k = letters;
        if (k < s.size() && s[k] == '$') p.rowAbs = true, ++k;
    } else {
        p.rowAbs = p.colAbs;
        p.colAbs = false;
    }
    std::size_t digits = k;
    long r = 0;
    while (digits < s.size() && std::isdigit(static_cast<unsigned char>(s[digits]))) {
        r = r * 10 + (s[digits] - '0');
        if (r > 1048576) return false;
        ++digits;
    }
    if (digits > k) {
        if (r < 1) return false;
        p.row = static_cast<int>(r);
        k = digits;
    } else if (p.rowAbs && p.col != 0) {
        return false; // "A$" is no reference
    }
    if (p.col == 0 && p.row == 0) return false;
    i = k;
    return true;
}

// A reference at s[i] that is a whole token: cell, cell:cell, row:row or col:col.
bool readRef(std::string_view s, std::size_t& i, Ref& ref) {
    std::size_t k = i;
    if (!readPart(s, k, ref.a)) return false;
    if (k < s.size() && s[k] == ':') {
        std::size_t m = k + 1;
        Ref r2;
        if (readPart(s, m, r2.a) && (r2.a.col != 0) == (ref.a.col != 0) && (r2.a.row != 0) == (ref.a.row != 0)) {
            ref.b = r2.a;
            ref.range = true;
            k = m;
        }
    }
    if (!ref.range && (ref.a.col == 0 || ref.a.row == 0)) return false;
    if (k < s.size() && (isIdent(s[k]) || s[k] == '(' || s[k] == '!')) return false;
    i = k;
    return true;
}

std::string partText(const RefPart& p) {
    std::string s;
    if (p.col) {
        if (p.colAbs) s += '$';
        s += columnLetters(p.col);
    }
    if (p.row) {
        if (p.rowAbs) s += '$';
        s += std::to_string(p.row);
    }
    return s;
}

std::string refText(const Ref& r) { return r.range ? partText(r.a) + ":" + partText(r.b) : partText(r.a); }

bool sameSheet(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Walks an A1 formula and lets fn rewrite every reference; sheet is the
// reference's worksheet name, empty when it has none.
std::string rewriteRefs(std::string_view f, const std::function<std::string(Ref&, std::string_view sheet)>& fn) {
    std::string out;
    out.reserve(f.size() + 8);
    bool external = false;
    std::size_t i = 0;
    auto tryRef = [&](std::string_view sheet) {
        Ref ref;
        std::size_t k = i;
        if (readRef(f, k, ref)) {
            out += external ? std::string(f.substr(i, k - i)) : fn(ref, sheet);
            i = k;
            external = false;
            return true;
        }
        return false;
    };
    while (i < f.size()) {
        const char c = f[i];
        if (c == '"') {
            std::size_t k = i + 1;
            while (k < f.size()) {
                if (f[k] == '"') {
                    if (k + 1 < f.size() && f[k + 1] == '"') {
                        k += 2;
                        continue;
                    }
                    break;
                }
                ++k;
            }
            k = std::min(k + 1, f.size());
            out.append(f.substr(i, k - i));
            i = k;
        } else if (c == '[') {
            // External workbook index or structured reference: copied as is.
            const std::size_t end = f.find(']', i);
            const std::size_t k = end == std::string_view::npos ? f.size() : end + 1;
            out.append(f.substr(i, k - i));
            i = k;
            external = true;
        } else if (c == '\'') {
            std::size_t k = i + 1;
            std::string name;
            while (k < f.size()) {
                if (f[k] == '\'') {
                    if (k + 1 < f.size() && f[k + 1] == '\'') {
                        name += '\'';
                        k += 2;
                        continue;
                    }
                    break;
                }
                name += f[k++];
            }
            if (k + 1 < f.size() && f[k + 1] == '!') {
                out.append(f.substr(i, k + 2 - i));
                i = k + 2;
                if (!tryRef(name)) external = false;
            } else {
                const std::size_t end = std::min(k + 1, f.size());
                out.append(f.substr(i, end - i));
                i = end;
            }
        } else if (isIdent(c)) {
            std::size_t k = i;
            while (k < f.size() && isIdent(f[k])) ++k;
            if (k < f.size() && f[k] == '!') {
                const std::string sheet(f.substr(i, k - i));
                out.append(f.substr(i, k + 1 - i));
                i = k + 1;
                if (!tryRef(sheet)) external = false;
            } else if (!tryRef({})) {
                out.append(f.substr(i, k - i));
                i = k;
                external = false;
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string adjustRef(Ref& ref, const RowDeletions& del, bool* lostRows = nullptr) {
    auto lost = [&] {
        if (lostRows) *lostRows = true;
    };
    if (!ref.range) {
        const int r = del.mapRow(ref.a.row);
        if (r == 0) {
            lost();
            return "#REF!";
        }
        ref.a.row = r;
        return refText(ref);
    }
    if (ref.a.row == 0) return refText(ref); // whole columns do not move
    int top = ref.a.row, bottom = ref.b.row;
    const bool swapped = top > bottom;
    const int height = std::abs(bottom - top);
    if (!del.mapSpan(top, bottom)) {
        lost();
        return "#REF!";
    }
    if (bottom - top != height) lost();
    ref.a.row = swapped ? bottom : top;
    ref.b.row = swapped ? top : bottom;
    return refText(ref);
}

} // namespace

std::string adjustFormulaRows(std::string_view formula, std::string_view ownSheet, std::string_view target,
                              const RowDeletions& del, bool* lostRows) {
    if (del.empty()) return std::string(formula);
    return rewriteRefs(formula, [&](Ref& ref, std::string_view sheet) {
        const std::string_view refSheet = sheet.empty() ? ownSheet : sheet;
        if (refSheet.empty() || !sameSheet(refSheet, target)) return refText(ref);
        return adjustRef(ref, del, lostRows);
    });
}

bool dependsOnPosition(std::string_view f) {
    std::string upper(f);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* fn : {"ROW(", "ROWS(", "COLUMN(", "OFFSET(", "INDIRECT(", "ADDRESS(", "CELL("}) {
        for (std::size_t p = upper.find(fn); p != std::string::npos; p = upper.find(fn, p + 1))
            if (p == 0 || !isIdent(upper[p - 1])) return true;
    }
    return false;
}

std::string translateFormula(std::string_view formula, int dRows, int dCols) {
    auto move = [&](RefPart& p) {
        if (p.row && !p.rowAbs) p.row = std::clamp(p.row + dRows, 1, 1048576);
        if (p.col && !p.colAbs) p.col = std::clamp(p.col + dCols, 1, 16384);
    };
    return rewriteRefs(formula, [&](Ref& ref, std::string_view) {
        move(ref.a);
        if (ref.range) move(ref.b);
        return refText(ref);
    });
}

std::string adjustRangeList(std::string_view list, const RowDeletions& del) {
    std::string out;
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && list[i] == ' ') ++i;
        std::size_t k = i;
        while (k < list.size() && list[k] != ' ') ++k;
        if (k > i) {
            const std::string_view item = list.substr(i, k - i);
            std::size_t pos = 0;
            Ref ref;
            std::string moved;
            if (readRef(item, pos, ref) && pos == item.size()) moved = adjustRef(ref, del);
            else moved = std::string(item);
            if (moved != "#REF!") {
                if (!out.empty()) out += ' ';
                out += moved;
            }
        }
        i = k;
    }
    return out;
}

std::string adjustOdfFormulaRows(std::string_view f, std::string_view ownSheet, std::string_view target,
                                 const RowDeletions& del, bool* lostRows) {
    if (del.empty()) return std::string(f);
    std::string out;
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        if (c == '"') {
            std::size_t k = f.find('"', i + 1);
            k = k == std::string_view::npos ? f.size() : k + 1;
            out.append(f.substr(i, k - i));
            i = k;
            continue;
        }
        if (c != '[') {
            out += c;
            ++i;
            continue;
        }
        const std::size_t end = f.find(']', i);
        if (end == std::string_view::npos) {
            out.append(f.substr(i));
            break;
        }
        const std::string_view inner = f.substr(i + 1, end - i - 1);
        // [sheet.A1:sheet.B2], sheet optional ("" = own sheet), $ anchors allowed.
        struct End {
            std::string sheetText, sheet;
            RefPart p;
            bool ok = false;
        };
        auto parseEnd = [&](std::string_view t) {
            End e;
            std::size_t dot = std::string_view::npos;
            if (!t.empty() && (t[0] == '\'' || (t.size() > 1 && t[0] == '$' && t[1] == '\''))) {
                const std::size_t q = t.find('\'');
                std::size_t k = q + 1;
                while (k < t.size()) {
                    if (t[k] == '\'') {
                        if (k + 1 < t.size() && t[k + 1] == '\'') {
                            e.sheet += '\'';
                            k += 2;
                            continue;
                        }
                        break;
                    }
                    e.sheet += t[k++];
                }
                dot = k + 1 < t.size() && t[k + 1] == '.' ? k + 1 : std::string_view::npos;
            } else {
                dot = t.rfind('.');
                if (dot != std::string_view::npos) {
                    e.sheet = std::string(t.substr(0, dot));
                    if (!e.sheet.empty() && e.sheet[0] == '$') e.sheet.erase(0, 1);
                }
            }
            if (dot == std::string_view::npos) return e;
            e.sheetText = std::string(t.substr(0, dot + 1));
            std::string_view cell = t.substr(dot + 1);
            std::size_t pos = 0;
            e.ok = readPart(cell, pos, e.p) && pos == cell.size();
            return e;
        };
        const std::size_t colon = inner.find(':');
        End a = parseEnd(inner.substr(0, colon));
        End b;
        const bool range = colon != std::string_view::npos;
        if (range) b = parseEnd(inner.substr(colon + 1));
        std::string_view sheetA = a.sheet.empty() ? ownSheet : std::string_view(a.sheet);
        if (a.ok && (!range || b.ok) && a.p.row && sameSheet(sheetA, target)) {
            std::string text;
            if (!range) {
                const int r = del.mapRow(a.p.row);
                if (r == 0) {
                    if (lostRows) *lostRows = true;
                    text = "#REF!";
                } else {
                    a.p.row = r;
                    text = a.sheetText + partText(a.p);
                }
            } else {
                int top = a.p.row, bottom = b.p.row;
                const int height = std::abs(bottom - top);
                if (!del.mapSpan(top, bottom)) {
                    if (lostRows) *lostRows = true;
                    text = "#REF!";
                } else {
                    if (lostRows && bottom - top != height) *lostRows = true;
                    a.p.row = top;
                    b.p.row = bottom;
                    text = a.sheetText + partText(a.p) + ":" + b.sheetText + partText(b.p);
                }
            }
            out += "[" + text + "]";
        } else {
            out.append(f.substr(i, end + 1 - i));
        }
        i = end + 1;
    }
    return out;
}

} // namespace twinsift::office
