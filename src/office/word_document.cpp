#include "office/word_document.h"

#include "office/xml_util.h"

#include <algorithm>
#include <initializer_list>

namespace twinsift::office {

namespace {

bool isOneOf(std::string_view s, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

bool endsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// --- .docx ------------------------------------------------------------------

// Walks the inline content of a paragraph. Field codes are skipped, their
// results kept; drawings, text boxes, deleted text and note marks add nothing.
void ooxmlText(const pugi::xml_node& n, std::string& out, std::vector<bool>& fieldInCode) {
    walkTree(n, [&](const pugi::xml_node& c) {
        if (c.type() != pugi::node_element) return Walk::Skip;
        const std::string_view ln = localName(c);
        if (isOneOf(ln, {"pPr", "rPr", "sdtPr", "sdtEndPr", "del", "moveFrom", "drawing", "pict", "object",
                         "AlternateContent", "txbxContent", "instrText", "delText", "delInstrText", "fldData",
                         "footnoteReference", "endnoteReference", "commentReference", "rt"}))
            return Walk::Skip;
        if (ln == "t") {
            if (fieldInCode.empty() || !fieldInCode.back()) out += c.text().get();
        } else if (ln == "tab") {
            out += '\t';
        } else if (ln == "br") {
            out += std::string_view(attrLocal(c, "type").value()) == "page" ? '\f' : '\v';
        } else if (ln == "cr") {
            out += '\v';
        } else if (ln == "noBreakHyphen") {
            out += "\xE2\x80\x91";
        } else if (ln == "fldChar") {
            const std::string_view type = attrLocal(c, "fldCharType").value();
            if (type == "begin") {
                fieldInCode.push_back(true);
            } else if (type == "separate") {
                if (!fieldInCode.empty()) fieldInCode.back() = false;
            } else if (type == "end") {
                if (!fieldInCode.empty()) fieldInCode.pop_back();
            }
        } else {
            return Walk::Descend;
        }
        return Walk::Skip;
    });
}

// The first run that carries text, whose formatting a rewritten line keeps.
pugi::xml_node firstTextRun(const pugi::xml_node& n) {
    pugi::xml_node found;
    walkTree(n, [&](const pugi::xml_node& c) {
        if (c.type() != pugi::node_element) return Walk::Skip;
        const std::string_view ln = localName(c);
        if (isOneOf(ln, {"pPr", "del", "moveFrom", "drawing", "pict", "AlternateContent"})) return Walk::Skip;
        if (ln == "r") {
            for (pugi::xml_node k = c.first_child(); k; k = k.next_sibling())
                if (isOneOf(localName(k), {"t", "tab", "br", "cr"})) {
                    found = c;
                    return Walk::Stop;
                }
            return Walk::Skip;
        }
        return Walk::Descend;
    });
    return found;
}

void appendOoxmlRun(pugi::xml_node p, const std::string& w, const pugi::xml_node& rPr, std::string_view text) {
    pugi::xml_node pPr = childLocal(p, "pPr");
    pugi::xml_node run = pPr ? p.insert_child_after((w + "r").c_str(), pPr) : p.prepend_child((w + "r").c_str());
    if (rPr) run.append_copy(rPr);
    std::string piece;
    auto flush = [&] {
        if (piece.empty()) return;
        pugi::xml_node t = run.append_child((w + "t").c_str());
        t.append_attribute("xml:space") = "preserve";
        t.text().set(xmlSafe(piece).c_str());
        piece.clear();
    };
    for (char ch : text) {
        if (ch == '\t') {
            flush();
            run.append_child((w + "tab").c_str());
        } else if (ch == '\v' || ch == '\n' || ch == '\r') {
            flush();
            run.append_child((w + "br").c_str());
        } else if (ch == '\f') {
            flush();
            run.append_child((w + "br").c_str()).append_attribute((w + "type").c_str()) = "page";
        } else {
            piece += ch;
        }
    }
    flush();
}

// --- .odt -------------------------------------------------------------------

// ODF collapses runs of white space in text nodes to one blank and drops it at
// the start of a paragraph; explicit blanks come as text:s.
void odfText(const pugi::xml_node& n, std::string& out, bool& afterSpace) {
    walkTree(n, [&](const pugi::xml_node& c) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
            for (const char* s = c.value(); *s; ++s) {
                const char ch = *s;
                if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r') {
                    if (!afterSpace) out += ' ';
                    afterSpace = true;
                } else {
                    out += ch;
                    afterSpace = false;
                }
            }
            return Walk::Skip;
        }
        if (c.type() != pugi::node_element) return Walk::Skip;
        const std::string_view ln = localName(c);
        if (ln == "s") {
            const int count = std::max(1, attrLocal(c, "c").as_int(1));
            out.append(static_cast<std::size_t>(std::min(count, 100000)), ' ');
            afterSpace = false;
        } else if (ln == "tab") {
            out += '\t';
            afterSpace = false;
        } else if (ln == "line-break") {
            out += '\v';
            afterSpace = false;
        } else if (isOneOf(ln, {"note", "annotation", "annotation-end", "frame", "custom-shape", "rect", "ellipse",
                                "line", "g", "ruby-text", "change", "change-start", "change-end", "tracked-changes"})) {
            return Walk::Skip;
        } else {
            return Walk::Descend;
        }
        return Walk::Skip;
    });
}

