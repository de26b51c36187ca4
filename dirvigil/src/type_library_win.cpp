// The type library, written beside the DLL when it registers. Early-bound
// clients and object browsers read the classes and their interfaces from it.

#include "type_library_win.h"

#include "dirvigil/dirvigil.h"

#include <oleauto.h>

namespace Dirvigil {
namespace {

// Releases a COM pointer when it goes.
template <typename T>
struct Ref {
    T* p = nullptr;
    ~Ref()
    {
        if (p) p->Release();
    }
    T** put() { return &p; }
    T* operator->() const { return p; }
};

HRESULT addInterface(ICreateTypeLib2* lib, ITypeInfo* dispatch, const wchar_t* name, const GUID& iid, bool withMethods,
                     ITypeInfo** made)
{
    Ref<ICreateTypeInfo> info;
    HRESULT hr = lib->CreateTypeInfo(const_cast<LPOLESTR>(name), TKIND_INTERFACE, info.put());
    if (FAILED(hr)) return hr;
    info->SetGuid(iid);
    info->SetVersion(1, 0);
    info->SetTypeFlags(TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION);
    HREFTYPE base = 0;
    if (FAILED(hr = info->AddRefTypeInfo(dispatch, &base)) || FAILED(hr = info->AddImplType(0, base))) return hr;

    if (withMethods) {
        // Create([in, out] BSTR* folder, [in] long hwnd, [in, optional, defaultvalue(False)] VARIANT_BOOL recursive)
        TYPEDESC bstr{};
        bstr.vt = VT_BSTR;
        PARAMDESCEX recursiveDefault{};
        recursiveDefault.cBytes = sizeof recursiveDefault;
        V_VT(&recursiveDefault.varDefaultValue) = VT_BOOL;
        V_BOOL(&recursiveDefault.varDefaultValue) = VARIANT_FALSE;
        ELEMDESC params[3]{};
        params[0].tdesc.vt = VT_PTR;
        params[0].tdesc.lptdesc = &bstr;
        params[0].paramdesc.wParamFlags = PARAMFLAG_FIN | PARAMFLAG_FOUT;
        params[1].tdesc.vt = VT_I4;
        params[1].paramdesc.wParamFlags = PARAMFLAG_FIN;
        params[2].tdesc.vt = VT_BOOL;
        params[2].paramdesc.wParamFlags = PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
        params[2].paramdesc.pparamdescex = &recursiveDefault;

        FUNCDESC create{};
        create.memid = 1;
        create.funckind = FUNC_PUREVIRTUAL;
        create.invkind = INVOKE_FUNC;
        create.callconv = CC_STDCALL;
        create.cParams = 3;
        create.lprgelemdescParam = params;
        create.elemdescFunc.tdesc.vt = VT_HRESULT;
        FUNCDESC kill = create;
        kill.memid = 2;
        kill.cParams = 0;
        kill.lprgelemdescParam = nullptr;
        if (FAILED(hr = info->AddFuncDesc(0, &create)) || FAILED(hr = info->AddFuncDesc(1, &kill))) return hr;
        LPOLESTR createNames[] = {const_cast<LPOLESTR>(L"Create"), const_cast<LPOLESTR>(L"folder"),
                                  const_cast<LPOLESTR>(L"hwnd"), const_cast<LPOLESTR>(L"recursive")};
        LPOLESTR killNames[] = {const_cast<LPOLESTR>(L"Kill")};
        if (FAILED(hr = info->SetFuncAndParamNames(0, createNames, 4)) ||
            FAILED(hr = info->SetFuncAndParamNames(1, killNames, 1)))
            return hr;
    }
    if (FAILED(hr = info->LayOut())) return hr;
    return info->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(made));
}

HRESULT addClass(ICreateTypeLib2* lib, const wchar_t* name, const GUID& clsid, ITypeInfo* defaultInterface)
{
    Ref<ICreateTypeInfo> info;
    HRESULT hr = lib->CreateTypeInfo(const_cast<LPOLESTR>(name), TKIND_COCLASS, info.put());
    if (FAILED(hr)) return hr;
    info->SetGuid(clsid);
    info->SetVersion(1, 0);
    info->SetTypeFlags(TYPEFLAG_FCANCREATE);
    HREFTYPE ref = 0;
    if (FAILED(hr = info->AddRefTypeInfo(defaultInterface, &ref)) || FAILED(hr = info->AddImplType(0, ref)) ||
        FAILED(hr = info->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT)))
        return hr;
    return info->LayOut();
}

} // namespace

HRESULT WriteTypeLibrary(const std::wstring& path)
{
    Ref<ITypeLib> stdole;
    Ref<ITypeInfo> dispatch;
    HRESULT hr = LoadRegTypeLib(IID_StdOle, 2, 0, LOCALE_NEUTRAL, stdole.put());
    if (FAILED(hr) || FAILED(hr = stdole->GetTypeInfoOfGuid(IID_IDispatch, dispatch.put()))) return hr;

    Ref<ICreateTypeLib2> lib;
    if (FAILED(hr = CreateTypeLib2(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, path.c_str(), lib.put()))) return hr;
    lib->SetName(const_cast<LPOLESTR>(L"Dirvigil"));
    lib->SetGuid(LIBID_Dirvigil);
    lib->SetVersion(2, 0);
    lib->SetDocString(const_cast<LPOLESTR>(L"Dirvigil (Multithreaded) 1.0"));
    lib->SetLcid(LOCALE_NEUTRAL);

    Ref<ITypeInfo> watcher;
    Ref<ITypeInfo> dummy;
    if (FAILED(hr = addInterface(lib.p, dispatch.p, L"_cDirvigil", IID__cDirvigil, true, watcher.put())) ||
        FAILED(hr = addInterface(lib.p, dispatch.p, L"_cDummy", IID__cDummy, false, dummy.put())) ||
        FAILED(hr = addClass(lib.p, L"cDirvigil", CLSID_cDirvigil, watcher.p)) ||
        FAILED(hr = addClass(lib.p, L"cDummy", CLSID_cDummy, dummy.p)))
        return hr;
    return lib->SaveAllChanges();
}

} // namespace Dirvigil
