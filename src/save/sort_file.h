#pragma once
// Sorts the lines of a finished text file in place (the "Sort lines" save option).

#include "scan/text_codec.h"

#include <functional>
#include <string>

namespace twinsift {

// Reads the file's lines (a line ends at CR or CR LF), Shell-sorts them with the
// collation (descending when asked) and rewrites the file with CR LF after every
// line. False, with nothing touched, for an empty path, a missing file or a
// 0-byte file; false as well when reading or writing fails (the file may then be
// truncated). `pump` lets window events run after reading and after sorting.
bool SortFile(const std::string& path, bool descending, const Collation& collation,
              const std::function<void()>& pump = {});

} // namespace twinsift
