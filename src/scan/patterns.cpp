#include "scan/patterns.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <array>
#include <cstring>

namespace twinsift {

namespace {

// Steps a single match attempt may take before it counts as no match. Ordinary
// patterns on ordinary lines stay far below this.
constexpr std::uint32_t kMatchLimit = 200000;
constexpr std::uint32_t kDepthLimit = 20000;

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
    // Offsets of the leftmost match, or false (no match, limit reached, error).
    bool match(std::string_view text, std::size_t& begin, std::size_t& end) const {
        const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, md, mctx);
        if (rc < 0) return false;
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
        begin = ov[0];
        end = ov[1];
        return begin <= end && end <= text.size();
    }
};

CompiledPattern::CompiledPattern(std::string_view pattern, bool bCaseSensitive, Codec codec) {
    auto impl = std::make_unique<Impl>();
    pcre2_compile_context* cctx = pcre2_compile_context_create(nullptr);
    if (!cctx) return;
    // CR and LF end a line for "." (which matches neither); "$" only at the very
    // end; "[^]" is any character and "[]" nothing; an unset group's back
    // reference matches the empty text; \u and \x read as in ECMAScript.
    pcre2_set_newline(cctx, PCRE2_NEWLINE_ANYCRLF);
    std::uint32_t options = PCRE2_DOLLAR_ENDONLY | PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALLOW_EMPTY_CLASS |
                            PCRE2_ALT_BSUX;
    if (!bCaseSensitive) options |= PCRE2_CASELESS;
    if (codec == Codec::Utf8) {
        options |= PCRE2_UTF;
    } else if (!bCaseSensitive) {
        if (const std::uint8_t* t = cp1252Tables()) pcre2_set_character_tables(cctx, t);
    }
    int err = 0;
    PCRE2_SIZE errOffset = 0;
    impl->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &err,
                               &errOffset, cctx);
    pcre2_compile_context_free(cctx);
    if (!impl->code) return;
    pcre2_jit_compile(impl->code, PCRE2_JIT_COMPLETE); // falls back to the interpreter when JIT is missing
    impl->md = pcre2_match_data_create_from_pattern(impl->code, nullptr);
    impl->mctx = pcre2_match_context_create(nullptr);
    if (!impl->md || !impl->mctx) return;
    pcre2_set_match_limit(impl->mctx, kMatchLimit);
    pcre2_set_depth_limit(impl->mctx, kDepthLimit);
    impl->jitStack = pcre2_jit_stack_create(32 * 1024, 1024 * 1024, nullptr);
    if (impl->jitStack) pcre2_jit_stack_assign(impl->mctx, nullptr, impl->jitStack);
    impl_ = std::move(impl);
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
