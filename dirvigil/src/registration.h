#pragma once
// Where the server records its classes: the platform's class registry for
// the current user.

#include "dirvigil/dirvigil.h"

#include <string>

namespace Dirvigil {

// Key paths are relative to the user's classes root, e.g. "CLSID\{...}".
bool RegistryWrite(const std::string& key, const std::string& name, const std::string& data);
bool RegistryRemoveTree(const std::string& key);
// The full path of this library, as the runtime must load it.
std::string ModulePath();
std::string GuidText(const GUID& guid);

// Type-library registration where the platform keeps one; true when done or
// not applicable.
bool RegisterTypeLibrary();
bool UnregisterTypeLibrary();

} // namespace Dirvigil
