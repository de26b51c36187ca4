#include "save/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace twinsift {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

fs::path toPath(const std::string& s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}

bool syncFile(std::FILE* f) {
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return ::fsync(::fileno(f)) == 0;
#endif
}

#ifndef _WIN32
// Makes the rename itself durable: without it a power loss may bring back the
// old directory entry even though rename() returned.
void syncDirectoryOf(const fs::path& file) {
    fs::path dir = file.parent_path();
    if (dir.empty()) dir = ".";
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
#endif

// Creates the file only when nothing (not even a dangling link) has the name.
std::FILE* createExclusive(const std::string& path) {
#ifdef _WIN32
    const int fd = _wopen(toPath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* f = _fdopen(fd, "wb");
    if (!f) _close(fd);
    return f;
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) ::close(fd);
    return f;
#endif
}

bool nameTaken() {
    return errno == EEXIST
#ifndef _WIN32
           || errno == ELOOP
#endif
        ;
}

} // namespace

std::string CreateTempBeside(const std::string& target, std::FILE** file) {
    const std::string base = target + ".twinsifttemp";
    // A few names in a row, then ones nobody can predict: someone who plants
    // files at every numbered name only delays the save, never redirects it.
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = base;
        if (attempt > 0 && attempt < 10) name += std::to_string(attempt);
        else if (attempt >= 10) name += std::to_string(rd());
        std::FILE* f = createExclusive(name);
        if (f) {
            if (file) *file = f;
            else std::fclose(f);
            return name;
        }
        if (!nameTaken()) return {};
    }
    return {};
}

TempFileGuard::~TempFileGuard() { remove(); }

void TempFileGuard::reset(std::string path) {
    remove();
    path_ = std::move(path);
}

void TempFileGuard::remove() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove(toPath(path_), ec);
    path_.clear();
}

struct OutputFile::Writer {
    std::thread thread;
    std::mutex m;
    std::condition_variable cv;
    std::unique_ptr<char[]> buffer; // being written while `size` is not 0
    std::size_t size = 0;
    bool stop = false;
};

OutputFile::OutputFile() = default;

OutputFile::~OutputFile() {
    stopWriter();
    if (file_) std::fclose(file_);
}

