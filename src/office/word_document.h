#pragma once
// A word-processing document (.docx family or .odt) seen as a list of lines:
// every paragraph of the main text is one line, in document order, including
// the paragraphs of table cells.

#include "office/zip_package.h"

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift::office {

enum class PackageFormat { Ooxml, Odf };

class WordDocument {
public:
    // False when the file is not a readable word-processing package.
    bool open(const std::string& path);
    void close();

    PackageFormat format() const { return format_; }
    std::size_t lineCount() const { return paras_.size(); }

    // Text of line i as the document holds it now (tabs, U+000B for a manual
    // line break, U+000C for a page break). Empty for a deleted line.
    std::string lineText(std::size_t i) const;

    // Replaces the text of line i; the new run takes the formatting of the
    // paragraph's first run.
    bool setLineText(std::size_t i, std::string_view text);

    // Removes the paragraph of line i. False when it cannot go: the only
    // paragraph of a table cell, or the one that has to end the body.
    bool deleteLine(std::size_t i);

    // Writes the package with its changes to path (complete, not atomic).
    bool writeTo(const std::string& path);

private:
    void collectOoxml(const pugi::xml_node& container);
    void collectOdf(const pugi::xml_node& container);

    ZipPackage pkg_;
    PackageFormat format_ = PackageFormat::Ooxml;
    std::string mainPart_;
    pugi::xml_document doc_;
    std::vector<pugi::xml_node> paras_;
    std::vector<char> deleted_;
    std::size_t liveCount_ = 0;
    bool dirty_ = false;
};

// Text of an OpenDocument paragraph (white space collapsed as the format
// prescribes, text:s blanks kept), and the reverse: appends text to an element.
std::string odfParagraphText(const pugi::xml_node& p);
void appendOdfText(pugi::xml_node into, const std::string& textPrefix, std::string_view text);

// Detects the flavour of an opened package from its parts; false when neither.
bool detectFormat(ZipPackage& pkg, PackageFormat& format, std::string& mainPart, std::string_view odfMimePrefix);

} // namespace twinsift::office
