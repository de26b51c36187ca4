#include "results/export.h"
#include "support/recording_port.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace twinsift;
using twinsift::test::RecordingPort;
using twinsift::test::TempDir;
using twinsift::test::ScopedFileSizeLimit;
using twinsift::test::filesStartingWith;
namespace fs = std::filesystem;

namespace {

// Lines 3 and 7 form one group, 9 and 12 another; only line 7 is selected.
struct ExportFixture : ::testing::Test {
    LoadedDocument doc;
    SettingsValues settings = SettingsValues::Defaults();
    RecordingPort port;
    TempDir dir;

    void SetUp() override {
        for (int i = 1; i <= 12; ++i) doc.lstOriginal.AddItem("  Line " + std::to_string(i) + " raw");
        for (const char* e : {"[03]   key a", "[07]   key a", "[09]   key b", "[12]   key b"}) doc.lstDuplicates.AddItem(e);
        doc.lstDuplicates.Selected(1, true);
    }
};

} // namespace

TEST_F(ExportFixture, ChoosesEntriesByTheirFlags) {
    EXPECT_EQ(BuildExportText(doc, false, ExportLines::Selected, ExportContent::LineNumber), "7\r\n");
    EXPECT_EQ(BuildExportText(doc, false, ExportLines::NotSelected, ExportContent::LineNumber), "3\r\n9\r\n12\r\n");
    EXPECT_EQ(BuildExportText(doc, false, ExportLines::All, ExportContent::LineNumber), "3\r\n7\r\n9\r\n12\r\n");
}

TEST_F(ExportFixture, OriginalLineComesFromTheLoadedLinesOnlyWithPreprocessing) {
    EXPECT_EQ(BuildExportText(doc, true, ExportLines::Selected, ExportContent::Original), "  Line 7 raw\r\n");
    EXPECT_EQ(BuildExportText(doc, false, ExportLines::Selected, ExportContent::Original), "key a\r\n");
    EXPECT_EQ(BuildExportText(doc, true, ExportLines::Selected, ExportContent::Preprocessed), "key a\r\n");
}

TEST(ExportOptions, PageOpensWithWhatCanBeChosen) {
    SettingsValues s = SettingsValues::Defaults();
    EXPECT_FALSE(PreprocessUsed(s));
    s.Load_ChkIncludeUntilStr = 1;
    EXPECT_TRUE(PreprocessUsed(s));

    auto st = ExportOptionSetup(false, false, ExportContent::Preprocessed);
    EXPECT_EQ(st.content, ExportContent::Original);
    EXPECT_FALSE(st.preprocessedEnabled);
    st = ExportOptionSetup(true, true);
    EXPECT_EQ(st.content, ExportContent::Preprocessed);
    EXPECT_FALSE(st.originalEnabled);
    st = ExportOptionSetup(false, true); // nothing but the content exists, and it is the line
    EXPECT_EQ(st.content, ExportContent::Original);
    EXPECT_TRUE(st.originalEnabled);
}

TEST_F(ExportFixture, ClipboardGetsUnicodeTextOfAWindows1252Document) {
    LoadedDocument latin;
    latin.codec = Codec::Windows1252;
    latin.lstDuplicates.AddItem("[1]   caf\xE9");
    latin.lstDuplicates.AddItem("[2]   caf\xE9");
    DuplicateExport page(latin, settings, port);
    page.cmdOk_Click(ExportLines::All, ExportContent::Original);
    EXPECT_EQ(port.clipboard, "caf\xC3\xA9\r\ncaf\xC3\xA9\r\n");
}

TEST_F(ExportFixture, CopyPutsTheTextOnTheClipboardOrWarns) {
    DuplicateExport page(doc, settings, port);
    page.cmdOk_Click(ExportLines::NotSelected, ExportContent::LineNumber);
    EXPECT_EQ(port.clipboard, "3\r\n9\r\n12\r\n");
    EXPECT_TRUE(port.messages.empty());

    doc.lstDuplicates.Selected(1, false);
    port.clipboard = "unchanged";
    page.cmdOk_Click(ExportLines::Selected, ExportContent::LineNumber);
    EXPECT_EQ(port.clipboard, "unchanged");
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].text, "Nothing to copy...");
    EXPECT_EQ(port.messages[0].icon, MsgIcon::Warning);
}

