#include "c_file_change_event.h"

#include "dirvigil/dirvigil.h"
#include "dirvigil_error.h"

#include <dirent.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace Dirvigil {
namespace {

constexpr std::uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

std::uint32_t maskFor(std::uint32_t flags, bool recursive)
{
    std::uint32_t mask = 0;
    if (flags & (kChangeFileName | kChangeDirName)) mask |= kNameEvents;
    if (flags & (kChangeAttributes | kChangeSecurity | kChangeLastWrite)) mask |= IN_ATTRIB;
    if (flags & (kChangeSize | kChangeLastWrite)) mask |= IN_MODIFY;
    // New subfolders must be seen to be watched, whatever is reported.
    if (recursive) mask |= IN_CREATE | IN_MOVED_TO;
    return mask;
}

bool isWatchedKind(const inotify_event& ev, std::uint32_t flags)
{
    if (ev.mask & IN_Q_OVERFLOW) return true; // changes were lost: better one too many
    if (ev.mask & kNameEvents)
        return (ev.mask & IN_ISDIR) ? (flags & kChangeDirName) != 0 : (flags & kChangeFileName) != 0;
    if (ev.mask & IN_ATTRIB) return (flags & (kChangeAttributes | kChangeSecurity | kChangeLastWrite)) != 0;
    if (ev.mask & IN_MODIFY) return (flags & (kChangeSize | kChangeLastWrite)) != 0;
    return false;
}

} // namespace

cFileChangeEvent::~cFileChangeEvent()
{
    if (handle_ != -1) ::close(static_cast<int>(handle_));
}

void cFileChangeEvent::Create(const std::string& folder, bool recursive, std::uint32_t notifyFlags)
{
    if (handle_ != -1) {
        ::close(static_cast<int>(handle_));
        handle_ = -1;
        watches_.clear();
    }
    recursive_ = recursive;
    flags_ = notifyFlags;
    mask_ = maskFor(notifyFlags, recursive);
    signalled_ = false;
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) throw DirvigilError(kErrNoChangeHandle, kErrNoChangeHandleText);
    handle_ = fd;
    if (folder.empty() || !addWatch(folder)) {
        ::close(fd);
        handle_ = -1;
        throw DirvigilError(kErrNoChangeHandle, kErrNoChangeHandleText);
    }
    if (recursive_) {
        // The root is watched already; only its subfolders remain.
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
                addSubtree(folder + "/" + entry->d_name);
            }
            ::closedir(dir);
        }
    }
}

bool cFileChangeEvent::addWatch(const std::string& path)
{
    const int wd = inotify_add_watch(static_cast<int>(handle_), path.c_str(), mask_ | IN_ONLYDIR);
    if (wd < 0) return false;
    watches_[wd] = path;
    return true;
}

void cFileChangeEvent::addSubtree(const std::string& path)
{
    // Not a folder (or gone): IN_ONLYDIR refuses it and there is nothing below.
    if (!addWatch(path)) return;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        if (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN) addSubtree(path + "/" + entry->d_name);
    }
    ::closedir(dir);
}

void cFileChangeEvent::removeSubtree(const std::string& path)
{
    const std::string below = path + "/";
    for (auto it = watches_.begin(); it != watches_.end();) {
        if (it->second == path || it->second.compare(0, below.size(), below) == 0) {
            inotify_rm_watch(static_cast<int>(handle_), it->first);
            it = watches_.erase(it);
        } else {
            ++it;
        }
    }
}

bool cFileChangeEvent::drainEvents()
{
    bool relevant = false;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), buffer, sizeof buffer);
        if (n <= 0) break; // EAGAIN: all read
        for (ssize_t pos = 0; pos < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buffer + pos);
            pos += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
            if (ev->mask & IN_IGNORED) {
                watches_.erase(ev->wd);
                continue;
            }
            if (recursive_ && (ev->mask & IN_ISDIR) && ev->len > 0) {
                if (auto it = watches_.find(ev->wd); it != watches_.end()) {
                    const std::string path = it->second + "/" + ev->name;
                    if (ev->mask & IN_MOVED_FROM) removeSubtree(path); // left the tree, or comes back renamed
                    if (ev->mask & (IN_CREATE | IN_MOVED_TO)) addSubtree(path);
                }
            }
            if ((ev->mask & mask_) || (ev->mask & IN_Q_OVERFLOW)) relevant = relevant || isWatchedKind(*ev, flags_);
        }
    }
    return relevant;
}

WaitResult cFileChangeEvent::Wait(std::uint32_t ms)
{
    if (handle_ == -1) return WaitResult::Failed;
    if (signalled_) return WaitResult::Signalled;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd pfd{static_cast<int>(handle_), POLLIN, 0};
        const int r = ::poll(&pfd, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (r < 0) {
            if (errno == EINTR) continue;
            return WaitResult::Failed;
        }
        if (r > 0 && drainEvents()) {
            signalled_ = true;
            return WaitResult::Signalled;
        }
        if (r == 0 || std::chrono::steady_clock::now() >= deadline) return WaitResult::TimedOut;
    }
}

std::int32_t cFileChangeEvent::ContinueNotification()
{
    if (handle_ == -1) return 0;
    signalled_ = false;
    return 1;
}

} // namespace Dirvigil
