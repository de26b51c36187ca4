#pragma once
// Turns the chosen source files into the lines of the loaded document.
//
// Text files are read whole into memory during the pre-count, so the loaded
// document never depends on the file staying as it was: another program may
// rewrite or truncate it while the document is open.

#include "scan/byte_block.h"
#include "scan/byte_count.h"
#include "scan/document.h"
#include "settings/settings_values.h"

#include <algorithm>
#include <cstdint>
#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace twinsift {

// Calls emit(begin, length) for every line of a text file's bytes: a line ends
// at CR or CR LF; a lone LF stays in the line; a terminator at the very end adds
// no empty line.
template <class Emit>
void forEachTextLine(const char* data, std::size_t size, Emit&& emit);

// Splits one line at every LF, dropping a last empty piece.
template <class Emit>
void forEachLfPiece(const char* data, std::size_t size, Emit&& emit);

struct CountResult {
    bool ok = true;
    std::int64_t total = 0; // T, the document's line count
    std::string error;      // the message text when !ok
};

// Source of the lines of a Word document or an Excel column (the Office adapter).
class OfficeLineSource {
public:
    virtual ~OfficeLineSource() = default;
    // Opens the document and returns its line or row count, or a failure text.
    virtual CountResult open(const std::string& path) = 0;
    // Next line, or false at the end (or after an error, see errorText()).
    virtual bool nextLine(std::string& line) = 0;
};

class SourceReader {
public:
    SourceReader(LoadedDocument& doc, const SettingsValues& settings, OfficeLineSource* office = nullptr)
        : doc_(doc), settings_(settings), office_(office) {}

    // The pre-count: fills lSourceFirstLine and lSourceLineCount, bSourceUnix,
    // and the document codec; returns T.
    CountResult CountLines();

    // The load pass: appends every line to lstOriginal and then calls
    // onLine(text); a false answer stops the pass (and LoadLines returns false).
    // `alongside` runs on another core meanwhile, where there is one, and is
    // asked to stop (through its flag) when the pass ends.
    bool LoadLines(const std::function<bool(std::string_view)>& onLine,
                   const std::function<void(const std::atomic<bool>*)>& alongside = {});

    // Removes a leading byte-order mark from each file's first line and records
    // it; onChanged(index, newText) is told of every line it shortens.
    void StripByteOrderMarks(const std::function<void(std::int32_t, std::string_view)>& onChanged = {});

private:
    struct FileData {
        ByteBlock bytes;
        std::size_t size = 0;
    };
    LoadedDocument& doc_;
    const SettingsValues& settings_;
    OfficeLineSource* office_;
    std::vector<FileData> files_;
};

// ---------------------------------------------------------------------------

// Calls onPiece(begin, length) for each piece of [data, data + size) that
// ends at `end` (an LF right after it going too, when skipLf) or at the end
// of the text; a separator at the very end adds no empty piece. The
// separators are found a window at a time (see findByteOffsets).
template <class Emit>
void forEachPiece(const char* data, std::size_t size, char end, bool skipLf, Emit&& onPiece) {
    std::uint16_t ends[kOffsetWindow + kOffsetSlack];
    std::size_t pos = 0; // where the next piece starts
    for (std::size_t w = 0; w < size; w += kOffsetWindow) {
        const std::size_t found = findByteOffsets(data + w, std::min(kOffsetWindow, size - w), end, ends);
        for (std::size_t h = 0; h < found; ++h) {
            const std::size_t at = w + ends[h];
            onPiece(data + pos, at - pos);
            pos = at + 1;
            if (skipLf && pos < size && data[pos] == '\n') ++pos;
        }
    }
    if (pos < size) onPiece(data + pos, size - pos);
}

template <class Emit>
void forEachTextLine(const char* data, std::size_t size, Emit&& onPiece) {
    forEachPiece(data, size, '\r', true, onPiece);
}

template <class Emit>
void forEachLfPiece(const char* data, std::size_t size, Emit&& onPiece) {
    forEachPiece(data, size, '\n', false, onPiece);
}

} // namespace twinsift
