#include "settings/persistence.h"

#include "platform/settings_store_memory.h"
#include "platform/settings_store_xdg.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace twinsift;
using twinsift::test::readFile;
using twinsift::test::TempDir;

namespace {

constexpr double kScreenW = 19200, kScreenH = 14400;

SettingsValues defaults() { return SettingsValues::Defaults(kScreenW, kScreenH); }

// Every setting as its stored text, keyed by name.
std::map<std::string, std::string> asTexts(SettingsValues v) {
    std::map<std::string, std::string> m;
    forEachSetting(v, [&](std::string_view key, SettingType, auto& member) { m[std::string(key)] = settingText(member); });
    return m;
}

// A value for every key that differs from its default and from the other keys.
SettingsValues distinctValues() {
    SettingsValues v = defaults();
    int n = 0;
    forEachSetting(v, [&](std::string_view key, SettingType, auto& member) {
        using T = std::decay_t<decltype(member)>;
        ++n;
        if constexpr (std::is_same_v<T, std::string>) member = "C:\\dir [" + std::string(key) + "]=\xE4 \xC3\xA4";
        else if constexpr (std::is_same_v<T, bool>) member = !member;
        else if constexpr (std::is_same_v<T, std::int16_t>) member = static_cast<std::int16_t>(-100 - n);
        else member = 2000000000 + n;
    });
    return v;
}

int countLines(const std::string& s, std::string_view eol) {
    int n = 0;
    for (std::size_t p = s.find(eol); p != std::string::npos; p = s.find(eol, p + eol.size())) ++n;
    return n;
}

} // namespace

TEST(SettingConversions, ReadNumbersAndYesNoValuesTheWayTheyWereStored) {
    EXPECT_EQ(settingToInt16("12"), 12);
    EXPECT_EQ(settingToInt16(" -7 "), -7);
    EXPECT_EQ(settingToInt16("2.5"), 2); // halves to the even neighbour
    EXPECT_EQ(settingToInt16("3.5"), 4);
    EXPECT_EQ(settingToInt16("-32768"), -32768);
    EXPECT_EQ(settingToInt16("32768"), std::nullopt);
    EXPECT_EQ(settingToInt32("2147483647"), 2147483647);
    EXPECT_EQ(settingToInt32("2147483648"), std::nullopt);
    for (const char* bad : {"", "abc", "12abc", "0x10", "inf", "nan", "1,5", "--1"})
        EXPECT_EQ(settingToInt16(bad), std::nullopt) << bad;

    EXPECT_EQ(settingToBool("True"), true);
    EXPECT_EQ(settingToBool("fALSE"), false);
    EXPECT_EQ(settingToBool("-1"), true);
    EXPECT_EQ(settingToBool("0"), false);
    EXPECT_EQ(settingToBool("0.0"), false);
    EXPECT_EQ(settingToBool("yes"), std::nullopt);

    EXPECT_EQ(settingText(true), "True");
    EXPECT_EQ(settingText(false), "False");
    EXPECT_EQ(settingText(std::int16_t{-5}), "-5");
}

TEST(SettingCounters, StayAtTheLimitInsteadOfWrapping) {
    EXPECT_EQ(addToCounter(5, 7), 12);
    EXPECT_EQ(addToCounter(2147483000, 1000), 2147483647);
    EXPECT_EQ(addToCounter(2147483647, 1), 2147483647);
}

TEST(SettingsPersistence, FirstRunWithAnEmptyStoreGivesExactlyTheDefaults) {
    MemorySettingsStore store;
    TempDir programDir;
    SettingsPersistence p(store, programDir.path());
    p.DetectPortableMode();
    EXPECT_FALSE(p.bPortable());
    SettingsValues v = defaults();
    p.LoadSettings(v);
    EXPECT_EQ(asTexts(v), asTexts(defaults()));
    EXPECT_EQ(store.reads, kSettingCount);
    EXPECT_FALSE(std::filesystem::exists(programDir.path() / "settings.ini"));
}

