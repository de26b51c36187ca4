#pragma once
// An estimate of how many distinct values a stream of 64-bit hashes holds,
// in 16 KiB whatever the stream's length (a HyperLogLog sketch with 2^14
// registers: a standard error of about 0.8 %). Two sketches of parts of one
// stream merge into the sketch of the whole.

#include <array>
#include <bit>
#include <cstdint>

namespace twinsift {

class DistinctCount {
public:
    static constexpr int kIndexBits = 14;
    static constexpr std::size_t kRegisters = std::size_t{1} << kIndexBits;

    // h should be a well-mixed hash: its top bits pick a register, the run of
    // zeros at the bottom of the rest is what the register remembers.
    void add(std::uint64_t h) noexcept {
        constexpr int kRestBits = 64 - kIndexBits;
        const auto index = static_cast<std::size_t>(h >> kRestBits);
        // 1 + the zeros below the lowest one bit of the rest (all of them: 51).
        const auto rank = static_cast<std::uint8_t>(std::countr_zero(h | (std::uint64_t{1} << kRestBits)) + 1);
        if (rank > registers_[index]) registers_[index] = rank;
    }
    void merge(const DistinctCount& other) noexcept {
        for (std::size_t i = 0; i < kRegisters; ++i)
            if (other.registers_[i] > registers_[i]) registers_[i] = other.registers_[i];
    }
    // The estimated number of distinct hashes added.
    double estimate() const noexcept;

private:
    std::array<std::uint8_t, kRegisters> registers_{};
};

} // namespace twinsift
