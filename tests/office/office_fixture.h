#pragma once
// Builds small Office packages for the adapter's tests and reads them back.

#include "office/mod_office.h"
#include "settings/settings_values.h"

#include <string>
#include <utility>
#include <vector>

namespace twinsift::test {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Writes a zip archive with these entries (deflated) and returns its path.
std::string writePackage(const std::string& path, const Entries& entries);

// One entry of a package on disk, or "<missing>".
std::string packageEntry(const std::string& path, const std::string& name);

// A .docx whose body XML (the children of w:body) is given.
std::string writeDocx(const std::string& path, const std::string& bodyXml);

// A .xlsx with one worksheet whose sheetData children are given.
std::string writeXlsx(const std::string& path, const std::string& sheetDataXml, const std::string& extraSheetXml = {});

// Reads every line of a Word document, or every row of a worksheet column,
// through the adapter as the reader does.
std::vector<std::string> readWordLines(modOffice& office, const std::string& path);
std::vector<std::string> readExcelRows(modOffice& office, const std::string& path, int sheet, int column);

// The entries of an expected file with its escapes undone.
std::vector<std::string> readExpected(const std::string& path);

} // namespace twinsift::test
