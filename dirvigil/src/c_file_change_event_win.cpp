#include "c_file_change_event.h"

#include "dirvigil/dirvigil.h"
#include "dirvigil_error.h"

#include <windows.h>

namespace Dirvigil {

cFileChangeEvent::~cFileChangeEvent()
{
    if (handle_ != -1) FindCloseChangeNotification(reinterpret_cast<HANDLE>(handle_));
}

void cFileChangeEvent::Create(const std::string& folder, bool recursive, std::uint32_t notifyFlags)
{
    if (handle_ != -1) {
        FindCloseChangeNotification(reinterpret_cast<HANDLE>(handle_));
        handle_ = -1;
    }
    const HANDLE h = FindFirstChangeNotificationA(folder.c_str(), recursive ? TRUE : FALSE, notifyFlags);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) throw DirvigilError(kErrNoChangeHandle, kErrNoChangeHandleText);
    handle_ = reinterpret_cast<std::intptr_t>(h);
}

WaitResult cFileChangeEvent::Wait(std::uint32_t ms)
{
    if (handle_ == -1) return WaitResult::Failed;
    switch (WaitForSingleObject(reinterpret_cast<HANDLE>(handle_), ms)) {
    case WAIT_OBJECT_0: return WaitResult::Signalled;
    case WAIT_TIMEOUT: return WaitResult::TimedOut;
    default: return WaitResult::Failed;
    }
}

std::int32_t cFileChangeEvent::ContinueNotification()
{
    if (handle_ == -1) return 0;
    return FindNextChangeNotification(reinterpret_cast<HANDLE>(handle_)) ? 1 : 0;
}

} // namespace Dirvigil
