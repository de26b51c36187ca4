// The automation side of both classes on Windows: late-bound callers reach
// Create and Kill by name, and errors travel as the platform's error objects.

#include "c_dirvigil.h"
#include "c_dummy.h"

#include <oleauto.h>

#include <new>

namespace Dirvigil {
namespace {

constexpr DISPID kDispCreate = 1;
constexpr DISPID kDispKill = 2;

std::string narrow(const wchar_t* w, UINT length)
{
    if (!w || length == 0) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(length), s.data(), n, nullptr, nullptr);
    return s;
}

void setErrorObject(const DirvigilError& error)
{
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) return;
    create->SetGUID(IID__cDirvigil);
    create->SetSource(const_cast<LPOLESTR>(L"Dirvigil.cDirvigil"));
    std::wstring text(error.what(), error.what() + std::char_traits<char>::length(error.what()));
    create->SetDescription(text.data());
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

// One argument, coerced to `type`; optional ones may be missing.
HRESULT argument(DISPPARAMS* params, UINT position, VARTYPE type, VARIANT* out)
{
    VariantInit(out);
    if (position >= params->cArgs) return DISP_E_PARAMNOTFOUND;
    VARIANT* in = &params->rgvarg[params->cArgs - 1 - position];
    if (V_VT(in) == VT_ERROR && V_ERROR(in) == DISP_E_PARAMNOTFOUND) return DISP_E_PARAMNOTFOUND;
    return VariantChangeType(out, in, 0, type);
}

} // namespace

HRESULT cDirvigil::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__cDirvigil) {
        *ppv = static_cast<_cDirvigil*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        *ppv = static_cast<ISupportErrorInfo*>(this);
    } else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT cDirvigil::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID__cDirvigil ? S_OK : S_FALSE;
}

HRESULT cDirvigil::raise(const DirvigilError& error)
{
    setErrorObject(error);
    return error.number();
}

HRESULT cDirvigil::Create(BSTR* folder, long hwnd, VARIANT_BOOL recursive)
{
    try {
        const std::string path = folder && *folder ? narrow(*folder, SysStringLen(*folder)) : std::string();
        StartWatching(path, static_cast<std::uint32_t>(hwnd), recursive != VARIANT_FALSE);
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

HRESULT cDirvigil::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT cDirvigil::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT cDirvigil::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (_wcsicmp(names[0], L"Create") == 0)
        ids[0] = kDispCreate;
    else if (_wcsicmp(names[0], L"Kill") == 0)
        ids[0] = kDispKill;
    else
        hr = DISP_E_UNKNOWNNAME;
    // Named arguments are not supported.
    if (count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
}

HRESULT cDirvigil::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* excep, UINT* argErr)
{
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (!params) return E_INVALIDARG;
    if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    if (result) VariantInit(result);
    if (id == kDispKill) {
        if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        return Kill();
    }
    if (id != kDispCreate) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs < 2 || params->cArgs > 3) return DISP_E_BADPARAMCOUNT;

    VARIANT folder, hwnd, recursive;
    HRESULT hr = argument(params, 0, VT_BSTR, &folder);
    if (FAILED(hr)) {
        if (argErr) *argErr = params->cArgs - 1;
        return DISP_E_TYPEMISMATCH;
    }
    if (FAILED(argument(params, 1, VT_I4, &hwnd))) {
        VariantClear(&folder);
        if (argErr) *argErr = params->cArgs - 2;
        return DISP_E_TYPEMISMATCH;
    }
    hr = argument(params, 2, VT_BOOL, &recursive);
    VARIANT_BOOL isRecursive = VARIANT_FALSE;
    if (SUCCEEDED(hr)) {
        isRecursive = V_BOOL(&recursive);
    } else if (hr != DISP_E_PARAMNOTFOUND) {
        VariantClear(&folder);
        if (argErr) *argErr = 0;
        return DISP_E_TYPEMISMATCH;
    }

    BSTR path = V_BSTR(&folder);
    hr = Create(&path, V_I4(&hwnd), isRecursive);
    VariantClear(&folder);
    if (FAILED(hr) && excep) {
        ZeroMemory(excep, sizeof *excep);
        excep->scode = hr;
        IErrorInfo* info = nullptr;
        if (GetErrorInfo(0, &info) == S_OK && info) {
            info->GetSource(&excep->bstrSource);
            info->GetDescription(&excep->bstrDescription);
            info->Release();
        }
        return DISP_E_EXCEPTION;
    }
    return hr;
}

// cDummy has no members; it answers IDispatch so that automation can hold it.

HRESULT cDummy::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT cDummy::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT cDummy::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids)
{
    for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT cDummy::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

} // namespace Dirvigil
