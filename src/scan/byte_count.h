#pragma once
// Counting one byte value over large buffers (line ends of a file being
// read), 32 bytes at a time where the processor allows.

#include <cstddef>

namespace twinsift {

// How many bytes of [data, data + size) equal `byte`.
std::size_t countByte(const char* data, std::size_t size, char byte) noexcept;

// True when the processor runs 256-bit integer vector instructions (AVX2).
bool cpuHasAvx2() noexcept;

} // namespace twinsift
