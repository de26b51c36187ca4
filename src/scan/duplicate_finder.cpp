#include "scan/duplicate_finder.h"

#include "scan/byte_count.h"
#include "scan/distinct_count.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <type_traits>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace twinsift {

namespace {

constexpr std::int32_t kNotKeyed = -1; // turned away by the include filter
constexpr std::int32_t kEmptyKey = -2;

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;

inline std::uint64_t load8(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// The last 1 to 7 bytes of a key as one word, with overlapping fixed-size loads
// instead of a variable-length copy. Equal bytes give equal words, and the key
// length (mixed into every hash, checked before every comparison) tells apart
// the rest.
inline std::uint64_t loadTail(const char* p, std::size_t n) {
    if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        return a | (static_cast<std::uint64_t>(b) << 32);
    }
    if (n >= 2) {
        std::uint16_t a, b;
        std::memcpy(&a, p, 2);
        std::memcpy(&b, p + n - 2, 2);
        return a | (static_cast<std::uint64_t>(b) << 16);
    }
    return static_cast<unsigned char>(p[0]);
}

// ASCII a-z to A-Z in eight bytes at once; other bytes unchanged.
inline std::uint64_t foldAscii(std::uint64_t w) {
    const std::uint64_t low7 = w & ~kHigh;
    const std::uint64_t geA = low7 + (0x80 - 'a') * kOnes; // high bit: byte >= 'a'
    const std::uint64_t gtZ = low7 + (0x7F - 'z') * kOnes; // high bit: byte > 'z'
    const std::uint64_t lower = geA & ~gtZ & ~w & kHigh;
    return w ^ (lower >> 2);
}

inline std::uint64_t mix(std::uint64_t h, std::uint64_t w) {
    h ^= w;
    h *= 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 31);
}

inline std::uint64_t finish(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return h;
}

// Long keys are hashed in four independent lanes of eight bytes, so that the
// multiplications overlap instead of waiting on each other; `fold` maps each
// word first. Leaves in h the state to go on with for the last 0 to 31 bytes.
// With kAsciiOnly it gives up (false) at the first 32 bytes that hold a byte
// above ASCII.
template <bool kAsciiOnly, class Fold>
inline bool hashLanes(std::uint64_t& h, const char*& p, std::size_t& n, Fold fold) {
    if (n < 32) return true;
    std::uint64_t a = h, b = h ^ 0x9E3779B97F4A7C15ull, c = h ^ 0xD6E8FEB86659FD93ull, d = h ^ 0xA0761D6478BD642Full;
    for (; n >= 32; p += 32, n -= 32) {
        const std::uint64_t w0 = load8(p), w1 = load8(p + 8), w2 = load8(p + 16), w3 = load8(p + 24);
        if constexpr (kAsciiOnly) {
            if (((w0 | w1 | w2 | w3) & kHigh) != 0) return false;
        }
        a = mix(a, fold(w0));
        b = mix(b, fold(w1));
        c = mix(c, fold(w2));
        d = mix(d, fold(w3));
    }
    h = mix(mix(mix(a, b), c), d);
    return true;
}

// Hash of the exact bytes.
std::uint64_t hashExact(std::string_view s) {
    std::uint64_t h = s.size() * 0xC2B2AE3D27D4EB4Full;
    const char* p = s.data();
    std::size_t n = s.size();
    hashLanes<false>(h, p, n, [](std::uint64_t w) { return w; });
    for (; n >= 8; p += 8, n -= 8) h = mix(h, load8(p));
    if (n) h = mix(h, loadTail(p, n));
    return finish(h);
}

// The hash of a key of ASCII bytes with its letters folded, which is
// hashExact() of its upper case. False, early, for a key with any byte above
// ASCII: its upper case is the codec's to say.
bool hashAscii(std::string_view s, std::uint64_t& hash) {
    std::uint64_t h = s.size() * 0xC2B2AE3D27D4EB4Full;
    const char* p = s.data();
    std::size_t n = s.size();
    if (!hashLanes<true>(h, p, n, foldAscii)) return false;
    std::uint64_t acc = 0;
    for (; n >= 8; p += 8, n -= 8) {
        const std::uint64_t w = load8(p);
        acc |= w;
        h = mix(h, foldAscii(w));
    }
    if (n) {
        const std::uint64_t w = loadTail(p, n);
        acc |= w;
        h = mix(h, foldAscii(w));
    }
    if ((acc & kHigh) != 0) return false;
    hash = finish(h);
    return true;
}

bool equalFolded(const char* a, const char* b, std::size_t n) {
    for (; n >= 8; a += 8, b += 8, n -= 8)
        if (foldAscii(load8(a)) != foldAscii(load8(b))) return false;
    return n == 0 || foldAscii(loadTail(a, n)) == foldAscii(loadTail(b, n));
}

// The offsets of the set bits of each byte value, lowest first, as eight
// (those past the last are 0).
struct BitOffsets {
    std::uint16_t at[256][8]{};
    constexpr BitOffsets() {
        for (int m = 0; m < 256; ++m) {
            int k = 0;
            for (int j = 0; j < 8; ++j)
                if ((m >> j) & 1) at[m][k++] = static_cast<std::uint16_t>(j);
        }
    }
};
constexpr BitOffsets kBitOffsets;

// Room for an upper-case form; grows, never shrinks, so that the scan's
// buffers stop allocating after the first long lines.
class UpperBuffer {
public:
    char* room(std::size_t n) {
        if (n > cap_) {
            cap_ = std::max(n, cap_ * 2);
            data_ = std::make_unique_for_overwrite<char[]>(cap_);
        }
        return data_.get();
    }
private:
    std::unique_ptr<char[]> data_;
    std::size_t cap_ = 0;
};

// A lookup's rooms for the upper case of the two keys it compares.
struct UpperRooms {
    UpperBuffer candidate, key;
};

