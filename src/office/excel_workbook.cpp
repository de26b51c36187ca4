#include "office/excel_workbook.h"

#include "office/cell_text.h"
#include "office/xml_util.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <utility>

namespace twinsift::office {

struct ExcelWorkbook::Sheet {
    std::string name;
    std::string part;
    pugi::xml_document doc;
    pugi::xml_node sheetData;
    std::vector<pugi::xml_node> rowNodes; // .xlsx: row element by worksheet row number

    struct Slot {
        int first = 0;
        int count = 0;
        pugi::xml_node node;
    };
    pugi::xml_node table;     // .ods: the table element
    std::vector<Slot> slots;  // .ods: row elements with their repeat counts

    UsedRange used;
    struct Area {
        int c1, r1, c2, r2;
    };
    std::vector<Area> merged; // .xlsx: merged areas, whose covered cells read empty
    // Per column read so far: the rows that merged areas cover there, as
    // sorted, disjoint [first, last] runs. Built on the first read of a
    // column, so a read costs a search, not a pass over every area.
    mutable std::map<int, std::vector<std::pair<int, int>>> coveredRows;
    bool covered(int row, int column) const;
    RowDeletions deleted;
    bool dirty = false;
};

bool ExcelWorkbook::Sheet::covered(int row, int column) const {
    if (merged.empty()) return false;
    auto it = coveredRows.find(column);
    if (it == coveredRows.end()) {
        std::vector<std::pair<int, int>> runs;
        for (const Area& a : merged) {
            if (column < a.c1 || column > a.c2) continue;
            // The top left cell keeps the area's content.
            const int first = column == a.c1 ? a.r1 + 1 : a.r1;
            if (first <= a.r2) runs.emplace_back(first, a.r2);
        }
        std::sort(runs.begin(), runs.end());
        std::vector<std::pair<int, int>> joined;
        for (const auto& r : runs) {
            if (!joined.empty() && r.first <= joined.back().second + 1) joined.back().second = std::max(joined.back().second, r.second);
            else joined.push_back(r);
        }
        it = coveredRows.emplace(column, std::move(joined)).first;
    }
    const auto& runs = it->second;
    auto after = std::upper_bound(runs.begin(), runs.end(), std::make_pair(row, std::numeric_limits<int>::max()));
    return after != runs.begin() && row <= std::prev(after)->second;
}

namespace {

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string relsPartOf(const std::string& part) {
    const std::size_t slash = part.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
    return dir + "_rels/" + file + ".rels";
}

struct Relationship {
    std::string type, target;
};

std::map<std::string, Relationship> readRels(ZipPackage& pkg, const std::string& part) {
    std::map<std::string, Relationship> out;
    auto bytes = pkg.read(relsPartOf(part));
    pugi::xml_document doc;
    if (!bytes || !parseXml(doc, *bytes)) return out;
    for (pugi::xml_node r : doc.document_element().children()) {
        if (localName(r) != "Relationship") continue;
        if (std::string_view(r.attribute("TargetMode").value()) == "External") continue;
        out[r.attribute("Id").value()] = {r.attribute("Type").value(),
                                          resolvePartName(part, r.attribute("Target").value())};
    }
    return out;
}

int toInt(std::string_view s, int fallback = 0) {
    int v = fallback;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() ? v : fallback;
}

int cellColumn(const pugi::xml_node& c) {
    const char* r = c.attribute("r").value();
    std::size_t n = 0;
    while (r[n] >= 'A' && r[n] <= 'Z') ++n;
    return columnNumber(std::string_view(r, n));
}

std::string richText(const pugi::xml_node& n) {
    std::string out;
    for (pugi::xml_node c : n.children()) {
        const std::string_view ln = localName(c);
        if (ln == "t") out += c.text().get();
        else if (ln == "r") out += childLocal(c, "t").text().get();
    }
    return decodeOoxmlEscapes(out);
}

void extend(UsedRange& u, bool& any, int r1, int c1, int r2, int c2) {
    if (!any) {
        u = {r1, r2, c1, c2};
        any = true;
        return;
    }
    u.firstRow = std::min(u.firstRow, r1);
    u.lastRow = std::max(u.lastRow, r2);
    u.firstColumn = std::min(u.firstColumn, c1);
    u.lastColumn = std::max(u.lastColumn, c2);
}

bool parseRange(std::string_view ref, int& c1, int& r1, int& c2, int& r2) {
    const std::size_t colon = ref.find(':');
    if (!parseCellRef(ref.substr(0, colon), c1, r1)) return false;
    if (colon == std::string_view::npos) {
        c2 = c1;
        r2 = r1;
        return true;
    }
    return parseCellRef(ref.substr(colon + 1), c2, r2);
}

// The largest sheet any spreadsheet program writes.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

int repeatOf(const pugi::xml_node& n, const char* attr) {
    return std::clamp(n.attribute(attr).as_int(1), 1, kMaxRows);
}

bool odfCellHasContent(const pugi::xml_node& c) {
    if (attrLocal(c, "value-type") || c.attribute("table:formula")) return true;
    for (pugi::xml_node k : c.children())
        if (k.type() == pugi::node_element && localName(k) == "p") return true;
    return false;
}

template <class Fn>
void forEachCell(const pugi::xml_node& sheetData, Fn&& fn) {
    for (pugi::xml_node row : sheetData.children())
        if (localName(row) == "row")
            for (pugi::xml_node c : row.children())
                if (localName(c) == "c") fn(row, c);
}

const char* const kOdfValueAttrs[] = {"office:value-type", "office:value",         "office:date-value",
                                      "office:time-value", "office:boolean-value", "office:string-value",
                                      "office:currency",   "table:formula",        "calcext:value-type"};

} // namespace

ExcelWorkbook::ExcelWorkbook() = default;
ExcelWorkbook::~ExcelWorkbook() = default;

void ExcelWorkbook::close() {
    pkg_.close();
    workbook_.reset();
    sheets_.clear();
    sharedStrings_.clear();
    xfDateKind_.clear();
    date1904_ = false;
    changed_ = false;
    applied_ = false;
}

const std::string& ExcelWorkbook::sheetName(int k) const { return sheets_.at(static_cast<std::size_t>(k))->name; }

UsedRange ExcelWorkbook::usedRange(int k) const { return sheets_.at(static_cast<std::size_t>(k))->used; }

bool ExcelWorkbook::open(const std::string& path) {
    close();
    if (!pkg_.open(path)) return false;
    std::string mainPart;
    if (!detectFormat(pkg_, format_, mainPart, "application/vnd.oasis.opendocument.spreadsheet")) {
        close();
        return false;
    }
    const bool ok = format_ == PackageFormat::Ooxml ? openOoxml(mainPart) : openOdf();
    if (!ok) close();
    return ok;
}

bool ExcelWorkbook::openOoxml(const std::string& mainPart) {
    workbookPart_ = mainPart;
    auto wb = pkg_.read(mainPart);
    if (!wb || !parseXml(workbook_, *wb) || localName(workbook_.document_element()) != "workbook") return false;
    const pugi::xml_node root = workbook_.document_element();
    const std::string_view d1904 = attrLocal(childLocal(root, "workbookPr"), "date1904").value();
    date1904_ = d1904 == "1" || d1904 == "true";

    const auto rels = readRels(pkg_, mainPart);
    for (const auto& [id, rel] : rels) {
        if (endsWith(rel.type, "/sharedStrings")) {
            auto bytes = pkg_.read(rel.target);
            pugi::xml_document sst;
            if (!bytes || !parseXml(sst, *bytes)) return false;
            for (pugi::xml_node si : sst.document_element().children())
                if (localName(si) == "si") sharedStrings_.push_back(richText(si));
        } else if (endsWith(rel.type, "/styles")) {
            auto bytes = pkg_.read(rel.target);
            pugi::xml_document st;
            if (!bytes || !parseXml(st, *bytes)) return false;
            std::map<int, std::string> codes;
            for (pugi::xml_node f : childLocal(st.document_element(), "numFmts").children())
                codes[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();
            // Many styles share a few formats: each format is read once.
            std::map<int, int> kindOf;
            for (pugi::xml_node xf : childLocal(st.document_element(), "cellXfs").children()) {
                if (localName(xf) != "xf") continue;
                const int id = xf.attribute("numFmtId").as_int();
                auto known = kindOf.find(id);
                if (known == kindOf.end()) {
                    auto it = codes.find(id);
                    known = kindOf.emplace(id, static_cast<int>(classifyNumberFormat(id, it == codes.end() ? "" : it->second))).first;
                }
                xfDateKind_.push_back(known->second);
            }
        }
    }

    // Each worksheet owns its part. Sheets that name the same part would parse
    // (and later rewrite) it once each: a small file could then fill memory.
    std::set<std::string> partsTaken;
    for (pugi::xml_node sh : childLocal(root, "sheets").children()) {
        if (localName(sh) != "sheet") continue;
        std::string rid;
        for (pugi::xml_attribute a = sh.first_attribute(); a; a = a.next_attribute())
            if (localName(a) == "id" && std::strchr(a.name(), ':')) rid = a.value();
        auto rel = rels.find(rid);
        if (rel == rels.end()) return false;
        if (!endsWith(rel->second.type, "/worksheet")) continue; // chart sheets are no worksheets
        auto s = std::make_unique<Sheet>();
        s->name = sh.attribute("name").value();
        s->part = rel->second.target;
        if (!partsTaken.insert(s->part).second) return false;
        auto bytes = pkg_.read(s->part);
        if (!bytes || !parseXml(s->doc, *bytes)) return false;
        s->sheetData = childLocal(s->doc.document_element(), "sheetData");
        bool any = false;
        int rowNo = 0;
        for (pugi::xml_node row : s->sheetData.children()) {
            if (localName(row) != "row") continue;
            rowNo = row.attribute("r") ? toInt(row.attribute("r").value(), rowNo + 1) : rowNo + 1;
            if (rowNo < 1 || rowNo > 1048576) return false;
            if (!row.attribute("r")) row.append_attribute("r") = rowNo;
            if (static_cast<std::size_t>(rowNo) >= s->rowNodes.size()) s->rowNodes.resize(static_cast<std::size_t>(rowNo) + 1);
            s->rowNodes[static_cast<std::size_t>(rowNo)] = row;
            int col = 0;
            for (pugi::xml_node c : row.children()) {
                if (localName(c) != "c") continue;
                int r = 0;
                if (c.attribute("r")) {
                    if (!parseCellRef(c.attribute("r").value(), col, r)) return false;
                } else {
                    ++col;
                    c.append_attribute("r") = (columnLetters(col) + std::to_string(rowNo)).c_str();
                }
                extend(s->used, any, rowNo, col, rowNo, col);
            }
        }
        for (pugi::xml_node m : childLocal(s->doc.document_element(), "mergeCells").children()) {
            int c1, r1, c2, r2;
            if (parseRange(m.attribute("ref").value(), c1, r1, c2, r2)) {
                extend(s->used, any, std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2));
                s->merged.push_back({std::min(c1, c2), std::min(r1, r2), std::max(c1, c2), std::max(r1, r2)});
            }
        }
        sheets_.push_back(std::move(s));
    }
    return true;
}

bool ExcelWorkbook::openOdf() {
    workbookPart_ = "content.xml";
    auto bytes = pkg_.read(workbookPart_);
    if (!bytes || !parseXml(workbook_, *bytes)) return false;
    const pugi::xml_node spreadsheet = childLocal(childLocal(workbook_.document_element(), "body"), "spreadsheet");
    if (!spreadsheet) return false;
    for (pugi::xml_node t : spreadsheet.children()) {
        if (localName(t) != "table") continue;
        auto s = std::make_unique<Sheet>();
        s->name = attrLocal(t, "name").value();
        s->table = t;
        // Rows past the sheet's last one are cut off: a repeat count says how
        // often a row shows, not how much the file holds, and must neither
        // overflow the numbering nor turn into a billion lines.
        int rowNo = 1;
        walkTree(t, [&](const pugi::xml_node& c) {
            if (rowNo > kMaxRows) return Walk::Stop;
            const std::string_view ln = localName(c);
            if (ln == "table-row") {
                const int count = std::min(repeatOf(c, "table:number-rows-repeated"), kMaxRows - rowNo + 1);
                s->slots.push_back({rowNo, count, c});
                rowNo += count;
                return Walk::Skip;
            }
            if (ln == "table-header-rows" || ln == "table-rows" || ln == "table-row-group") return Walk::Descend;
            return Walk::Skip;
        });
        bool any = false;
        for (const Sheet::Slot& slot : s->slots) {
            int col = 1;
            for (pugi::xml_node c : slot.node.children()) {
                if (col > kMaxColumns) break;
                const std::string_view ln = localName(c);
                if (ln != "table-cell" && ln != "covered-table-cell") continue;
                const int rep = std::min(repeatOf(c, "table:number-columns-repeated"), kMaxColumns - col + 1);
                if (odfCellHasContent(c)) extend(s->used, any, slot.first, col, slot.first + slot.count - 1, col + rep - 1);
                col += rep;
            }
        }
        sheets_.push_back(std::move(s));
    }
    return true;
}

std::string ExcelWorkbook::ooxmlCellText(const Sheet&, const pugi::xml_node& c) const {
    const std::string_view t = c.attribute("t").value();
    const pugi::xml_node v = childLocal(c, "v");
    const std::string_view vt = v.text().get();
    if (t == "s") {
        const int i = toInt(vt, -1);
        return i >= 0 && static_cast<std::size_t>(i) < sharedStrings_.size() ? sharedStrings_[static_cast<std::size_t>(i)]
                                                                              : std::string();
    }
    if (t == "inlineStr") return richText(childLocal(c, "is"));
    if (t == "str") return decodeOoxmlEscapes(vt);
    if (t == "b") return vt == "1" || vt == "true" ? "TRUE" : "FALSE";
    if (t == "e") return std::string(vt);
    if (t == "d") return formatIsoDateTime(vt);
    if (!v) return {};
    double d = 0;
    const auto r = std::from_chars(vt.data(), vt.data() + vt.size(), d);
    if (r.ec != std::errc()) return std::string(vt);
    const int style = c.attribute("s").as_int(0);
    const DateKind kind = style >= 0 && static_cast<std::size_t>(style) < xfDateKind_.size()
                              ? static_cast<DateKind>(xfDateKind_[static_cast<std::size_t>(style)])
                              : DateKind::None;
    return kind == DateKind::None ? formatNumber(d) : formatSerialDate(d, kind, date1904_);
}

std::string ExcelWorkbook::odfCellText(const pugi::xml_node& c) const {
    if (localName(c) == "covered-table-cell") return {};
    const std::string_view type = c.attribute("office:value-type").value();
    if (std::string_view(c.attribute("calcext:value-type").value()) != "error") {
        if (type == "float" || type == "percentage" || type == "currency") {
            const std::string_view v = c.attribute("office:value").value();
            double d = 0;
            const auto r = std::from_chars(v.data(), v.data() + v.size(), d);
            if (r.ec == std::errc()) return formatNumber(d);
        } else if (type == "date") {
            return formatIsoDateTime(c.attribute("office:date-value").value());
        } else if (type == "time") {
            return formatIsoDuration(c.attribute("office:time-value").value());
        } else if (type == "boolean") {
            const std::string_view b = c.attribute("office:boolean-value").value();
            return b == "true" || b == "1" ? "TRUE" : "FALSE";
        } else if (type == "string" && c.attribute("office:string-value")) {
            return c.attribute("office:string-value").value();
        }
    }
    std::string out;
    bool first = true;
    for (pugi::xml_node p : c.children()) {
        if (p.type() != pugi::node_element || localName(p) != "p") continue;
        if (!first) out += '\n';
        first = false;
        std::string line = odfParagraphText(p);
        std::replace(line.begin(), line.end(), '\v', '\n');
        out += line;
    }
    return out;
}

namespace {

pugi::xml_node findOoxmlCell(const std::vector<pugi::xml_node>& rows, int row, int column) {
    if (row < 1 || static_cast<std::size_t>(row) >= rows.size() || !rows[static_cast<std::size_t>(row)]) return {};
    for (pugi::xml_node c : rows[static_cast<std::size_t>(row)].children())
        if (localName(c) == "c" && cellColumn(c) == column) return c;
    return {};
}

} // namespace

std::string ExcelWorkbook::cellText(int k, int row, int column) const {
    if (k < 0 || k >= sheetCount()) return {};
    const Sheet& s = *sheets_[static_cast<std::size_t>(k)];
    if (format_ == PackageFormat::Ooxml) {
        if (s.covered(row, column)) return {};
        const pugi::xml_node c = findOoxmlCell(s.rowNodes, row, column);
        return c ? ooxmlCellText(s, c) : std::string();
    }
    auto it = std::upper_bound(s.slots.begin(), s.slots.end(), row,
                               [](int r, const Sheet::Slot& sl) { return r < sl.first; });
    if (it == s.slots.begin()) return {};
    --it;
    if (row >= it->first + it->count) return {};
    int col = 1;
    for (pugi::xml_node c : it->node.children()) {
        const std::string_view ln = localName(c);
        if (ln != "table-cell" && ln != "covered-table-cell") continue;
        const int rep = repeatOf(c, "table:number-columns-repeated");
        if (column < col + rep) return odfCellText(c);
        col += rep;
        if (col > kMaxColumns) break;
    }
    return {};
}

bool ExcelWorkbook::setCell(int k, int row, int column, std::string_view text) {
    if (applied_ || k < 0 || k >= sheetCount() || row < 1 || row > 1048576 || column < 1 || column > 16384) return false;
    Sheet& s = *sheets_[static_cast<std::size_t>(k)];
    const bool ok = format_ == PackageFormat::Ooxml ? setOoxmlCell(s, row, column, text) : setOdfCell(s, row, column, text);
    if (ok) {
        s.dirty = true;
        changed_ = true;
    }
    return ok;
}

bool ExcelWorkbook::setOoxmlCell(Sheet& s, int row, int column, std::string_view text) {
    if (!s.sheetData) return false;
    const std::string p = prefixOf(s.sheetData);
    if (static_cast<std::size_t>(row) >= s.rowNodes.size()) s.rowNodes.resize(static_cast<std::size_t>(row) + 1);
    pugi::xml_node& rowNode = s.rowNodes[static_cast<std::size_t>(row)];
    if (!rowNode) {
        pugi::xml_node next;
        for (std::size_t r = static_cast<std::size_t>(row) + 1; r < s.rowNodes.size() && !next; ++r) next = s.rowNodes[r];
        rowNode = next ? s.sheetData.insert_child_before((p + "row").c_str(), next)
                       : s.sheetData.append_child((p + "row").c_str());
        rowNode.append_attribute("r") = row;
    }
    pugi::xml_node cell;
    pugi::xml_node after;
    for (pugi::xml_node c : rowNode.children()) {
        if (localName(c) != "c") continue;
        const int col = cellColumn(c);
        if (col == column) {
            cell = c;
            break;
        }
        if (col > column) {
            after = c;
            break;
        }
    }
    if (!cell) {
        cell = after ? rowNode.insert_child_before((p + "c").c_str(), after) : rowNode.append_child((p + "c").c_str());
        cell.append_attribute("r") = (columnLetters(column) + std::to_string(row)).c_str();
    }
    // Overwriting the cell that carries a shared formula would orphan the cells
    // that borrow it: give every cell its own formula first.
    if (pugi::xml_node f = childLocal(cell, "f"); f && f.attribute("ref") &&
                                                  std::string_view(f.attribute("t").value()) == "shared")
        expandSharedFormulas(s);
    while (cell.first_child()) removeNode(cell.first_child());
    cell.remove_attribute("t");
    if (auto num = numericValue(text)) {
        cell.append_child((p + "v").c_str()).text().set(numberToXml(*num).c_str());
    } else {
        cell.append_attribute("t") = "inlineStr";
        pugi::xml_node t = cell.append_child((p + "is").c_str()).append_child((p + "t").c_str());
        t.append_attribute("xml:space") = "preserve";
        t.text().set(xmlSafe(encodeOoxmlEscapes(text)).c_str());
    }
    return true;
}

namespace {

// Splits a repeated element so that the unit at offset `at` stands alone.
pugi::xml_node isolate(pugi::xml_node n, const char* attr, int count, int at) {
    if (count <= 1) return n;
    pugi::xml_node parent = n.parent();
    if (at > 0) {
        pugi::xml_node before = parent.insert_copy_before(n, n);
        before.attribute(attr).set_value(at);
        if (at == 1) before.remove_attribute(attr);
    }
    const int after = count - at - 1;
    if (after > 0) {
        pugi::xml_node rest = parent.insert_copy_after(n, n);
        rest.attribute(attr).set_value(after);
        if (after == 1) rest.remove_attribute(attr);
    }
    n.remove_attribute(attr);
    return n;
}

} // namespace

bool ExcelWorkbook::setOdfCell(Sheet& s, int row, int column, std::string_view text) {
    auto it = std::upper_bound(s.slots.begin(), s.slots.end(), row,
                               [](int r, const Sheet::Slot& sl) { return r < sl.first; });
    if (it == s.slots.begin()) return false;
    --it;
    if (row >= it->first + it->count) return false;
    // Give the row its own element, keeping the slot list in step.
    const Sheet::Slot slot = *it;
    const std::size_t idx = static_cast<std::size_t>(it - s.slots.begin());
    pugi::xml_node rowNode = isolate(slot.node, "table:number-rows-repeated", slot.count, row - slot.first);
    if (slot.count > 1) {
        std::vector<Sheet::Slot> parts;
        if (row > slot.first) parts.push_back({slot.first, row - slot.first, rowNode.previous_sibling()});
        parts.push_back({row, 1, rowNode});
        if (row < slot.first + slot.count - 1) parts.push_back({row + 1, slot.first + slot.count - 1 - row, rowNode.next_sibling()});
        s.slots.erase(s.slots.begin() + static_cast<std::ptrdiff_t>(idx));
        s.slots.insert(s.slots.begin() + static_cast<std::ptrdiff_t>(idx), parts.begin(), parts.end());
    }
    pugi::xml_node cell;
    int col = 1;
    for (pugi::xml_node c : rowNode.children()) {
        const std::string_view ln = localName(c);
        if (ln != "table-cell" && ln != "covered-table-cell") continue;
        const int rep = repeatOf(c, "table:number-columns-repeated");
        if (column < col + rep) {
            cell = isolate(c, "table:number-columns-repeated", rep, column - col);
            break;
        }
        col += rep;
        if (col > kMaxColumns) return false;
    }
    if (!cell) {
        if (column > col) {
            pugi::xml_node gap = rowNode.append_child("table:table-cell");
            if (column - col > 1) gap.append_attribute("table:number-columns-repeated") = column - col;
        }
        cell = rowNode.append_child("table:table-cell");
    }
    if (localName(cell) == "covered-table-cell") cell.set_name("table:table-cell");
    for (const char* a : kOdfValueAttrs) cell.remove_attribute(a);
    while (cell.first_child()) removeNode(cell.first_child());
    if (auto num = numericValue(text)) {
        cell.append_attribute("office:value-type") = "float";
        cell.append_attribute("office:value") = numberToXml(*num).c_str();
        cell.append_child("text:p").text().set(formatNumber(*num).c_str());
    } else {
        cell.append_attribute("office:value-type") = "string";
        std::size_t start = 0;
        const std::string t(text);
        for (;;) {
            const std::size_t nl = t.find('\n', start);
            appendOdfText(cell.append_child("text:p"), "text:", std::string_view(t).substr(start, nl == std::string::npos ? std::string::npos : nl - start));
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
    }
    return true;
}

bool ExcelWorkbook::deleteRow(int k, int row) {
    if (applied_ || k < 0 || k >= sheetCount() || row < 1 || row > 1048576) return false;
    Sheet& s = *sheets_[static_cast<std::size_t>(k)];
    s.deleted.add(row);
    s.dirty = true;
    changed_ = true;
    return true;
}

bool ExcelWorkbook::writeTo(const std::string& path) {
    if (!pkg_.isOpen()) return false;
    // Deletions are applied to the parts once; saving again writes the same package.
    if (changed_ && !applied_) {
        const bool ok = format_ == PackageFormat::Ooxml ? writeOoxml() : writeOdf();
        if (!ok) return false;
        applied_ = true;
    }
    return pkg_.writeTo(path);
}

namespace {

// True when the element was removed because none of its rows stays.
bool adjustRefAttr(pugi::xml_node n, const char* attr, const RowDeletions& del, bool removeWhenGone) {
    pugi::xml_attribute a = n.attribute(attr);
    if (!a) return false;
    const std::string moved = adjustRangeList(a.value(), del);
    if (moved.empty()) {
        if (removeWhenGone) {
            removeNode(n);
            return true;
        }
        n.remove_attribute(a);
    } else {
        a.set_value(moved.c_str());
    }
    return false;
}

} // namespace

void ExcelWorkbook::expandSharedFormulas(Sheet& s) {
    struct Master {
        int row, col;
        std::string text;
    };
    std::map<std::string, Master> masters;
    forEachCell(s.sheetData, [&](pugi::xml_node, pugi::xml_node c) {
        pugi::xml_node f = childLocal(c, "f");
        if (!f || std::string_view(f.attribute("t").value()) != "shared" || !f.attribute("ref")) return;
        int col, row;
        if (parseCellRef(c.attribute("r").value(), col, row)) masters[f.attribute("si").value()] = {row, col, f.text().get()};
    });
    forEachCell(s.sheetData, [&](pugi::xml_node, pugi::xml_node c) {
        pugi::xml_node f = childLocal(c, "f");
        if (!f || std::string_view(f.attribute("t").value()) != "shared") return;
        auto m = masters.find(f.attribute("si").value());
        int col, row;
        if (m != masters.end() && parseCellRef(c.attribute("r").value(), col, row))
            f.text().set(translateFormula(m->second.text, row - m->second.row, col - m->second.col).c_str());
        f.remove_attribute("t");
        f.remove_attribute("si");
        f.remove_attribute("ref");
        s.dirty = true;
    });
}

bool ExcelWorkbook::writeOoxml() {
    bool anyDeleted = false;
    for (const auto& s : sheets_) anyDeleted = anyDeleted || !s->deleted.empty();

    if (anyDeleted) {
        // A shared formula reads differently in each cell; once rows move, every
        // cell gets its own formula text so that each can be adjusted alone.
        for (auto& sheet : sheets_) expandSharedFormulas(*sheet);
    }

    for (auto& target : sheets_) {
        if (target->deleted.empty()) continue;
        const RowDeletions& del = target->deleted;
        // Formulas everywhere that point at the moved rows.
        for (auto& s : sheets_) {
            forEachCell(s->sheetData, [&](pugi::xml_node, pugi::xml_node c) {
                pugi::xml_node f = childLocal(c, "f");
                if (!f || !*f.text().get()) return;
                bool lostRows = false;
                const std::string moved = adjustFormulaRows(f.text().get(), s->name, target->name, del, &lostRows);
                if (moved != f.text().get()) {
                    f.text().set(moved.c_str());
                    s->dirty = true;
                }
                // Results that rows moving can change lose their cached value, so
                // that every spreadsheet program computes them afresh.
                if (lostRows || (s.get() == target.get() && dependsOnPosition(moved))) {
                    if (pugi::xml_node v = childLocal(c, "v")) removeNode(v);
                    c.remove_attribute("t");
                    s->dirty = true;
                }
            });
        }
        // Rule formulas of conditional formats and validations name cells too.
        for (auto& s : sheets_) {
            const pugi::xml_node root = s->doc.document_element();
            for (pugi::xpath_node xn : root.select_nodes(
                     "*[local-name()='conditionalFormatting']/*[local-name()='cfRule']/*[local-name()='formula'] | "
                     "*[local-name()='dataValidations']/*[local-name()='dataValidation']/*[local-name()='formula1' or local-name()='formula2']")) {
                pugi::xml_node f = xn.node();
                const std::string moved = adjustFormulaRows(f.text().get(), s->name, target->name, del);
                if (moved != f.text().get()) {
                    f.text().set(moved.c_str());
                    s->dirty = true;
                }
            }
        }
        for (pugi::xml_node dn : childLocal(workbook_.document_element(), "definedNames").children()) {
            const std::string moved = adjustFormulaRows(dn.text().get(), {}, target->name, del);
            if (moved != dn.text().get()) dn.text().set(moved.c_str());
        }
        for (const std::string& name : pkg_.names()) {
            if (name.rfind("xl/charts/chart", 0) != 0 || !endsWith(name, ".xml")) continue;
            auto bytes = pkg_.read(name);
            pugi::xml_document chart;
            if (!bytes || !parseXml(chart, *bytes)) continue;
            bool touched = false;
            for (pugi::xpath_node xn : chart.select_nodes("//*[local-name()='f']")) {
                pugi::xml_node f = xn.node();
                const std::string moved = adjustFormulaRows(f.text().get(), {}, target->name, del);
                if (moved != f.text().get()) {
                    f.text().set(moved.c_str());
                    touched = true;
                }
            }
            if (touched) pkg_.replace(name, serializeXml(chart));
        }
        for (const auto& [id, rel] : readRels(pkg_, target->part)) {
            if (!endsWith(rel.type, "/table")) continue;
            auto bytes = pkg_.read(rel.target);
            pugi::xml_document table;
            if (!bytes || !parseXml(table, *bytes)) continue;
            adjustRefAttr(table.document_element(), "ref", del, false);
            adjustRefAttr(childLocal(table.document_element(), "autoFilter"), "ref", del, false);
            pkg_.replace(rel.target, serializeXml(table));
        }

        // The rows themselves, and what is anchored to them on their sheet.
        for (pugi::xml_node row = target->sheetData.first_child(); row;) {
            pugi::xml_node next = row.next_sibling();
            if (localName(row) == "row") {
                const int r = row.attribute("r").as_int();
                if (del.contains(r)) {
                    removeNode(row);
                } else if (const int nr = del.mapRow(r); nr != r) {
                    row.attribute("r").set_value(nr);
                    for (pugi::xml_node c : row.children()) {
                        if (localName(c) != "c") continue;
                        c.attribute("r").set_value((columnLetters(cellColumn(c)) + std::to_string(nr)).c_str());
                    }
                }
                for (pugi::xml_node c : row.children())
                    if (pugi::xml_node f = childLocal(c, "f"); f && f.attribute("ref")) adjustRefAttr(f, "ref", del, false);
            }
            row = next;
        }
        pugi::xml_node root = target->doc.document_element();
        if (pugi::xml_node merges = childLocal(root, "mergeCells")) {
            for (pugi::xml_node m = merges.first_child(); m;) {
                pugi::xml_node next = m.next_sibling();
                if (!adjustRefAttr(m, "ref", del, true) &&
                    std::string_view(m.attribute("ref").value()).find(':') == std::string_view::npos)
                    removeNode(m);
                m = next;
            }
            std::size_t n = 0;
            for (pugi::xml_node m : merges.children()) n += m.type() == pugi::node_element;
            if (n == 0) removeNode(merges);
            else if (merges.attribute("count")) merges.attribute("count").set_value(static_cast<unsigned>(n));
        }
        for (const char* list : {"hyperlinks", "dataValidations", "conditionalFormatting"}) {
            for (pugi::xml_node holder = childLocal(root, list); holder;) {
                pugi::xml_node nextHolder = holder.next_sibling();
                if (std::string_view(list) == "conditionalFormatting") {
                    if (adjustRefAttr(holder, "sqref", del, true)) holder = {};
                } else {
                    for (pugi::xml_node item = holder.first_child(); item;) {
                        pugi::xml_node next = item.next_sibling();
                        if (!adjustRefAttr(item, "ref", del, true)) adjustRefAttr(item, "sqref", del, true);
                        item = next;
                    }
                    if (!holder.first_child()) removeNode(holder);
                }
                while (nextHolder && localName(nextHolder) != list) nextHolder = nextHolder.next_sibling();
                holder = nextHolder;
            }
        }
        adjustRefAttr(childLocal(root, "autoFilter"), "ref", del, false);
        for (pugi::xml_node view : childLocal(root, "sheetViews").children())
            for (pugi::xml_node sel : view.children())
                if (localName(sel) == "selection") {
                    sel.remove_attribute("activeCell");
                    sel.remove_attribute("sqref");
                }
        target->dirty = true;
    }

    for (auto& s : sheets_) {
        if (!s->dirty) continue;
        UsedRange u;
        bool any = false;
        forEachCell(s->sheetData, [&](pugi::xml_node, pugi::xml_node c) {
            int col, row;
            if (parseCellRef(c.attribute("r").value(), col, row)) extend(u, any, row, col, row, col);
        });
        if (pugi::xml_node dim = childLocal(s->doc.document_element(), "dimension")) {
            const std::string ref = any ? columnLetters(u.firstColumn) + std::to_string(u.firstRow) + ":" +
                                              columnLetters(u.lastColumn) + std::to_string(u.lastRow)
                                        : std::string("A1");
            dim.attribute("ref").set_value(ref.c_str());
        }
        pkg_.replace(s->part, serializeXml(s->doc));
    }

    // Cached formula results are stale now: have the spreadsheet recalculate on
    // opening, and drop the calculation chain that names cells by position.
    pugi::xml_node root = workbook_.document_element();
    pugi::xml_node calcPr = childLocal(root, "calcPr");
    if (!calcPr) {
        pugi::xml_node anchor;
        for (const char* before : {"sheets", "functionGroups", "externalReferences", "definedNames"})
            if (pugi::xml_node n = childLocal(root, before)) anchor = n;
        const std::string name = prefixOf(root) + "calcPr";
        calcPr = anchor ? root.insert_child_after(name.c_str(), anchor) : root.append_child(name.c_str());
    }
    if (!calcPr.attribute("fullCalcOnLoad")) calcPr.append_attribute("fullCalcOnLoad");
    calcPr.attribute("fullCalcOnLoad").set_value("1");
    pkg_.replace(workbookPart_, serializeXml(workbook_));

    const std::string relsPart = relsPartOf(workbookPart_);
    if (auto bytes = pkg_.read(relsPart)) {
        pugi::xml_document rels;
        if (parseXml(rels, *bytes)) {
            bool touched = false;
            for (pugi::xml_node r = rels.document_element().first_child(); r;) {
                pugi::xml_node next = r.next_sibling();
                if (endsWith(r.attribute("Type").value(), "/calcChain")) {
                    pkg_.remove(resolvePartName(workbookPart_, r.attribute("Target").value()));
                    removeNode(r);
                    touched = true;
                }
                r = next;
            }
            if (touched) pkg_.replace(relsPart, serializeXml(rels));
        }
    }
    if (auto bytes = pkg_.read("[Content_Types].xml")) {
        pugi::xml_document types;
        if (parseXml(types, *bytes)) {
            bool touched = false;
            for (pugi::xml_node o = types.document_element().first_child(); o;) {
                pugi::xml_node next = o.next_sibling();
                const std::string_view part = o.attribute("PartName").value();
                if (endsWith(part, "/calcChain.xml")) {
                    removeNode(o);
                    touched = true;
                }
                o = next;
            }
            if (touched) pkg_.replace("[Content_Types].xml", serializeXml(types));
        }
    }
    return true;
}

bool ExcelWorkbook::writeOdf() {
    for (auto& target : sheets_) {
        if (target->deleted.empty()) continue;
        const RowDeletions& del = target->deleted;
        for (auto& s : sheets_) {
            for (const Sheet::Slot& slot : s->slots) {
                int r = slot.first;
                for (pugi::xml_node c : slot.node.children()) {
                    if (pugi::xml_attribute f = c.attribute("table:formula")) {
                        bool lostRows = false;
                        const std::string moved = adjustOdfFormulaRows(f.value(), s->name, target->name, del, &lostRows);
                        if (moved != f.value()) f.set_value(moved.c_str());
                        if (lostRows || (s.get() == target.get() && dependsOnPosition(moved))) {
                            for (const char* a : kOdfValueAttrs)
                                if (std::string_view(a) != "table:formula") c.remove_attribute(a);
                            while (c.first_child()) removeNode(c.first_child());
                        }
                    }
                    // A merged area loses the deleted rows it spans.
                    if (s.get() == target.get()) {
                        if (pugi::xml_attribute span = c.attribute("table:number-rows-spanned")) {
                            const int rows = std::clamp(span.as_int(1), 1, kMaxRows);
                            const int top = r + 1, bottom = std::min(r + rows - 1, kMaxRows);
                            const int lost = top <= bottom ? del.countBefore(bottom + 1) - del.countBefore(top) : 0;
                            if (lost) span.set_value(std::max(1, rows - lost));
                        }
                    }
                }
            }
        }
        // Highest first, so that the slots still give the old numbers.
        const std::vector<int>& rows = del.rows();
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            const int row = *it;
            auto slot = std::upper_bound(target->slots.begin(), target->slots.end(), row,
                                         [](int r, const Sheet::Slot& sl) { return r < sl.first; });
            if (slot == target->slots.begin()) continue;
            --slot;
            if (row >= slot->first + slot->count || slot->count == 0) continue;
            if (slot->count > 1) {
                pugi::xml_attribute a = slot->node.attribute("table:number-rows-repeated");
                if (slot->count - 1 == 1) slot->node.remove_attribute(a);
                else a.set_value(slot->count - 1);
            } else {
                removeNode(slot->node);
            }
            --slot->count;
        }
    }
    pkg_.replace(workbookPart_, serializeXml(workbook_));
    return true;
}

} // namespace twinsift::office
