#include "scan/patterns.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <array>
#include <chrono>
#include <new>
#include <cstring>

namespace twinsift {

namespace {

// Steps a single match attempt may take before it counts as no match. Ordinary
// patterns on ordinary lines stay far below this.
constexpr std::uint32_t kMatchLimit = 200000;
constexpr std::uint32_t kDepthLimit = 20000;
// Kibibytes of backtracking memory one match attempt may use.
constexpr std::uint32_t kHeapLimit = 32 * 1024;
// The matcher's limits count per start position, and some patterns (a
// bounded repeat with a huge count) do much work at each one without
// reaching them. So a line is searched in windows of start positions, and a
// line whose search runs out of time counts as no match.
constexpr std::size_t kWindow = 16384;
constexpr std::chrono::milliseconds kLineTime{1000};
// Longest pattern the engine takes, in bytes.
constexpr std::size_t kMaxPatternLength = 32768;

void replaceAll(std::string& s, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = s.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(s, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s, pos, std::string::npos);
    s.swap(out);
}

// Character tables whose case folding follows Windows-1252, built once. The
// layout (lower-case map, flip-case map, class bits, ctypes) is PCRE2's own;
// only the two case maps change, so \w and \d stay ASCII.
struct Cp1252Tables {
    std::array<std::uint8_t, 1088> bytes{};
    bool ok = false;
    Cp1252Tables() {
        const std::uint8_t* base = pcre2_maketables(nullptr);
        if (!base) return;
        std::memcpy(bytes.data(), base, bytes.size());
        pcre2_maketables_free(nullptr, base);
        std::uint8_t* lcc = bytes.data();
        std::uint8_t* fcc = bytes.data() + 256;
        for (int c = 0; c < 256; ++c) {
            const std::string one(1, static_cast<char>(c));
            const auto up = static_cast<unsigned char>(toUpper(one, Codec::Windows1252)[0]);
            if (up == c) continue;
            lcc[up] = static_cast<std::uint8_t>(c);
            fcc[c] = up;
            fcc[up] = static_cast<std::uint8_t>(c);
        }
        ok = true;
    }
};

const std::uint8_t* cp1252Tables() {
    static const Cp1252Tables t;
    return t.ok ? t.bytes.data() : nullptr;
}

} // namespace

struct CompiledPattern::Impl {
    pcre2_code* code = nullptr;
    pcre2_match_data* md = nullptr;
    pcre2_match_context* mctx = nullptr;
    pcre2_jit_stack* jitStack = nullptr;
    ~Impl() {
        if (md) pcre2_match_data_free(md);
        if (mctx) pcre2_match_context_free(mctx);
        if (jitStack) pcre2_jit_stack_free(jitStack);
        if (code) pcre2_code_free(code);
    }
    bool utf = false;
    // Offsets of the leftmost match, or false (no match, limit reached, error).
    bool match(std::string_view text, std::size_t& begin, std::size_t& end) const {
        const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
        std::chrono::steady_clock::time_point deadline{};
        std::size_t start = 0;
        std::uint32_t options = 0;
        for (;;) {
            // The match may start only inside the window; it may reach past it.
            // Searching window after window finds the same leftmost match.
            pcre2_set_offset_limit(mctx, start + kWindow);
            const int rc = pcre2_match(code, subject, text.size(), start, options, md, mctx);
            if (rc >= 0) break;
            if (rc != PCRE2_ERROR_NOMATCH) return false;
            if (text.size() - start <= kWindow) return false;
            if (start == 0) {
                deadline = std::chrono::steady_clock::now() + kLineTime;
            } else if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            start += kWindow + 1;
            // A window starts on a character; the text was checked once.
            if (utf)
                while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) ++start;
            options = PCRE2_NO_UTF_CHECK;
        }
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
        begin = ov[0];
        end = ov[1];
        return begin <= end && end <= text.size();
    }
};

namespace {

// Compiles with the options every match uses; the error text when it fails.
pcre2_code* compilePattern(std::string_view pattern, bool bCaseSensitive, Codec codec, std::string* error) {
    if (pattern.size() > kMaxPatternLength) {
        if (error) *error = "pattern longer than " + std::to_string(kMaxPatternLength) + " bytes";
        return nullptr;
    }
    pcre2_compile_context* cctx = pcre2_compile_context_create(nullptr);
    if (!cctx) {
        if (error) *error = "out of memory";
        return nullptr;
    }
    // CR and LF end a line for "." (which matches neither); "$" only at the very
    // end; "[^]" is any character and "[]" nothing; an unset group's back
    // reference matches the empty text; \u and \x read as in ECMAScript.
    pcre2_set_newline(cctx, PCRE2_NEWLINE_ANYCRLF);
    std::uint32_t options = PCRE2_DOLLAR_ENDONLY | PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALLOW_EMPTY_CLASS |
                            PCRE2_ALT_BSUX | PCRE2_USE_OFFSET_LIMIT;
    if (!bCaseSensitive) options |= PCRE2_CASELESS;
    if (codec == Codec::Utf8) {
        options |= PCRE2_UTF;
    } else if (!bCaseSensitive) {
        if (const std::uint8_t* t = cp1252Tables()) pcre2_set_character_tables(cctx, t);
    }
    int err = 0;
    PCRE2_SIZE errOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &err,
                                     &errOffset, cctx);
    pcre2_compile_context_free(cctx);
    if (!code && error) {
        std::array<PCRE2_UCHAR, 256> buf{};
        const int n = pcre2_get_error_message(err, buf.data(), buf.size());
        *error = n > 0 ? std::string(reinterpret_cast<const char*>(buf.data()), static_cast<std::size_t>(n))
                       : std::string("invalid pattern");
        *error += " at offset " + std::to_string(errOffset);
    }
    return code;
}

} // namespace

