#include "c_thread.h"

#include <windows.h>

namespace Dirvigil {
namespace {

struct Start {
    ThreadProc fun;
    void* arg;
};

DWORD WINAPI trampoline(LPVOID param)
{
    const Start start = *static_cast<Start*>(param);
    delete static_cast<Start*>(param);
    return start.fun(start.arg);
}

} // namespace

bool cThread::Create(ThreadProc pFun, void* pArg)
{
    if (handle_) return false;
    auto* start = new Start{pFun, pArg};
    handle_ = CreateThread(nullptr, 0, &trampoline, start, CREATE_SUSPENDED, &id_);
    if (!handle_) {
        delete start;
        return false;
    }
    return true;
}

void cThread::DoResume()
{
    if (handle_) ResumeThread(handle_);
}

bool cThread::WaitForDeath()
{
    return !handle_ || WaitForSingleObject(handle_, 2000) == WAIT_OBJECT_0;
}

void cThread::Kill()
{
    // Only for a worker that would not end by itself; it may leave whatever
    // it held behind.
    if (handle_) TerminateThread(handle_, 0);
}

cThread::~cThread()
{
    if (handle_) CloseHandle(handle_);
}

} // namespace Dirvigil
