#pragma once
// The empty creatable class. It exists to be made and released.

#include "dirvigil/dirvigil.h"

#include <atomic>

namespace Dirvigil {

class cDummy final : public _cDummy {
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
#else
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
#endif

private:
    cDummy();
    ~cDummy();
    std::atomic<ULONG> refs_{1};
};

} // namespace Dirvigil