CompiledPattern::CompiledPattern(std::string_view pattern, bool bCaseSensitive, Codec codec) {
    auto impl = std::make_unique<Impl>();
    impl->code = compilePattern(pattern, bCaseSensitive, codec, nullptr);
    if (!impl->code) return;
    impl->utf = codec == Codec::Utf8;
    pcre2_jit_compile(impl->code, PCRE2_JIT_COMPLETE); // falls back to the interpreter when JIT is missing
    impl->md = pcre2_match_data_create_from_pattern(impl->code, nullptr);
    impl->mctx = pcre2_match_context_create(nullptr);
    if (!impl->md || !impl->mctx) return;
    pcre2_set_match_limit(impl->mctx, kMatchLimit);
    pcre2_set_depth_limit(impl->mctx, kDepthLimit);
    pcre2_set_heap_limit(impl->mctx, kHeapLimit);
    impl->jitStack = pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr);
    if (impl->jitStack) pcre2_jit_stack_assign(impl->mctx, nullptr, impl->jitStack);
    impl_ = std::move(impl);
}

std::string PatternError(std::string_view pattern, bool bRegExp, bool bCaseSensitive, Codec codec) {
    try {
        const std::string regExp = bRegExp ? std::string(pattern) : WildcardToRegExp(pattern);
        std::string error;
        pcre2_code* code = compilePattern(regExp, bCaseSensitive, codec, &error);
        if (!code) return error.empty() ? std::string("invalid pattern") : error;
        pcre2_code_free(code);
        return {};
    } catch (const std::bad_alloc&) {
        return "out of memory";
    }
}

CompiledPattern::CompiledPattern() = default;
CompiledPattern::~CompiledPattern() = default;
CompiledPattern::CompiledPattern(CompiledPattern&&) noexcept = default;
CompiledPattern& CompiledPattern::operator=(CompiledPattern&&) noexcept = default;

bool CompiledPattern::test(std::string_view text) const {
    if (!impl_) return false;
    std::size_t b = 0, e = 0;
    return impl_->match(text, b, e);
}

std::string_view CompiledPattern::firstMatch(std::string_view text) const {
    if (!impl_) return {};
    std::size_t b = 0, e = 0;
    if (!impl_->match(text, b, e)) return {};
    return text.substr(b, e - b);
}

bool InitRegExp() noexcept {
    try {
        const CompiledPattern probe("a+", true, Codec::Utf8);
        return probe.valid() && probe.test("xaa") && !probe.test("xyz");
    } catch (...) {
        return false;
    }
}

std::string WildcardToRegExp(std::string_view pattern) {
    std::string s(pattern);
    // The backslash first, so the backslashes the later replacements insert
    // are not doubled.
    static constexpr std::string_view metas[] = {"\\", "(", ")", "{", "}", "[", "]", ".", "^", "$", "+", "|"};
    for (std::string_view m : metas) {
        std::string escaped(1, '\\');
        escaped += m;
        replaceAll(s, m, escaped);
    }
    replaceAll(s, "?", ".");
    replaceAll(s, "*", ".*?");
    replaceAll(s, ":", ".+?");
    auto endsWith = [&](std::string_view t) { return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0; };
    auto startsWith = [&](std::string_view t) { return s.compare(0, t.size(), t) == 0; };
    if (endsWith(".*?") || endsWith(".+?")) s.pop_back();
    if (startsWith(".*?") || startsWith(".+?")) s.erase(2, 1);
    return s;
}

bool TestPattern(std::string_view text, std::string_view pattern, bool bCaseSensitive, Codec codec) {
    try {
        return CompiledPattern(pattern, bCaseSensitive, codec).test(text);
    } catch (...) {
        return false;
    }
}

std::string FirstMatch(std::string_view text, std::string_view pattern, bool bCaseSensitive, Codec codec) {
    try {
        return std::string(CompiledPattern(pattern, bCaseSensitive, codec).firstMatch(text));
    } catch (...) {
        return {};
    }
}

} // namespace twinsift
