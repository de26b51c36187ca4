#pragma once
// The folder watcher behind the class cDirvigil.

#include "dirvigil/dirvigil.h"

#include "c_file_change_event.h"
#include "c_thread.h"
#include "dirvigil_error.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace Dirvigil {

std::uint32_t WatchThreadProc(void* pArg);

class cDirvigil final : public _cDirvigil
#ifdef _WIN32
    , public ISupportErrorInfo
#endif
{
public:
    static HRESULT CreateInstance(REFIID riid, void** ppv);

#ifdef _WIN32
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;
    HRESULT STDMETHODCALLTYPE Create(BSTR* folder, long hwnd, VARIANT_BOOL recursive) override;
    HRESULT STDMETHODCALLTYPE Kill() override;
#else
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Create(const char* folder, std::uint32_t hwnd, bool recursive) override;
    HRESULT Kill() override;
#endif

    // Throws DirvigilError when the folder cannot be watched.
    void StartWatching(const std::string& folder, std::uint32_t hwnd, bool recursive);
    void StopWatching();
    // Runs on the worker until the stop counter is raised or the handle fails.
    void WatchLoop();

private:
    cDirvigil();
    ~cDirvigil();
    HRESULT raise(const DirvigilError& error);

    std::atomic<ULONG> refs_{1};
    // What one Create starts and its worker reads. A worker that had to be
    // let go keeps its own watch, so a later Create cannot pull anything
    // from under it.
    struct Watch {
        std::uint32_t hwnd = 0;
        std::string folder;
        std::atomic<std::int32_t> stopCounter{0};
        cFileChangeEvent changeEvent;
    };
    std::atomic<std::shared_ptr<Watch>> watch_;
    std::unique_ptr<cThread> thread_;
    // Counted while set. Its address is what the worker starts with.
    std::atomic<cDirvigil*> self_{nullptr};
};

} // namespace Dirvigil
