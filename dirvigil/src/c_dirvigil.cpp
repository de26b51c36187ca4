#include "c_dirvigil.h"

#include "notify_window.h"
#include "server.h"

#include "com_compat.h"

#include <new>

namespace Dirvigil {
namespace {

// Recursive watching reports names only, of files and folders, in the whole
// subtree; a single folder reports every kind of change to its own entries.
constexpr std::uint32_t kRecursiveFlags = kChangeFileName | kChangeDirName;             // 3
constexpr std::uint32_t kSingleFolderFlags = kChangeFileName | kChangeAttributes | kChangeSize |
                                             kChangeLastWrite | kChangeSecurity;         // 285
static_assert(kRecursiveFlags == 3 && kSingleFolderFlags == 285);

constexpr std::uint32_t kWaitMs = 100;

} // namespace

std::uint32_t WatchThreadProc(void* pArg)
{
    const HRESULT apartment = CoInitialize(nullptr);
    {
        // Making one object here lets the runtime prepare what it keeps per
        // thread for this library; the object itself is of no interest.
        IID iidUnknown{};
        CLSID clsidDummy{};
        IIDFromString(DV_OLESTR("{00000000-0000-0000-C000-000000000046}"), &iidUnknown);
        if (SUCCEEDED(CLSIDFromProgID(DV_OLESTR("Dirvigil.cDummy"), &clsidDummy))) {
            IUnknown* dummy = nullptr;
            CoCreateInstance(clsidDummy, nullptr, CLSCTX_INPROC_SERVER, iidUnknown, reinterpret_cast<void**>(&dummy));
            if (dummy) dummy->Release();
        }
    }
    auto* selfField = static_cast<std::atomic<cDirvigil*>*>(pArg);
    if (cDirvigil* watcher = selfField->load()) {
        watcher->AddRef();
        try {
            watcher->WatchLoop();
        } catch (...) {
            // Errors on the worker end the watching silently.
        }
        watcher->Release();
    }
    if (SUCCEEDED(apartment)) CoUninitialize();
    return 0;
}

HRESULT cDirvigil::CreateInstance(REFIID riid, void** ppv)
{
    auto* object = new (std::nothrow) cDirvigil();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

cDirvigil::cDirvigil()
{
    ObjectCreated();
}

cDirvigil::~cDirvigil()
{
    StopWatching();
    watch_.store(nullptr);
    ObjectDestroyed();
}

ULONG cDirvigil::AddRef()
{
    return ++refs_;
}

ULONG cDirvigil::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

void cDirvigil::StartWatching(const std::string& folder, std::uint32_t hwnd, bool recursive)
{
    // A second Create replaces the first watch rather than leaking its thread.
    StopWatching();
    auto watch = std::make_shared<Watch>();
    watch->hwnd = hwnd;
    watch->folder = folder;
    watch->changeEvent.Create(folder, recursive, recursive ? kRecursiveFlags : kSingleFolderFlags);
    watch_.store(std::move(watch));
    AddRef();
    self_ = this;
    auto thread = std::make_unique<cThread>();
    if (!thread->Create(&WatchThreadProc, &self_)) {
        self_ = nullptr;
        Release();
        return;
    }
    thread->DoResume();
    thread_ = std::move(thread);
}

void cDirvigil::StopWatching()
{
    cDirvigil* self = self_.exchange(nullptr);
    if (!self) return;
    if (auto watch = watch_.load()) watch->stopCounter += 1;
    if (thread_ && !thread_->WaitForDeath()) thread_->Kill();
    thread_.reset();
    // Last, so that the object outlives everything above even if the caller
    // held no reference of its own.
    self->Release();
}

void cDirvigil::WatchLoop()
{
    const std::shared_ptr<Watch> watch = watch_.load();
    if (!watch) return;
    while (watch->stopCounter.load() == 0) {
        const WaitResult r = watch->changeEvent.Wait(kWaitMs);
        if (r == WaitResult::Failed) return;
        if (r == WaitResult::TimedOut) continue;
        NotifyWindow(watch->hwnd, watch->folder, watch->stopCounter);
        if (watch->changeEvent.ContinueNotification() == 0) return;
    }
}

#ifndef _WIN32

HRESULT cDirvigil::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID__cDirvigil) {
        *ppv = static_cast<_cDirvigil*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT cDirvigil::raise(const DirvigilError& error)
{
    SetErrorInfo(kProgIdDirvigil, error.what());
    return error.number();
}

HRESULT cDirvigil::Create(const char* folder, std::uint32_t hwnd, bool recursive)
{
    try {
        StartWatching(folder ? folder : "", hwnd, recursive);
        return S_OK;
    } catch (const DirvigilError& e) {
        return raise(e);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT cDirvigil::Kill()
{
    StopWatching();
    return S_OK;
}

#endif

} // namespace Dirvigil