// The codec's upper case of a key, as toUpper() gives it, without a call per
// character: ASCII eight bytes at a time, and every two- and three-byte UTF-8
// character (all of the Basic Multilingual Plane) through one table that holds
// the UTF-8 bytes of its upper case.
class FastUpper {
public:
    FastUpper() : table_(std::make_unique<std::uint32_t[]>(0x10000)) {
        // Three-byte leads none of whose characters changes (CJK among them).
        bool caseless3[16];
        std::fill(std::begin(caseless3), std::end(caseless3), true);
        for (char32_t cp = 0; cp < 0x10000; ++cp) {
            const auto up = static_cast<char32_t>(u_toupper(static_cast<UChar32>(cp)));
            if (cp >= 0x800 && up != cp) caseless3[cp >> 12] = false;
            std::string bytes;
            appendUtf8(bytes, up);
            std::uint32_t packed = 0;
            if (bytes.size() <= 3) {
                std::memcpy(&packed, bytes.data(), bytes.size());
                packed |= static_cast<std::uint32_t>(bytes.size()) << 24;
            } // else 0: the slow way (no such character today)
            table_[cp] = packed;
        }
        for (int b = 0; b < 256; ++b) cp1252_[b] = toUpper(std::string(1, static_cast<char>(b)), Codec::Windows1252)[0];
        for (int lead = 0xC0; lead < 0x100; ++lead) {
            for (int next = 0; next < 0x100; ++next) {
                const int folded = next >= 'a' && next <= 'z' ? next - 32 : next;
                std::uint16_t e = static_cast<std::uint16_t>(lead | (folded << 8)); // as it stands
                if (lead >= 0xC2 && lead < 0xE0 && (next & 0xC0) == 0x80) {
                    const std::uint32_t packed = table_[(static_cast<char32_t>(lead & 0x1F) << 6) | (next & 0x3F)];
                    e = (packed >> 24) == 2 ? static_cast<std::uint16_t>(packed) : kPairGeneral;
                } else if ((lead >= 0xE0 && lead < 0xF0 && !caseless3[lead - 0xE0]) || (lead >= 0xF0 && lead <= 0xF4)) {
                    e = kPairGeneral;
                }
                pair_[((lead - 0xC0) << 8) | next] = e;
            }
        }
    }
    std::string_view operator()(std::string_view s, UpperBuffer& buf, Codec codec) const {
        char* const out = buf.room(s.size() + s.size() / 2 + 16);
        return {out, write(s, out, codec)};
    }
    // Writes the upper case of s at out and returns its length. out must have
    // room for s.size() * 3 / 2 + 16 bytes: upper case never grows a character
    // by more than half (two bytes to three), and each write may spill up to
    // eight bytes past its end.
    std::size_t write(std::string_view s, char* const out, Codec codec) const {
        if (codec == Codec::Windows1252) {
            for (std::size_t i = 0; i < s.size(); ++i) out[i] = cp1252_[static_cast<unsigned char>(s[i])];
            return s.size();
        }
        return s.size() >= kLongKey ? writeLong(s, out) : writeShort(s, out);
    }

private:
    // A key shorter than kLongKey: written folded as a whole first, eight
    // bytes at a time, with the offsets of its bytes of 0xC0 and above (the
    // leads of multi-byte characters) noted on the way without a branch.
    // Then each lead and the byte after it are looked up in pair_, which
    // gives the two bytes to write: no branch that depends on the text
    // either, where a branch per word and per character cost more than all
    // the rest. Every byte stays where it is, as long as no character
    // changes its length; the few that do, four-byte characters and
    // three-byte characters whose lead has any with case go their own way.
    std::size_t writeShort(std::string_view s, char* const out) const {
        const char* const in = s.data();
        const std::size_t n = s.size();
        std::uint16_t leads[kLongKey + 8];
        std::size_t found = 0;
        // The leads among the bytes of `mask` (one high bit a lead) of the
        // word at `base`: eight are written whatever their number, and the
        // count is of the high bits, gathered with a multiply (as is the
        // byte of one bit a byte that picks the offsets).
        auto note = [&](std::uint64_t mask, std::size_t base) {
            const auto bits = static_cast<unsigned>(((mask >> 7) * 0x0102040810204080ull) >> 56);
            const std::uint16_t* const at = kBitOffsets.at[bits];
            for (std::size_t j = 0; j < 8; ++j) leads[found + j] = static_cast<std::uint16_t>(base + at[j]);
            found += static_cast<std::size_t>(((mask >> 7) * kOnes) >> 56);
        };
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            const std::uint64_t w = load8(in + i);
            const std::uint64_t up = foldAscii(w);
            std::memcpy(out + i, &up, 8);
            note(w & (w << 1) & kHigh, i);
        }
        if (i < n && n >= 8) {
            // The last eight bytes again, folded again to the same bytes;
            // only the leads not noted yet count.
            const std::size_t at = n - 8;
            const std::uint64_t w = load8(in + at);
            const std::uint64_t up = foldAscii(w);
            std::memcpy(out + at, &up, 8);
            note(w & (w << 1) & kHigh & (~std::uint64_t{0} << (8 * (i - at))), at);
        } else {
            for (; i < n; ++i) {
                const auto c = static_cast<unsigned char>(in[i]);
                out[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
                leads[found] = static_cast<std::uint16_t>(i);
                found += c >= 0xC0;
            }
        }
        for (std::size_t h = 0; h < found; ++h)
            if (!upperLead(s, leads[h], out)) return static_cast<std::size_t>(writeFrom(s, leads[h], out + leads[h]) - out);
        return n;
    }

    // Puts the character whose lead is s[at] in upper case at out + at,
    // where every byte of s so far stands folded; may write out[at + 1] past
    // the end (out has room for it). False when the rest takes the general
    // way (an upper case of another length, a four-byte character).
    bool upperLead(std::string_view s, std::size_t at, char* const out) const {
        const auto* const b = reinterpret_cast<const unsigned char*>(s.data());
        // After the last byte, a 0 stands in for the next: the lead stays.
        const unsigned next = at + 1 < s.size() ? b[at + 1] : 0;
        const std::uint16_t e = pair_[((b[at] - 0xC0u) << 8) | next];
        if (e != kPairGeneral) {
            std::memcpy(out + at, &e, 2);
            return true;
        }
        return upperInPlace(b + at, b + s.size(), out + at) >= 0;
    }

    // Puts the character that begins at q (a byte of 0xC0 or above, before
    // `end`) in upper case at o, where its bytes already stand as they are.
    // Returns its length, 0 when it stays as it is (a broken sequence, or a
    // byte that never begins one), or -1 when it takes the general way: its
    // upper case has another length, it has four bytes, or the table lacks it.
    int upperInPlace(const unsigned char* q, const unsigned char* end, char* o) const {
        const unsigned char c = *q;
        int n = 0;
        char32_t cp = 0;
        if (c < 0xC2) {
            return 0;
        } else if (c < 0xE0) {
            if (end - q < 2 || (q[1] & 0xC0) != 0x80) return 0;
            cp = (static_cast<char32_t>(c & 0x1F) << 6) | (q[1] & 0x3F);
            n = 2;
        } else if (c < 0xF0) {
            if (end - q < 3 || (q[1] & 0xC0) != 0x80 || (q[2] & 0xC0) != 0x80) return 0;
            cp = (static_cast<char32_t>(c & 0x0F) << 12) | (static_cast<char32_t>(q[1] & 0x3F) << 6) | (q[2] & 0x3F);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
            n = 3;
        } else if (c > 0xF4) {
            return 0;
        } else {
            return -1;
        }
        const std::uint32_t packed = table_[cp];
        if (static_cast<int>(packed >> 24) != n) return -1;
        std::memcpy(o, &packed, 2);
        if (n == 3) o[2] = static_cast<char>(packed >> 16);
        return n;
    }

    // From this length on, a key is written folded as a whole first, and
    // then its characters above ASCII are put in upper case, found a window
    // at a time.
    static constexpr std::size_t kLongKey = 256;
    std::size_t writeLong(std::string_view s, char* const out) const {
        std::uint16_t leads[kOffsetWindow + kOffsetSlack];
        for (std::size_t w = 0; w < s.size();) {
            const std::size_t length = std::min(kOffsetWindow, s.size() - w);
            const std::size_t found = upperAsciiFindLeads(s.data() + w, length, out + w, leads);
            std::size_t next = w + length;
            for (std::size_t h = 0; h < found; ++h) {
                const std::size_t at = w + leads[h];
                if (next < s.size() && at + 3 > next) {
                    // It may reach into the next window, whose writing would
                    // undo it: that window begins with it instead.
                    next = at;
                    break;
                }
                // Every byte so far is where it was, so this character is too.
                if (!upperLead(s, at, out)) return static_cast<std::size_t>(writeFrom(s, at, out + at) - out);
            }
            w = next;
        }
        return s.size();
    }