void OutputFile::handOver() {
    if (!writer_ && !writeHere_) {
        writer_ = std::make_unique<Writer>();
        writer_->buffer = std::make_unique<char[]>(kBufferSize);
        try {
            writer_->thread = std::thread([this, &w = *writer_] {
                std::unique_lock<std::mutex> lock(w.m);
                for (;;) {
                    w.cv.wait(lock, [&] { return w.size > 0 || w.stop; });
                    if (w.size == 0) return;
                    const std::size_t size = w.size;
                    lock.unlock();
                    writeOut(w.buffer.get(), size);
                    lock.lock();
                    w.size = 0;
                    w.cv.notify_all();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one writes, now and from now on.
            writer_.reset();
            writeHere_ = true;
        }
    }
    if (writeHere_) {
        writeOut(buffer_.get(), used_);
        used_ = 0;
        return;
    }
    Writer& w = *writer_;
    std::unique_lock<std::mutex> lock(w.m);
    w.cv.wait(lock, [&] { return w.size == 0; });
    std::swap(buffer_, w.buffer);
    w.size = used_;
    used_ = 0;
    w.cv.notify_all();
}

void OutputFile::drain() {
    if (!writer_) return;
    Writer& w = *writer_;
    std::unique_lock<std::mutex> lock(w.m);
    w.cv.wait(lock, [&] { return w.size == 0; });
}

void OutputFile::stopWriter() {
    if (!writer_) return;
    {
        std::lock_guard<std::mutex> lock(writer_->m);
        writer_->stop = true;
    }
    writer_->cv.notify_all();
    writer_->thread.join();
    writer_.reset();
}

bool OutputFile::open(const std::string& path) {
    if (file_) close(false);
    failed_ = false;
    writeHere_ = false;
    used_ = 0;
    written_ = writeBackFrom_ = 0;
#ifdef _WIN32
    file_ = _wfopen(toPath(path).c_str(), L"wb");
#else
    file_ = std::fopen(path.c_str(), "wb");
#endif
    if (!file_) {
        failed_ = true;
        return false;
    }
    if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
    return true;
}

bool OutputFile::openTempFor(const std::string& target) {
    if (file_) close(false);
    failed_ = false;
    writeHere_ = false;
    used_ = 0;
    written_ = writeBackFrom_ = 0;
    tempPath_ = CreateTempBeside(target, &file_);
    if (tempPath_.empty()) {
        file_ = nullptr;
        failed_ = true;
        return false;
    }
    if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
    return true;
}

void OutputFile::writeOut(const char* data, std::size_t size) {
    if (!failed_ && std::fwrite(data, 1, size, file_) != size) failed_ = true;
    written_ += size;
    startWriteBack();
}

void OutputFile::startWriteBack() {
#if defined(__linux__) && defined(SYNC_FILE_RANGE_WRITE)
    // A big file goes to the disk while the rest is being written, so the
    // sync at the end has little left to wait for.
    constexpr std::uint64_t kStep = 8u << 20;
    if (failed_ || written_ - writeBackFrom_ < kStep) return;
    if (std::fflush(file_) != 0) {
        failed_ = true;
        return;
    }
    // Only a hint: where it is not supported the sync at the end does it all.
    ::sync_file_range(::fileno(file_), static_cast<off_t>(writeBackFrom_), static_cast<off_t>(written_ - writeBackFrom_),
                      SYNC_FILE_RANGE_WRITE);
    writeBackFrom_ = written_;
#endif
}

bool OutputFile::write(std::string_view bytes) {
    if (!file_ || failed_) return false;
    if (used_ + bytes.size() > kBufferSize) {
        if (bytes.size() > kBufferSize) {
            // Too big for a buffer: written from where it is, after what came before.
            if (used_ > 0) handOver();
            drain();
            writeOut(bytes.data(), bytes.size());
            return !failed_;
        }
        handOver();
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    return true;
}

bool OutputFile::close(bool sync) {
    if (!file_) return false;
    if (used_ > 0) {
        if (writer_) handOver();
        else writeOut(buffer_.get(), used_);
        used_ = 0;
    }
    stopWriter();
    if (!failed_ && std::fflush(file_) != 0) failed_ = true;
    if (!failed_ && sync && !syncFile(file_)) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
}

std::string ResolveWriteTarget(const std::string& target) {
    std::error_code ec;
    fs::path p = toPath(target);
    // A chain of links ends at the file that holds the content; a loop gives up
    // after a bounded number of steps and writes the link's own path.
    for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
        fs::path next = fs::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    const std::u8string s = p.lexically_normal().u8string();
    return std::string(s.begin(), s.end());
}

bool IsWriteProtected(const std::string& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(toPath(path), ec);
    if (ec || !fs::exists(st)) return false;
#ifdef _WIN32
    const DWORD attrs = GetFileAttributesW(toPath(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
#else
    return (st.permissions() & fs::perms::owner_write) == fs::perms::none;
#endif
}

bool ClearWriteProtection(const std::string& path) {
#ifdef _WIN32
    return SetFileAttributesW(toPath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
#else
    std::error_code ec;
    fs::permissions(toPath(path), fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
#endif
}

bool ReplaceFileAtomically(const std::string& temp, const std::string& target) {
    const fs::path tempPath = toPath(temp);
    const fs::path targetPath = toPath(target);
    std::error_code ec;
#ifdef _WIN32
    return MoveFileExW(tempPath.c_str(), targetPath.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    const fs::file_status st = fs::status(targetPath, ec);
    if (!ec && fs::exists(st)) {
        if (fs::is_directory(st)) return false;
        fs::permissions(tempPath, st.permissions() & fs::perms::mask, fs::perm_options::replace, ec);
        if (ec) return false;
    }
    // A big file that is replaced gives its space back when its last name
    // goes, which takes a while: held open here, it goes when closed, and
    // that is left to a thread of its own.
    int old = -1;
    if (!ec && fs::is_regular_file(st) && fs::file_size(targetPath, ec) >= (16u << 20) && !ec)
        old = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    const bool renamed = std::rename(temp.c_str(), target.c_str()) == 0;
    if (old >= 0) {
        try {
            std::thread([old] { ::close(old); }).detach();
        } catch (const std::system_error&) {
            ::close(old);
        }
    }
    if (!renamed) return false;
    syncDirectoryOf(targetPath);
    return true;
#endif
}

} // namespace twinsift
