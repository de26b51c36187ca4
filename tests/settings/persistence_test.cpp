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

SettingsValues defaults() { return SettingsValues::Defaults(19200, 14400); }

std::map<std::string, std::string> asTexts(SettingsValues v) {
    std::map<std::string, std::string> m;
    forEachSetting(v, [&](std::string_view key, SettingType, auto& member) { m[std::string(key)] = settingText(member); });
    return m;
}

// A value for every key that differs from its default and from the other keys;
// texts hold brackets, "=", a backslash and bytes that are not UTF-8.
SettingsValues distinctValues() {
    SettingsValues v = defaults();
    int n = 0;
    forEachSetting(v, [&](std::string_view key, SettingType, auto& member) {
        using T = std::decay_t<decltype(member)>;
        ++n;
        if constexpr (std::is_same_v<T, std::string>) member = "C:\\d [" + std::string(key) + "]=\xE4\xC3\xA4";
        else if constexpr (std::is_same_v<T, bool>) member = !member;
        else if constexpr (std::is_same_v<T, std::int16_t>) member = static_cast<std::int16_t>(-100 - n);
        else member = 2000000000 + n;
    });
    v.bConvertNBSPToSpace = true; // never written: must come back as its default
    v.winState = 2;
    return v;
}

int countLines(const std::string& s, std::string_view eol) {
    int n = 0;
    for (std::size_t p = s.find(eol); p != std::string::npos; p = s.find(eol, p + eol.size())) ++n;
    return n;
}

struct Persistence : ::testing::Test {
    MemorySettingsStore store;
    TempDir programDir;
    SettingsPersistence p{store, programDir.path()};
    std::string stored(const char* key) { return store.get("Quorvane", "Twinsift", key, "<none>"); }
};

} // namespace

TEST(SettingConversions, ReadNumbersAndYesNoValuesTheWayTheyWereStored) {
    EXPECT_EQ(settingToInt16(" -7 "), -7);
    EXPECT_EQ(settingToInt16("2.5"), 2); // halves to the even neighbour
    EXPECT_EQ(settingToInt16("3.5"), 4);
    EXPECT_EQ(settingToInt16("32768"), std::nullopt);
    EXPECT_EQ(settingToInt32("2147483648"), std::nullopt);
    for (const char* bad : {"", "abc", "12abc", "0x10", "inf", "1,5", "--1"})
        EXPECT_EQ(settingToInt16(bad), std::nullopt) << bad;
    EXPECT_EQ(settingToBool("fALSE"), false);
    EXPECT_EQ(settingToBool("-1"), true);
    EXPECT_EQ(settingToBool("0.0"), false);
    EXPECT_EQ(settingToBool("yes"), std::nullopt);
    EXPECT_EQ(addToCounter(2147483000, 1000), 2147483647);
}

TEST_F(Persistence, FirstRunWithAnEmptyStoreGivesExactlyTheDefaults) {
    p.DetectPortableMode();
    EXPECT_FALSE(p.bPortable());
    SettingsValues v = defaults();
    p.LoadSettings(v);
    EXPECT_EQ(asTexts(v), asTexts(defaults()));
    EXPECT_EQ(store.reads, kSettingCount);
    EXPECT_FALSE(std::filesystem::exists(programDir.path() / "settings.ini"));
}

TEST_F(Persistence, WritesBlockByBlockWithoutTheNoBreakSpaceKey) {
    SettingsValues v = defaults();
    p.SaveSettings(v, {0, 1234.5, 99999});
    std::vector<std::string> keys;
    for (const auto& w : store.writes) keys.push_back(w.key);
    ASSERT_EQ(keys.size(), 68u);
    // General and warnings, statistics, main window, view window, options, quickstart.
    EXPECT_EQ(keys[19], "bShowMsgWriteProtected");
    EXPECT_EQ(keys[20], "statFilesOpened");
    EXPECT_EQ(std::vector<std::string>(keys.begin() + 25, keys.begin() + 31),
              (std::vector<std::string>{"winLeft", "winTop", "winWidth", "winHeight", "winState", "viewWinLeft"}));
    EXPECT_EQ(keys[35], "Load_RemoveWhitespaces");
    EXPECT_EQ(keys[67], "bShowQuickstartLink");
    // A normal window's edges, rounded halves to even and held in 16 bits.
    EXPECT_EQ(stored("winLeft"), "1234");
    EXPECT_EQ(stored("winTop"), "32767");
    EXPECT_EQ(stored("bShowMsgNoDups"), "True");
}

TEST_F(Persistence, LeavesTheMainWindowKeysAloneWhileMinimised) {
    for (const char* k : {"winLeft", "winTop", "winWidth", "winHeight", "winState"}) store.put("Quorvane", "Twinsift", k, "77");
    SettingsValues v = defaults();
    v.winLeft = v.winWidth = 5;
    p.SaveSettings(v, {1, 3000, 3000});
    EXPECT_EQ(store.writes.size(), 63u);
    for (const char* k : {"winLeft", "winTop", "winWidth", "winHeight", "winState"}) EXPECT_EQ(stored(k), "77") << k;

    // Maximised: state 2 with the position and size last seen in the normal state.
    v.winLeft = 300;
    p.SaveSettings(v, {2, -60, -60});
    EXPECT_EQ(stored("winState"), "2");
    EXPECT_EQ(stored("winLeft"), "300");
    EXPECT_EQ(stored("winWidth"), "5");
}

