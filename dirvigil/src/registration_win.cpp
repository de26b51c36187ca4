#include "registration.h"

#include "dirvigil/dirvigil.h"
#include "type_library_win.h"

#include <windows.h>
#include <oleauto.h>

// Exported by oleaut32 but missing from some SDK headers.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* lib, OLECHAR* path, OLECHAR* helpDir);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libId, WORD major, WORD minor, LCID lcid, SYSKIND kind);

namespace {

HMODULE gModule = nullptr;

std::wstring widen(const std::string& s)
{
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

namespace Dirvigil {

// The machine-wide classes root when this process may write it (the
// registration tool runs elevated), the user's own classes otherwise.
static const std::string kUserClasses = "Software\\Classes\\";

static bool writeValue(HKEY root, const std::string& key, const std::string& name, const std::string& data,
                       LONG* error)
{
    HKEY h = nullptr;
    *error = RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    if (*error != ERROR_SUCCESS) return false;
    *error = RegSetValueExA(h, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
    RegCloseKey(h);
    return *error == ERROR_SUCCESS;
}

bool RegistryWrite(const std::string& key, const std::string& name, const std::string& data)
{
    LONG error = ERROR_SUCCESS;
    if (writeValue(HKEY_CLASSES_ROOT, key, name, data, &error)) return true;
    return error == ERROR_ACCESS_DENIED && writeValue(HKEY_CURRENT_USER, kUserClasses + key, name, data, &error);
}

bool RegistryRemoveTree(const std::string& key)
{
    const auto removed = [](LONG rc) { return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND; };
    const bool user = removed(RegDeleteTreeA(HKEY_CURRENT_USER, (kUserClasses + key).c_str()));
    const LONG machine = RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
    return user && (removed(machine) || machine == ERROR_ACCESS_DENIED);
}

std::string ModulePath()
{
    char path[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameA(gModule, path, sizeof path);
    return n == 0 || n >= sizeof path ? std::string() : std::string(path, n);
}

std::string GuidText(const GUID& guid)
{
    wchar_t wide[40];
    const int n = StringFromGUID2(guid, wide, 40);
    std::string text;
    for (int i = 0; i + 1 < n; ++i) text += static_cast<char>(wide[i]);
    return text;
}

// Beside the DLL, under the DLL's own name.
static std::wstring typeLibraryPath()
{
    std::wstring path = widen(ModulePath());
    const auto dot = path.find_last_of(L'.');
    const auto slash = path.find_last_of(L"\\/");
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.erase(dot);
    return path + L".tlb";
}

bool RegisterTypeLibrary()
{
    const std::wstring path = typeLibraryPath();
    if (FAILED(WriteTypeLibrary(path))) return false;
    ITypeLib* lib = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib))) return false;
    std::wstring registered = path;
    HRESULT hr = RegisterTypeLib(lib, registered.data(), nullptr);
    if (FAILED(hr)) hr = RegisterTypeLibForUser(lib, registered.data(), nullptr);
    lib->Release();
    return SUCCEEDED(hr);
}

bool UnregisterTypeLibrary()
{
    // Its answers differ between "removed" and "was never there"; what counts
    // is that no key of it is left.
    const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    UnRegisterTypeLib(LIBID_Dirvigil, 2, 0, LOCALE_NEUTRAL, kind);
    UnRegisterTypeLibForUser(LIBID_Dirvigil, 2, 0, LOCALE_NEUTRAL, kind);
    DeleteFileW(typeLibraryPath().c_str());
    return RegistryRemoveTree("TypeLib\\" + GuidText(LIBID_Dirvigil));
}

} // namespace Dirvigil
