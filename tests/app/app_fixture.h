#pragma once
// The desktop program as main() builds it, with every dialog scripted and the
// settings in memory, so that a test drives the real window without blocking.

#include "app/twinsift_app.h"
#include "app/ui/frm_main.h"
#include "platform/app_identity.h"
#include "platform/settings_store_memory.h"
#include "scan/document.h"
#include "scan/scan_driver.h"
#include "settings/persistence.h"
#include "settings/settings_values.h"
#include "support/scripted_boxes.h"
#include "support/scripted_services.h"
#include "support/test_support.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace twinsift::test {

struct AppFixture : ::testing::Test {
    TempDir programDir, files;
    MemorySettingsStore store;
    SettingsPersistence persistence{store, programDir.path()};
    SettingsValues settings = SettingsValues::Defaults();
    LoadedDocument document;
    RunState run;
    AppIdentity identity;
    ScriptedBoxes boxes;
    ScriptedFiles dialogs;
    ScriptedWindows windows;
    RecordingDesktop desktop;
    std::unique_ptr<TwinsiftApp> app;
    std::filesystem::path programFolder; // where the program runs from; empty: programDir

    // Builds the program for this command line, after the settings were read.
    TwinsiftApp& start(const std::string& commandLine = {}) {
        identity = AppIdentity::FromCommandLine(commandLine);
        persistence.DetectPortableMode();
        persistence.LoadSettings(settings);
        app = std::make_unique<TwinsiftApp>(
            AppContext{settings, document, run, identity, &persistence, nullptr, nullptr, commandLine,
                       programFolder.empty() ? programDir.path() : programFolder},
            AppServices{boxes, dialogs, windows, desktop});
        return *app;
    }
    frmMain& window() { return app->window(); }

    // Shows the window and lets its first activation (and whatever it
    // starts) run.
    void showWindow() {
        window().show();
        QDeadlineTimer deadline(10000);
        while (window().firstActivationPending() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::processEvents();
    }

    template <class T>
    T* child(const char* name) {
        T* w = window().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

} // namespace twinsift::test