TEST_F(Persistence, NormalisesWhatItReadsAndKeepsDefaultsForWhatDoesNotConvert) {
    store.put("Quorvane", "Twinsift", "preserveMemory", "1.0");
    store.put("Quorvane", "Twinsift", "bShowMsgNoDups", " false ");
    store.put("Quorvane", "Twinsift", "winWidth", "wide");
    store.put("Quorvane", "Twinsift", "statLinesScanned", "99999999999");
    SettingsValues v = defaults();
    p.LoadSettings(v);
    EXPECT_EQ(v.winWidth, 7800);
    EXPECT_EQ(v.statLinesScanned, 0);
    p.SaveSettings(v, {0, 0, 0});
    EXPECT_EQ(stored("preserveMemory"), "1");
    EXPECT_EQ(stored("bShowMsgNoDups"), "False");
}

TEST(SettingsRoundTrip, EveryKeySurvivesTheUserStoreAndThePortableFile) {
    TempDir config, userProgram, portableProgram, elsewhere;
    XdgSettingsStore xdg(config.path());
    MemorySettingsStore untouched;
    portableProgram.write("PORTABLE", "");
    SettingsPersistence user(xdg, userProgram.path());
    SettingsPersistence portable(untouched, portableProgram.path());

    const auto oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path()); // started through a shortcut
    const SettingsValues saved = distinctValues();
    for (SettingsPersistence* p : {&user, &portable}) {
        p->DetectPortableMode();
        SettingsValues v = saved;
        p->SaveSettings(v, {2, 0, 0}); // maximised: every value goes out as it is in memory
        EXPECT_EQ(v.winState, 2);
        SettingsValues loaded = defaults();
        p->LoadSettings(loaded);
        EXPECT_EQ(asTexts(loaded), asTexts(v)) << (p->bPortable() ? "portable" : "user store");
    }
    std::filesystem::current_path(oldCwd);

    EXPECT_EQ(countLines(readFile(xdg.filePath("Quorvane", "Twinsift")), "\n"), 68);
    const std::string ini = readFile(portableProgram.path() / "settings.ini");
    EXPECT_EQ(ini.rfind("[Twinsift]\r\nbShowQuickstartLink=False\r\nbShowQuickstartWindow=False\r\n", 0), 0u);
    EXPECT_EQ(countLines(ini, "\r\n"), 69); // the header and 68 keys
    EXPECT_TRUE(untouched.writes.empty());
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "settings.ini"));
    EXPECT_FALSE(std::filesystem::exists(userProgram.path() / "settings.ini"));
}

TEST(SettingsRoundTrip, AHandAddedNoBreakSpaceKeyIsHonouredAndNeverOverwritten) {
    TempDir config, userProgram, portableProgram;
    XdgSettingsStore xdg(config.path());
    ASSERT_TRUE(xdg.save("Quorvane", "Twinsift", "bConvertNBSPToSpace", "False"));
    portableProgram.write("PORTABLE", "");
    portableProgram.write("settings.ini", "[Twinsift]\r\nbConvertNBSPToSpace=False\r\n");
    MemorySettingsStore unused;
    SettingsPersistence user(xdg, userProgram.path());
    SettingsPersistence portable(unused, portableProgram.path());
    for (SettingsPersistence* p : {&user, &portable}) {
        p->DetectPortableMode();
        for (int run = 0; run < 2; ++run) {
            SettingsValues v = defaults();
            p->LoadSettings(v);
            EXPECT_FALSE(v.bConvertNBSPToSpace) << "run " << run;
            v.bConvertNBSPToSpace = true;
            p->SaveSettings(v, {0, 0, 0});
        }
    }
    EXPECT_EQ(xdg.get("Quorvane", "Twinsift", "bConvertNBSPToSpace", ""), "False");
    EXPECT_NE(readFile(portableProgram.path() / "settings.ini").find("\nbConvertNBSPToSpace=False\r\n"),
              std::string::npos);
}

TEST_F(Persistence, CarriesOnWithDefaultsWhenThePortableFileCannotBeUsed) {
    programDir.write("PORTABLE", "");
    std::filesystem::create_directory(programDir.path() / "settings.ini");
    p.DetectPortableMode();
    SettingsValues v = defaults();
    p.LoadSettings(v);
    EXPECT_EQ(asTexts(v), asTexts(defaults()));
    p.SaveSettings(v, {0, 10, 10});
    EXPECT_TRUE(std::filesystem::is_directory(programDir.path() / "settings.ini"));
    EXPECT_TRUE(store.writes.empty());
}
