#pragma once
// Small helpers over pugixml for the package parts.

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace twinsift::office {

// Parses a part. Refuses any document type declaration: Office parts never
// carry one, and refusing it keeps entity tricks out entirely.
bool parseXml(pugi::xml_document& doc, const std::string& bytes);

// The part's bytes as written back (its own declaration kept).
std::string serializeXml(const pugi::xml_document& doc);

// Name without its namespace prefix.
std::string_view localName(const pugi::xml_node& n);
std::string_view localName(const pugi::xml_attribute& a);
// The prefix of a node's name including the colon ("w:"), or empty.
std::string prefixOf(const pugi::xml_node& n);

// First child / attribute with this local name.
pugi::xml_node childLocal(const pugi::xml_node& n, std::string_view local);
pugi::xml_attribute attrLocal(const pugi::xml_node& n, std::string_view local);

// What a tree walk does after visiting a node.
enum class Walk { Skip, Descend, Stop };

// Visits the descendants of `root` in document order without recursion, so
// that a part nested as deep as its bytes allow cannot exhaust the stack.
// visit(node) answers whether to go into that node's children.
template <class Visit>
void walkTree(const pugi::xml_node& root, Visit&& visit) {
    pugi::xml_node n = root.first_child();
    while (n) {
        const Walk w = visit(n);
        if (w == Walk::Stop) return;
        if (w == Walk::Descend && n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != root && !n.next_sibling()) n = n.parent();
        if (n == root) return;
        n = n.next_sibling();
    }
}

// Removes a node with everything in it. pugixml frees a subtree by
// recursion; this takes it apart from the leaves up instead.
void removeNode(pugi::xml_node n);

// Removes characters that XML 1.0 cannot carry.
std::string xmlSafe(std::string_view utf8);

} // namespace twinsift::office
