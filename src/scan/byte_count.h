#pragma once
// Byte scans over large buffers (the line ends of a file being read, the
// letters and multi-byte characters of a long key), 32 bytes at a time where
// the processor allows.

#include <cstddef>
#include <cstdint>

namespace twinsift {

// How many bytes of [data, data + size) equal `byte`.
std::size_t countByte(const char* data, std::size_t size, char byte) noexcept;

// Writes the offsets of the bytes of [data, data + size) that equal `byte`,
// in order, to `out` and returns how many there are. size is at most
// kOffsetWindow, and out has room for kOffsetWindow + kOffsetSlack values:
// the vector path writes a few past the last one.
constexpr std::size_t kOffsetWindow = 1u << 13;
constexpr std::size_t kOffsetSlack = 8;
std::size_t findByteOffsets(const char* data, std::size_t size, char byte, std::uint16_t* out) noexcept;

// Writes [data, data + size) to `upper` with the ASCII letters a-z in upper
// case and every other byte as it is; writes the offsets of the bytes that
// may begin a multi-byte UTF-8 sequence (0xC0 and above) to `leads` as
// findByteOffsets does (with the same room: a few are written past the last
// one), and returns how many there are. size is at most kOffsetWindow.
std::size_t upperAsciiFindLeads(const char* data, std::size_t size, char* upper, std::uint16_t* leads) noexcept;

// True when the processor runs 256-bit integer vector instructions (AVX2).
bool cpuHasAvx2() noexcept;

} // namespace twinsift
