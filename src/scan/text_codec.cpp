#include "scan/text_codec.h"

#include "scan/byte_count.h"

#include <unicode/ucol.h>
#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <array>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TWINSIFT_UTF8_AVX2 1
#else
#define TWINSIFT_UTF8_AVX2 0
#endif

namespace twinsift {

namespace {

// Windows-1252 bytes 0x80..0x9F; the five undefined ones map to the C1 control
// of the same value, as the platform's conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::array<unsigned char, 256> makeCp1252Upper() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 32);
    t[0x9A] = 0x8A; // š -> Š
    t[0x9C] = 0x8C; // œ -> Œ
    t[0x9E] = 0x8E; // ž -> Ž
    t[0xFF] = 0x9F; // ÿ -> Ÿ
    return t;
}
constexpr auto kCp1252Upper = makeCp1252Upper();

inline bool isCont(unsigned char c) { return (c & 0xC0) == 0x80; }

} // namespace

char32_t cp1252ToUnicode(unsigned char b) noexcept {
    if (b >= 0x80 && b < 0xA0) return kCp1252High[b - 0x80];
    return b;
}

namespace detail {
bool isValidUtf8Scalar(const char* data, std::size_t size) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
        // ASCII runs dominate real text: check 32, then eight bytes at a time.
        while (end - p >= 32) {
            std::uint64_t w[4];
            std::memcpy(w, p, 32);
            if ((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ull) break;
            p += 32;
        }
        while (end - p >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            if (w & 0x8080808080808080ull) break;
            p += 8;
        }
        if (p >= end) break;
        unsigned char c = *p;
        if (c < 0x80) { ++p; continue; }
        std::size_t n;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) { n = 2; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { n = 3; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { n = 4; cp = c & 0x07; }
        else return false;
        if (static_cast<std::size_t>(end - p) < n) return false;
        for (std::size_t i = 1; i < n; ++i) {
            if (!isCont(p[i])) return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
        if (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return false;
        p += n;
    }
    return true;
}
} // namespace detail

#if TWINSIFT_UTF8_AVX2
namespace {

// Validation 32 bytes at a time: each byte is judged with the one to three
// bytes before it by three 16-entry lookups (the high nibble of the byte
// before, its low nibble, the high nibble of this byte) whose AND is non-zero
// exactly where the pair cannot occur in UTF-8; a second test checks that the
// third and fourth bytes of long sequences are continuation bytes. Any error
// bit stays set to the end, so the loop has no branch but the ASCII one.
namespace u8err {
constexpr std::uint8_t kTooShort = 1 << 0;  // lead or ASCII where a continuation must be
constexpr std::uint8_t kTooLong = 1 << 1;   // continuation after ASCII
constexpr std::uint8_t kOverlong3 = 1 << 2; // E0 80..9F
constexpr std::uint8_t kTooLarge = 1 << 3;  // F4 90..BF, F5..FF
constexpr std::uint8_t kSurrogate = 1 << 4; // ED A0..BF
constexpr std::uint8_t kOverlong2 = 1 << 5; // C0, C1
constexpr std::uint8_t kTooLarge1000 = 1 << 6; // F5..FF 80..8F
constexpr std::uint8_t kOverlong4 = 1 << 6;    // F0 80..8F
constexpr std::uint8_t kTwoConts = 1 << 7;     // a continuation after a continuation
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;
} // namespace u8err

#define TS_AVX2 __attribute__((target("avx2")))

TS_AVX2 inline __m256i table16(const std::uint8_t (&t)[16]) {
    const __m128i half = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
    return _mm256_broadcastsi128_si256(half);
}

// The block as it reads N bytes earlier: the last N bytes of `previous`,
// then all but the last N bytes of `input`.
template <int N>
TS_AVX2 inline __m256i bytesBefore(__m256i input, __m256i previous) {
    return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - N);
}

struct Utf8Tables {
    __m256i byte1High, byte1Low, byte2High, nibble, incompleteMax;
};

struct Utf8State {
    __m256i previous, incomplete, error;
};

TS_AVX2 inline __m256i blockErrors(const Utf8Tables& t, __m256i input, __m256i previous) {
    const __m256i prev1 = bytesBefore<1>(input, previous);
    const __m256i b1h = _mm256_shuffle_epi8(t.byte1High, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), t.nibble));
    const __m256i b1l = _mm256_shuffle_epi8(t.byte1Low, _mm256_and_si256(prev1, t.nibble));
    const __m256i b2h = _mm256_shuffle_epi8(t.byte2High, _mm256_and_si256(_mm256_srli_epi16(input, 4), t.nibble));
    const __m256i special = _mm256_and_si256(_mm256_and_si256(b1h, b1l), b2h);
    const __m256i prev2 = bytesBefore<2>(input, previous);
    const __m256i prev3 = bytesBefore<3>(input, previous);
    const __m256i third = _mm256_subs_epu8(prev2, _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80)));
    const __m256i fourth = _mm256_subs_epu8(prev3, _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80)));
    const __m256i must = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(static_cast<char>(0x80)));
    return _mm256_xor_si256(must, special);
}

