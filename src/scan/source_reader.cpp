#include "scan/source_reader.h"

#include "scan/byte_count.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>
#include <thread>

namespace twinsift {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

// From this size on, a buffer's fresh pages are faulted in on the other core
// while it fills.
constexpr std::size_t kPrefaultFrom = 4u << 20;

// Checks UTF-8 while a file streams in, chunk by chunk, so the bytes are still
// in the cache; a sequence cut by the chunk's end waits for the next chunk.
class Utf8Checker {
public:
    void feed(const char* data, std::size_t upTo, bool final) {
        if (!valid_ || upTo <= done_) return;
        std::size_t end = upTo;
        if (!final) {
            std::size_t back = 0;
            while (back < 3 && end > done_ && (static_cast<unsigned char>(data[end - 1]) & 0xC0) == 0x80) {
                --end;
                ++back;
            }
            if (end > done_ && static_cast<unsigned char>(data[end - 1]) >= 0xC0) --end;
        }
        valid_ = isValidUtf8(data + done_, end - done_);
        done_ = end;
    }
    bool valid() const { return valid_; }

private:
    std::size_t done_ = 0;
    bool valid_ = true;
};

struct FileScan {
    std::size_t crCount = 0;
    bool utf8 = true;
};

// Reads a whole file, counting CRs and checking UTF-8 on the way; false when it
// cannot be opened or read.
bool readWholeFile(const std::string& path, ByteBlock& out, std::size_t& size, FileScan& scan) {
    constexpr std::size_t kChunk = 4u << 20;
    std::error_code ec;
    const auto expected = std::filesystem::file_size(std::filesystem::u8path(path), ec);
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    std::setvbuf(f.get(), nullptr, _IONBF, 0);
    std::size_t cap = ec ? std::size_t{1} << 16 : static_cast<std::size_t>(expected) + 1;
    ByteBlock buf(cap);
    // Fresh memory costs a page fault per page, and on virtual machines that is
    // most of the load time; the other core takes those faults ahead of the reader.
    std::atomic<bool> stopPrefault{false};
    std::thread prefaulter;
    if (cap >= kPrefaultFrom) {
        try {
            prefaulter = std::thread([p = buf.data(), cap, &stopPrefault] { prefaultFreshBlock(p, cap, &stopPrefault); });
        } catch (const std::system_error&) {
            // No thread to spare: the reader takes the faults itself.
        }
    }
    auto stopPrefaulting = [&] {
        stopPrefault = true;
        if (prefaulter.joinable()) prefaulter.join();
    };
    struct Join {
        decltype(stopPrefaulting)& stop;
        ~Join() { stop(); }
    } join{stopPrefaulting};
    std::size_t got = 0;
    Utf8Checker utf8;
    scan = FileScan{};
    for (;;) {
        if (got == cap) {
            // The file grew while we read it: keep going into a larger block.
            stopPrefaulting();
            ByteBlock bigger(cap * 2);
            std::memcpy(bigger.data(), buf.data(), got);
            buf = std::move(bigger);
            cap *= 2;
        }
        const std::size_t n = std::fread(buf.data() + got, 1, std::min(kChunk, cap - got), f.get());
        if (n == 0) break;
        scan.crCount += countByte(buf.data() + got, n, '\r');
        got += n;
        utf8.feed(buf.data(), got, false);
    }
    if (std::ferror(f.get())) return false;
    utf8.feed(buf.data(), got, true);
    scan.utf8 = utf8.valid();
    out = std::move(buf);
    size = got;
    return true;
}

struct LineShape {
    std::int64_t count = 0;
    bool lfOnly = false;
};

LineShape shapeOf(const char* data, std::size_t size, std::size_t crCount) {
    LineShape s;
    // Every CR ends a line (an LF right after it belongs to it); text after the
    // last terminator is one more line.
    const bool endsWithTerminator =
        size > 0 && (data[size - 1] == '\r' || (data[size - 1] == '\n' && size >= 2 && data[size - 2] == '\r'));
    s.count = static_cast<std::int64_t>(crCount) + (size > 0 && !endsWithTerminator ? 1 : 0);
    if (s.count == 1) {
        std::size_t firstLen = 0;
        forEachTextLine(data, size, [&](const char*, std::size_t n) { firstLen = n; });
        if (firstLen > 0) {
            std::int64_t pieces = 0;
            forEachLfPiece(data, firstLen, [&](const char*, std::size_t) { ++pieces; });
            if (pieces > 1) {
                s.count = pieces;
                s.lfOnly = true;
            }
        }
    }
    return s;
}

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

} // namespace

