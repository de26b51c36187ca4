#include "platrt/com.h"
#include "platrt/registry.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool operator==(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

namespace {

thread_local int tlsApartmentDepth = 0;

struct ThreadError {
    bool set = false;
    std::string source;
    std::string description;
};
thread_local ThreadError tlsError;

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads `digits` hex digits at text[pos]; false on anything else.
bool readHex(const char* text, std::size_t pos, int digits, std::uint64_t& out)
{
    out = 0;
    for (int i = 0; i < digits; ++i) {
        const int v = hexValue(text[pos + static_cast<std::size_t>(i)]);
        if (v < 0) return false;
        out = (out << 4) | static_cast<std::uint64_t>(v);
    }
    return true;
}

bool parseGuid(const char* text, GUID& guid)
{
    // {01234567-0123-0123-0123-0123456789AB}
    if (!text || std::strlen(text) != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' ||
        text[14] != '-' || text[19] != '-' || text[24] != '-')
        return false;
    std::uint64_t v = 0;
    if (!readHex(text, 1, 8, v)) return false;
    guid.Data1 = static_cast<std::uint32_t>(v);
    if (!readHex(text, 10, 4, v)) return false;
    guid.Data2 = static_cast<std::uint16_t>(v);
    if (!readHex(text, 15, 4, v)) return false;
    guid.Data3 = static_cast<std::uint16_t>(v);
    static constexpr std::size_t bytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!readHex(text, bytePos[i], 2, v)) return false;
        guid.Data4[i] = static_cast<std::uint8_t>(v);
    }
    return true;
}

// Servers stay loaded for the life of the process: objects they made may
// still be alive anywhere.
std::mutex gLibraryMutex;
std::map<std::string, void*>& loadedLibraries()
{
    static std::map<std::string, void*> libraries;
    return libraries;
}

void* loadServer(const std::string& path)
{
    std::lock_guard lock(gLibraryMutex);
    auto& libs = loadedLibraries();
    if (auto it = libs.find(path); it != libs.end()) return it->second;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle) libs.emplace(path, handle);
    return handle;
}

} // namespace

HRESULT CoInitialize(void*)
{
    return tlsApartmentDepth++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (tlsApartmentDepth > 0) --tlsApartmentDepth;
}

HRESULT IIDFromString(const char* text, IID* iid)
{
    if (!iid) return E_INVALIDARG;
    return parseGuid(text, *iid) ? S_OK : E_INVALIDARG;
}

HRESULT CLSIDFromString(const char* text, CLSID* clsid)
{
    if (!clsid) return E_INVALIDARG;
    return parseGuid(text, *clsid) ? S_OK : CO_E_CLASSSTRING;
}

std::string StringFromGUID(const GUID& g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2,
                  g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                  g.Data4[7]);
    return buf;
}

HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid)
{
    if (!progId || !clsid) return E_INVALIDARG;
    const auto text = platrt::RegGetValue(std::string(progId) + "\\CLSID", "");
    if (!text || !parseGuid(text->c_str(), *clsid)) return CO_E_CLASSSTRING;
    return S_OK;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, std::uint32_t context, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (tlsApartmentDepth == 0) return CO_E_NOTINITIALIZED;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    const auto path = platrt::RegGetValue("CLSID\\" + StringFromGUID(clsid) + "\\InprocServer32", "");
    if (!path || path->empty()) return REGDB_E_CLASSNOTREG;
    void* library = loadServer(*path);
    if (!library) return CO_E_DLLNOTFOUND;
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(library, "DllGetClassObject"));
    if (!getClassObject) return CO_E_ERRORINDLL;
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, riid, ppv);
    factory->Release();
    return hr;
}

HRESULT SetErrorInfo(const std::string& source, const std::string& description)
{
    tlsError = {true, source, description};
    return S_OK;
}

HRESULT GetErrorInfo(std::string* source, std::string* description)
{
    if (!tlsError.set) return S_FALSE;
    if (source) *source = tlsError.source;
    if (description) *description = tlsError.description;
    tlsError = {};
    return S_OK;
}
