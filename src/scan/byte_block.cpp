#include "scan/byte_block.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace twinsift {

namespace {
constexpr std::size_t kMapThreshold = 1u << 20;
constexpr std::size_t kPage = 4096;
constexpr std::size_t kHugePage = 2u << 20;
} // namespace

void prefaultPages(char* data, std::size_t size, const std::atomic<bool>* stop) noexcept {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr std::size_t kStep = 8u << 20;
    // madvise wants a page-aligned start.
    auto begin = reinterpret_cast<std::uintptr_t>(data) & ~(kPage - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(data) + size;
    while (begin < end && !(stop && stop->load(std::memory_order_relaxed))) {
        const std::size_t n = std::min<std::size_t>(kStep, end - begin);
        if (::madvise(reinterpret_cast<void*>(begin), n, MADV_POPULATE_WRITE) != 0) return;
        begin += n;
    }
#else
    (void)data;
    (void)size;
    (void)stop;
#endif
}

namespace {
// Reads a byte of every page of [from, to), which must be present.
void touchPages(std::uintptr_t from, std::uintptr_t to) noexcept {
    for (std::uintptr_t at = from & ~(kPage - 1); at < to; at += kPage) {
        if (at >= from) (void)*reinterpret_cast<const volatile char*>(at);
    }
}
} // namespace

void prefaultFreshBlock(char* data, std::size_t size, const std::atomic<bool>* stop,
                        std::chrono::microseconds slowHugePage) noexcept {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE) && defined(MADV_NOHUGEPAGE)
    using Clock = std::chrono::steady_clock;
    constexpr std::uintptr_t kSmallStep = 8u << 20;
    // Measured on virtual machines whose host takes back, after a few seconds,
    // the memory a guest frees: fresh huge pages arrive at 15 GB/s and more
    // when they were freed a moment ago (by the last run), but at 0.2 to
    // 0.5 GB/s when the host must supply them anew. A huge page slower than
    // 0.8 GB/s (the default 2.5 ms) may be a loss.
    const auto start = reinterpret_cast<std::uintptr_t>(data); // mapped memory begins on a page
    const std::uintptr_t end = start + size;
    // From the end backwards, a huge page at a time and each one timed, while
    // the filling comes from the start. Two slow ones in a row (one may be
    // slow for a reason of its own: the thread was not run) call for a trial
    // of small pages.
    std::uintptr_t at = std::max(start, end & ~(kHugePage - 1));
    if (at < end) prefaultPages(reinterpret_cast<char*>(at), end - at, stop);
    bool huge = true;
    bool tried = false;
    int slowInARow = 0;
    Clock::duration fasterSlow{};
    while (at > start && !(stop && stop->load(std::memory_order_relaxed))) {
        const std::uintptr_t from = at - std::min(at - start, huge ? kHugePage : kSmallStep);
        if (huge && !tried && slowInARow == 2) {
            // The next huge page's worth as small pages, made present and
            // then read once from here. Hosts differ: some make the guest pay
            // a fault of their own on the first use of each small page, once
            // when the system writes it and once more when the program reads
            // it (measured: 2 MB of small pages 0.5 ms to make present, then
            // 3 to 8 ms to read a byte of each, against 8 to 10 ms for a slow
            // huge page). The reading here measures the program's share; the
            // system's share (a file read into the block) is taken to cost as
            // much again, so small pages must measure three times as fast as
            // the faster of the two slow huge pages.
            tried = true;
            ::madvise(reinterpret_cast<void*>(from), at - from, MADV_NOHUGEPAGE);
            const auto t0 = Clock::now();
            prefaultPages(reinterpret_cast<char*>(from), at - from, nullptr);
            touchPages(from, at);
            if ((Clock::now() - t0) * 3 < fasterSlow) {
                ::madvise(data, from - start, MADV_NOHUGEPAGE);
                huge = false;
            }
            at = from;
            continue;
        }
        const auto t0 = Clock::now();
        prefaultPages(reinterpret_cast<char*>(from), at - from, nullptr);
        if (huge && at - from == kHugePage) {
            const auto took = Clock::now() - t0;
            if (took >= slowHugePage) {
                fasterSlow = slowInARow == 0 ? took : std::min(fasterSlow, took);
                ++slowInARow;
            } else {
                slowInARow = 0;
            }
        }
        at = from;
    }
#else
    (void)slowHugePage;
    prefaultPages(data, size, stop);
#endif
}

