// Bytes of the portable settings file -> values -> the file written back ->
// values again: what is read after a save must be what was saved, and saving
// those values once more must not change a byte.

#include "fuzz_support.h"

#include "platform/settings_store_memory.h"
#include "settings/persistence.h"
#include "settings/settings_values.h"

#include <vector>

using namespace twinsift;

namespace {

std::vector<std::string> texts(SettingsValues& v) {
    std::vector<std::string> out;
    forEachSetting(v, [&](std::string_view, SettingType, auto& member) { out.push_back(settingText(member)); });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto folder = fuzz::scratchDir() / "program";
    std::filesystem::create_directories(folder);
    fuzz::writeScratch("program/PORTABLE", nullptr, 0);
    const std::string file = fuzz::writeScratch("program/settings.ini", data, size);

    MemorySettingsStore store;
    SettingsPersistence p(store, folder);
    p.DetectPortableMode();
    fuzz::require(p.bPortable(), "portable marker not seen");
    const MainWindowPlacement minimised{1, 0, 0};

    SettingsValues first = SettingsValues::Defaults();
    p.LoadSettings(first);
    p.SaveSettings(first, minimised);
    const std::string written = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();

    SettingsValues second = SettingsValues::Defaults();
    p.LoadSettings(second);
    fuzz::require(texts(first) == texts(second), "values changed by a save and a load");
    p.SaveSettings(second, minimised);
    const std::string again = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    fuzz::require(written == again, "saving the same values changed the file");
    return 0;
}
