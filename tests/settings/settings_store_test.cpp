#include "platform/settings_store_xdg.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace twinsift;
using twinsift::test::readFile;
using twinsift::test::ScopedEnv;
using twinsift::test::TempDir;

TEST(XdgSettingsStore, LivesInTheXdgConfigFolder) {
    TempDir home, config;
    ScopedEnv h("HOME", home.path().string());
    {
        ScopedEnv x("XDG_CONFIG_HOME", config.path().string());
        ASSERT_TRUE(XdgSettingsStore().save("Quorvane", "Twinsift", "k", "v"));
        EXPECT_EQ(readFile(config.path() / "Quorvane" / "Twinsift.conf"), "k=v\n");
    }
    ScopedEnv x("XDG_CONFIG_HOME", "relative/dir"); // not absolute: ignored
    EXPECT_EQ(XdgSettingsStore::defaultConfigRoot(), home.path() / ".config");
}

TEST(XdgSettingsStore, KeepsAnyTextExactlyAndWhatTheUserAddedByHand) {
    TempDir config;
    XdgSettingsStore store(config.path());
    const auto file = store.filePath("Quorvane", "Twinsift");
    std::filesystem::create_directories(file.parent_path());
    config.write("Quorvane/Twinsift.conf", "# notes\r\nWINTOP=5\r\n\r\n");
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winTop", "d"), "5");

    const std::string tricky = std::string("a\\b\r\nc=d\t\xE4\xC3\xA4 [x] ") + '\0' + "end";
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "winTop", tricky));
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "odd=key", "1"));
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winTop", ""), tricky);
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "odd=key", ""), "1");
    EXPECT_EQ(readFile(file), "# notes\nwinTop=a\\\\b\\r\\nc=d\\x09\\xE4\xC3\xA4 [x] \\x00end\n\nodd\\x3Dkey=1\n");
    EXPECT_EQ(XdgSettingsStore::unescape("C:\\dir\\q\\x4"), "C:\\dir\\q\\x4"); // typed backslashes stay
}

TEST(XdgSettingsStore, CommitsAnUpdateInOneStepAndLeavesNoTemporaryFile) {
    TempDir config;
    XdgSettingsStore store(config.path());
    const auto file = store.filePath("Quorvane", "Twinsift");
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "k", "1"));
    store.beginUpdate();
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "k", "2"));
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "j", "3"));
    EXPECT_EQ(readFile(file), "k=1\n"); // a crash now keeps the previous store
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "k", ""), "2");
    EXPECT_TRUE(store.endUpdate());
    EXPECT_EQ(readFile(file), "k=2\nj=3\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(file.parent_path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(XdgSettingsStore, ReadsDefaultsAndRefusesToSaveWhenTheFolderIsUnusable) {
    TempDir dir;
    XdgSettingsStore store(dir.write("not-a-folder", "x"));
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "k", "d"), "d");
    EXPECT_FALSE(store.save("Quorvane", "Twinsift", "k", "v"));
    EXPECT_FALSE(XdgSettingsStore(std::filesystem::path()).save("Quorvane", "Twinsift", "k", "v"));
}