std::size_t freshMappingLength(std::size_t bytes) noexcept {
    const std::size_t pages = (bytes + kPage - 1) & ~(kPage - 1);
    if (bytes < kHugePage || bytes > SIZE_MAX / 2) return pages;
    // A last huge page that the block would nearly fill is taken whole: it
    // wastes an eighth of one at most, where its part in small pages would
    // cost a fault each.
    const std::size_t whole = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    return whole - pages <= kHugePage / 8 ? whole : pages;
}

void* mapFreshMemory(std::size_t bytes) {
#if defined(__linux__)
    // A huge page backs only a whole 2 MB range of a mapping that begins on a
    // 2 MB boundary. A mapping placed anywhere else has up to 2 MB of its
    // start in small pages, and on some virtual machines each of those costs
    // a fault of 15 to 20 microseconds. So a block of a huge page or more
    // begins on such a boundary: a little more is asked for, and what lies
    // before the boundary and after the block is given back.
    if (bytes > SIZE_MAX / 2) throw std::bad_alloc(); // no system maps that much; the lengths below cannot wrap
    const std::size_t length = freshMappingLength(bytes);
    const std::size_t slack = bytes >= kHugePage ? kHugePage - kPage : 0;
    void* raw = ::mmap(nullptr, length + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto rawStart = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t rawEnd = rawStart + length + slack;
    const std::uintptr_t start = slack ? (rawStart + kHugePage - 1) & ~(kHugePage - 1) : rawStart;
    const std::uintptr_t end = start + length;
    if (start > rawStart) ::munmap(raw, start - rawStart);
    if (rawEnd > end) ::munmap(reinterpret_cast<void*>(end), rawEnd - end);
    void* p = reinterpret_cast<void*>(start);
#ifdef MADV_HUGEPAGE
    ::madvise(p, length, MADV_HUGEPAGE);
#endif
    return p;
#else
    (void)bytes;
    throw std::bad_alloc();
#endif
}

void unmapFreshMemory(void* data, std::size_t bytes) noexcept {
#if defined(__linux__)
    if (data) ::munmap(data, freshMappingLength(bytes));
#else
    (void)data;
    (void)bytes;
#endif
}

ByteBlock::ByteBlock(std::size_t size) : size_(size) {
    if (size == 0) return;
#if defined(__linux__)
    if (size >= kMapThreshold) {
        data_ = static_cast<char*>(mapFreshMemory(size));
        mapped_ = true;
        return;
    }
#endif
    data_ = new char[size];
}

void ByteBlock::discardBefore(std::size_t upTo) noexcept {
#if defined(__linux__)
    if (!mapped_) return;
    // The block starts on a page; only whole pages go.
    const std::size_t n = std::min(upTo, size_) & ~(kPage - 1);
    if (n > 0) ::madvise(data_, n, MADV_DONTNEED);
#else
    (void)upTo;
#endif
}

ByteBlock::~ByteBlock() { release(); }

ByteBlock::ByteBlock(ByteBlock&& o) noexcept
    : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)), mapped_(std::exchange(o.mapped_, false)) {}

ByteBlock& ByteBlock::operator=(ByteBlock&& o) noexcept {
    if (this != &o) {
        release();
        data_ = std::exchange(o.data_, nullptr);
        size_ = std::exchange(o.size_, 0);
        mapped_ = std::exchange(o.mapped_, false);
    }
    return *this;
}

void ByteBlock::release() noexcept {
    if (!data_) return;
#if defined(__linux__)
    if (mapped_) {
        unmapFreshMemory(data_, size_);
        data_ = nullptr;
        return;
    }
#endif
    delete[] data_;
    data_ = nullptr;
}

} // namespace twinsift
