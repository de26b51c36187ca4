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

// Removes characters that XML 1.0 cannot carry.
std::string xmlSafe(std::string_view utf8);

} // namespace twinsift::office
