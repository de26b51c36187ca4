#pragma once
// A move-only block of bytes. Large blocks come straight from the operating
// system (and ask for huge pages where the system offers them), because filling
// fresh memory is what loading large files mostly costs.

#include <atomic>
#include <chrono>
#include <cstddef>

namespace twinsift {

// Makes the pages of [data, data + size) present and writable without changing
// their contents, so that a later writer does not stop on each page fault.
// Does nothing where the system cannot do this; stops early when *stop turns true.
void prefaultPages(char* data, std::size_t size, const std::atomic<bool>* stop = nullptr) noexcept;

// As prefaultPages, for a block from mapFreshMemory; it goes from the end
// backwards, to meet a writer that fills the block from its start (a file
// being read). Where fresh huge pages come slowly, a trial decides whether
// the rest of the block takes small pages: on virtual machines whose host
// takes back the memory a guest frees, a huge page that the host must supply
// anew may cost several times what its size in small pages does (while one
// freed a moment ago costs almost nothing), but on others each small page
// costs the host a fault of its own on first use and huge pages stay cheaper.
// `slowHugePage` is the time from which a huge page counts as slow (tests
// set it to zero to have the trial made).
void prefaultFreshBlock(char* data, std::size_t size, const std::atomic<bool>* stop = nullptr,
                        std::chrono::microseconds slowHugePage = std::chrono::microseconds(2500)) noexcept;

// Fresh, zero-filled memory straight from the system, with huge pages asked
// for where offered; give it back with unmapFreshMemory. A block of 2 MB or
// more begins on a 2 MB boundary, where a huge page can begin, and may end on
// one (see freshMappingLength). Throws std::bad_alloc. Only where the system
// maps memory (Linux).
void* mapFreshMemory(std::size_t bytes);
// Gives back a block from mapFreshMemory(bytes).
void unmapFreshMemory(void* data, std::size_t bytes) noexcept;
// How much mapFreshMemory(bytes) maps: `bytes` in whole pages, or in whole
// huge pages where that adds little.
std::size_t freshMappingLength(std::size_t bytes) noexcept;

class ByteBlock {
public:
    ByteBlock() noexcept = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit ByteBlock(std::size_t size);
    ~ByteBlock();
    ByteBlock(ByteBlock&& other) noexcept;
    ByteBlock& operator=(ByteBlock&& other) noexcept;
    ByteBlock(const ByteBlock&) = delete;
    ByteBlock& operator=(const ByteBlock&) = delete;

    char* data() noexcept { return data_; }
    const char* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    // Gives the whole pages of [0, upTo) back to the system; what they held
    // must not be read again. Does nothing for a small block.
    void discardBefore(std::size_t upTo) noexcept;

private:
    void release() noexcept;
    char* data_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};

} // namespace twinsift