// Without a branch on the block's bytes: in mixed text, whether the next 32
// bytes are all ASCII is anybody's guess, and a wrong guess costs more than
// the lookups. ASCII after an unfinished sequence fails the lookups anyway.
TS_AVX2 inline void feedBlock(const Utf8Tables& t, Utf8State& st, __m256i input) {
    st.error = _mm256_or_si256(st.error, blockErrors(t, input, st.previous));
    st.incomplete = _mm256_subs_epu8(input, t.incompleteMax);
    st.previous = input;
}

TS_AVX2 bool isValidUtf8Avx2(const char* data, std::size_t size) noexcept {
    using namespace u8err;
    static constexpr std::uint8_t k1High[16] = {
        kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong,
        kTwoConts, kTwoConts, kTwoConts, kTwoConts,
        kTooShort | kOverlong2, kTooShort, kTooShort | kOverlong3 | kSurrogate,
        kTooShort | kTooLarge | kTooLarge1000 | kOverlong4};
    static constexpr std::uint8_t k1Low[16] = {
        kCarry | kOverlong3 | kOverlong2 | kOverlong4,
        kCarry | kOverlong2,
        kCarry,
        kCarry,
        kCarry | kTooLarge,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
        kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000};
    static constexpr std::uint8_t k2High[16] = {
        kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
        kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
        kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
        kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
        kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
        kTooShort, kTooShort, kTooShort, kTooShort};
    // A block whose last bytes open a sequence the block does not finish.
    static constexpr std::uint8_t kMax[32] = {
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0 - 1, 0xE0 - 1, 0xC0 - 1};
    const Utf8Tables t{table16(k1High), table16(k1Low), table16(k2High), _mm256_set1_epi8(0x0F),
                       _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kMax))};

    Utf8State st{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    std::size_t i = 0;
    for (; i + 128 <= size; i += 128) {
        // Four blocks at once: plain ASCII text passes with one test.
        const auto* p = reinterpret_cast<const __m256i*>(data + i);
        const __m256i a = _mm256_loadu_si256(p), b = _mm256_loadu_si256(p + 1);
        const __m256i c = _mm256_loadu_si256(p + 2), d = _mm256_loadu_si256(p + 3);
        if (_mm256_movemask_epi8(_mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d))) == 0) {
            st.error = _mm256_or_si256(st.error, st.incomplete);
            st.incomplete = _mm256_setzero_si256();
            st.previous = d;
            continue;
        }
        feedBlock(t, st, a);
        feedBlock(t, st, b);
        feedBlock(t, st, c);
        feedBlock(t, st, d);
    }
    for (; i + 32 <= size; i += 32) feedBlock(t, st, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i)));
    if (i < size) {
        // The rest padded with NULs, which end any sequence left open.
        alignas(32) char tail[32] = {};
        std::memcpy(tail, data + i, size - i);
        feedBlock(t, st, _mm256_load_si256(reinterpret_cast<const __m256i*>(tail)));
    }
    st.error = _mm256_or_si256(st.error, st.incomplete);
    return _mm256_testz_si256(st.error, st.error) != 0;
}

#undef TS_AVX2


} // namespace
#endif

namespace detail {
bool isValidUtf8Wide(const char* data, std::size_t size) noexcept {
#if TWINSIFT_UTF8_AVX2
    if (cpuHasAvx2()) return isValidUtf8Avx2(data, size);
#endif
    return isValidUtf8Scalar(data, size);
}
} // namespace detail

bool isValidUtf8(const char* data, std::size_t size) noexcept {
    // Short texts (a pattern, a cell) are not worth the set-up.
    if (size < 64) return detail::isValidUtf8Scalar(data, size);
    return detail::isValidUtf8Wide(data, size);
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::size_t decodeUtf8(std::string_view s, std::size_t pos, char32_t& cp) noexcept {
    const auto c = static_cast<unsigned char>(s[pos]);
    if (c < 0x80) { cp = c; return 1; }
    std::size_t n;
    char32_t v;
    if (c >= 0xC2 && c <= 0xDF) { n = 2; v = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { n = 3; v = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { n = 4; v = c & 0x07; }
    else { cp = c; return 1; }
    if (s.size() - pos < n) { cp = c; return 1; }
    for (std::size_t i = 1; i < n; ++i) {
        const auto d = static_cast<unsigned char>(s[pos + i]);
        if (!isCont(d)) { cp = c; return 1; }
        v = (v << 6) | (d & 0x3F);
    }
    if ((n == 3 && (v < 0x800 || (v >= 0xD800 && v <= 0xDFFF))) ||
        (n == 4 && (v < 0x10000 || v > 0x10FFFF))) {
        cp = c;
        return 1;
    }
    cp = v;
    return n;
}

std::string toUtf8(std::string_view text, Codec codec) {
    if (codec == Codec::Utf8) return std::string(text);
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char ch : text) appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(ch)));
    return out;
}

