#include "settings/persistence.h"

#include "settings/ini_file.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

namespace twinsift {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A decimal number as the store holds it: optional sign, digits, an optional
// fraction and exponent. Independent of the user's locale.
std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trim(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !((s.front() >= '0' && s.front() <= '9') || s.front() == '.')) return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return negative ? -v : v;
}

template <class Int>
std::optional<Int> toInteger(std::string_view text) {
    const auto v = parseNumber(text);
    if (!v) return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}

std::int16_t toTwips16(double v) {
    const double r = roundHalfEven(v);
    if (!(r >= -32768.0)) return -32768; // also catches NaN
    if (r > 32767.0) return 32767;
    return static_cast<std::int16_t>(r);
}

// The blocks of the write order; within a block keys keep their table order.
enum class SaveBlock { General, Statistics, MainWindow, ViewWindow, Options, Quickstart, Never };

SaveBlock saveBlockOf(std::string_view key) {
    if (key == "bConvertNBSPToSpace") return SaveBlock::Never;
    if (key.starts_with("stat")) return SaveBlock::Statistics;
    if (key.starts_with("win")) return SaveBlock::MainWindow;
    if (key.starts_with("viewWin")) return SaveBlock::ViewWindow;
    if (key.starts_with("Load_") || key.starts_with("Save_")) return SaveBlock::Options;
    if (key.starts_with("bShowQuickstart")) return SaveBlock::Quickstart;
    return SaveBlock::General;
}

} // namespace

std::optional<std::int16_t> settingToInt16(std::string_view text) { return toInteger<std::int16_t>(text); }
std::optional<std::int32_t> settingToInt32(std::string_view text) { return toInteger<std::int32_t>(text); }

std::optional<bool> settingToBool(std::string_view text) {
    const std::string_view s = trim(text);
    if (s.size() == 4 || s.size() == 5) {
        std::string l(s);
        for (char& c : l)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (l == "true") return true;
        if (l == "false") return false;
    }
    if (const auto v = parseNumber(s)) return *v != 0;
    return std::nullopt;
}

SettingsPersistence::SettingsPersistence(SettingsStore& store, std::filesystem::path programFolder)
    : store_(store), programFolder_(std::move(programFolder)) {}

void SettingsPersistence::DetectPortableMode() { bPortable_ = PortableMarkerExists(programFolder_); }

std::string SettingsPersistence::GetSettingValue(std::string_view application, std::string_view section,
                                                 std::string_view key, std::string_view defaultText) {
    if (bPortable_) return ReadIniValue(settingsFile(), section, key, defaultText);
    return store_.get(application, section, key, defaultText);
}

bool SettingsPersistence::saveText(std::string_view application, std::string_view section, std::string_view key,
                                   const std::string& text) {
    if (bPortable_) return WriteIniValue(settingsFile(), section, key, text);
    return store_.save(application, section, key, text);
}

void SettingsPersistence::LoadSettings(SettingsValues& values) {
    forEachSetting(values, [&](std::string_view key, SettingType, auto& member) {
        using T = std::decay_t<decltype(member)>;
        const std::string stored =
            GetSettingValue(kSettingsApplication, kSettingsSection, key, settingText(member));
        if constexpr (std::is_same_v<T, std::string>) {
            member = stored;
        } else if constexpr (std::is_same_v<T, bool>) {
            if (const auto v = settingToBool(stored)) member = *v;
        } else if constexpr (std::is_same_v<T, std::int16_t>) {
            if (const auto v = settingToInt16(stored)) member = *v;
        } else {
            if (const auto v = settingToInt32(stored)) member = *v;
        }
    });
}

void SettingsPersistence::SaveSettings(SettingsValues& values, const MainWindowPlacement& window) {
    constexpr int normal = 0, maximised = 2;
    if (window.state == normal) {
        values.winTop = toTwips16(window.top);
        values.winLeft = toTwips16(window.left);
    }
    const bool writeGeometry = window.state == normal || window.state == maximised;
    if (writeGeometry) values.winState = window.state;

    std::vector<std::pair<std::string_view, std::string>> blocks[static_cast<int>(SaveBlock::Never)];
    forEachSetting(values, [&](std::string_view key, SettingType, auto& member) {
        const SaveBlock block = saveBlockOf(key);
        if (block == SaveBlock::Never) return;
        if (block == SaveBlock::MainWindow && !writeGeometry) return;
        blocks[static_cast<int>(block)].emplace_back(key, settingText(member));
    });
    // Each key is one write; a failing write is not retried and does not stop
    // the others. The user store gets them as one update, so shut-down costs
    // one synced rewrite rather than one per key.
    if (!bPortable_) store_.beginUpdate();
    for (const auto& block : blocks)
        for (const auto& [key, text] : block) saveText(kSettingsApplication, kSettingsSection, key, text);
    if (!bPortable_) store_.endUpdate();
}

bool SettingsPersistence::SaveSettingsOnce(SettingsValues& values, const MainWindowPlacement& window) {
    if (bSaved_) return false;
    bSaved_ = true;
    SaveSettings(values, window);
    return true;
}

} // namespace twinsift
