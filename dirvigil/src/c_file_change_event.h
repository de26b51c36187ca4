#pragma once
// Owns one change-notification handle on a folder. The handle is signalled
// by a change of one of the kinds asked for and stays so until
// ContinueNotification re-arms it.

#include <cstdint>
#include <map>
#include <string>

namespace Dirvigil {

// Change kinds, numbered as the platform numbers them.
inline constexpr std::uint32_t kChangeFileName = 0x001;
inline constexpr std::uint32_t kChangeDirName = 0x002;
inline constexpr std::uint32_t kChangeAttributes = 0x004;
inline constexpr std::uint32_t kChangeSize = 0x008;
inline constexpr std::uint32_t kChangeLastWrite = 0x010;
inline constexpr std::uint32_t kChangeSecurity = 0x100;

enum class WaitResult { Signalled, TimedOut, Failed };

class cFileChangeEvent {
public:
    cFileChangeEvent() = default;
    ~cFileChangeEvent();
    cFileChangeEvent(const cFileChangeEvent&) = delete;
    cFileChangeEvent& operator=(const cFileChangeEvent&) = delete;

    // Throws DirvigilError(0x80040000) when the folder cannot be watched.
    void Create(const std::string& folder, bool recursive, std::uint32_t notifyFlags);
    std::intptr_t Handle() const { return handle_; }
    // Waits up to `ms` for the handle to be signalled.
    WaitResult Wait(std::uint32_t ms);
    // Non-zero on success.
    std::int32_t ContinueNotification();

private:
    std::intptr_t handle_ = -1;
#ifndef _WIN32
    bool addWatch(const std::string& path);
    void addSubtree(const std::string& path);
    void removeSubtree(const std::string& path);
    // Reads what the kernel queued; true when any event is of a watched kind.
    bool drainEvents();

    bool recursive_ = false;
    std::uint32_t flags_ = 0;
    std::uint32_t mask_ = 0;
    bool signalled_ = false;
    std::map<int, std::string> watches_;
#endif
};

} // namespace Dirvigil
