// The per-user store on Windows: the registry under
// HKEY_CURRENT_USER\Software\<application>\<section>, one string value per key.
// Texts travel as UTF-8 inside the program and as UTF-16 in the registry.
#ifdef _WIN32

#include "platform/settings_store.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace twinsift {

namespace {

std::wstring widen(std::string_view s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string narrow(const wchar_t* w, std::size_t len) {
    if (len == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(len), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring subKey(std::string_view application, std::string_view section) {
    return L"Software\\" + widen(application) + L"\\" + widen(section);
}

class RegistrySettingsStore final : public SettingsStore {
public:
    std::string get(std::string_view application, std::string_view section, std::string_view key,
                    std::string_view defaultText) override {
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey(application, section).c_str(), 0, KEY_QUERY_VALUE, &h) !=
            ERROR_SUCCESS)
            return std::string(defaultText);
        const std::wstring name = widen(key);
        std::string result(defaultText);
        DWORD type = 0, bytes = 0;
        if (RegQueryValueExW(h, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
            std::vector<BYTE> data(bytes + sizeof(wchar_t));
            if (RegQueryValueExW(h, name.c_str(), nullptr, &type, data.data(), &bytes) == ERROR_SUCCESS) {
                if (type == REG_SZ || type == REG_EXPAND_SZ) {
                    const auto* w = reinterpret_cast<const wchar_t*>(data.data());
                    std::size_t len = bytes / sizeof(wchar_t);
                    while (len > 0 && w[len - 1] == L'\0') --len;
                    result = narrow(w, len);
                } else if (type == REG_DWORD && bytes == sizeof(DWORD)) {
                    // A number put in by hand reads as its decimal text.
                    DWORD v = 0;
                    memcpy(&v, data.data(), sizeof v);
                    result = std::to_string(static_cast<long>(static_cast<LONG>(v)));
                }
            }
        }
        RegCloseKey(h);
        return result;
    }

    bool save(std::string_view application, std::string_view section, std::string_view key,
              std::string_view text) override {
        HKEY h = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey(application, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &h, nullptr) != ERROR_SUCCESS)
            return false;
        const std::wstring name = widen(key);
        const std::wstring value = widen(text);
        const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        const bool ok = RegSetValueExW(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       bytes) == ERROR_SUCCESS;
        RegCloseKey(h);
        return ok;
    }
};

} // namespace

std::unique_ptr<SettingsStore> makeUserSettingsStore() { return std::make_unique<RegistrySettingsStore>(); }

} // namespace twinsift

#endif // _WIN32
