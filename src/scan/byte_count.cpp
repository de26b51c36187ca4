#include "scan/byte_count.h"

#include <bit>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TWINSIFT_COUNT_AVX2 1
#else
#define TWINSIFT_COUNT_AVX2 0
#endif

namespace twinsift {

namespace {

std::size_t countByteScalar(const char* p, std::size_t n, char byte) noexcept {
    std::size_t count = 0;
    for (std::size_t i = 0; i < n; ++i) count += p[i] == byte;
    return count;
}

// The offsets (from p) of the bytes of p[from, n) that equal `byte`.
std::size_t findByteOffsetsScalar(const char* p, std::size_t from, std::size_t n, char byte, std::uint16_t* out) noexcept {
    std::size_t k = 0;
    for (std::size_t i = from; i < n; ++i) {
        out[k] = static_cast<std::uint16_t>(i);
        k += p[i] == byte;
    }
    return k;
}

std::size_t upperAsciiFindLeadsScalar(const char* p, std::size_t from, std::size_t n, char* upper,
                                     std::uint16_t* leads) noexcept {
    std::size_t k = 0;
    for (std::size_t i = from; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        upper[i] = static_cast<char>(static_cast<unsigned>(c - 'a') < 26u ? c - 32 : c);
        leads[k] = static_cast<std::uint16_t>(i);
        k += c >= 0xC0;
    }
    return k;
}

#if TWINSIFT_COUNT_AVX2
// The leads of a block are written as findByteOffsetsAvx2 writes its offsets:
// the first four whether there are four or not.
__attribute__((target("avx2,bmi,popcnt"))) std::size_t upperAsciiFindLeadsAvx2(const char* p, std::size_t n, char* upper,
                                                                             std::uint16_t* leads) noexcept {
    const __m256i beforeA = _mm256_set1_epi8('a' - 1);
    const __m256i afterZ = _mm256_set1_epi8('z' + 1);
    const __m256i caseBit = _mm256_set1_epi8(0x20);
    // A byte of 0xC0 or above is, as a signed one, from -64 to -1.
    const __m256i belowLead = _mm256_set1_epi8(-65);
    std::size_t k = 0, i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        // Signed: bytes above ASCII are negative, so never taken for letters.
        const __m256i lower = _mm256_and_si256(_mm256_cmpgt_epi8(v, beforeA), _mm256_cmpgt_epi8(afterZ, v));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(upper + i), _mm256_xor_si256(v, _mm256_and_si256(lower, caseBit)));
        auto m = static_cast<std::uint32_t>(_mm256_movemask_epi8(v) & _mm256_movemask_epi8(_mm256_cmpgt_epi8(v, belowLead)));
        if (m == 0) continue;
        const auto count = static_cast<std::size_t>(_mm_popcnt_u32(m));
        std::uint16_t* o = leads + k;
        for (int j = 0; j < 4; ++j) {
            o[j] = static_cast<std::uint16_t>(i + static_cast<std::size_t>(__builtin_ctz(m | 0x80000000u)));
            m &= m - 1;
        }
        for (std::size_t j = 4; j < count; ++j) {
            o[j] = static_cast<std::uint16_t>(i + static_cast<std::size_t>(__builtin_ctz(m)));
            m &= m - 1;
        }
        k += count;
    }
    return k + upperAsciiFindLeadsScalar(p, i, n, upper, leads + k);
}

// Sixty-four bytes at a time: the matches of a block become a bit mask, and
// the first four of its offsets are written whether there are four or not,
// so that the usual one or two take no branch of their own.
__attribute__((target("avx2,bmi,popcnt"))) std::size_t findByteOffsetsAvx2(const char* p, std::size_t n, char byte,
                                                                          std::uint16_t* out) noexcept {
    const __m256i want = _mm256_set1_epi8(byte);
    std::size_t k = 0, i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 32));
        std::uint64_t m = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, want))) |
                          (static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, want)))) << 32);
        if (m == 0) continue;
        const auto count = static_cast<std::size_t>(_mm_popcnt_u64(m));
        std::uint16_t* o = out + k;
        for (int j = 0; j < 4; ++j) {
            o[j] = static_cast<std::uint16_t>(i + static_cast<std::size_t>(__builtin_ctzll(m | (std::uint64_t{1} << 63))));
            m &= m - 1;
        }
        for (std::size_t j = 4; j < count; ++j) {
            o[j] = static_cast<std::uint16_t>(i + static_cast<std::size_t>(__builtin_ctzll(m)));
            m &= m - 1;
        }
        k += count;
    }
    return k + findByteOffsetsScalar(p, i, n, byte, out + k);
}

__attribute__((target("avx2,popcnt"))) std::size_t countByteAvx2(const char* p, std::size_t n, char byte) noexcept {
    const __m256i want = _mm256_set1_epi8(byte);
    std::size_t count = 0, i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 32));
        const auto ma = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, want)));
        const auto mb = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, want)));
        count += static_cast<std::size_t>(
            _mm_popcnt_u64(ma | (static_cast<std::uint64_t>(mb) << 32)));
    }
    return count + countByteScalar(p + i, n - i, byte);
}
#endif

} // namespace

bool cpuHasAvx2() noexcept {
#if TWINSIFT_COUNT_AVX2
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("popcnt") != 0;
    }();
    return have;
#else
    return false;
#endif
}

std::size_t findByteOffsets(const char* data, std::size_t size, char byte, std::uint16_t* out) noexcept {
#if TWINSIFT_COUNT_AVX2
    if (size >= 64 && cpuHasAvx2()) return findByteOffsetsAvx2(data, size, byte, out);
#endif
    return findByteOffsetsScalar(data, 0, size, byte, out);
}

std::size_t upperAsciiFindLeads(const char* data, std::size_t size, char* upper, std::uint16_t* leads) noexcept {
#if TWINSIFT_COUNT_AVX2
    if (size >= 64 && cpuHasAvx2()) return upperAsciiFindLeadsAvx2(data, size, upper, leads);
#endif
    return upperAsciiFindLeadsScalar(data, 0, size, upper, leads);
}

std::size_t countByte(const char* data, std::size_t size, char byte) noexcept {
#if TWINSIFT_COUNT_AVX2
    if (size >= 256 && cpuHasAvx2()) return countByteAvx2(data, size, byte);
#endif
    return countByteScalar(data, size, byte);
}

} // namespace twinsift
