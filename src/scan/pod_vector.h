#pragma once
// A growable array of trivially copyable items for very long lists.
//
// Large arrays come straight from the operating system, ask for huge pages, and
// grow by remapping instead of copying, so appending millions of items costs
// little more than touching their memory once.

#include "scan/byte_block.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace twinsift {

template <class T>
class PodVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodVector() noexcept = default;
    ~PodVector() { release(); }
    PodVector(PodVector&& o) noexcept
        : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)),
          cap_(std::exchange(o.cap_, 0)), dirty_(std::exchange(o.dirty_, 0)), mapped_(std::exchange(o.mapped_, false)) {}
    PodVector& operator=(PodVector&& o) noexcept {
        if (this != &o) {
            release();
            data_ = std::exchange(o.data_, nullptr);
            size_ = std::exchange(o.size_, 0);
            cap_ = std::exchange(o.cap_, 0);
            dirty_ = std::exchange(o.dirty_, 0);
            mapped_ = std::exchange(o.mapped_, false);
        }
        return *this;
    }
    PodVector(const PodVector&) = delete;
    PodVector& operator=(const PodVector&) = delete;

    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    T& operator[](std::size_t i) noexcept { return data_[i]; }
    const T& operator[](std::size_t i) const noexcept { return data_[i]; }
    T* data() noexcept { return data_; }
    std::size_t capacityBytes() const noexcept { return cap_ * sizeof(T); }
    const T* data() const noexcept { return data_; }

    void push_back(const T& v) {
        if (size_ == cap_) grow(cap_ < 64 ? 64 : cap_ * 2);
        data_[size_++] = v;
        if (size_ > dirty_) dirty_ = size_;
    }
    void reserve(std::size_t n) {
        if (n > cap_) grow(n);
    }
    // Appends `count` zero-filled items. Memory fresh from the system is
    // zero already and is left untouched, so it costs nothing until written.
    void appendZeroed(std::size_t count) {
        if (count == 0) return;
        if (size_ + count > cap_) grow(std::max(size_ + count, cap_ < 64 ? 64 : cap_ * 2));
        const std::size_t end = size_ + count;
        if (size_ < dirty_) std::memset(static_cast<void*>(data_ + size_), 0, (std::min(end, dirty_) - size_) * sizeof(T));
        size_ = end;
        if (size_ > dirty_) dirty_ = size_;
    }
    void erase(std::size_t i) noexcept {
        std::memmove(data_ + i, data_ + i + 1, (size_ - i - 1) * sizeof(T));
        --size_;
    }
    void clear() noexcept { release(); }

private:
    static constexpr std::size_t kMapBytes = 1u << 20;

    void grow(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
#if defined(__linux__)
        if (bytes >= kMapBytes) {
            void* p;
            if (mapped_) {
                // Moved to a place of its own, which begins where a huge
                // page can, so that its huge pages move whole.
                void* const to = mapFreshMemory(bytes);
                const std::size_t length = freshMappingLength(bytes);
                p = ::mremap(data_, freshMappingLength(cap_ * sizeof(T)), length, MREMAP_MAYMOVE | MREMAP_FIXED, to);
                if (p == MAP_FAILED) {
                    unmapFreshMemory(to, bytes);
                    throw std::bad_alloc();
                }
#ifdef MADV_HUGEPAGE
                ::madvise(p, length, MADV_HUGEPAGE);
#endif
            } else {
                p = mapFreshMemory(bytes);
                if (data_) std::memcpy(p, data_, size_ * sizeof(T));
            }
            if (!mapped_) {
                std::free(data_);
                dirty_ = size_; // the rest of a new mapping is zero
            } // a mapping that grew keeps what it had; the rest is zero
            data_ = static_cast<T*>(p);
            cap_ = n;
            mapped_ = true;
            return;
        }
#endif
        void* p = std::realloc(static_cast<void*>(data_), bytes);
        if (!p) throw std::bad_alloc();
        data_ = static_cast<T*>(p);
        cap_ = n;
        dirty_ = n; // whatever the allocator gave may hold anything
    }
    void release() noexcept {
#if defined(__linux__)
        if (mapped_) unmapFreshMemory(data_, cap_ * sizeof(T));
        else std::free(data_);
#else
        std::free(data_);
#endif
        data_ = nullptr;
        size_ = cap_ = dirty_ = 0;
        mapped_ = false;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t cap_ = 0;
    std::size_t dirty_ = 0; // items from here to cap_ have never been written: zero
    bool mapped_ = false;
};

} // namespace twinsift