    // The upper case of s from byte `at` on, a character at a time, written
    // at o; returns where it ends.
    char* writeFrom(std::string_view s, std::size_t at, char* o) const {
        const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + at;
        const auto* const end = reinterpret_cast<const unsigned char*>(s.data()) + s.size();
        while (p < end) {
            if (end - p >= 8) {
                // Eight bytes folded and written at once; where a byte above
                // ASCII comes, only the bytes before it count.
                const std::uint64_t w = load8(reinterpret_cast<const char*>(p));
                const std::uint64_t up = foldAscii(w);
                std::memcpy(o, &up, 8);
                const std::uint64_t high = w & kHigh;
                if (high == 0) {
                    p += 8;
                    o += 8;
                    continue;
                }
                const int ascii = std::countr_zero(high) >> 3;
                p += ascii;
                o += ascii;
            } else if (*p < 0x80) {
                const unsigned char c = *p++;
                *o++ = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
                continue;
            }
            const unsigned char c = *p;
            char32_t cp = 0;
            std::size_t n = 0;
            if (c >= 0xC2 && c < 0xE0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
                cp = (static_cast<char32_t>(c & 0x1F) << 6) | (p[1] & 0x3F);
                n = 2;
            } else if (c >= 0xE0 && c < 0xF0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
                cp = (static_cast<char32_t>(c & 0x0F) << 12) | (static_cast<char32_t>(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
                if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) n = 3;
            }
            const std::uint32_t packed = n ? table_[cp] : 0;
            if (packed) {
                std::memcpy(o, &packed, 4); // three bytes and the length, which the next write covers
                o += packed >> 24;
                p += n;
                continue;
            }
            // Four-byte characters and stray bytes, as toUpper() takes them.
            const std::size_t pos = static_cast<std::size_t>(p - reinterpret_cast<const unsigned char*>(s.data()));
            const std::size_t len = decodeUtf8(s, pos, cp);
            if (len == 1) {
                *o++ = static_cast<char>(c); // a stray byte stays as it is
            } else {
                const auto up = static_cast<char32_t>(u_toupper(static_cast<UChar32>(cp)));
                if (up == cp) {
                    std::memcpy(o, p, len);
                    o += len;
                } else {
                    std::string bytes;
                    appendUtf8(bytes, up);
                    std::memcpy(o, bytes.data(), bytes.size());
                    o += bytes.size();
                }
            }
            p += len;
        }
        return o;
    }

    std::unique_ptr<std::uint32_t[]> table_;
    // By a lead byte (0xC0 and above) and the byte after it: the two bytes
    // to write there, or this for the general way (0xFF never stands in
    // UTF-8). A lead that begins no character, or one whose character
    // stays, keeps its byte, and the byte after it is written as the fold
    // left it.
    static constexpr std::uint16_t kPairGeneral = 0xFFFF;
    std::uint16_t pair_[64 * 256];
    char cp1252_[256];
};

// One line's key as the lookup needs it.
struct PreparedKey {
    std::string_view key; // the key, a piece of the line
    std::uint64_t hash;   // in the default comparison, of its upper case
    std::int32_t state; // kNotKeyed, kEmptyKey or 0 for a key
};

// Cuts every line's key, upper-cases it where the comparison needs that, and
// hashes it, a chunk of lines at a time and ahead of the lookup. The chunks
// go round a few slots; every lookup reading them takes them in line order
// and gives each back when it is done with it.
//
// With more than one core and filters that may run on several threads (no
// include test, no advanced filter: their pattern engine keeps per-pattern
// state), either a thread of its own makes the chunks for one lookup, or two
// lookups share the making. Whoever needs a chunk nobody has begun makes it
// rather than wait. The results are the same however the work was shared.
class KeyPreparer {
public:
    static constexpr std::int64_t kChunk = 1024;

    // `readers` lookups (1 or 2) read the keys; `maker` asks for a thread
    // that only makes chunks.
    KeyPreparer(const clsListEmu& lines, const LineFilters& filters, const FastUpper& upper, bool exact,
                Codec codec, bool testInclude, int readers, bool maker)
        : lines_(lines), filters_(filters), upper_(upper), exact_(exact), codec_(codec), testInclude_(testInclude),
          n_(lines.ListCount()), chunks_((n_ + kChunk - 1) / kChunk), readers_(readers) {
        for (Slot& s : slots_) s.keys = std::make_unique<PreparedKey[]>(kChunk);
        if (maker) {
            try {
                maker_ = std::thread([this] { work(); });
            } catch (const std::system_error&) {
                // No thread to be had: the lookup makes each chunk itself.
            }
        }
    }
    ~KeyPreparer() { finish(); }
    KeyPreparer(const KeyPreparer&) = delete;
    KeyPreparer& operator=(const KeyPreparer&) = delete;

    // Line i's key for lookup `reader`. Each lookup asks for lines in order,
    // no further than two chunks beyond the last one it gave back with done().
    const PreparedKey& at(int reader, std::int64_t i) {
        const std::int64_t chunk = i / kChunk;
        if (chunk >= ready_[reader]) obtain(reader, chunk);
        return slots_[chunk % kSlots].keys[i % kChunk];
    }
    // Lookup `reader` has dealt with every line before `end`.
    void done(int reader, std::int64_t end) {
        const std::int64_t chunks = end == n_ ? chunks_ : end / kChunk;
        if (chunks <= releasedBy_[reader]) return;
        {
            std::lock_guard lock(mutex_);
            releasedBy_[reader] = chunks;
        }
        changed_.notify_all();
    }
    // A lookup failed (with `why`): no one may wait for it any more.
    void abort(std::exception_ptr why = nullptr) {
        {
            std::lock_guard lock(mutex_);
            if (!failure_) failure_ = why ? why : std::make_exception_ptr(std::runtime_error("key lookup abandoned"));
        }
        changed_.notify_all();
    }
    // Stops the maker thread (a scan stopped early) and waits for it.
    void finish() {
        if (!maker_.joinable()) return;
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        maker_.join();
    }

private:
    static constexpr int kSlots = 4;
    struct Slot {
        std::unique_ptr<PreparedKey[]> keys;
        UpperBuffer upper; // one key's upper case at a time, to hash
    };

    bool alone() const { return readers_ == 1 && !maker_.joinable(); }
    // Under the lock: the next chunk may be begun (its slot is given back by
    // every lookup).
    bool canBegin() const {
        std::int64_t released = releasedBy_[0];
        for (int r = 1; r < readers_; ++r) released = std::min(released, releasedBy_[r]);
        return next_ < chunks_ && next_ - released < kSlots;
    }
    // Under the lock, which it leaves held: makes chunk next_.
    void makeNext(std::unique_lock<std::mutex>& lock) {
        const std::int64_t chunk = next_++;
        lock.unlock();
        try {
            prepare(chunk);
        } catch (...) {
            lock.lock();
            if (!failure_) failure_ = std::current_exception();
            changed_.notify_all();
            throw;
        }
        lock.lock();
        slotChunk_[chunk % kSlots] = chunk;
        changed_.notify_all();
    }

    void obtain(int reader, std::int64_t chunk) {
        if (alone()) {
            prepare(chunk);
            ready_[reader] = chunk + 1;
            return;
        }
        std::unique_lock lock(mutex_);
        for (;;) {
            if (failure_) std::rethrow_exception(failure_);
            if (slotChunk_[chunk % kSlots] == chunk) break;
            if (next_ == chunk && canBegin()) {
                makeNext(lock);
                continue;
            }
            changed_.wait(lock);
        }
        // Two lookups share the making: one chunk ahead for each taken.
        if (readers_ > 1 && canBegin()) makeNext(lock);
        ready_[reader] = chunk + 1;
    }

