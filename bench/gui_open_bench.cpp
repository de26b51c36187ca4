// Times the desktop program's Open command on one file, as a user would meet
// it: the real main window, shown, with both views filling; only the file
// dialog and the load options dialog are answered at once. Prints the time
// from the command's start to "Scanned ..." in the status bar.
//
//   twinsift_bench_gui_open FILE [--cutoff N]
//
// Needs a display (a virtual X server will do); see compare_gui_open.sh.

#include "bench_services.h"

#include "app/twinsift_app.h"
#include "app/ui/frm_main.h"
#include "platform/app_identity.h"
#include "platform/command_port.h"
#include "platform/settings_store_memory.h"
#include "platform/window_service.h"
#include "scan/document.h"
#include "scan/scan_driver.h"
#include "settings/persistence.h"
#include "settings/settings_values.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTableView>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

namespace {

using namespace twinsift;

class AnswerOk final : public MessagePort {
public:
    MsgResult messageBox(std::string_view, std::string_view, MsgIcon, MsgButtons, std::string_view) override {
        return MsgResult::No;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view,
                                        std::string_view) override {
        return std::nullopt;
    }
};

class OneFile final : public FileDialogPort {
public:
    std::string path;
    std::string openFileDialog(const FileDialogRequest&) override { return std::exchange(path, {}); }
    std::string saveFileDialog(const FileDialogRequest&) override { return {}; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: twinsift_bench_gui_open FILE [--cutoff N]\n");
        return 2;
    }
    std::int32_t cutoff = 0;
    for (int i = 2; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--cutoff") == 0) cutoff = std::atoi(argv[i + 1]);

    QApplication qapp(argc, argv);
    SettingsValues settings = SettingsValues::Defaults();
    settings.listviewPreviewCutoff = cutoff;
    settings.bShowQuickstartWindow = false;
    settings.bShowMsgAddFiles = false;
    LoadedDocument document;
    RunState run;
    const AppIdentity identity = AppIdentity::FromCommandLine({});
    AnswerOk boxes;
    OneFile files;
    bench::OkWindows windows;
    bench::NoDesktop desktop;
    TwinsiftApp app({settings, document, run, identity, nullptr, nullptr, nullptr, {},
                     std::filesystem::current_path()},
                    {boxes, files, windows, desktop});
    frmMain& window = app.window();
    window.resize(900, 700);
    window.show();

    int rc = 1;
    QTimer::singleShot(300, &window, [&] {
        files.path = argv[1];
        QElapsedTimer clock;
        clock.start();
        app.dispatch(AppCommand::Open);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        // What is left for the window to lay out and paint after the command.
        QApplication::processEvents();
        window.repaint();
        const double settled = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        const QString status = window.panelText(QStringLiteral("status"));
        std::printf("%.3f s  (%.3f s painted)  %s  (lines shown %d, duplicate rows %d)\n", seconds, settled,
                    status.toUtf8().constData(),
                    window.showView()->model()->rowCount(), window.dupView()->model()->rowCount());
        rc = status.startsWith(QStringLiteral("Scanned ")) || status.startsWith(QStringLiteral("No duplicate")) ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    return rc;
}