pugi::xml_node firstTextSpan(const pugi::xml_node& p) {
    for (pugi::xml_node c = p.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata && std::string_view(c.value()).find_first_not_of(" \t\r\n") != std::string_view::npos)
            return {};
        if (c.type() == pugi::node_element && localName(c) == "span" && attrLocal(c, "style-name")) return c;
    }
    return {};
}

} // namespace

void appendOdfText(pugi::xml_node into, const std::string& t, std::string_view text) {
    std::string piece;
    bool atStart = true;
    auto flush = [&] {
        if (piece.empty()) return;
        into.append_child(pugi::node_pcdata).set_value(xmlSafe(piece).c_str());
        piece.clear();
    };
    const std::string_view safe = text;
    for (std::size_t i = 0; i < safe.size();) {
        const char ch = safe[i];
        if (ch == ' ') {
            std::size_t n = 0;
            while (i + n < safe.size() && safe[i + n] == ' ') ++n;
            std::size_t explicitBlanks = n;
            if (!atStart) {
                piece += ' ';
                --explicitBlanks;
            }
            if (explicitBlanks > 0) {
                flush();
                pugi::xml_node s = into.append_child((t + "s").c_str());
                if (explicitBlanks > 1) s.append_attribute((t + "c").c_str()) = static_cast<unsigned>(explicitBlanks);
            }
            i += n;
        } else {
            if (ch == '\t') {
                flush();
                into.append_child((t + "tab").c_str());
            } else if (ch == '\v' || ch == '\n' || ch == '\r') {
                flush();
                into.append_child((t + "line-break").c_str());
            } else if (ch != '\f') {
                piece += ch;
            }
            ++i;
        }
        atStart = false;
    }
    flush();
}

std::string odfParagraphText(const pugi::xml_node& p) {
    std::string out;
    bool afterSpace = true;
    odfText(p, out, afterSpace);
    return out;
}

bool detectFormat(ZipPackage& pkg, PackageFormat& format, std::string& mainPart, std::string_view odfMimePrefix) {
    if (auto mime = pkg.read("mimetype"); mime && pkg.has("content.xml")) {
        if (mime->rfind(odfMimePrefix, 0) != 0) return false;
        format = PackageFormat::Odf;
        mainPart = "content.xml";
        return true;
    }
    auto rels = pkg.read("_rels/.rels");
    if (!rels) return false;
    pugi::xml_document doc;
    if (!parseXml(doc, *rels)) return false;
    for (pugi::xml_node r : doc.document_element().children()) {
        if (localName(r) != "Relationship") continue;
        if (!endsWith(r.attribute("Type").value(), "/officeDocument")) continue;
        mainPart = resolvePartName("", r.attribute("Target").value());
        format = PackageFormat::Ooxml;
        return !mainPart.empty() && pkg.has(mainPart);
    }
    return false;
}

