#include "platform/settings_store_xdg.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace twinsift;
using twinsift::test::readFile;
using twinsift::test::ScopedEnv;
using twinsift::test::TempDir;

TEST(XdgSettingsStore, FindsItsFolderByTheXdgRules) {
    TempDir home, config;
    ScopedEnv h("HOME", home.path().string());
    {
        ScopedEnv x("XDG_CONFIG_HOME", config.path().string());
        EXPECT_EQ(XdgSettingsStore::defaultConfigRoot(), config.path());
        XdgSettingsStore store;
        ASSERT_TRUE(store.save("Quorvane", "Twinsift", "k", "v"));
        EXPECT_EQ(readFile(config.path() / "Quorvane" / "Twinsift.conf"), "k=v\n");
    }
    {
        ScopedEnv x("XDG_CONFIG_HOME", "relative/dir"); // not absolute: ignored
        EXPECT_EQ(XdgSettingsStore::defaultConfigRoot(), home.path() / ".config");
    }
}

TEST(XdgSettingsStore, KeepsAnyTextExactlyAndTheFileOneEntryPerLine) {
    TempDir config;
    XdgSettingsStore store(config.path());
    const std::string tricky = std::string("a\\b\r\nc=d\t\xE4\xC3\xA4 [x] ") + '\0' + "end";
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "path", tricky));
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "odd=key", "1"));
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "path", ""), tricky);
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "odd=key", ""), "1");
    EXPECT_EQ(readFile(store.filePath("Quorvane", "Twinsift")),
              "path=a\\\\b\\r\\nc=d\\x09\\xE4\xC3\xA4 [x] \\x00end\nodd\\x3Dkey=1\n");
    // A backslash the store did not write stays as typed.
    EXPECT_EQ(XdgSettingsStore::unescape("C:\\dir\\q\\x4"), "C:\\dir\\q\\x4");
}

TEST(XdgSettingsStore, ReplacesInPlaceAndKeepsWhatTheUserAdded) {
    TempDir config;
    XdgSettingsStore store(config.path());
    const auto file = store.filePath("Quorvane", "Twinsift");
    std::filesystem::create_directories(file.parent_path());
    std::string hand = "# my notes\r\nWINTOP=5\r\n\r\nother=x\r\n";
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(hand.data(), 1, hand.size(), f);
    std::fclose(f);

    EXPECT_EQ(store.get("QUORVANE", "Twinsift", "winTop", "d"), "d"); // the application is a folder name
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "winTop", "d"), "5");
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "winTop", "6"));
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "new", "7"));
    EXPECT_EQ(readFile(file), "# my notes\nwinTop=6\n\nother=x\nnew=7\n");
    // Saved through a temporary file that does not stay behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(file.parent_path())) ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(store.get("Quorvane", "Other", "winTop", "none"), "none");
}

TEST(XdgSettingsStore, ReadsDefaultsAndRefusesToSaveWhenTheFolderIsUnusable) {
    TempDir dir;
    const std::string blocker = dir.write("not-a-folder", "x");
    XdgSettingsStore store(blocker);
    EXPECT_EQ(store.get("Quorvane", "Twinsift", "k", "d"), "d");
    EXPECT_FALSE(store.save("Quorvane", "Twinsift", "k", "v"));
    EXPECT_EQ(readFile(blocker), "x");

    XdgSettingsStore unknown{std::filesystem::path()};
    EXPECT_EQ(unknown.get("Quorvane", "Twinsift", "k", "d"), "d");
    EXPECT_FALSE(unknown.save("Quorvane", "Twinsift", "k", "v"));
}

TEST(XdgSettingsStore, CommitsAnUpdateInOneStepAtItsEnd) {
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
    ASSERT_TRUE(store.save("Quorvane", "Twinsift", "j", "4")); // back to one write per save
    EXPECT_EQ(readFile(file), "k=2\nj=4\n");
}
