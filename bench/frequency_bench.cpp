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
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

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

    FrequencyList f;
    auto t = Clock::now();
    f.Calculate(dups, false, Codec::Utf8);
    const double calc = msSince(t);

    t = Clock::now();
    f.ColumnClick(FrequencyList::Column::Count, {});
    f.ColumnClick(FrequencyList::Column::Count, {});
    const double countSort = msSince(t) / 2;

    const Collation collation(Codec::Utf8);
    const auto cmp = [&](std::string_view a, std::string_view b) { return collation.compare(a, b); };
    t = Clock::now();
    f.ColumnClick(FrequencyList::Column::Line, cmp);
    const double lineAsc = msSince(t);
    t = Clock::now();
    f.ColumnClick(FrequencyList::Column::Line, cmp);
    const double lineDesc = msSince(t);

    t = Clock::now();
    const std::string copy = f.CopyText();
    const double copyMs = msSince(t);

    std::printf("frequency list: %zu rows from %d entries\n", f.rows().size(), dups.ListCount());
    std::printf("  Calculate            %8.1f ms\n", calc);
    std::printf("  Count click          %8.1f ms\n", countSort);
    std::printf("  Line click (asc)     %8.1f ms\n", lineAsc);
    std::printf("  Line click (desc)    %8.1f ms\n", lineDesc);
    std::printf("  Copy text (%zu MB)   %8.1f ms\n", copy.size() >> 20, copyMs);
    return 0;
}
