// The Tools window's list view over 1,000,000 duplicate groups: Calculate and
// the header clicks, each up to the moment the view has painted again (run
// with QT_QPA_PLATFORM=offscreen where there is no display).
//
// Usage: twinsift_bench_tools [GROUPS]

#include "results/frequency.h"
#include "results/ui/frm_tools.h"
#include "scan/cls_list_emu.h"

#include <QApplication>
#include <QTreeView>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();
    void report(const char* what) const {
        const double w = std::chrono::duration<double, std::milli>(Clock::now() - wall).count();
        const double c = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        std::printf("  %-26s %8.1f ms wall %8.1f ms cpu\n", what, w, c);
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace twinsift;
    QApplication app(argc, argv);
    const long groups = argc > 1 ? std::atol(argv[1]) : 1000000;

    clsListEmu dups;
    dups.Reserve(static_cast<std::size_t>(groups) * 2);
    long line = 1;
    char buf[96];
    for (long g = 0; g < groups; ++g)
        for (int k = 0; k < 2; ++k) {
            std::snprintf(buf, sizeof buf, "[%08ld]   Customer %07ld, Street %ld", line++, g, (g * 7919) % 100003);
            dups.AddItem(buf);
        }

    FrequencyList list;
    FrequencyModel model(list, Codec::Utf8);
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setRootIsDecorated(false);
    view.setModel(&model);
    view.resize(540, 300);
    view.show();
    QApplication::processEvents();

    const Collation collation(Codec::Utf8);
    const auto cmp = [&](std::string_view a, std::string_view b) { return collation.compare(a, b); };
    auto repaint = [&] {
        view.viewport()->repaint();
        QApplication::processEvents();
    };

    std::printf("Tools window list over %d entries\n", dups.ListCount());
    Timer t;
    list.Calculate(dups, false, Codec::Utf8);
    model.reload();
    repaint();
    t.report("Calculate, shown");
    t = Timer();
    list.ColumnClick(FrequencyList::Column::Count, {});
    model.reload();
    repaint();
    t.report("click on Count, shown");
    t = Timer();
    list.ColumnClick(FrequencyList::Column::Line, cmp);
    model.reload();
    repaint();
    t.report("click on Line, shown");
    t = Timer();
    view.scrollToBottom();
    repaint();
    t.report("scroll to the end");
    std::printf("  %d rows in the view\n", model.rowCount());
    return 0;
}
