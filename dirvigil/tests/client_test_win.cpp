// A client of the Windows build, as a program would use it: registers the
// library the way the registration tool does, creates both classes by ProgID,
// watches a folder into a hidden edit control, and unregisters again.
// Prints one line per failed check; the exit code is the number of failures.

#include "dirvigil/dirvigil.h"

#include <windows.h>
#include <oleauto.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

int failures = 0;

#define CHECK(cond)                                                                   \
    do {                                                                              \
        if (!(cond)) {                                                                \
            ++failures;                                                               \
            std::printf("FAILED line %d: %s\n", __LINE__, #cond);                     \
        }                                                                             \
    } while (0)

using Clock = std::chrono::steady_clock;

std::string tempFolder()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string path = std::string(base) + "dirvigil-client-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void touch(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// Pumps this thread's messages until the space key-down reaches `window`.
bool waitForKeyDown(HWND window, MSG& got, DWORD limitMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (Clock::now() < deadline) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window && msg.message == WM_KEYDOWN) {
                got = msg;
                return true;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
}

template <typename T>
HRESULT create(const wchar_t* progId, REFIID iid, T** out)
{
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(out));
}

} // namespace

int main()
{
    HMODULE library = LoadLibraryA("Dirvigil.dll");
    CHECK(library != nullptr);
    if (!library) return failures;
    using ServerFn = HRESULT(STDAPICALLTYPE*)();
    // Through void*: FARPROC and the real signature differ only in the result type.
    auto registerServer = reinterpret_cast<ServerFn>(reinterpret_cast<void*>(GetProcAddress(library, "DllRegisterServer")));
    auto unregisterServer =
        reinterpret_cast<ServerFn>(reinterpret_cast<void*>(GetProcAddress(library, "DllUnregisterServer")));
    CHECK(registerServer && unregisterServer && GetProcAddress(library, "DllCanUnloadNow") &&
          GetProcAddress(library, "DllGetClassObject"));
    if (!registerServer || !unregisterServer) return failures;
    CHECK(registerServer() == S_OK);

    CoInitialize(nullptr);

    // The registered type library describes both classes.
    ITypeLib* typeLib = nullptr;
    CHECK(LoadRegTypeLib(Dirvigil::LIBID_Dirvigil, 2, 0, LOCALE_NEUTRAL, &typeLib) == S_OK);
    if (typeLib) {
        BSTR name = nullptr;
        BSTR doc = nullptr;
        CHECK(typeLib->GetDocumentation(-1, &name, &doc, nullptr, nullptr) == S_OK);
        CHECK(name && std::wstring(name) == L"Dirvigil");
        CHECK(doc && std::wstring(doc) == L"Dirvigil (Multithreaded) 1.0");
        SysFreeString(name);
        SysFreeString(doc);
        ITypeInfo* info = nullptr;
        CHECK(typeLib->GetTypeInfoOfGuid(Dirvigil::IID__cDirvigil, &info) == S_OK);
        if (info) {
            MEMBERID ids[4] = {};
            LPOLESTR names[] = {const_cast<LPOLESTR>(L"Create"), const_cast<LPOLESTR>(L"folder"),
                                const_cast<LPOLESTR>(L"hwnd"), const_cast<LPOLESTR>(L"recursive")};
            CHECK(info->GetIDsOfNames(names, 4, ids) == S_OK && ids[0] == 1);
            info->Release();
        }
        CHECK(typeLib->GetTypeInfoOfGuid(Dirvigil::CLSID_cDummy, &info) == S_OK);
        if (info) info->Release();
        typeLib->Release();
    }

    IUnknown* dummy = nullptr;
    const HRESULT dummyResult = create(L"Dirvigil.cDummy", IID_IUnknown, &dummy);
    if (dummyResult != S_OK) std::printf("creating Dirvigil.cDummy: 0x%08lX\n", static_cast<unsigned long>(dummyResult));
    CHECK(dummyResult == S_OK);
    if (dummy) dummy->Release();

    Dirvigil::_cDirvigil* watcher = nullptr;
    CHECK(create(L"Dirvigil.cDirvigil", Dirvigil::IID__cDirvigil, &watcher) == S_OK);
    HWND edit = CreateWindowExA(0, "EDIT", "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CHECK(edit != nullptr);
    if (watcher && edit) {
        const std::string folder = tempFolder();
        std::wstring wide(folder.begin(), folder.end());
        BSTR path = SysAllocString(wide.c_str());
        const long hwnd = static_cast<long>(reinterpret_cast<std::intptr_t>(edit));
        CHECK(watcher->Create(&path, hwnd, VARIANT_FALSE) == S_OK);

        touch(folder + "\\new.txt");
        MSG msg{};
        CHECK(waitForKeyDown(edit, msg, 5000));
        CHECK(msg.wParam == 32 && msg.lParam == 65537);
        char text[MAX_PATH * 2] = {};
        GetWindowTextA(edit, text, sizeof text);
        CHECK(folder == text);

        auto start = Clock::now();
        CHECK(watcher->Kill() == S_OK);
        CHECK(Clock::now() - start < std::chrono::milliseconds(1500));
        CHECK(watcher->Kill() == S_OK);

        // Stopped from the window's own thread while the worker waits to set the text.
        CHECK(watcher->Create(&path, hwnd, VARIANT_TRUE) == S_OK);
        CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
        // Wait, without pumping, until the worker's text request is pending here.
        CHECK(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_SENDMESSAGE) == WAIT_OBJECT_0);
        start = Clock::now();
        CHECK(watcher->Kill() == S_OK);
        CHECK(Clock::now() - start < std::chrono::milliseconds(1500));

        BSTR missing = SysAllocString((wide + L"\\missing").c_str());
        CHECK(watcher->Create(&missing, hwnd, VARIANT_FALSE) == static_cast<HRESULT>(0x80040000u));
        IErrorInfo* info = nullptr;
        CHECK(GetErrorInfo(0, &info) == S_OK && info);
        if (info) {
            BSTR description = nullptr;
            info->GetDescription(&description);
            CHECK(description && std::wstring(description) == L"Cannot create change notification handle");
            SysFreeString(description);
            info->Release();
        }

        // Late binding by name, as scripting clients do.
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(L"Kill");
        CHECK(watcher->GetIDsOfNames(IID_NULL, &name, 1, 0, &id) == S_OK);
        DISPPARAMS none{};
        CHECK(watcher->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr) == S_OK);
        // Create by name with the optional argument left out: the error comes back as an exception.
        name = const_cast<LPOLESTR>(L"create");
        CHECK(watcher->GetIDsOfNames(IID_NULL, &name, 1, 0, &id) == S_OK);
        VARIANT args[2];
        VariantInit(&args[0]);
        VariantInit(&args[1]);
        V_VT(&args[0]) = VT_I4; // arguments go last to first
        V_I4(&args[0]) = hwnd;
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = missing;
        DISPPARAMS two{args, nullptr, 2, 0};
        EXCEPINFO excep{};
        CHECK(watcher->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &two, nullptr, &excep, nullptr) == DISP_E_EXCEPTION);
        CHECK(excep.scode == static_cast<HRESULT>(0x80040000u));
        CHECK(excep.bstrDescription && std::wstring(excep.bstrDescription) == L"Cannot create change notification handle");
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrSource);
        V_BSTR(&args[1]) = path;
        CHECK(watcher->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &two, nullptr, nullptr, nullptr) == S_OK);
        CHECK(watcher->Kill() == S_OK);

        SysFreeString(missing);
        SysFreeString(path);
        RemoveDirectoryA((folder + "\\sub").c_str());
        DeleteFileA((folder + "\\new.txt").c_str());
        RemoveDirectoryA(folder.c_str());
    }
    if (watcher) watcher->Release();
    if (edit) DestroyWindow(edit);

    CHECK(unregisterServer() == S_OK);
    CLSID clsid{};
    CHECK(FAILED(CLSIDFromProgID(L"Dirvigil.cDummy", &clsid)));
    CHECK(FAILED(LoadRegTypeLib(Dirvigil::LIBID_Dirvigil, 2, 0, LOCALE_NEUTRAL, &typeLib)));
    CoUninitialize();
    std::printf("%s: %d failed check(s)\n", failures ? "FAILED" : "PASSED", failures);
    return failures;
}
