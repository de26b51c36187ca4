#pragma once

#include <windows.h>

#include <string>

namespace Dirvigil {

// Writes the library's type library to `path`.
HRESULT WriteTypeLibrary(const std::wstring& path);

} // namespace Dirvigil
