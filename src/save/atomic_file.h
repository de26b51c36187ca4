#pragma once
// Writing a file so that its readers only ever see the old or the complete new
// content: the text goes into a temporary file beside the target, is flushed to
// the disk, and then takes the target's place in one rename.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace twinsift {

// A sequential output file with a large buffer. Every failure is remembered;
// once failed, further writes do nothing and close() reports false.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or truncates the file.
    bool open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    bool write(std::string_view bytes);
    bool writeLine(std::string_view line) { return write(line) && write("\r\n"); }
    // Flushes the buffer, and with sync also the system's cache to the disk.
    bool close(bool sync = true);
    bool failed() const { return failed_; }

private:
    bool flushBuffer();
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

// The path the content really goes to: the file a symbolic link points to
// (followed to its end), else the path itself.
std::string ResolveWriteTarget(const std::string& target);

// True when the file exists and its owner may not write it.
bool IsWriteProtected(const std::string& path);
// Gives the owner write permission again; false when that failed.
bool ClearWriteProtection(const std::string& path);

// Replaces `target` by `temp` in one step: rename over it (the replace-existing
// move on Windows), with the target's permission bits carried over. The target
// is never missing, not even for a moment. Returns false, and leaves the target
// as it was, when that is not possible.
bool ReplaceFileAtomically(const std::string& temp, const std::string& target);

} // namespace twinsift
