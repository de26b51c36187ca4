// Pattern x line, with the match limits: the first byte picks wildcard or
// regular expression, case and codec; the pattern runs up to the first zero
// byte, the line is the rest. Whatever the pattern, the answer must come back
// and agree with itself.

#include "fuzz_support.h"

#include "scan/patterns.h"
#include "scan/text_codec.h"

using namespace twinsift;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t flags = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t zero = rest.find('\0');
    const std::string_view pattern = rest.substr(0, zero);
    const std::string_view line = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
    const bool regExp = flags & 1;
    const bool caseSensitive = flags & 2;
    const Codec codec = (flags & 4) ? Codec::Windows1252 : Codec::Utf8;

    const std::string regex = regExp ? std::string(pattern) : WildcardToRegExp(pattern);
    const CompiledPattern p(regex, caseSensitive, codec);
    const std::string error = PatternError(pattern, regExp, caseSensitive, codec);
    fuzz::require(error.empty() == p.valid(), "PatternError disagrees with the compiled pattern");
    // Every wildcard pattern is fine, except bytes that are no UTF-8 in a UTF-8
    // document (which no line of it can hold).
    if (!regExp && (codec == Codec::Windows1252 || isValidUtf8(pattern)))
        fuzz::require(p.valid(), "a wildcard pattern did not compile");

    const bool found = p.test(line);
    const std::string_view first = p.firstMatch(line);
    if (!first.empty()) {
        fuzz::require(found, "a first match without a match");
        fuzz::require(first.data() >= line.data() && first.data() + first.size() <= line.data() + line.size(),
                      "the first match is not a piece of the line");
    }
    fuzz::require(TestPattern(line, regex, caseSensitive, codec) == found, "one-off test disagrees");
    return 0;
}