    void work() {
        try {
            std::unique_lock lock(mutex_);
            for (;;) {
                changed_.wait(lock, [&] { return stop_ || failure_ || next_ >= chunks_ || canBegin(); });
                if (stop_ || failure_ || next_ >= chunks_) return;
                makeNext(lock);
            }
        } catch (...) {
            // Recorded by makeNext; the lookup rethrows it.
        }
    }

    void prepare(std::int64_t chunk) {
        Slot& slot = slots_[chunk % kSlots];
        const std::int64_t first = chunk * kChunk;
        const auto count = static_cast<std::int32_t>(std::min(kChunk, n_ - first));
        for (std::int32_t b = 0; b < count; ++b) {
            PreparedKey& p = slot.keys[b];
            const std::string_view line = lines_.ListView(static_cast<std::int32_t>(first + b));
            if (testInclude_ && !filters_.PassesIncludeFilter(line)) {
                p.state = kNotKeyed;
                continue;
            }
            const std::string_view key = filters_.PreprocessView(line, true);
            if (key.empty()) {
                p.state = kEmptyKey;
                continue;
            }
            p.state = 0;
            p.key = key;
            if (exact_) {
                p.hash = hashExact(key);
                continue;
            }
            if (codec_ == Codec::Windows1252 || !hashAscii(key, p.hash)) {
                // Beyond ASCII the codec's upper case counts. Its ASCII
                // letters are capitals already, so its exact hash is the
                // folded one. It is hashed while it is still in the cache,
                // and made again in the rare case that a comparison needs it.
                p.hash = hashExact(upper_(key, slot.upper, codec_));
            }
        }
    }

    const clsListEmu& lines_;
    const LineFilters& filters_;
    const FastUpper& upper_;
    const bool exact_;
    const Codec codec_;
    const bool testInclude_;
    const std::int64_t n_;
    const std::int64_t chunks_;
    Slot slots_[kSlots];
    const int readers_;
    std::int64_t ready_[2] = {0, 0}; // chunks each lookup may read without asking

    std::thread maker_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::int64_t next_ = 0;                           // the first chunk nobody has begun
    std::int64_t slotChunk_[kSlots] = {-1, -1, -1, -1}; // the chunk each slot holds, once made
    std::int64_t releasedBy_[2] = {0, 0};             // chunks each lookup is done with
    bool stop_ = false;
    std::exception_ptr failure_;
};

bool anyHighByte(std::string_view s) {
    std::uint64_t acc = 0;
    const char* p = s.data();
    std::size_t n = s.size();
    for (; n >= 8; p += 8, n -= 8) acc |= load8(p);
    if (n) acc |= loadTail(p, n);
    return (acc & kHigh) != 0;
}

// Writes the scan-time entries. pad() writes W digits.
class EntryWriter {
public:
    EntryWriter(clsListEmu& list, std::int32_t W) : list_(list), W_(W) {}
    void add(std::int64_t firstIndex, std::int64_t lineIndex, std::string_view key) {
        buf_.clear();
        pad(firstIndex);
        buf_.push_back('[');
        pad(lineIndex + 1);
        buf_.append("]   ");
        buf_.append(key);
        list_.AddItem(buf_);
    }

private:
    void pad(std::int64_t x) {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + x % 10);
            x /= 10;
        } while (x > 0);
        for (int i = n; i < W_; ++i) buf_.push_back('0');
        while (n > 0) buf_.push_back(digits[--n]);
    }
    clsListEmu& list_;
    std::int32_t W_;
    std::string buf_;
};

// Slots of a key table for `keys` keys: a quarter more, so that it is never
// more than four-fifths full.
std::size_t keyTableSlots(std::int64_t keys) {
    return static_cast<std::size_t>(std::max<std::int64_t>(32, keys + keys / 4));
}

// A lane's part of the key table reached the fill it may have: the lookup
// starts again with room for every line.
struct TableFull {};

// Runs part(0) and part(1): at once on two threads when `twoThreads` and a
// second thread can be had, else one after the other on this one.
template <class Part>
void onBothParts(bool twoThreads, Part&& part) {
    std::jthread other; // joined on every way out
    if (twoThreads) {
        try {
            other = std::jthread([&part] { part(1); });
        } catch (const std::system_error&) {
            // No second thread: this one takes both parts.
        }
    }
    part(0);
    if (!other.joinable()) part(1);
}

// About how many distinct lines `lines` holds, from a pass that hashes each
// (on two threads where there are two cores). Lines that differ may share a
// key, never the other way round, so this is at least the number of keys
// the lookup will meet, give or take the sketch's error.
std::int64_t estimateDistinctLines(const clsListEmu& lines, bool twoThreads) {
    const std::int32_t n = lines.ListCount();
    auto counts = std::make_unique<DistinctCount[]>(2);
    onBothParts(twoThreads, [&](int part) {
        DistinctCount& into = counts[part];
        for (std::int32_t i = part == 0 ? 0 : n / 2, to = part == 0 ? n / 2 : n; i < to; ++i)
            into.add(hashExact(lines.ListView(i)));
    });
    counts[0].merge(counts[1]);
    return static_cast<std::int64_t>(std::ceil(counts[0].estimate()));
}

} // namespace

ScanArrays::ScanArrays(std::int64_t lines, bool keyTable, int slotWords) : lineGroup(static_cast<std::size_t>(lines)) {
    if (keyTable) table.emplace(keyTableSlots(lines) * static_cast<std::size_t>(slotWords));
}

bool BlockLineIs(const char* text, std::size_t textEnd, std::size_t at, std::string_view key, bool lfEndsLines) noexcept {
    const std::size_t end = at + key.size();
    if (end > textEnd || std::memcmp(text + at, key.data(), key.size()) != 0) return false;
    return end == textEnd || text[end] == '\r' || (lfEndsLines && text[end] == '\n');
}

std::string_view BlockLineKey(const char* text, std::size_t textEnd, std::size_t at, bool lfEndsLines, bool trimmed) noexcept {
    const char* const begin = text + at;
    const char* end = text + textEnd;
    if (const void* cr = std::memchr(begin, '\r', static_cast<std::size_t>(end - begin))) end = static_cast<const char*>(cr);
    if (lfEndsLines)
        if (const void* lf = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin))) end = static_cast<const char*>(lf);
    if (trimmed) {
        // As LineFilters trims a key that stays non-empty: the blanks at the
        // end go first, then the control characters they leave at the end.
        while (end > begin && end[-1] == ' ') --end;
        while (end > begin && static_cast<unsigned char>(end[-1]) < 32) --end;
    }
    return {begin, static_cast<std::size_t>(end - begin)};
}

bool BlockLineEndsWithKey(const char* text, std::size_t textEnd, std::size_t at, std::string_view key, bool lfEndsLines,
                          bool trimmed) noexcept {
    if (trimmed && !key.empty() && static_cast<unsigned char>(key.back()) <= ' ') return false;
    return BlockLineIs(text, textEnd, at, key, lfEndsLines);
}

int KeySlotWords(const SettingsValues& settings, const LoadedDocument& doc, std::int64_t lines, bool reducedMemory) {
    // Below a few million lines the table and the line records mostly stay
    // in the processor's cache, and the records a wide slot spares cost
    // little (a tenth of the lookup at a million lines, against a sixth at
    // ten million): there the memory goes to no good use.
    constexpr std::int64_t kWideFrom = std::int64_t{1} << 22;
    const bool linesOfOneFile =
        LineFilters::KeysAreLines(settings) && doc.fileCount() == 1 && !doc.bDocIsWord && !doc.bDocIsExcel;
    return linesOfOneFile && !reducedMemory && lines >= kWideFrom ? 2 : 1;
}