CountResult SourceReader::CountLines() {
    CountResult r;
    files_.clear();
    const std::size_t n = doc_.fileCount();
    if (doc_.bDocIsWord || doc_.bDocIsExcel) {
        doc_.codec = Codec::Utf8; // their text arrives as Unicode
        if (!office_) {
            r.ok = false;
            r.error = doc_.bDocIsWord ? "Error Initializing Word" : "Error Initializing Excel";
            return r;
        }
        CountResult o = office_->open(doc_.sSourceFiles.at(0));
        if (!o.ok) return o;
        if (o.total == 0) {
            r.ok = false;
            r.error = "Error: File is empty!";
            return r;
        }
        doc_.lSourceFirstLine.at(0) = 0;
        doc_.lSourceLineCount.at(0) = static_cast<std::int32_t>(o.total);
        r.total = o.total;
        return r;
    }

    bool allUtf8 = true;
    files_.resize(n);
    for (std::size_t f = 0; f < n; ++f) {
        doc_.lSourceFirstLine[f] = static_cast<std::int32_t>(r.total);
        FileData& fd = files_[f];
        FileScan scan;
        if (!readWholeFile(doc_.sSourceFiles[f], fd.bytes, fd.size, scan)) {
            r.ok = false;
            r.error = "Error: Can't Open File...";
            files_.clear();
            return r;
        }
        allUtf8 = allUtf8 && scan.utf8;
        const LineShape s = shapeOf(fd.bytes.data(), fd.size, scan.crCount);
        doc_.bSourceUnix[f] = s.lfOnly;
        doc_.lSourceLineCount[f] = static_cast<std::int32_t>(s.count);
        r.total += s.count;
        if (r.total > std::numeric_limits<std::int32_t>::max()) {
            r.ok = false;
            r.error = "Error: File is too large!";
            files_.clear();
            return r;
        }
    }
    doc_.codec = allUtf8 ? Codec::Utf8 : Codec::Windows1252;
    return r;
}

bool SourceReader::LoadLines(const std::function<bool(std::string_view)>& onLine,
                             const std::function<void(const std::atomic<bool>*)>& alongside) {
    clsListEmu& list = doc_.lstOriginal;
    const bool convert = settings_.bConvertNBSPToSpace;
    const Codec codec = doc_.codec;

    if (doc_.bDocIsWord || doc_.bDocIsExcel) {
        if (!office_) return true;
        std::string line;
        while (office_->nextLine(line)) {
            if (convert) line.resize(convertNoBreakSpaces(line.data(), line.size(), codec));
            list.AddItem(line);
            if (!onLine(list.ListView(list.ListCount() - 1))) return false;
        }
        return true;
    }

    std::int64_t total = 0;
    for (std::size_t f = 0; f < files_.size(); ++f) total += doc_.lSourceLineCount[f];
    list.Reserve(static_cast<std::size_t>(total));
    // As when reading: the other core faults in the item pages ahead of the
    // loop, and then does what the caller gave it.
    std::atomic<bool> stopPrefault{false};
    std::thread prefaulter;
    if (const auto [items, bytes] = list.ItemStorage(); bytes >= kPrefaultFrom || alongside) {
        try {
            prefaulter = std::thread([items = items, bytes = bytes, &stopPrefault, &alongside] {
                if (bytes >= kPrefaultFrom) prefaultFreshBlock(items, bytes, &stopPrefault);
                if (alongside) alongside(&stopPrefault);
            });
        } catch (const std::system_error&) {
        }
    }
    struct Join {
        std::thread& t;
        std::atomic<bool>& stop;
        ~Join() {
            stop = true;
            if (t.joinable()) t.join();
        }
    } join{prefaulter, stopPrefault};

    for (std::size_t f = 0; f < files_.size(); ++f) {
        FileData& fd = files_[f];
        std::size_t size = fd.size;
        // Converting before splitting gives the same lines: neither form of the
        // no-break space touches CR or LF.
        if (convert) size = convertNoBreakSpaces(fd.bytes.data(), size, codec);
        const char* base = list.AdoptBlock(std::move(fd.bytes));
        bool go = true;
        auto add = [&](const char* p, std::size_t len) {
            if (!go) return;
            list.AddBlockLine(p, static_cast<std::uint32_t>(len));
            go = onLine(std::string_view(p, len));
        };
        if (doc_.bSourceUnix[f]) {
            std::size_t firstLen = 0;
            forEachTextLine(base, size, [&](const char*, std::size_t n) { firstLen = n; });
            forEachLfPiece(base, firstLen, add);
        } else {
            forEachTextLine(base, size, add);
        }
        if (!go) {
            files_.clear();
            return false;
        }
    }
    files_.clear();
    return true;
}

void SourceReader::StripByteOrderMarks(const std::function<void(std::int32_t, std::string_view)>& onChanged) {
    static constexpr std::string_view utf8Bom("\xEF\xBB\xBF", 3);
    static constexpr std::string_view marks[] = {
        std::string_view("\xFE\xFF", 2),
        std::string_view("\xFF\xFE", 2),
        std::string_view("\x00\x00\xFE\xFF", 4),
    };
    doc_.bBomFound = false;
    clsListEmu& list = doc_.lstOriginal;
    for (std::size_t f = 0; f < doc_.fileCount(); ++f) {
        doc_.bSourceMultibyte[f] = 0;
        const std::int32_t index = doc_.lSourceFirstLine[f];
        if (index < 0 || index >= list.ListCount()) continue;
        const std::string_view line = list.ListView(index);
        std::size_t cut = 0;
        if (startsWith(line, utf8Bom)) {
            cut = utf8Bom.size();
        } else {
            for (auto m : marks)
                if (startsWith(line, m)) {
                    cut = m.size();
                    doc_.bSourceMultibyte[f] = 1;
                    break;
                }
        }
        if (cut == 0) continue;
        doc_.bBomFound = true;
        list.List(index, line.substr(cut));
        if (onChanged) onChanged(index, list.ListView(index));
    }
}

} // namespace twinsift
