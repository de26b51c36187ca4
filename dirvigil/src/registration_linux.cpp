#include "registration.h"

#include "dirvigil/dirvigil.h"

#include <platrt/registry.h>

#include <dlfcn.h>

#include <climits>
#include <cstdlib>

namespace Dirvigil {

bool RegistryWrite(const std::string& key, const std::string& name, const std::string& data)
{
    return platrt::RegSetValue(key, name, data);
}

bool RegistryRemoveTree(const std::string& key)
{
    return platrt::RegDeleteTree(key);
}

std::string ModulePath()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ModulePath), &info) || !info.dli_fname) return {};
    char resolved[PATH_MAX];
    return realpath(info.dli_fname, resolved) ? std::string(resolved) : std::string(info.dli_fname);
}

std::string GuidText(const GUID& guid)
{
    return StringFromGUID(guid);
}

// No binary type library here: the registry records its identity only, so
// that the keys of both builds look alike.
bool RegisterTypeLibrary()
{
    const std::string key = "TypeLib\\" + GuidText(LIBID_Dirvigil) + "\\2.0";
    return RegistryWrite(key, "", "Dirvigil (Multithreaded) 1.0") &&
           RegistryWrite(key + "\\0\\linux", "", ModulePath()) && RegistryWrite(key + "\\FLAGS", "", "0");
}

bool UnregisterTypeLibrary()
{
    return RegistryRemoveTree("TypeLib\\" + GuidText(LIBID_Dirvigil));
}

} // namespace Dirvigil
