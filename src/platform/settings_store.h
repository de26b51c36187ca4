#pragma once
// The per-user settings store: text values keyed by application, section and
// key. A missing application, section or key reads as the caller's default;
// saving creates whatever is missing. Failures never escape: a read gives the
// default and a failed save answers false.
//
// Linux keeps one UTF-8 file per application and section under the XDG config
// folder; Windows uses the registry under HKEY_CURRENT_USER.

#include <memory>
#include <string>
#include <string_view>

namespace twinsift {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string get(std::string_view application, std::string_view section, std::string_view key,
                            std::string_view defaultText) = 0;
    virtual bool save(std::string_view application, std::string_view section, std::string_view key,
                      std::string_view text) = 0;

    // Brackets a run of saves that belong together, such as all settings at
    // shut-down. A store may hold them back and commit them at the end in one
    // step; endUpdate answers false when that commit fails.
    virtual void beginUpdate() {}
    virtual bool endUpdate() { return true; }
};

// The current user's store on this platform.
std::unique_ptr<SettingsStore> makeUserSettingsStore();

} // namespace twinsift