void ScanArrays::prefault(const std::atomic<bool>* stop) noexcept {
    lineGroup.prefault(stop);
    if (table) table->prefault(stop);
}

std::int32_t digitCount(std::int64_t n) {
    std::int32_t d = 1;
    for (; n >= 10; n /= 10) ++d;
    return d;
}

DuplicateScan FindDuplicates(LoadedDocument& doc, const LineFilters& filters, const SettingsValues& settings,
                             ProgressStep& progressStep, const ScanMemoryPlan& memory) {
    DuplicateScan scan;
    doc.bScanCaseSensitive = settings.Load_CaseSensitive == 1;
    const bool exact = doc.bScanCaseSensitive;
    const bool reportEmpty = settings.Load_IgnoreEmptyLines == 0;
    const Codec codec = filters.codec();
    const bool testInclude = filters.hasIncludeTest();

    const clsListEmu& lines = doc.lstOriginal;
    const std::int64_t N = lines.ListCount();
    scan.W = digitCount(N);

    // A key's group is known by its first line: the table names it, each later
    // line of the group records it (a line before itself), and the key is cut
    // again from that line when a probe needs it, which happens only on a
    // hash match. A group's first line records itself.
    // Arrays made ahead for another line count are given back at once.
    ScanArrays* ready = memory.arrays;
    if (ready && ready->lineGroup.size() != static_cast<std::size_t>(N)) {
        HugeArray<std::int32_t> gone(std::move(ready->lineGroup));
        ready->table.reset();
        ready = nullptr;
    }
    HugeArray<std::int32_t> lineGroup =
        ready ? std::move(ready->lineGroup) : HugeArray<std::int32_t>(static_cast<std::size_t>(N));
    static const FastUpper upper;
    // Under the default comparison, the later lines of a group whose key has
    // the very bytes of the group's first key: their entries can take that
    // key without reading their own lines again. A bit a line, set by
    // whichever lane looks the line up.
    HugeArray<std::uint64_t> sameBytes(exact ? 0 : static_cast<std::size_t>(N + 63) / 64);
    auto markSameBytes = [&](std::int64_t i) {
        std::atomic_ref<std::uint64_t>(sameBytes[static_cast<std::size_t>(i) / 64])
            .fetch_or(std::uint64_t{1} << (i % 64), std::memory_order_relaxed);
    };
    auto hasSameBytes = [&](std::int64_t i) {
        return !exact && ((sameBytes[static_cast<std::size_t>(i) / 64] >> (i % 64)) & 1) != 0;
    };

    // Open addressing over four-byte slots (or eight, see `wide` below):
    // first line + 1 in the low bits, as many bits of the hash above it as
    // the line count leaves free, so that most probes of a foreign slot end
    // without looking at its line. There
    // are a quarter more slots than keys to hold: one key per line unless the
    // memory plan says fewer. A lane whose part of the table gets nine-tenths
    // full gives up, and the lookup starts again with room for every line in
    // one lane, which can hold them all.
    //
    // With two cores, the keys are split in two by one bit of their hash,
    // each half with a table of its own, and the halves are looked up at
    // once, the two lookups sharing the making of the keys. The lookup waits
    // on memory far more than it computes, and two cores keep twice as many
    // fetches in flight. A key's group is its first line either way, so the
    // result does not depend on how the work was split.
    const int indexBits = std::bit_width(static_cast<std::uint64_t>(N) + 1);
    const std::uint32_t indexMask = indexBits >= 32 ? 0xFFFFFFFFu : (1u << indexBits) - 1;
    const bool parallel = N >= 4 * KeyPreparer::kChunk && !testInclude && filters.concurrentSafe() &&
                          std::thread::hardware_concurrency() > 1;
    std::int64_t keysRoom = N;
    if (memory.tableKeys > 0) keysRoom = std::min(N, memory.tableKeys);
    else if (memory.tableKeys < 0 && N >= (1 << 16)) keysRoom = std::min(N, estimateDistinctLines(lines, parallel));
    int lanes = parallel ? 2 : 1;
    // Keys that are the whole lines of one text file, or those lines
    // trimmed, with memory to spare: slots of eight bytes, whose upper half
    // says where the key begins in the text. A probe then reaches the text
    // without the line's record, and finds where the line ends in the text:
    // every line of such a block ends at a CR, or at an LF where the file's
    // lines end at LF (see SourceReader), or where the block's last line
    // ends. Untrimmed and compared exactly, the byte after the key tells.
    const char* text = nullptr;
    std::size_t textEnd = 0;
    const bool wide = memory.wideSlots && memory.tableKeys == 0 && filters.keysAreLines() && doc.fileCount() == 1 &&
                      doc.bSourceUnix.size() == 1 && !doc.bDocIsWord && !doc.bDocIsExcel &&
                      lines.OneTextBlock(text, textEnd) && textEnd <= 0xFFFFFFFFu;
    const bool lfEndsLines = wide && doc.bSourceUnix[0];
    const bool wholeLinesExactly = exact && filters.keysAreWholeLines();
    const bool trimmed = !filters.keysAreWholeLines();
    const std::size_t slotWords = wide ? 2 : 1;
    std::size_t totalSlots = 0, laneSlots = 0;
    std::int64_t laneCap = 0; // keys a lane may hold
    std::optional<HugeArray<std::uint32_t>> table; // slotWords words a slot
    auto makeTable = [&] {
        table.reset(); // the old one goes first
        totalSlots = keyTableSlots(keysRoom);
        if (ready && ready->table && ready->table->size() == totalSlots * slotWords) {
            table.emplace(std::move(*ready->table));
        } else {
            if (ready) ready->table.reset(); // of another size: it goes first
            table.emplace(totalSlots * slotWords);
        }
        if (ready) ready->table.reset();
        laneSlots = totalSlots / static_cast<std::size_t>(lanes);
        laneCap = static_cast<std::int64_t>(laneSlots - laneSlots / 10);
    };
    auto tagOf = [&](std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32) & ~indexMask; };
    auto firstLineOf = [&](std::uint32_t slot) { return static_cast<std::int32_t>((slot & indexMask) - 1); };
    // The lane takes the lowest bit of the high half, which the tag leaves out
    // (the line index fills the low bits of a slot).
    auto laneOf = [&](std::uint64_t hash) { return lanes == 1 ? 0 : static_cast<int>((hash >> 32) & 1); };

    // Lines go through a four-stage pipeline, one batch per stage: a look at
    // the key's table slot (fetching it), a look at the slot (fetching the
    // record of the first line it names, or with wide slots its text), a look
    // at that record (fetching the line; nothing to do with wide slots), then
    // the real lookup. Every line thus finds its memory already on the way;
    // only the last stage changes anything.
    // One lane keeps more lines in flight with batches of 32; two lanes,
    // each looking up about half of every batch, measured best with 16.
    constexpr int kBatchOneLane = 32, kBatchTwoLanes = 16;
    static_assert(KeyPreparer::kChunk % kBatchOneLane == 0 && KeyPreparer::kChunk % kBatchTwoLanes == 0);
    // The main lane (0) writes every line that has no key and runs the
    // progress step after every line. When that stops the scan, the other
    // lane goes on only to the line where it stopped.
    std::atomic<std::int64_t> limit{N - 1};

    // What each lane counts as it goes: the groups it began, which are the
    // keys in its table. Each on a cache line of its own.
    struct alignas(64) LaneCounts {
        std::int64_t keys = 0;
    };
    LaneCounts counts[2];

    // Looks up the keys of one lane; returns the line the progress step
    // stopped at, or -1.
    auto runLane = [&](auto wideSlots, int lane, KeyPreparer& keys, UpperRooms& rooms) -> std::int64_t {
        constexpr bool kWide = decltype(wideSlots)::value;
        using Slot = std::conditional_t<kWide, std::uint64_t, std::uint32_t>;
        LaneCounts& counted = counts[lane];
        const bool mainLane = lane == 0;
        const int batchLines = lanes == 1 ? kBatchOneLane : kBatchTwoLanes;
        const std::int64_t batches = (N + batchLines - 1) / batchLines;
        Slot* const t = reinterpret_cast<Slot*>(&(*table)[0]) + laneSlots * static_cast<std::size_t>(lane);
        // The low half of a wide slot is a narrow one.
        auto narrow = [](Slot slot) { return static_cast<std::uint32_t>(slot); };
        auto home = [&](std::uint64_t hash) {
            return static_cast<std::size_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(hash)) * laneSlots) >> 32);
        };
        // Runs f on every key of the batch that this lane looks up.
        auto eachOwnKey = [&](std::int64_t batch, auto&& f) {
            const std::int64_t base = batch * batchLines;
            const int count = static_cast<int>(std::min<std::int64_t>(batchLines, N - base));
            for (int b = 0; b < count; ++b) {
                const PreparedKey& p = keys.at(lane, base + b);
                if (p.state == 0 && laneOf(p.hash) == lane) f(p);
            }
        };
        // The first slot of a key's probe whose tag matches, among the few
        // the probe is likely to meet (a key often stands a slot or two past
        // its home); else 0.
        auto matchingSlot = [&](const PreparedKey& p) -> Slot {
            const std::uint32_t tag = tagOf(p.hash);
            std::size_t s = home(p.hash);
            for (int k = 0; k < 8; ++k, s = s + 1 == laneSlots ? 0 : s + 1) {
                const Slot slot = t[s];
                if (narrow(slot) == 0) return 0;
                if ((narrow(slot) & ~indexMask) == tag) return slot;
            }
            return 0;
        };
        auto prepare = [&](std::int64_t batch) {
            eachOwnKey(batch, [&](const PreparedKey& p) { __builtin_prefetch(&t[home(p.hash)]); });
        };
        // A wide slot leads to the text at once; a narrow one to the line's
        // record, and that to the text. A key that will be compared is
        // fetched too: its bytes were last read where its chunk was made,
        // often on the other core.
        auto peek = [&](std::int64_t batch) {
            eachOwnKey(batch, [&](const PreparedKey& p) {
                if (const Slot slot = matchingSlot(p)) {
                    __builtin_prefetch(p.key.data());
                    __builtin_prefetch(p.key.data() + p.key.size() - 1);
                    if constexpr (kWide) {
                        __builtin_prefetch(text + (slot >> 32));
                        __builtin_prefetch(text + (slot >> 32) + p.key.size());
                    } else {
                        lines.PrefetchItem(firstLineOf(slot));
                    }
                }
            });
        };
        auto peekLine = [&](std::int64_t batch) {
            if constexpr (!kWide) {
                eachOwnKey(batch, [&](const PreparedKey& p) {
                    if (const Slot slot = matchingSlot(p)) lines.PrefetchText(firstLineOf(slot));
                });
            }
        };
        auto settle = [&](std::int64_t batch) {
            const std::int64_t base = batch * batchLines;
            const int count = static_cast<int>(std::min<std::int64_t>(batchLines, N - base));
            for (int b = 0; b < count; ++b) {
                const std::int64_t i = base + b;
                const PreparedKey& p = keys.at(lane, i);
                if (p.state == kNotKeyed) {
                    if (mainLane) lineGroup[i] = kNotKeyed;
                } else if (p.state == kEmptyKey) {
                    if (mainLane) {
                        lineGroup[i] = kEmptyKey;
                        if (reportEmpty) scan.sEmptyLines.push_back(static_cast<std::int32_t>(i));
                    }
                } else if (laneOf(p.hash) == lane) {
                    const std::uint32_t tag = tagOf(p.hash);
                    std::size_t s = home(p.hash);
                    std::int32_t g = -1;
                    for (;; s = s + 1 == laneSlots ? 0 : s + 1) {
                        const Slot slot = t[s];
                        if (narrow(slot) == 0) break;
                        if ((narrow(slot) & ~indexMask) != tag) continue;
                        bool same;
                        std::string_view candKey;
                        if constexpr (kWide) {
                            const auto at = static_cast<std::size_t>(slot >> 32);
                            // The key's very bytes where the line ends with
                            // them: the same key in either comparison,
                            // without a search for where the line ends.
                            if (BlockLineEndsWithKey(text, textEnd, at, p.key, lfEndsLines, trimmed)) {
                                if (!exact) markSameBytes(i);
                                g = firstLineOf(narrow(slot));
                                break;
                            }
                            if (wholeLinesExactly) continue;
                            candKey = BlockLineKey(text, textEnd, at, lfEndsLines, trimmed);
                        } else {
                            candKey = filters.PreprocessView(lines.ListView(firstLineOf(narrow(slot))), true);
                        }
                        if (candKey.size() == p.key.size() &&
                            std::memcmp(candKey.data(), p.key.data(), p.key.size()) == 0) {
                            same = true; // the same bytes: the same key in either comparison
                            if (!exact) markSameBytes(i);
                        } else if (exact) {
                            same = false;
                        } else {
                            // Their upper-case forms, where ASCII folding
                            // is not all it takes.
                            auto form = [&](std::string_view k, UpperBuffer& room) {
                                return codec == Codec::Windows1252 || anyHighByte(k) ? upper(k, room, codec) : k;
                            };
                            const std::string_view candForm = form(candKey, rooms.candidate);
                            const std::string_view keyForm = form(p.key, rooms.key);
                            same = candForm.size() == keyForm.size() &&
                                   equalFolded(candForm.data(), keyForm.data(), keyForm.size());
                        }
                        if (same) {
                            g = firstLineOf(narrow(slot));
                            break;
                        }
                    }
                    if (g < 0) {
                        if (++counted.keys > laneCap) throw TableFull{};
                        Slot slot = tag | static_cast<std::uint32_t>(i + 1);
                        if constexpr (kWide) slot |= static_cast<std::uint64_t>(p.key.data() - text) << 32;
                        t[s] = slot;
                        lineGroup[i] = static_cast<std::int32_t>(i); // a group of one
                    } else {
                        lineGroup[i] = g;
                    }
                }
                if (mainLane && !progressStep(i)) return i;
            }
            keys.done(lane, base + count);
            return std::int64_t{-1};
        };
        for (std::int64_t k = 0; k < batches + 3; ++k) {
            // The other lane stops three batches past the main lane's last line.
            if (!mainLane && (k - 3) * batchLines > limit.load(std::memory_order_relaxed)) break;
            if (k < batches) prepare(k);
            if (k >= 1 && k - 1 < batches) peek(k - 1);
            if (k >= 2 && k - 2 < batches) peekLine(k - 2);
            if (k >= 3) {
                const std::int64_t stoppedAt = settle(k - 3);
                if (stoppedAt >= 0) return stoppedAt;
            }
        }
        return -1;
    };

    std::int64_t last = N - 1; // the last line handled
    auto lookUp = [&] {
        std::optional<KeyPreparer> shared;
        std::thread other;
        std::exception_ptr otherFailed;
        if (lanes == 2) {
            shared.emplace(lines, filters, upper, exact, codec, testInclude, 2, false);
            try {
                other = std::thread([&] {
                    try {
                        UpperRooms ownRooms;
                        wide ? runLane(std::true_type{}, 1, *shared, ownRooms)
                             : runLane(std::false_type{}, 1, *shared, ownRooms);
                    } catch (...) {
                        otherFailed = std::current_exception();
                        shared->abort(otherFailed); // the main lane may be waiting for this one
                    }
                });
            } catch (const std::system_error&) {
                // No second thread: one lane over the whole table.
                shared.reset();
                lanes = 1;
                laneSlots = totalSlots;
                laneCap = static_cast<std::int64_t>(laneSlots - laneSlots / 10);
            }
        }
        if (!shared) shared.emplace(lines, filters, upper, exact, codec, testInclude, 1, parallel);
        struct Join {
            std::thread& t;
            std::atomic<std::int64_t>& limit;
            KeyPreparer& keys;
            ~Join() {
                // Only when the main lane failed is the thread still running:
                // the other lane may stop at once.
                if (!t.joinable()) return;
                limit.store(std::numeric_limits<std::int32_t>::min(), std::memory_order_relaxed);
                keys.abort();
                t.join();
            }
        } join{other, limit, *shared};
        UpperRooms rooms;
        const std::int64_t stoppedAt =
            wide ? runLane(std::true_type{}, 0, *shared, rooms) : runLane(std::false_type{}, 0, *shared, rooms);
        if (stoppedAt >= 0) {
            scan.bStopped = true;
            last = stoppedAt;
        }
        // The other lane must reach the last line this one handled, and no
        // longer waits for this one to give chunks back.
        limit.store(last, std::memory_order_relaxed);
        shared->done(0, N);
        if (other.joinable()) other.join();
        if (otherFailed) std::rethrow_exception(otherFailed);
        shared->finish();
    };
    makeTable();
    for (;;) {
        try {
            lookUp();
            break;
        } catch (const TableFull&) {
            // Every line is looked up again: each is written afresh. The
            // same-bytes marks may stay, as a line's group does not depend
            // on how the lookup was split.
            keysRoom = N;
            lanes = 1;
            makeTable();
            for (LaneCounts& c : counts) c = LaneCounts{};
            scan.sEmptyLines.clear();
            limit.store(N - 1, std::memory_order_relaxed);
        }
    }

    EntryWriter out(doc.lstDuplicates, scan.W);
    auto keyOf = [&](std::int64_t i) { return filters.PreprocessView(lines.ListView(static_cast<std::int32_t>(i)), true); };

    if (scan.bStopped) {
        table.reset();
        // The entries found so far, in the order they were found.
        std::vector<std::int32_t> seen(static_cast<std::size_t>(last + 1), 0);
        for (std::int64_t i = 0; i <= last; ++i) {
            std::int32_t g = lineGroup[i];
            if (g < 0) continue;
            if (g >= i) g = static_cast<std::int32_t>(i); // the group's first line
            const std::int32_t c = ++seen[static_cast<std::size_t>(g)];
            if (c == 1) continue;
            if (c == 2) {
                out.add(g, g, keyOf(g));
                ++scan.lUniqueDups;
            }
            out.add(g, i, keyOf(i));
        }
        return scan;
    }

    // Place every member of a reported group: groups in the order of their
    // first lines, members in line order. Going to each member's first line
    // in a per-line array would miss the cache at nearly every member, so
    // the members are first sorted, with their first lines, into buckets of
    // 16K consecutive first lines: one walk over the lines counts them, one
    // writes them. Then each bucket in turn counts its groups' members, lays
    // out the groups and places the members, with counters that stay in the
    // cache. (Where the key table has no room for the pairs, the members are
    // placed the slower way below.) Each entry borrows its key from its line,
    // unless the memory plan asks for copies.
    constexpr int kBucketBits = 14;
    const auto buckets = static_cast<std::size_t>(N >> kBucketBits) + 1;
    // The first line of line i's group when line i is a later member of it;
    // else negative (no key, or a group's first line).
    auto memberOf = [&](std::int64_t i) {
        const std::int32_t v = lineGroup[static_cast<std::size_t>(i)];
        return v < i ? v : -1;
    };
    // Both walks over the lines take them in two halves, on two threads where
    // there are two cores: each bucket holds the first half's members, then
    // the second's, which keeps them in line order.
    const std::int64_t halfLines = N / 2;
    auto bothHalves = [&](auto&& f) {
        onBothParts(parallel, [&](int half) { half == 0 ? f(std::int64_t{0}, halfLines, 0) : f(halfLines, N, 1); });
    };
    std::vector<std::uint64_t> halfCounts[2] = {std::vector<std::uint64_t>(buckets, 0), std::vector<std::uint64_t>(buckets, 0)};
    bothHalves([&](std::int64_t from, std::int64_t to, int half) {
        std::uint64_t* const counts = halfCounts[half].data();
        for (std::int64_t i = from; i < to; ++i)
            if (const std::int32_t g = memberOf(i); g >= 0) ++counts[static_cast<std::size_t>(g) >> kBucketBits];
    });
    std::vector<std::uint64_t> bucketStart(buckets + 1, 0);
    for (std::size_t b = 0; b < buckets; ++b) bucketStart[b + 1] = bucketStart[b] + halfCounts[0][b] + halfCounts[1][b];
    const std::uint64_t members = bucketStart[buckets];
    std::vector<std::uint32_t> sizes; // of the reported groups, in their order
    std::uint32_t total = 0;
    std::int32_t* lineOf = nullptr;
    std::optional<HugeArray<std::int32_t>> ownLineOf;
    if (table->size() / 2 >= members) { // the table's words, two a pair
        // Each member as its first line (high half) and its own line, where
        // the key table was: its memory is the system's already, and fresh
        // memory costs a clearing.
        table->discardFrom(static_cast<std::size_t>(members * 2));
        auto* const pairs = reinterpret_cast<std::uint64_t*>(&(*table)[0]);
        // Where each half's next pair of a bucket goes.
        for (std::size_t b = 0; b < buckets; ++b) {
            halfCounts[1][b] = bucketStart[b] + halfCounts[0][b];
            halfCounts[0][b] = bucketStart[b];
        }
        bothHalves([&](std::int64_t from, std::int64_t to, int half) {
            std::uint64_t* const next = halfCounts[half].data();
            for (std::int64_t i = from; i < to; ++i)
                if (const std::int32_t g = memberOf(i); g >= 0)
                    pairs[next[static_cast<std::size_t>(g) >> kBucketBits]++] =
                        (static_cast<std::uint64_t>(g) << 32) | static_cast<std::uint32_t>(i);
        });
        // The entries' lines go where the line groups were, which the pairs
        // now hold: there are never more entries than lines.
        lineOf = &lineGroup[0];
        sizes.reserve(static_cast<std::size_t>(members));
        // Per first line of the bucket: its members, then its next place.
        std::vector<std::uint32_t> at(std::size_t{1} << kBucketBits, 0);
        for (std::size_t b = 0; b < buckets; ++b) {
            const std::uint64_t from = bucketStart[b], to = bucketStart[b + 1];
            if (from == to) continue;
            const auto firstLine = static_cast<std::uint32_t>(b << kBucketBits);
            auto slot = [&](std::uint64_t pair) -> std::uint32_t& { return at[static_cast<std::uint32_t>(pair >> 32) - firstLine]; };
            for (std::uint64_t k = from; k < to; ++k) ++slot(pairs[k]);
            const auto span = static_cast<std::uint32_t>(std::min<std::int64_t>(N - firstLine, std::int64_t{1} << kBucketBits));
            for (std::uint32_t r = 0; r < span; ++r) {
                if (at[r] == 0) continue;
                const std::uint32_t size = at[r] + 1;
                lineOf[total] = static_cast<std::int32_t>(firstLine + r);
                at[r] = total + 1;
                sizes.push_back(size);
                total += size;
            }
            for (std::uint64_t k = from; k < to; ++k) lineOf[slot(pairs[k])++] = static_cast<std::int32_t>(pairs[k]);
            for (std::uint64_t k = from; k < to; ++k) slot(pairs[k]) = 0;
        }
        table.reset();
        lineGroup.discardFrom(total);
    } else {
        // Many repeats of few keys, in a table sized for the keys: the pairs
        // would need fresh memory, twice what the entries' lines take. So
        // each group counts its members at its first line (which recorded
        // itself, and comes before them), and one walk places every member
        // instead: a group's first line takes the group's places and keeps
        // the next free one, which each later line of it takes in turn.
        std::uint32_t groups = 0;
        for (std::int64_t i = 0; i < N; ++i)
            if (const std::int32_t g = memberOf(i); g >= 0) {
                std::int32_t& first = lineGroup[static_cast<std::size_t>(g)];
                if (first == g) ++groups;
                ++first; // first line + members
            }
        total = static_cast<std::uint32_t>(members) + groups;
        sizes.reserve(groups);
        if (table->size() >= total) {
            table->discardFrom(total);
            lineOf = reinterpret_cast<std::int32_t*>(&(*table)[0]);
        } else {
            table.reset();
            ownLineOf.emplace(total);
            lineOf = &(*ownLineOf)[0];
        }
        std::uint32_t placed = 0;
        for (std::int64_t i = 0; i < N; ++i) {
            const std::int32_t v = lineGroup[static_cast<std::size_t>(i)];
            if (v < 0) continue; // no key
            if (v >= i) {
                const auto size = static_cast<std::uint32_t>(v - i + 1);
                if (size < 2) continue;
                lineOf[placed] = static_cast<std::int32_t>(i);
                lineGroup[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(placed + 1);
                placed += size;
                sizes.push_back(size);
                continue;
            }
            lineOf[static_cast<std::size_t>(lineGroup[static_cast<std::size_t>(v)]++)] = static_cast<std::int32_t>(i);
        }
        lineGroup.release();
    }
    scan.lUniqueDups += static_cast<std::int32_t>(sizes.size());
    clsListEmu& dups = doc.lstDuplicates;
    dups.SetEntryWidth(scan.W);
    const std::int32_t base = dups.ListCount();
    dups.AddBlankItems(total);
    // Fills the groups [from, to), whose first entry is j. Each group's first
    // line is read, and `keep(key)` gives the bytes its entries borrow for
    // that key. A later line of the group whose key has those very bytes
    // (all of them under the exact comparison, and those the lookup found so
    // under the default one) takes them without a look at its line; the
    // others are read, and `keepOwn(key, first)` gives the bytes for their
    // own key. The lines of one group are far apart: those that will be read
    // are fetched ahead.
    auto fillGroups = [&](std::size_t from, std::size_t to, std::uint32_t j, auto&& keep, auto&& keepOwn) {
        std::uint32_t endEntry = j;
        for (std::size_t g = from; g < to; ++g) endEntry += sizes[g];
        std::size_t ahead = from;
        std::uint32_t aheadAt = j;
        auto next = [&] { aheadAt += sizes[ahead++]; };
        for (int k = 0; k < 8 && ahead < to; ++k) next();
        for (std::size_t g = from; g < to; ++g) {
            if (ahead < to) {
                lines.PrefetchText(lineOf[aheadAt]);
                next();
                if (ahead < to) lines.PrefetchItem(lineOf[aheadAt]);
            }
            const std::uint32_t end = j + sizes[g];
            const std::string_view first = keep(keyOf(lineOf[j]));
            dups.SetEntryRef(base + static_cast<std::int32_t>(j), first.data(), static_cast<std::uint32_t>(first.size()), lineOf[j] + 1);
            for (++j; j < end; ++j) {
                const std::int32_t i = lineOf[j];
                std::string_view key = first;
                if (!exact) {
                    if (j + 32 < endEntry && !hasSameBytes(lineOf[j + 32])) lines.PrefetchItem(lineOf[j + 32]);
                    if (j + 16 < endEntry && !hasSameBytes(lineOf[j + 16])) lines.PrefetchText(lineOf[j + 16]);
                    if (!hasSameBytes(i)) key = keepOwn(keyOf(i), first);
                }
                dups.SetEntryRef(base + static_cast<std::int32_t>(j), key.data(), static_cast<std::uint32_t>(key.size()), i + 1);
            }
        }
    };
    if (memory.copyKeys) {
        // In entry order, on one thread: each key is copied as its entry is
        // made, and the text before a group's first key goes, as nothing
        // after it needs that text (see clsListEmu::OwnTexts). A key with
        // the bytes of the group's first, or of the copy made last, shares
        // that copy.
        constexpr std::size_t kDiscardStep = 8u << 20;
        clsListEmu& text = doc.lstOriginal;
        std::string_view copied;
        fillGroups(
            0, sizes.size(), 0,
            [&](std::string_view key) {
                text.DiscardTextBefore(key.data(), kDiscardStep);
                return copied = std::string_view(dups.KeepText(key), key.size());
            },
            [&](std::string_view key, std::string_view first) {
                if (key == first) return first;
                if (key != copied) copied = std::string_view(dups.KeepText(key), key.size());
                return copied;
            });
        scan.bKeysOwned = true;
    } else {
        // Each entry borrows from the lines: with a second core, each thread
        // takes about half of them, split between groups.
        std::size_t halfGroups = 0;
        std::uint32_t half = 0;
        while (halfGroups < sizes.size() && half < total / 2) half += sizes[halfGroups++];
        const auto borrow = [](std::string_view key) { return key; };
        const auto borrowOwn = [](std::string_view key, std::string_view) { return key; };
        onBothParts(parallel && total >= (1u << 16), [&](int part) {
            if (part == 1) fillGroups(halfGroups, sizes.size(), half, borrow, borrowOwn);
            else fillGroups(0, halfGroups, 0, borrow, borrowOwn);
        });
    }
    table.reset();
    ownLineOf.reset();
    lineGroup.release();
    // Every entry carries its group's first line index in front, as the
    // scan-time form has it.
    std::int32_t start = base;
    for (const std::uint32_t size : sizes) {
        dups.MarkEntrySortGroup(start);
        start += static_cast<std::int32_t>(size);
    }
    scan.groupSizes = std::move(sizes);
    return scan;
}

void AppendEmptyLineGroup(LoadedDocument& doc, DuplicateScan& scan) {
    if (scan.sEmptyLines.size() < 2) return;
    ++scan.lUniqueDups;
    if (scan.bStopped) {
        EntryWriter out(doc.lstDuplicates, scan.W);
        for (std::int32_t e : scan.sEmptyLines) out.add(e, e, {});
        return;
    }
    doc.lstDuplicates.SetEntryWidth(scan.W);
    for (std::int32_t e : scan.sEmptyLines) {
        doc.lstDuplicates.MarkEntrySortGroup(doc.lstDuplicates.ListCount());
        doc.lstDuplicates.AddEntryRef(nullptr, 0, e + 1);
    }
    scan.groupSizes.push_back(static_cast<std::uint32_t>(scan.sEmptyLines.size()));
}

} // namespace twinsift
