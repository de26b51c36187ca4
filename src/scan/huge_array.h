#pragma once
// A fixed-size, zero-filled array for the scan's big tables. Large ones come
// straight from the system with huge pages where offered: the key table is
// probed at random, and with small pages nearly every probe also misses the
// address cache. Where fresh huge pages come slowly and small ones measure
// much faster, though, prefault() takes small ones (see prefaultFreshBlock):
// those misses then cost less than the pages.

#include "scan/byte_block.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace twinsift {

template <class T>
class HugeArray {
public:
    explicit HugeArray(std::size_t n) : size_(n) {
        const std::size_t bytes = std::max<std::size_t>(n, 1) * sizeof(T);
#if defined(__linux__)
        if (bytes >= (1u << 20)) {
            data_ = static_cast<T*>(mapFreshMemory(bytes));
            mapped_ = true;
            return;
        }
#endif
        data_ = static_cast<T*>(std::calloc(std::max<std::size_t>(n, 1), sizeof(T)));
        if (!data_) throw std::bad_alloc();
    }
    ~HugeArray() { release(); }
    HugeArray(HugeArray&& o) noexcept
        : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)), mapped_(std::exchange(o.mapped_, false)) {}
    HugeArray& operator=(HugeArray&&) = delete;
    HugeArray(const HugeArray&) = delete;
    HugeArray& operator=(const HugeArray&) = delete;

    T& operator[](std::size_t i) noexcept { return data_[i]; }
    const T& operator[](std::size_t i) const noexcept { return data_[i]; }
    std::size_t size() const noexcept { return size_; }
    // Makes the memory present, as a first write would (see prefaultPages and
    // prefaultFreshBlock).
    void prefault(const std::atomic<bool>* stop = nullptr) noexcept {
        if (mapped_) prefaultFreshBlock(reinterpret_cast<char*>(data_), size_ * sizeof(T), stop);
        else if (data_) prefaultPages(reinterpret_cast<char*>(data_), size_ * sizeof(T), stop);
    }
    // Gives the memory of the items from `from` on back to the system, as far
    // as it fills whole pages; they read as zero afterwards.
    void discardFrom(std::size_t from) noexcept {
#if defined(__linux__)
        constexpr std::size_t kPage = 4096;
        if (!mapped_ || from >= size_) return;
        const auto begin = (reinterpret_cast<std::uintptr_t>(data_ + from) + kPage - 1) & ~(kPage - 1);
        const auto end = reinterpret_cast<std::uintptr_t>(data_ + size_) & ~(kPage - 1);
        if (begin < end) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
#else
        (void)from;
#endif
    }
    void release() noexcept {
        if (!data_) return;
#if defined(__linux__)
        if (mapped_) unmapFreshMemory(data_, std::max<std::size_t>(size_, 1) * sizeof(T));
        else std::free(data_);
#else
        std::free(data_);
#endif
        data_ = nullptr;
    }

private:
    T* data_ = nullptr;
    std::size_t size_;
    bool mapped_ = false;
};

} // namespace twinsift
