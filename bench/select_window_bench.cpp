// How long "All" and "Invert" take in the window, against the same selection
// walk without a window, over one list of duplicate entries, in one run.
//
//   twinsift_bench_select [ENTRIES]      (default 1000000)
//
// The window is the real program: a generated file is opened through the
// Open command with the duplicate view filled, the window is shown, then each
// command runs from
// the app and the pending window events (the view's repaint) are let run
// before the clock stops. The windowless walk runs the same commands over the
// same list with a port that does nothing. Each figure is the best of five.
// Prints both figures and their ratio; exits 1 when the window takes more
// than 1.5 times the walk.
//
// Run it offscreen (QT_QPA_PLATFORM=offscreen) or on a desktop.

#include "bench_services.h"

#include "app/twinsift_app.h"
#include "app/ui/frm_main.h"
#include "results/selection.h"
#include "scan/document.h"
#include "scan/scan_driver.h"
#include "settings/settings_values.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTableView>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace ts = twinsift;

namespace {

// A port that answers everything and shows nothing.
class NullPort final : public ts::CommandPort {
public:
    explicit NullPort(std::string file = {}) : file_(std::move(file)) {}
    void setPanelText(std::string_view, std::string_view) override {}
    std::string panelText(std::string_view) const override { return {}; }
    void setCaption(std::string_view) override {}
    void setMousePointer(ts::MousePointer) override {}
    void setProgressRange(std::int64_t, std::int64_t) override {}
    void setProgressValue(std::int64_t) override {}
    void pumpEvents() override {}
    void setButtonEnabled(ts::CmdButton, bool) override {}
    void setButtonVisible(ts::CmdButton, bool) override {}
    void setButtonFocus(ts::CmdButton) override {}
    void refreshButtonBar() override {}
    void setMainWindowEnabled(bool) override {}
    ts::MsgResult messageBox(std::string_view, std::string_view, ts::MsgIcon, ts::MsgButtons buttons,
                             std::string_view) override {
        return buttons == ts::MsgButtons::Ok ? ts::MsgResult::Ok : ts::MsgResult::No;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view,
                                        std::string_view) override {
        return std::nullopt;
    }
    std::string openFileDialog(const ts::FileDialogRequest&) override { return std::exchange(file_, {}); }
    std::string saveFileDialog(const ts::FileDialogRequest&) override { return {}; }
    void showRowsAdded(std::int32_t) override {}
    void showRowChanged(std::int32_t) override {}
    void showNoticeRow(std::string_view) override {}
    void setDupViewDisplayOption(bool) override {}
    void dupRowsAdded(std::int32_t) override {}
    void unselectViewRows() override {}
    void refreshViews() override {}
    void clearListViews() override {}
    void setDupRowChecked(std::int32_t, bool) override {}
    void dupRowsChecked(std::int32_t, std::int32_t) override {}
    std::int32_t highlightedDupRow() const override { return -1; }
    ts::WindowService& windows() override { return windows_; }
    ts::DesktopServices& desktop() override { return desktop_; }

private:
    std::string file_;
    ts::bench::OkWindows windows_;
    ts::bench::NoDesktop desktop_;
};

double bestOf(int runs, const std::function<void()>& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - t0;
        best = std::min(best, ms.count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const long entries = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
    if (entries < 2 || entries % 2 != 0) {
        std::fprintf(stderr, "ENTRIES must be an even number of at least 2\n");
        return 2;
    }

    // Every line twice: as many duplicate entries as lines.
    const auto dir = std::filesystem::temp_directory_path() / "twinsift-bench-select";
    std::filesystem::create_directories(dir);
    const auto file = dir / "pairs.txt";
    {
        std::ofstream out(file, std::ios::binary);
        for (long i = 0; i < entries; ++i) out << "entry " << (i % (entries / 2)) << "\r\n";
    }

    ts::SettingsValues settings = ts::SettingsValues::Defaults();
    settings.listviewPreviewCutoff = 0; // fill the views whatever the size
    settings.bShowMsgAddFiles = false;
    ts::LoadedDocument doc;
    ts::RunState run;
    ts::AppIdentity identity;
    NullPort services(file.string());
    ts::TwinsiftApp app({settings, doc, run, identity, nullptr, nullptr, nullptr, {}, dir},
                        {services, services, services.windows(), services.desktop()});
    // The window is shown once the views hold every row: what is measured is
    // the selection, not the views growing during the scan.
    app.dispatch(ts::AppCommand::Open);
    app.window().resize(900, 700);
    app.window().show();
    QApplication::processEvents();
    const int rows = app.window().dupView()->model()->rowCount();
    std::filesystem::remove_all(dir);
    if (doc.lstDuplicates.ListCount() != entries || rows != entries) {
        std::fprintf(stderr, "the scan gave %d entries and %d rows, not %ld\n", doc.lstDuplicates.ListCount(), rows,
                     entries);
        return 2;
    }

    NullPort quiet;
    ts::SelectionCommands walk(doc, run, quiet);
    ts::SelectionCommands& window = app.selection();
    auto inWindow = [&](void (ts::SelectionCommands::*cmd)()) {
        return [&window, cmd] {
            (window.*cmd)();
            QApplication::processEvents();
        };
    };
    auto alone = [&walk](void (ts::SelectionCommands::*cmd)()) { return [&walk, cmd] { (walk.*cmd)(); }; };

    const int runs = 5;
    const double allWalk = bestOf(runs, alone(&ts::SelectionCommands::mnuSelAll_Click));
    const double allWindow = bestOf(runs, inWindow(&ts::SelectionCommands::mnuSelAll_Click));
    const double invertWalk = bestOf(runs, alone(&ts::SelectionCommands::mnuInvert_Click));
    const double invertWindow = bestOf(runs, inWindow(&ts::SelectionCommands::mnuInvert_Click));

    // Where the window's time goes: the command itself, without the repaint.
    const double allCommand = bestOf(runs, [&window] { window.mnuSelAll_Click(); });
    QApplication::processEvents();

    std::printf("%ld duplicate entries shown in the window\n", entries);
    std::printf("All in the window without the final repaint: %.1f ms\n", allCommand);
    std::printf("All:    walk %8.1f ms   window %8.1f ms   ratio %.2f\n", allWalk, allWindow, allWindow / allWalk);
    std::printf("Invert: walk %8.1f ms   window %8.1f ms   ratio %.2f\n", invertWalk, invertWindow,
                invertWindow / invertWalk);
    const bool ok = allWindow <= 1.5 * allWalk && invertWindow <= 1.5 * invertWalk;
    std::printf("%s: the window takes at most 1.5 times the walk\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