void toUpperInPlace(std::string& text, Codec codec) {
    if (codec == Codec::Windows1252) {
        for (char& ch : text) ch = static_cast<char>(kCp1252Upper[static_cast<unsigned char>(ch)]);
        return;
    }
    // ASCII fast path; fall back to per-code-point mapping at the first non-ASCII byte.
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) break;
        if (c >= 'a' && c <= 'z') text[i] = static_cast<char>(c - 32);
    }
    if (i == text.size()) return;
    std::string out(text, 0, i);
    out.reserve(text.size());
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c));
            ++i;
            continue;
        }
        char32_t cp;
        std::size_t n = decodeUtf8(text, i, cp);
        if (n == 1 && c >= 0x80) {
            out.push_back(static_cast<char>(c)); // stray byte stays as it is
        } else {
            appendUtf8(out, static_cast<char32_t>(u_toupper(static_cast<UChar32>(cp))));
        }
        i += n;
    }
    text.swap(out);
}

std::string toUpper(std::string_view text, Codec codec) {
    std::string s(text);
    toUpperInPlace(s, codec);
    return s;
}

std::size_t charCount(std::string_view text, Codec codec) noexcept {
    if (codec == Codec::Windows1252) return text.size();
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp;
        i += decodeUtf8(text, i, cp);
        ++n;
    }
    return n;
}

std::size_t byteOffsetOfChar(std::string_view text, std::size_t charIndex, Codec codec) noexcept {
    if (codec == Codec::Windows1252) return charIndex < text.size() ? charIndex : text.size();
    std::size_t i = 0;
    for (std::size_t k = 0; k < charIndex && i < text.size(); ++k) {
        char32_t cp;
        i += decodeUtf8(text, i, cp);
    }
    return i;
}

std::string_view noBreakSpace(Codec codec) noexcept {
    return codec == Codec::Utf8 ? std::string_view("\xC2\xA0", 2) : std::string_view("\xA0", 1);
}

std::size_t convertNoBreakSpaces(char* data, std::size_t size, Codec codec) noexcept {
    if (codec == Codec::Windows1252) {
        for (char* p = data; (p = static_cast<char*>(std::memchr(p, 0xA0, data + size - p))); ++p)
            *p = ' ';
        return size;
    }
    // In UTF-8 the byte A0 is also the tail of characters such as U+00E0 (C3 A0);
    // only the pair C2 A0 is a no-break space.
    char* first = nullptr;
    for (char* p = data; p < data + size;) {
        p = static_cast<char*>(std::memchr(p, 0xA0, data + size - p));
        if (!p) break;
        if (p > data && static_cast<unsigned char>(p[-1]) == 0xC2) { first = p - 1; break; }
        ++p;
    }
    if (!first) return size;
    char* out = first;
    const char* in = first;
    const char* end = data + size;
    while (in < end) {
        if (static_cast<unsigned char>(in[0]) == 0xC2 && in + 1 < end &&
            static_cast<unsigned char>(in[1]) == 0xA0) {
            *out++ = ' ';
            in += 2;
        } else {
            *out++ = *in++;
        }
    }
    return static_cast<std::size_t>(out - data);
}

struct Collation::Impl {
    UCollator* coll = nullptr;
    ~Impl() {
        if (coll) ucol_close(coll);
    }
};

Collation::Collation(Codec codec, const char* locale) : impl_(std::make_unique<Impl>()), codec_(codec) {
    UErrorCode status = U_ZERO_ERROR;
    // Without a locale of its own (LANG=C or POSIX) ICU picks en_US_POSIX, whose
    // collation orders by code and so tells capitals from small letters; the root
    // collation is what such a user means by "ignore case".
    const char* chosen = locale ? locale : uloc_getDefault();
    if (std::strncmp(chosen, "en_US_POSIX", 11) == 0) chosen = "";
    impl_->coll = ucol_open(chosen, &status);
    if (U_FAILURE(status) || !impl_->coll) {
        status = U_ZERO_ERROR;
        impl_->coll = ucol_open("", &status); // root collation
    }
    if (impl_->coll) ucol_setStrength(impl_->coll, UCOL_SECONDARY);
}

Collation::~Collation() = default;
Collation::Collation(Collation&&) noexcept = default;
Collation& Collation::operator=(Collation&&) noexcept = default;

int Collation::compare(std::string_view a, std::string_view b) const {
    if (!impl_->coll) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult r;
    if (codec_ == Codec::Utf8) {
        r = ucol_strcollUTF8(impl_->coll, a.data(), static_cast<int32_t>(a.size()), b.data(),
                             static_cast<int32_t>(b.size()), &status);
    } else {
        auto widen = [](std::string_view s) {
            std::u16string w(s.size(), u'\0');
            for (std::size_t i = 0; i < s.size(); ++i)
                w[i] = static_cast<char16_t>(cp1252ToUnicode(static_cast<unsigned char>(s[i])));
            return w;
        };
        const auto wa = widen(a), wb = widen(b);
        r = ucol_strcoll(impl_->coll, reinterpret_cast<const UChar*>(wa.data()), static_cast<int32_t>(wa.size()),
                         reinterpret_cast<const UChar*>(wb.data()), static_cast<int32_t>(wb.size()));
    }
    if (U_FAILURE(status)) return a.compare(b);
    return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
}

} // namespace twinsift