TEST(SettingsPersistence, WritesInTheStoreOrderWithoutTheNoBreakSpaceKey) {
    MemorySettingsStore store;
    TempDir programDir;
    SettingsPersistence p(store, programDir.path());
    SettingsValues v = defaults();
    p.SaveSettings(v, {0, 1500, 900});
    ASSERT_EQ(store.writes.size(), 68u);
    std::vector<std::string> keys;
    for (const auto& w : store.writes) {
        EXPECT_EQ(w.application, "Quorvane");
        EXPECT_EQ(w.section, "Twinsift");
        keys.push_back(w.key);
    }
    EXPECT_EQ(keys[0], "caseSensitive");
    EXPECT_EQ(keys[19], "bShowMsgWriteProtected");
    EXPECT_EQ(keys[20], "statFilesOpened");
    EXPECT_EQ(keys[24], "statDupsDeleted");
    const std::vector<std::string> geometry(keys.begin() + 25, keys.begin() + 35);
    EXPECT_EQ(geometry, (std::vector<std::string>{"winLeft", "winTop", "winWidth", "winHeight", "winState",
                                                  "viewWinLeft", "viewWinTop", "viewWinWidth", "viewWinHeight",
                                                  "viewWinState"}));
    EXPECT_EQ(keys[35], "Load_RemoveWhitespaces");
    EXPECT_EQ(keys[60], "Load_ExcelColumnName");
    EXPECT_EQ(keys[61], "Save_FilteredContent");
    EXPECT_EQ(keys[66], "bShowQuickstartWindow");
    EXPECT_EQ(keys[67], "bShowQuickstartLink");
    EXPECT_EQ(store.writes[0].text, "0");
    EXPECT_EQ(store.writes[16].text, "True"); // bShowMsgNoDups
    EXPECT_EQ(store.writes[25].text, "1500");  // winLeft from the normal window
    EXPECT_EQ(store.writes[26].text, "900");
}

TEST(SettingsPersistence, KeepsTheStoredGeometryWhileMinimised) {
    MemorySettingsStore store;
    TempDir programDir;
    SettingsPersistence p(store, programDir.path());
    for (const char* k : {"winLeft", "winTop", "winWidth", "winHeight", "winState"}) store.put("Quorvane", "Twinsift", k, "77");
    SettingsValues v = defaults();
    p.LoadSettings(v);
    v.winLeft = v.winTop = v.winWidth = v.winHeight = 5;
    p.SaveSettings(v, {1, 3000, 3000});
    EXPECT_EQ(store.writes.size(), 63u);
    for (const char* k : {"winLeft", "winTop", "winWidth", "winHeight", "winState"})
        EXPECT_EQ(store.get("Quorvane", "Twinsift", k, ""), "77") << k;
}

TEST(SettingsPersistence, StoresTheLastNormalGeometryWhenMaximised) {
    MemorySettingsStore store;
    TempDir programDir;
    SettingsPersistence p(store, programDir.path());
    SettingsValues v = defaults();
    v.winLeft = 300; // as last tracked in the normal state
    v.winTop = 450;
    v.winWidth = 9000;
    v.winHeight = 7000;
    p.SaveSettings(v, {2, -60, -60}); // a maximised window sits off the screen's edge
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winState", ""), "2");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winLeft", ""), "300");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winTop", ""), "450");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winWidth", ""), "9000");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winHeight", ""), "7000");

    // Normal: the edges come from the window, rounded halves to even and kept in 16 bits.
    p.SaveSettings(v, {0, 1234.5, 99999});
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winLeft", ""), "1234");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winTop", ""), "32767");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winState", ""), "0");
}

TEST(SettingsPersistence, NormalisesWhatItReadsAndIgnoresWhatDoesNotConvert) {
    MemorySettingsStore store;
    TempDir programDir;
    store.put("Quorvane", "Twinsift", "preserveMemory", "1.0");
    store.put("Quorvane", "Twinsift", "bShowMsgNoDups", " false ");
    store.put("Quorvane", "Twinsift", "bShowMsgAddFiles", "-1");
    store.put("Quorvane", "Twinsift", "winWidth", "wide");
    store.put("Quorvane", "Twinsift", "statLinesScanned", "99999999999");
    SettingsPersistence p(store, programDir.path());
    SettingsValues v = defaults();
    p.LoadSettings(v);
    EXPECT_EQ(v.preserveMemory, 1);
    EXPECT_FALSE(v.bShowMsgNoDups);
    EXPECT_TRUE(v.bShowMsgAddFiles);
    EXPECT_EQ(v.winWidth, 7800);
    EXPECT_EQ(v.statLinesScanned, 0);
    p.SaveSettings(v, {0, 0, 0});
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "preserveMemory", ""), "1");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "bShowMsgNoDups", ""), "False");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "bShowMsgAddFiles", ""), "True");
}

