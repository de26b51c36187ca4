#include "platform/help_file.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using twinsift::findHelpFile;
using twinsift::test::TempDir;

// An installed tree: <prefix>/bin/twinsift and <prefix>/share/twinsift/Help.html.
struct InstalledTree {
    TempDir root;
    fs::path bin = root.path() / "bin";
    fs::path shared = root.path() / "share" / "twinsift" / "Help.html";
    InstalledTree() {
        fs::create_directories(bin);
        fs::create_directories(shared.parent_path());
    }
};

TEST(HelpFile, FoundInTheSharedDataFolderOfAnInstall) {
    InstalledTree t;
    t.root.write("share/twinsift/Help.html", "<p>installed</p>");
    const fs::path found = findHelpFile(t.bin);
    EXPECT_TRUE(fs::equivalent(found, t.shared)) << found;
    EXPECT_EQ(found, found.lexically_normal());
    EXPECT_EQ(twinsift::test::readFile(found), "<p>installed</p>");
}

TEST(HelpFile, OneBesideTheProgramWinsOverTheInstalledOne) {
    InstalledTree t;
    t.root.write("share/twinsift/Help.html", "installed");
    t.root.write("bin/Help.html", "beside");
    EXPECT_EQ(findHelpFile(t.bin), t.bin / "Help.html");
}

TEST(HelpFile, WithNeitherTheAnswerIsBesideTheProgram) {
    InstalledTree t;
    EXPECT_EQ(findHelpFile(t.bin), t.bin / "Help.html");
    // A folder of that name is no help file, in either place.
    fs::create_directories(t.bin / "Help.html");
    fs::create_directories(t.shared);
    EXPECT_EQ(findHelpFile(t.bin), t.bin / "Help.html");
}

} // namespace
