// The in-process server: class factory, the two classes' registration and the
// four exports.

#include "server.h"

#include "c_dirvigil.h"
#include "c_dummy.h"
#include "com_compat.h"
#include "registration.h"

#include <atomic>
#include <new>

#ifdef _WIN32
#include <olectl.h>
#define DV_EXPORT extern "C"
#define DV_CALL STDAPICALLTYPE
#else
#define DV_EXPORT extern "C" __attribute__((visibility("default")))
#define DV_CALL
#endif

namespace Dirvigil {
namespace {

std::atomic<long> gObjects{0};
std::atomic<long> gLocks{0};

using Creator = HRESULT (*)(REFIID, void**);

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(Creator create) : create_(create) { ObjectCreated(); }

    HRESULT DV_STDCALL QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG DV_STDCALL AddRef() override { return ++refs_; }
    ULONG DV_STDCALL Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT DV_STDCALL CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(riid, ppv);
    }
    HRESULT DV_STDCALL LockServer(BOOL lock) override
    {
        if (lock)
            ++gLocks;
        else
            --gLocks;
        return S_OK;
    }

private:
    ~ClassFactory() { ObjectDestroyed(); }
    std::atomic<ULONG> refs_{1};
    Creator create_;
};

struct ClassEntry {
    const GUID& clsid;
    const char* progId;
    const char* className;
};

const ClassEntry kClasses[] = {
    {CLSID_cDirvigil, kProgIdDirvigil, "cDirvigil"},
    {CLSID_cDummy, kProgIdDummy, "cDummy"},
};

bool registerClass(const ClassEntry& c, const std::string& module)
{
    const std::string clsid = GuidText(c.clsid);
    const std::string key = "CLSID\\" + clsid;
    const std::string libid = GuidText(LIBID_Dirvigil);
    return RegistryWrite(c.progId, "", c.progId) && RegistryWrite(std::string(c.progId) + "\\CLSID", "", clsid) &&
           RegistryWrite(key, "", c.progId) && RegistryWrite(key + "\\InprocServer32", "", module) &&
           RegistryWrite(key + "\\InprocServer32", "ThreadingModel", "Apartment") &&
           RegistryWrite(key + "\\ProgID", "", c.progId) && RegistryWrite(key + "\\TypeLib", "", libid) &&
           RegistryWrite(key + "\\VERSION", "", "2.0");
}

bool unregisterClass(const ClassEntry& c)
{
    const bool progId = RegistryRemoveTree(c.progId);
    const bool clsid = RegistryRemoveTree("CLSID\\" + GuidText(c.clsid));
    return progId && clsid;
}

} // namespace

void ObjectCreated()
{
    ++gObjects;
}

void ObjectDestroyed()
{
    --gObjects;
}

HRESULT cDummy::CreateInstance(REFIID riid, void** ppv)
{
    auto* object = new (std::nothrow) cDummy();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

cDummy::cDummy()
{
    ObjectCreated();
}

cDummy::~cDummy()
{
    ObjectDestroyed();
}

ULONG DV_STDCALL cDummy::AddRef()
{
    return ++refs_;
}

ULONG DV_STDCALL cDummy::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT DV_STDCALL cDummy::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID__cDummy
#ifdef _WIN32
        || riid == IID_IDispatch
#endif
    ) {
        *ppv = static_cast<_cDummy*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

} // namespace Dirvigil

using namespace Dirvigil;

DV_EXPORT HRESULT DV_CALL DllCanUnloadNow()
{
    return gObjects.load() == 0 && gLocks.load() == 0 ? S_OK : S_FALSE;
}

DV_EXPORT HRESULT DV_CALL DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    Creator create = nullptr;
    if (clsid == CLSID_cDirvigil)
        create = &cDirvigil::CreateInstance;
    else if (clsid == CLSID_cDummy)
        create = &cDummy::CreateInstance;
    else
        return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory(create);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

DV_EXPORT HRESULT DV_CALL DllRegisterServer()
{
    const std::string module = ModulePath();
    if (module.empty()) return SELFREG_E_CLASS;
    for (const auto& c : kClasses)
        if (!registerClass(c, module)) return SELFREG_E_CLASS;
    return RegisterTypeLibrary() ? S_OK : SELFREG_E_CLASS;
}

DV_EXPORT HRESULT DV_CALL DllUnregisterServer()
{
    bool ok = UnregisterTypeLibrary();
    for (const auto& c : kClasses) ok = unregisterClass(c) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}
