#pragma once
// Wildcard patterns and regular expressions for the line filters.
//
// Regular expressions use the ECMAScript meaning of every construct the load
// options dialog documents (PCRE2 is set up to match it). In a UTF-8 document a
// character is a code point; in a Windows-1252 document one byte, and letters
// fold case by the Windows-1252 table, so É matches é there too. A pattern that
// runs into the matcher's step, depth or memory limits counts as no match, and
// so does a line whose search takes longer than a second: a catastrophic pattern
// typed by a user slows the scan down but never hangs it.

#include "scan/text_codec.h"

#include <memory>
#include <string>
#include <string_view>

namespace twinsift {

// Checks once, at start-up, that the regular-expression engine works. The
// answer is the program's bRegExpAvailable; without it the include filter
// admits no line and the advanced pre-processing step is skipped.
bool InitRegExp() noexcept;

// The regular expression that a wildcard pattern (* ? :) stands for.
std::string WildcardToRegExp(std::string_view pattern);

// Checks a filter pattern before a scan uses it: the engine's error text
// ("missing closing parenthesis at offset 3", or the limit it exceeds) when the
// pattern does not compile, empty when it is fine. bRegExp says whether the
// text is a regular expression or a wildcard pattern; case and codec are those
// the scan will use, as they change what compiles. The load options dialog asks
// this on Ok for the include, exclude and key patterns, and twinsift-cli before
// it scans, so a broken pattern is refused instead of silently matching nothing.
std::string PatternError(std::string_view pattern, bool bRegExp, bool bCaseSensitive, Codec codec = Codec::Utf8);

// A regular expression compiled once for many lines. An invalid pattern gives
// an object that never matches.
class CompiledPattern {
public:
    CompiledPattern(); // matches nothing
    CompiledPattern(std::string_view pattern, bool bCaseSensitive, Codec codec);
    ~CompiledPattern();
    CompiledPattern(CompiledPattern&&) noexcept;
    CompiledPattern& operator=(CompiledPattern&&) noexcept;
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    bool valid() const noexcept { return impl_ != nullptr; }
    // Does the pattern match anywhere in the text?
    bool test(std::string_view text) const;
    // The leftmost match as a piece of `text`; empty when there is none, when
    // the leftmost match is empty, or when the pattern is invalid.
    std::string_view firstMatch(std::string_view text) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// One-off forms of the two operations (they compile the pattern on every call).
bool TestPattern(std::string_view text, std::string_view pattern, bool bCaseSensitive,
                 Codec codec = Codec::Utf8);
std::string FirstMatch(std::string_view text, std::string_view pattern, bool bCaseSensitive,
                       Codec codec = Codec::Utf8);

} // namespace twinsift