TEST(SettingsPersistence, RoundTripsEveryKeyThroughTheUserStoreFile) {
    TempDir config, programDir;
    XdgSettingsStore store(config.path());
    SettingsPersistence p(store, programDir.path());
    SettingsValues saved = distinctValues();
    saved.bConvertNBSPToSpace = true; // never written, so it must come back as its default
    p.SaveSettings(saved, {0, double(saved.winLeft), double(saved.winTop)});

    const std::string content = readFile(store.filePath("Quorvane", "Twinsift"));
    EXPECT_EQ(countLines(content, "\n"), 68);
    EXPECT_EQ(content.find("bConvertNBSPToSpace"), std::string::npos);

    SettingsValues loaded = defaults();
    p.LoadSettings(loaded);
    EXPECT_EQ(asTexts(loaded), asTexts(saved));
    EXPECT_FALSE(std::filesystem::exists(programDir.path() / "settings.ini"));
}

TEST(SettingsPersistence, RoundTripsEveryKeyThroughThePortableFileBesideTheProgram) {
    TempDir programDir, elsewhere;
    programDir.write("PORTABLE", "");
    const auto oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path()); // started through a shortcut
    MemorySettingsStore store;
    SettingsPersistence p(store, programDir.path());
    p.DetectPortableMode();
    ASSERT_TRUE(p.bPortable());

    SettingsValues loaded = defaults();
    p.LoadSettings(loaded);
    EXPECT_EQ(asTexts(loaded), asTexts(defaults()));
    SettingsValues saved = distinctValues();
    saved.bConvertNBSPToSpace = true;
    p.SaveSettings(saved, {0, double(saved.winLeft), double(saved.winTop)});
    std::filesystem::current_path(oldCwd);

    const std::string content = readFile(programDir.path() / "settings.ini");
    EXPECT_EQ(content.rfind("[Twinsift]\r\nbShowQuickstartLink=False\r\nbShowQuickstartWindow=False\r\n", 0), 0u);
    EXPECT_EQ(countLines(content, "\r\n"), 69); // the header and 68 keys
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "settings.ini"));
    EXPECT_TRUE(store.values.empty());
    EXPECT_TRUE(store.writes.empty());

    loaded = defaults();
    p.LoadSettings(loaded);
    EXPECT_EQ(asTexts(loaded), asTexts(saved));
}

TEST(SettingsPersistence, HonoursAHandAddedNoBreakSpaceKeyAndNeverOverwritesIt) {
    TempDir config, programDir, portableDir;
    XdgSettingsStore xdg(config.path());
    ASSERT_TRUE(xdg.save("Quorvane", "Twinsift", "bConvertNBSPToSpace", "False"));
    portableDir.write("PORTABLE", "");
    portableDir.write("settings.ini", "[Twinsift]\r\nbConvertNBSPToSpace=False\r\n");

    SettingsPersistence user(xdg, programDir.path());
    MemorySettingsStore unused;
    SettingsPersistence portable(unused, portableDir.path());
    portable.DetectPortableMode();
    for (SettingsPersistence* p : {&user, &portable}) {
        for (int run = 0; run < 2; ++run) {
            SettingsValues v = defaults();
            p->LoadSettings(v);
            EXPECT_FALSE(v.bConvertNBSPToSpace) << "run " << run;
            v.bConvertNBSPToSpace = true; // whatever happens in memory is not written
            p->SaveSettings(v, {0, 0, 0});
        }
    }
    EXPECT_EQ(xdg.get("Quorvane", "Twinsift", "bConvertNBSPToSpace", ""), "False");
    EXPECT_NE(readFile(portableDir.path() / "settings.ini").find("\r\nbConvertNBSPToSpace=False\r\n"),
              std::string::npos);
}

TEST(SettingsPersistence, CarriesOnWithDefaultsWhenThePortableFileCannotBeWritten) {
    TempDir programDir;
    programDir.write("PORTABLE", "");
    std::filesystem::create_directory(programDir.path() / "settings.ini"); // a folder in the file's place
    MemorySettingsStore store;
    SettingsPersistence p(store, programDir.path());
    p.DetectPortableMode();
    SettingsValues v = defaults();
    p.LoadSettings(v);
    EXPECT_EQ(asTexts(v), asTexts(defaults()));
    p.SaveSettings(v, {0, 10, 10});
    EXPECT_TRUE(std::filesystem::is_directory(programDir.path() / "settings.ini"));
    EXPECT_TRUE(store.writes.empty());
}
