#pragma once
// Writing a file so that its readers only ever see the old or the complete new
// content: the text goes into a temporary file beside the target, is flushed to
// the disk, and then takes the target's place in one rename.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace twinsift {

// A sequential output file with a large buffer. Every failure is remembered;
// once failed, further writes do nothing and close() reports false. Once the
// text outgrows one buffer, full buffers go to the file on a thread of their
// own while the next one fills, so the system's side of writing overlaps with
// whatever produces the text; a write failure then shows at a later write or
// at close().
class OutputFile {
public:
    OutputFile();
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or truncates the file.
    bool open(const std::string& path);
    // Creates a new temporary file beside `target` (see CreateTempBeside) and
    // opens it; its path is then tempPath(). False when no file could be made.
    bool openTempFor(const std::string& target);
    const std::string& tempPath() const { return tempPath_; }
    bool isOpen() const { return file_ != nullptr; }
    bool write(std::string_view bytes);
    bool writeLine(std::string_view line) { return write(line) && write("\r\n"); }
    // Flushes the buffer, and with sync also the system's cache to the disk.
    bool close(bool sync = true);
    bool failed() const { return failed_; }

private:
    struct Writer;
    // Hands the full buffer to the writer thread, starting it the first time.
    void handOver();
    // Waits until the writer thread has written everything handed to it.
    void drain();
    void stopWriter();
    // Writes straight to the file (the writer thread's work, or the caller's
    // while no buffer is with the writer).
    void writeOut(const char* data, std::size_t size);
    void startWriteBack();
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::unique_ptr<Writer> writer_;
    bool writeHere_ = false; // no writer thread could be started
    std::uint64_t written_ = 0;       // bytes handed to the file
    std::uint64_t writeBackFrom_ = 0; // the first of them not yet sent to the disk
    std::atomic<bool> failed_{false};
    std::string tempPath_;
};

// Creates a new, empty file beside `target` that nobody else has: its name is
// the target's with ".twinsifttemp" added, or with a number after that when
// the name is taken. The creation is exclusive and never follows a link, so a
// link planted at the name cannot redirect the write and a file of that name
// is never overwritten. On success `file` holds it open for writing (when
// given) and the path is returned; on failure the answer is empty.
std::string CreateTempBeside(const std::string& target, std::FILE** file = nullptr);

// Removes a temporary file when it goes out of scope, unless released (after
// the file took the target's place).
class TempFileGuard {
public:
    TempFileGuard() = default;
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    ~TempFileGuard();
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    void reset(std::string path);
    void release() { path_.clear(); }
    // Removes the file now.
    void remove();
    const std::string& path() const { return path_; }

private:
    std::string path_;
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