bool WordDocument::open(const std::string& path) {
    close();
    if (!pkg_.open(path)) return false;
    if (!detectFormat(pkg_, format_, mainPart_, "application/vnd.oasis.opendocument.text")) {
        close();
        return false;
    }
    auto bytes = pkg_.read(mainPart_);
    if (!bytes || !parseXml(doc_, *bytes)) {
        close();
        return false;
    }
    const pugi::xml_node root = doc_.document_element();
    if (format_ == PackageFormat::Ooxml) {
        if (localName(root) != "document") {
            close();
            return false;
        }
        collectOoxml(childLocal(root, "body"));
    } else {
        collectOdf(childLocal(childLocal(root, "body"), "text"));
    }
    deleted_.assign(paras_.size(), 0);
    liveCount_ = paras_.size();
    return true;
}

void WordDocument::close() {
    pkg_.close();
    doc_.reset();
    paras_.clear();
    deleted_.clear();
    liveCount_ = 0;
    dirty_ = false;
    mainPart_.clear();
}

// Containers nest as deep as a document's bytes allow, so the walk keeps its
// own stack instead of recursing.
void WordDocument::collectOoxml(const pugi::xml_node& container) {
    struct Frame {
        pugi::xml_node next;
        bool table; // inside a table: rows and cells, not paragraphs
    };
    std::vector<Frame> stack{{container.first_child(), false}};
    while (!stack.empty()) {
        const pugi::xml_node c = stack.back().next;
        if (!c) {
            stack.pop_back();
            continue;
        }
        stack.back().next = c.next_sibling();
        const bool table = stack.back().table;
        if (c.type() != pugi::node_element) continue;
        const std::string_view ln = localName(c);
        if (!table) {
            if (ln == "p") {
                paras_.push_back(c);
            } else if (ln == "tbl") {
                stack.push_back({c.first_child(), true});
            } else if (ln == "sdt") {
                stack.push_back({childLocal(c, "sdtContent").first_child(), false});
            } else if (isOneOf(ln, {"customXml", "ins", "moveTo"})) {
                stack.push_back({c.first_child(), false});
            }
        } else if (ln == "tc") {
            stack.push_back({c.first_child(), false});
        } else if (ln == "tr" || ln == "customXml") {
            stack.push_back({c.first_child(), true});
        } else if (ln == "sdt") {
            stack.push_back({childLocal(c, "sdtContent").first_child(), true});
        }
    }
}

void WordDocument::collectOdf(const pugi::xml_node& container) {
    std::vector<pugi::xml_node> stack{container.first_child()};
    while (!stack.empty()) {
        const pugi::xml_node c = stack.back();
        if (!c) {
            stack.pop_back();
            continue;
        }
        stack.back() = c.next_sibling();
        if (c.type() != pugi::node_element) continue;
        const std::string_view ln = localName(c);
        if (ln == "p" || ln == "h") {
            paras_.push_back(c);
        } else if (isOneOf(ln, {"list", "list-item", "list-header", "section", "table", "table-row", "table-rows",
                                "table-header-rows", "table-row-group", "table-cell", "table-of-content",
                                "index-body", "illustration-index", "alphabetical-index", "user-index"})) {
            stack.push_back(c.first_child());
        }
    }
}

std::string WordDocument::lineText(std::size_t i) const {
    std::string out;
    if (i >= paras_.size() || deleted_[i]) return out;
    if (format_ == PackageFormat::Ooxml) {
        std::vector<bool> fields;
        ooxmlText(paras_[i], out, fields);
    } else {
        out = odfParagraphText(paras_[i]);
    }
    return out;
}

