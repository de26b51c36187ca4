#include "office/xml_util.h"

#include <sstream>

namespace twinsift::office {

bool parseXml(pugi::xml_document& doc, const std::string& bytes) {
    const unsigned flags = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration | pugi::parse_doctype;
    const pugi::xml_parse_result r = doc.load_buffer(bytes.data(), bytes.size(), flags, pugi::encoding_auto);
    if (!r) return false;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype) return false;
    return static_cast<bool>(doc.document_element());
}

namespace {
struct StringWriter final : pugi::xml_writer {
    std::string out;
    void write(const void* data, std::size_t size) override { out.append(static_cast<const char*>(data), size); }
};
} // namespace

std::string serializeXml(const pugi::xml_document& doc) {
    StringWriter w;
    doc.save(w, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(w.out);
}

std::string_view localName(const pugi::xml_node& n) {
    std::string_view s = n.name();
    const std::size_t c = s.find(':');
    return c == std::string_view::npos ? s : s.substr(c + 1);
}

std::string_view localName(const pugi::xml_attribute& a) {
    std::string_view s = a.name();
    const std::size_t c = s.find(':');
    return c == std::string_view::npos ? s : s.substr(c + 1);
}

std::string prefixOf(const pugi::xml_node& n) {
    std::string_view s = n.name();
    const std::size_t c = s.find(':');
    return c == std::string_view::npos ? std::string() : std::string(s.substr(0, c + 1));
}

pugi::xml_node childLocal(const pugi::xml_node& n, std::string_view local) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c) == local) return c;
    return {};
}

pugi::xml_attribute attrLocal(const pugi::xml_node& n, std::string_view local) {
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
        if (localName(a) == local) return a;
    return {};
}

void removeNode(pugi::xml_node n) {
    if (!n || !n.parent()) return;
    pugi::xml_node cur = n;
    for (;;) {
        while (cur.first_child()) cur = cur.first_child();
        if (cur == n) break;
        pugi::xml_node up = cur.parent();
        up.remove_child(cur);
        cur = up;
    }
    n.parent().remove_child(n);
}

std::string xmlSafe(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') continue;
        // U+FFFE and U+FFFF are not XML characters either.
        if (c == 0xEF && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(s[i + 2]) == 0xBE || static_cast<unsigned char>(s[i + 2]) == 0xBF)) {
            i += 2;
            continue;
        }
        out.push_back(static_cast<char>(c));
    }
    return out;
}

} // namespace twinsift::office
