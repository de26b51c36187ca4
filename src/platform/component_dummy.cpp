#include "platform/component_dummy.h"

#if defined(_WIN32)
#include <objbase.h>
#define TWINSIFT_OLESTR(s) L##s
#define TWINSIFT_HAVE_COMPONENT_RUNTIME 1
#elif defined(TWINSIFT_HAVE_COMPONENT_RUNTIME)
#include <platrt/com.h>
#define TWINSIFT_OLESTR(s) s
#endif

namespace twinsift {

#ifdef TWINSIFT_HAVE_COMPONENT_RUNTIME

bool PrepareComponentRuntime()
{
    const HRESULT init = CoInitialize(nullptr);
    IID iidUnknown{};
    CLSID clsid{};
    bool created = false;
    if (SUCCEEDED(IIDFromString(TWINSIFT_OLESTR("{00000000-0000-0000-C000-000000000046}"), &iidUnknown)) &&
        SUCCEEDED(CLSIDFromProgID(TWINSIFT_OLESTR("Dirvigil.cDummy"), &clsid))) {
        IUnknown* object = nullptr;
        if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iidUnknown,
                                       reinterpret_cast<void**>(&object))) &&
            object) {
            object->Release();
            created = true;
        }
    }
    // A failed CoInitialize (another threading model already chosen) must
    // not be balanced.
    if (SUCCEEDED(init)) CoUninitialize();
    return created;
}

#else

// Built without a component runtime: there is never a library to create.
bool PrepareComponentRuntime()
{
    return false;
}

#endif

} // namespace twinsift
