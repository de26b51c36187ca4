#pragma once
// The component runtime the Linux build stands on: the handful of the
// platform's COM services that an in-process server and its clients need.
// Names and result codes follow the platform's own so that code written for
// both builds reads the same. This is a shared library of its own, so that the
// per-thread state and the error object are one per process, as they are on
// the platform.

#include <cstdint>
#include <string>

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = int;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT REGDB_E_WRITEREGDB = static_cast<HRESULT>(0x80040151u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

bool operator==(const GUID& a, const GUID& b);
inline bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }

// Class context flags; only in-process servers exist here.
inline constexpr std::uint32_t CLSCTX_INPROC_SERVER = 0x1;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

extern const IID IID_IUnknown;
extern const IID IID_IClassFactory;

// Apartment membership of the calling thread. The first call on a thread
// answers S_OK, further ones S_FALSE; each needs its CoUninitialize.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" <-> GUID.
HRESULT IIDFromString(const char* text, IID* iid);
HRESULT CLSIDFromString(const char* text, CLSID* clsid);
std::string StringFromGUID(const GUID& guid);

// The class registered under a programmatic identifier.
HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid);

// Loads the class's registered in-process server (once per process) and asks
// its class factory for an object. Needs CoInitialize on the calling thread.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, std::uint32_t context, REFIID riid,
                         void** ppv);

// The error object of the calling thread: a method that fails sets it, the
// caller reads it once. GetErrorInfo answers S_FALSE when none is set.
HRESULT SetErrorInfo(const std::string& source, const std::string& description);
HRESULT GetErrorInfo(std::string* source, std::string* description);

// The signature of the four exports of an in-process server.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using DllSimpleFn = HRESULT (*)();
