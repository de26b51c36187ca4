#pragma once
// Reads every setting once at start-up and writes them back once when the main
// window closes, either to the per-user store or, in portable mode, to the
// file "settings.ini" beside the program.
//
// Storage is always text: numbers as decimal digits, yes/no values as True or
// False. A stored text that does not convert to its key's type leaves the
// key's default in place.

#include "platform/settings_store.h"
#include "settings/settings_values.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace twinsift {

inline constexpr std::string_view kSettingsApplication = "Quorvane";
inline constexpr std::string_view kSettingsSection = "Twinsift";
inline constexpr std::string_view kPortableSettingsFile = "settings.ini";

// Where the main window is when it closes. Positions are in twips; the state
// is 0 normal, 1 minimised, 2 maximised.
struct MainWindowPlacement {
    std::int16_t state = 0;
    double left = 0;
    double top = 0;
};

// Text conversions of the storage encoding. Each answers nullopt when the text
// is not a value of the type (numbers out of range included).
std::optional<std::int16_t> settingToInt16(std::string_view text);
std::optional<std::int32_t> settingToInt32(std::string_view text);
std::optional<bool> settingToBool(std::string_view text);

inline std::string settingText(std::string_view v) { return std::string(v); }
inline std::string settingText(const std::string& v) { return v; }
inline std::string settingText(const char* v) { return v; }
inline std::string settingText(std::int16_t v) { return std::to_string(v); }
inline std::string settingText(std::int32_t v) { return std::to_string(v); }
inline std::string settingText(bool v) { return v ? "True" : "False"; }

class SettingsPersistence {
public:
    // The program's folder is where the "PORTABLE" marker and "settings.ini" live.
    SettingsPersistence(SettingsStore& store, std::filesystem::path programFolder);

    // Turns portable mode on when the program's folder holds a file named
    // "PORTABLE". Call once, before LoadSettings.
    void DetectPortableMode();
    bool bPortable() const { return bPortable_; }
    std::filesystem::path settingsFile() const { return programFolder_ / kPortableSettingsFile; }

    // The stored text of a key, or the default when it is missing.
    std::string GetSettingValue(std::string_view application, std::string_view section, std::string_view key,
                                std::string_view defaultText);
    template <class T>
    bool SaveSettingValue(std::string_view application, std::string_view section, std::string_view key,
                          const T& value) {
        return saveText(application, section, key, settingText(value));
    }

    // `values` holds the defaults on entry (see SettingsValues::Defaults); every
    // stored key that converts replaces its default.
    void LoadSettings(SettingsValues& values);

    // Writes every key except bConvertNBSPToSpace, which only a user adds by
    // hand. The main window's five geometry keys are left as stored while the
    // window is minimised; while it is normal its left and top are taken from
    // `window` first.
    void SaveSettings(SettingsValues& values, const MainWindowPlacement& window);

    // The main window's close: SaveSettings the first time, nothing after, so
    // that a repeated close request cannot write the settings twice.
    bool SaveSettingsOnce(SettingsValues& values, const MainWindowPlacement& window);

private:
    bool saveText(std::string_view application, std::string_view section, std::string_view key,
                  const std::string& text);

    SettingsStore& store_;
    std::filesystem::path programFolder_;
    bool bPortable_ = false;
    bool bSaved_ = false;
};

} // namespace twinsift
