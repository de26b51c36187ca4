// The Tools window's frequency list over a result of 1,000,000 duplicate
// groups (2,000,000 entries, plus one group of 12,345): Calculate, the two
// clicks on "Count" and the two on "Line", each of which the window waits
// for before it paints again.
//
// Usage: twinsift_bench_frequency [GROUPS]

#include "results/frequency.h"
#include "scan/cls_list_emu.h"
#include "scan/text_codec.h"

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Wall and processor time of one step: on a shared machine the processor time
// is the figure that does not depend on the other load.
struct Timer {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();
    void report(const char* what, int repeat = 1) const {
        const double w = std::chrono::duration<double, std::milli>(Clock::now() - wall).count() / repeat;
        const double c = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC / repeat;
        std::printf("  %-22s %8.1f ms wall %8.1f ms cpu\n", what, w, c);
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace twinsift;
    const long groups = argc > 1 ? std::atol(argv[1]) : 1000000;

    // Entries as the scan leaves them: sorted by key, runs of equal keys.
    clsListEmu dups;
    dups.Reserve(static_cast<std::size_t>(groups) * 2 + 12345);
    long line = 1;
    char buf[96];
    for (long g = 0; g < groups; ++g) {
        const int n = g == groups / 2 ? 12345 : 2;
        for (int k = 0; k < n; ++k) {
            std::snprintf(buf, sizeof buf, "[%08ld]   Customer %07ld, Street %ld", line++, g, (g * 7919) % 100003);
            dups.AddItem(buf);
        }
    }

    std::printf("frequency list over %d entries\n", dups.ListCount());
    FrequencyList f;
    Timer t;
    f.Calculate(dups, false, Codec::Utf8);
    t.report("Calculate");

    t = Timer();
    f.ColumnClick(FrequencyList::Column::Count, {});
    f.ColumnClick(FrequencyList::Column::Count, {});
    t.report("Count click", 2);

    const Collation collation(Codec::Utf8);
    const auto cmp = [&](std::string_view a, std::string_view b) { return collation.compare(a, b); };
    t = Timer();
    f.ColumnClick(FrequencyList::Column::Line, cmp);
    t.report("Line click (asc)");
    t = Timer();
    f.ColumnClick(FrequencyList::Column::Line, cmp);
    t.report("Line click (desc)");

    t = Timer();
    const std::string copy = f.CopyText();
    t.report("Copy text");
    std::printf("  %zu rows, %zu bytes copied\n", f.rows().size(), copy.size());
    return 0;
}
