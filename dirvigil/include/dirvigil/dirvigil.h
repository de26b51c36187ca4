#pragma once
// Dirvigil's component surface, for clients that bind to it early. Late-bound
// clients need only the ProgIDs "Dirvigil.cDirvigil" and "Dirvigil.cDummy".
//
// cDirvigil watches one folder on a worker thread. For every change it sets the
// client window's text to the folder path and then posts a key-down (256) with
// the virtual key 32 and the key data 65537 to that window.

#ifdef _WIN32
#include <windows.h>
#include <oaidl.h>
#else
#include <platrt/com.h>
#include <cstdint>
#endif

namespace Dirvigil {

inline constexpr GUID LIBID_Dirvigil = {0xA32192A4, 0x1EAF, 0x432E, {0x84, 0x1B, 0x0D, 0x15, 0xEE, 0x38, 0x00, 0xEE}};
inline constexpr GUID CLSID_cDirvigil = {0x5CF14592, 0x7B27, 0x48C1, {0x8E, 0x0A, 0x7D, 0xBC, 0x15, 0x7D, 0x78, 0x3A}};
inline constexpr GUID IID__cDirvigil = {0x64BAC744, 0xF7DE, 0x4773, {0x8A, 0xC9, 0xB2, 0x7B, 0x43, 0x3B, 0x76, 0x9F}};
inline constexpr GUID CLSID_cDummy = {0x4EBC0885, 0xE734, 0x4285, {0x91, 0xC9, 0x0C, 0x06, 0x0D, 0x2E, 0x03, 0x50}};
inline constexpr GUID IID__cDummy = {0xE55614D6, 0xF4FA, 0x4D9E, {0xB9, 0xF0, 0x8C, 0xC3, 0xDE, 0x0D, 0xAD, 0x18}};

inline constexpr const char* kProgIdDirvigil = "Dirvigil.cDirvigil";
inline constexpr const char* kProgIdDummy = "Dirvigil.cDummy";

// The error Create raises when the folder cannot be watched.
inline constexpr HRESULT kErrNoChangeHandle = static_cast<HRESULT>(0x80040000u);
inline constexpr const char* kErrNoChangeHandleText = "Cannot create change notification handle";

// Window messages of the notification.
inline constexpr unsigned kNotifyMessage = 256;
inline constexpr unsigned kNotifyKey = 32;
inline constexpr long kNotifyKeyData = 65537;

#ifdef _WIN32
// Dual interfaces: these methods follow those of IDispatch in the vtable.
struct _cDirvigil : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Create(BSTR* folder, long hwnd, VARIANT_BOOL recursive) = 0;
    virtual HRESULT STDMETHODCALLTYPE Kill() = 0;
};
struct _cDummy : IDispatch {};
#else
struct _cDirvigil : IUnknown {
    // folder: UTF-8 path; hwnd: a window of the message-window layer.
    virtual HRESULT Create(const char* folder, std::uint32_t hwnd, bool recursive) = 0;
    virtual HRESULT Kill() = 0;

protected:
    ~_cDirvigil() = default;
};
struct _cDummy : IUnknown {
protected:
    ~_cDummy() = default;
};
#endif

} // namespace Dirvigil
