#include "scan/distinct_count.h"
#include "scan/pod_vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using namespace twinsift;

namespace {
// A well-mixed 64-bit hash of v.
std::uint64_t mixed(std::uint64_t v) {
    v += 0x9E3779B97F4A7C15ull;
    v = (v ^ (v >> 30)) * 0xBF58476D1CE4E5B9ull;
    v = (v ^ (v >> 27)) * 0x94D049BB133111EBull;
    return v ^ (v >> 31);
}
} // namespace

TEST(DistinctCount, EstimatesWithinAFewPercentFromNoneToMillions) {
    for (const std::uint64_t n : {0ull, 1ull, 10ull, 1000ull, 30000ull, 200000ull, 3000000ull}) {
        DistinctCount c;
        for (std::uint64_t v = 0; v < n; ++v) c.add(mixed(v));
        const double e = c.estimate();
        if (n <= 1000) EXPECT_NEAR(e, static_cast<double>(n), 0.01 * static_cast<double>(n) + 1) << n;
        else EXPECT_NEAR(e, static_cast<double>(n), 0.03 * static_cast<double>(n)) << n;
    }
}

TEST(DistinctCount, RepeatsAddNothingAndPartsMergeIntoTheWhole) {
    DistinctCount once, thrice, low, high;
    for (std::uint64_t v = 0; v < 100000; ++v) {
        once.add(mixed(v));
        for (int k = 0; k < 3; ++k) thrice.add(mixed(v));
        (v % 2 ? high : low).add(mixed(v));
        if (v % 5 == 0) high.add(mixed(v)); // a value in both parts
    }
    EXPECT_EQ(thrice.estimate(), once.estimate());
    low.merge(high);
    EXPECT_EQ(low.estimate(), once.estimate());
}

TEST(PodVector, ZeroedItemsAreZeroAfterTheVectorShrankOrGrew) {
    // Big enough to come straight from the system, where fresh memory is
    // zero already; and small, where the allocator's memory may hold anything.
    for (const std::size_t n : {std::size_t{100}, std::size_t{400000}}) {
        PodVector<std::uint32_t> v;
        for (std::size_t i = 0; i < n; ++i) v.push_back(0xFFFFFFFFu);
        for (std::size_t i = 0; i < n / 2; ++i) v.erase(v.size() - 1);
        v.appendZeroed(n); // over written items and beyond them, growing
        ASSERT_EQ(v.size(), n / 2 + n);
        for (std::size_t i = 0; i < v.size(); ++i)
            ASSERT_EQ(v[i], i < n / 2 ? 0xFFFFFFFFu : 0u) << "n " << n << ", item " << i;
        for (std::size_t i = 0; i < v.size(); ++i) v[i] = 7;
        v.clear();
        v.appendZeroed(3);
        for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(v[i], 0u);
    }
}