bool WordDocument::setLineText(std::size_t i, std::string_view text) {
    if (i >= paras_.size() || deleted_[i]) return false;
    pugi::xml_node p = paras_[i];
    const std::string prefix = prefixOf(p);
    if (format_ == PackageFormat::Ooxml) {
        pugi::xml_document keep;
        if (pugi::xml_node run = firstTextRun(p))
            if (pugi::xml_node rPr = childLocal(run, "rPr")) keep.append_copy(rPr);
        for (pugi::xml_node c = p.first_child(); c;) {
            pugi::xml_node next = c.next_sibling();
            const std::string_view ln = c.type() == pugi::node_element ? localName(c) : std::string_view();
            if (!isOneOf(ln, {"pPr", "bookmarkStart", "bookmarkEnd", "commentRangeStart", "commentRangeEnd"}))
                removeNode(c);
            c = next;
        }
        appendOoxmlRun(p, prefix, keep.first_child(), text);
    } else {
        std::string spanStyle;
        if (pugi::xml_node span = firstTextSpan(p)) spanStyle = attrLocal(span, "style-name").value();
        for (pugi::xml_node c = p.first_child(); c;) {
            pugi::xml_node next = c.next_sibling();
            const std::string_view ln = c.type() == pugi::node_element ? localName(c) : std::string_view();
            if (!isOneOf(ln, {"bookmark", "bookmark-start", "bookmark-end"})) removeNode(c);
            c = next;
        }
        pugi::xml_node into = p;
        if (!spanStyle.empty()) {
            into = p.append_child((prefix + "span").c_str());
            into.append_attribute((prefix + "style-name").c_str()) = spanStyle.c_str();
        }
        appendOdfText(into, prefix, text);
    }
    dirty_ = true;
    return true;
}

bool WordDocument::deleteLine(std::size_t i) {
    if (i >= paras_.size() || deleted_[i]) return false;
    pugi::xml_node p = paras_[i];
    pugi::xml_node parent = p.parent();
    const std::string_view parentName = localName(parent);
    // Only "one or more than one" matters: counting on would make deleting
    // every paragraph of a long table cell quadratic.
    auto siblingParagraphs = [&] {
        int n = 0;
        for (pugi::xml_node c = parent.first_child(); c && n < 2; c = c.next_sibling())
            if (c.type() == pugi::node_element && isOneOf(localName(c), {"p", "h"})) ++n;
        return n;
    };
    if ((parentName == "tc" || parentName == "table-cell") && siblingParagraphs() <= 1) return false;
    if (liveCount_ <= 1) return false;

    if (format_ == PackageFormat::Ooxml) {
        pugi::xml_node prev = p.previous_sibling();
        while (prev && prev.type() != pugi::node_element) prev = prev.previous_sibling();
        pugi::xml_node next = p.next_sibling();
        while (next && (next.type() != pugi::node_element || localName(next) == "sectPr")) next = next.next_sibling();
        // The body has to end with a paragraph: its last one goes only when
        // another paragraph directly before it takes its place.
        if (parentName == "body" && !next && (!prev || localName(prev) != "p")) return false;
        // A paragraph that closes a section hands its section break on.
        pugi::xml_node sect = childLocal(childLocal(p, "pPr"), "sectPr");
        if (sect) {
            if (!prev || localName(prev) != "p") return false;
            pugi::xml_node prevPPr = childLocal(prev, "pPr");
            if (!prevPPr) prevPPr = prev.prepend_child((prefixOf(prev) + "pPr").c_str());
            if (!childLocal(prevPPr, "sectPr")) prevPPr.append_copy(sect);
        }
        removeNode(p);
    } else {
        removeNode(p);
        // An emptied list item (and then list) would show a stray bullet.
        pugi::xml_node n = parent;
        while (n && isOneOf(localName(n), {"list-item", "list-header", "list"})) {
            bool hasElements = false;
            for (pugi::xml_node c : n.children())
                if (c.type() == pugi::node_element) hasElements = true;
            if (hasElements) break;
            pugi::xml_node up = n.parent();
            removeNode(n);
            n = up;
        }
    }
    deleted_[i] = 1;
    --liveCount_;
    dirty_ = true;
    return true;
}

bool WordDocument::writeTo(const std::string& path) {
    if (!pkg_.isOpen()) return false;
    if (dirty_) pkg_.replace(mainPart_, serializeXml(doc_));
    return pkg_.writeTo(path);
}

} // namespace twinsift::office
