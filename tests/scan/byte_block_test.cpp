#include "scan/byte_block.h"
#include "scan/pod_vector.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <new>
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

#if defined(__linux__)
// Blocks of a huge page or more begin where a huge page can and end on a page
// or, where that adds little, on a huge page; all of the mapping is zero and
// writable, and all of it goes back to the system.
TEST(FreshMemory, BigBlocksBeginOnAHugePageBoundaryAndGoBackWhole) {
    constexpr std::size_t kHuge = std::size_t{2} << 20;
    EXPECT_EQ(freshMappingLength(12345), std::size_t{16384});
    EXPECT_EQ(freshMappingLength(kHuge + 1), kHuge + 4096);             // a last huge page barely begun
    EXPECT_EQ(freshMappingLength(3 * kHuge + 12345), 3 * kHuge + 16384);
    EXPECT_EQ(freshMappingLength(4000000), 2 * kHuge);                  // one nearly filled
    EXPECT_EQ(freshMappingLength(2 * kHuge - 4096), 2 * kHuge);
    EXPECT_THROW(mapFreshMemory(SIZE_MAX - 100), std::bad_alloc); // not a wrapped-round small block
    for (const std::size_t bytes : {std::size_t{1} << 20, kHuge, kHuge + 1, std::size_t{4000000}, 3 * kHuge + 12345}) {
        SCOPED_TRACE(bytes);
        const std::size_t length = freshMappingLength(bytes);
        auto* const p = static_cast<char*>(mapFreshMemory(bytes));
        if (bytes >= kHuge) EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % kHuge, 0u);
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[length - 1], 0);
        p[0] = 1;
        p[length - 1] = 2;
        unmapFreshMemory(p, bytes);
        // Nothing of it is left mapped: the range can be mapped anew.
        void* const again = ::mmap(p, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        EXPECT_EQ(again, static_cast<void*>(p));
        if (again != MAP_FAILED) ::munmap(again, length);
    }
}

// Growing from the allocator's memory into mapped blocks, and from one mapped
// block into a bigger one, keeps every item and zero-fills what is appended.
TEST(FreshMemory, AGrowingVectorKeepsItsItemsAcrossEveryMove) {
    PodVector<std::uint32_t> v;
    for (std::uint32_t i = 0; i < 1500000; ++i) v.push_back(i * 2654435761u);
    v.appendZeroed(700000);
    ASSERT_EQ(v.size(), std::size_t{2200000});
    std::size_t wrong = 0;
    for (std::uint32_t i = 0; i < 1500000; ++i) wrong += v[i] != i * 2654435761u;
    for (std::size_t i = 1500000; i < v.size(); ++i) wrong += v[i] != 0;
    EXPECT_EQ(wrong, 0u);
}
#endif
