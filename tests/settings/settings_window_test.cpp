// Starting and closing the main window reads and writes the settings, the
// way a user's run of the program does.

#include "app/twinsift_app.h"
#include "app/ui/frm_main.h"
#include "support/scripted_boxes.h"
#include "support/scripted_services.h"
#include "platform/settings_store_xdg.h"
#include "scan/document.h"
#include "settings/persistence.h"
#include "support/test_support.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace twinsift;
using twinsift::test::readFile;
using twinsift::test::ScopedEnv;
using twinsift::test::TempDir;

namespace {

// The real per-user store, counting the writes that reach it.
class CountingStore final : public SettingsStore {
public:
    explicit CountingStore(SettingsStore& inner) : inner_(inner) {}
    std::string get(std::string_view a, std::string_view s, std::string_view k, std::string_view d) override {
        return inner_.get(a, s, k, d);
    }
    bool save(std::string_view a, std::string_view s, std::string_view k, std::string_view t) override {
        ++saves;
        return inner_.save(a, s, k, t);
    }
    void beginUpdate() override { inner_.beginUpdate(); }
    bool endUpdate() override { return inner_.endUpdate(); }
    int saves = 0;

private:
    SettingsStore& inner_;
};

QApplication& app() {
    static int argc = 1;
    static char name[] = "twinsift-test";
    static char* argv[] = {name, nullptr};
    static QApplication a(argc, argv);
    return a;
}

int countLines(const std::string& s, std::string_view eol) {
    int n = 0;
    for (auto p = s.find(eol); p != std::string::npos; p = s.find(eol, p + eol.size())) ++n;
    return n;
}

struct SettingsWindow : ::testing::Test {
    TempDir config, programDir;
    ScopedEnv xdg{"XDG_CONFIG_HOME", config.path().string()};
    XdgSettingsStore userStore;
    CountingStore store{userStore};
    SettingsPersistence persistence{store, programDir.path()};
    SettingsValues settings = SettingsValues::Defaults();
    LoadedDocument document;
    RunState run;
    std::filesystem::path storeFile = userStore.filePath("Quorvane", "Twinsift");

    AppIdentity identity;
    test::ScriptedBoxes boxes;
    test::ScriptedFiles files;
    test::ScriptedWindows windows;
    test::RecordingDesktop desktop;

    void SetUp() override { app(); }

    // The program as main() starts it: the settings are read before the
    // window is built and placed.
    std::unique_ptr<TwinsiftApp> startProgram() {
        persistence.DetectPortableMode();
        persistence.LoadSettings(settings);
        return std::make_unique<TwinsiftApp>(
            AppContext{settings, document, run, identity, &persistence, nullptr, nullptr, {}, programDir.path()},
            AppServices{boxes, files, windows, desktop});
    }
};

} // namespace

TEST_F(SettingsWindow, StartingAndClosingWritesTheUserStoreOnce) {
    ASSERT_TRUE(userStore.save("Quorvane", "Twinsift", "Load_txtInclude", "[a-z]+"));
    ASSERT_TRUE(userStore.save("Quorvane", "Twinsift", "bConvertNBSPToSpace", "false"));
    {
        const auto program = startProgram();
        frmMain& window = program->window();
        EXPECT_EQ(settings.Load_txtInclude, "[a-z]+"); // read at load, before the window is placed
        EXPECT_FALSE(settings.bConvertNBSPToSpace);
        window.show();
        QApplication::processEvents();
        EXPECT_TRUE(window.close());
        window.close(); // a second close request must not write again
        QApplication::processEvents();
    }
    EXPECT_EQ(store.saves, 68);
    const std::string content = readFile(storeFile);
    EXPECT_EQ(countLines(content, "\n"), 69); // 68 keys and the hand-added one
    EXPECT_EQ(content.find("Load_txtInclude=[a-z]+\n"), 0u); // kept in its place
    EXPECT_NE(content.find("bConvertNBSPToSpace=false\n"), std::string::npos);
    EXPECT_NE(content.find("\nwinState=0\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(programDir.path() / "settings.ini"));
}

TEST_F(SettingsWindow, APortableCopyKeepsItsSettingsBesideTheProgram) {
    programDir.write("PORTABLE", "");
    {
        const auto program = startProgram();
        frmMain& window = program->window();
        window.show();
        QApplication::processEvents();
        EXPECT_TRUE(window.close());
    }
    EXPECT_TRUE(persistence.bPortable());
    EXPECT_EQ(store.saves, 0);
    EXPECT_FALSE(std::filesystem::exists(config.path() / "Quorvane"));
    const std::string ini = readFile(programDir.path() / "settings.ini");
    EXPECT_EQ(ini.rfind("[Twinsift]\r\nbShowQuickstartLink=True\r\n", 0), 0u);
    EXPECT_EQ(countLines(ini, "\r\n"), 69);
}
