#include "scan/byte_block.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

using namespace twinsift;

#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
namespace {
// How many pages of [p, p + n) are present in memory (p on a page).
std::size_t presentPages(const char* p, std::size_t n) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> in((n + page - 1) / page);
    if (::mincore(const_cast<char*>(p), n, in.data()) != 0) return 0;
    std::size_t k = 0;
    for (unsigned char c : in) k += c & 1;
    return k;
}
} // namespace

// A block about to be filled is made present from end to start in huge-page
// steps, with odd sizes at both ends; nothing it held changes.
TEST(FreshBlockPrefault, MakesEveryPagePresentAndKeepsTheZeros) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    for (const auto slow : {std::chrono::microseconds(2500), std::chrono::microseconds(0)}) {
        for (const std::size_t size : {std::size_t{5} << 20, (std::size_t{13} << 20) + 12345, std::size_t{3} * 4096 + 1}) {
            char* const p = static_cast<char*>(mapFreshMemory(size));
            struct Unmap {
                char* p;
                std::size_t n;
                ~Unmap() { ::munmap(p, n); }
            } unmap{p, size};
            if (::madvise(p, size, MADV_POPULATE_WRITE) != 0) GTEST_SKIP() << "no MADV_POPULATE_WRITE here";
            ::madvise(p, size, MADV_DONTNEED); // fresh again
            const std::size_t pages = (size + page - 1) / page;
            ASSERT_LT(presentPages(p, size), pages) << size;

            // Once as it goes, once with every huge page slow, which has a run
            // of small pages tried on the way.
            prefaultFreshBlock(p, size, nullptr, slow);
            EXPECT_EQ(presentPages(p, size), pages) << size;
            std::size_t nonZero = 0;
            for (std::size_t i = 0; i < size; ++i) nonZero += p[i] != 0;
            EXPECT_EQ(nonZero, 0u) << size;
            p[0] = 'a';
            p[size - 1] = 'z';
            EXPECT_EQ(p[0], 'a');
            EXPECT_EQ(p[size - 1], 'z');
        }
    }
}

TEST(FreshBlockPrefault, StopsAtOnceWhenAskedBeforehand) {
    const std::size_t size = std::size_t{16} << 20;
    ByteBlock block(size);
    const std::atomic<bool> stop{true};
    prefaultFreshBlock(block.data(), size, &stop);
    // At most the odd end beyond the last whole huge page is made present.
    EXPECT_LE(presentPages(block.data(), size), (std::size_t{2} << 20) / static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)));
}
#endif