TEST_F(ExportFixture, SaveWritesTheFileAndRemembersThePath) {
    DuplicateExport page(doc, settings, port);
    port.saveDialogAnswer = (dir.path() / "dups.txt").string();
    page.cmdSave_Click(ExportLines::All, ExportContent::Preprocessed);
    EXPECT_EQ(test::readFile(port.saveDialogAnswer), "key a\r\nkey a\r\nkey b\r\nkey b\r\n");
    EXPECT_EQ(settings.sLastSaveDupsPath, port.saveDialogAnswer);

    // Nothing to write: an empty file, no message.
    page.cmdSave_Click(ExportLines::NotSelected, ExportContent::LineNumber);
    doc.lstDuplicates.Selected(1, false);
    page.cmdSave_Click(ExportLines::Selected, ExportContent::LineNumber);
    EXPECT_EQ(test::readFile(port.saveDialogAnswer), "");
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(ExportFixture, WriteProtectedFileIsOnlyWrittenAfterYes) {
    DuplicateExport page(doc, settings, port);
    port.saveDialogAnswer = dir.write("ro.txt", "old");
    fs::permissions(port.saveDialogAnswer, fs::perms::owner_read);
    port.answers = {MsgResult::No};
    page.cmdSave_Click(ExportLines::All, ExportContent::LineNumber);
    EXPECT_EQ(test::readFile(port.saveDialogAnswer), "old");
    EXPECT_TRUE(settings.sLastSaveDupsPath.empty());

    port.answers = {MsgResult::Yes};
    page.cmdSave_Click(ExportLines::Selected, ExportContent::LineNumber);
    EXPECT_EQ(test::readFile(port.saveDialogAnswer), "7\r\n");
    ASSERT_EQ(port.messages.size(), 2u);
    EXPECT_EQ(port.messages[1].text,
              "The selected file is write protected. Do you to remove the write protection and continue saving?");
}

TEST_F(ExportFixture, AFailedWriteLeavesTheOldFileAndNoPartialOne) {
    DuplicateExport page(doc, settings, port);
    port.saveDialogAnswer = dir.write("dups.txt", "previous export\r\n");
    {
        // The disk fills up: no file may grow past a few bytes.
        ScopedFileSizeLimit full(4);
        if (!full.active()) GTEST_SKIP() << "no file size limit here";
        page.cmdSave_Click(ExportLines::All, ExportContent::LineNumber);
    }
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].text, "Error writing file!");
    EXPECT_EQ(port.messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(test::readFile(port.saveDialogAnswer), "previous export\r\n");
    EXPECT_EQ(filesStartingWith(dir.path(), "dups.txt"), std::vector<std::string>{"dups.txt"});
    EXPECT_TRUE(settings.sLastSaveDupsPath.empty());

    // And via the plain function: a new name that fails leaves no file at all.
    const std::string fresh = (dir.path() / "new.txt").string();
    {
        ScopedFileSizeLimit full(4);
        EXPECT_EQ(WriteExportFile(fresh, doc, false, ExportLines::All, ExportContent::LineNumber), "Error writing file!");
    }
    EXPECT_TRUE(filesStartingWith(dir.path(), "new.txt").empty());
}

TEST_F(ExportFixture, APlantedLinkAtTheTemporaryNameRedirectsNothing) {
    const std::string victim = dir.write("victim.txt", "keep me\r\n");
    const std::string mine = dir.write("dups.txt.twinsifttemp", "the user's own file\r\n");
    const std::string target = (dir.path() / "dups.txt").string();
    // The first free names are taken: one by the user's file, one by a link.
    fs::create_symlink(victim, target + ".twinsifttemp1");
    EXPECT_EQ(WriteExportFile(target, doc, false, ExportLines::All, ExportContent::LineNumber), "");
    EXPECT_EQ(test::readFile(victim), "keep me\r\n");
    EXPECT_EQ(test::readFile(mine), "the user's own file\r\n");
    EXPECT_TRUE(fs::is_symlink(target + ".twinsifttemp1"));
    EXPECT_FALSE(test::readFile(target).empty());
    EXPECT_EQ(filesStartingWith(dir.path(), "dups.txt").size(), 3u);

    // A target that is a link is written through it; the link stays.
    const std::string real = dir.write("real.txt", "old\r\n");
    const std::string link = (dir.path() / "link.txt").string();
    fs::create_symlink(real, link);
    EXPECT_EQ(WriteExportFile(link, doc, false, ExportLines::All, ExportContent::LineNumber), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::readFile(real), test::readFile(target));
}
