#pragma once
// The two per-line filters of a scan and of a save: the include/exclude test
// and the pre-processing that turns a line into its comparison key.
//
// Patterns are compiled once, when the object is made; calling the filters per
// line is cheap. Make a new object whenever the settings or the codec change.

#include "scan/patterns.h"
#include "scan/text_codec.h"
#include "settings/settings_values.h"

#include <string>
#include <string_view>

namespace twinsift {

class LineFilters {
public:
    // bRegExpAvailable is the answer of InitRegExp().
    LineFilters(const SettingsValues& settings, Codec codec, bool bRegExpAvailable = true);

    // True when the line takes part in the scan.
    bool PassesIncludeFilter(std::string_view line) const;

    // The comparison key of a line. The scan passes bWhitespaceStep = true, the
    // save driver false.
    std::string PreprocessLine(std::string_view line, bool bWhitespaceStep) const;

    // The same key without a copy: every step only cuts the line, so the key is
    // always a piece of `line`.
    std::string_view PreprocessView(std::string_view line, bool bWhitespaceStep) const;

    // False when every line passes without a test (no pattern is active and the
    // regular-expression engine is there).
    bool hasIncludeTest() const noexcept { return includeTest_; }
    // True when PreprocessView and PassesIncludeFilter may run on several
    // threads at once: no pattern is tested (a compiled pattern keeps its
    // match state).
    bool concurrentSafe() const noexcept { return !includeTest_ && !advanced_; }

    Codec codec() const noexcept { return codec_; }

    // True when every key is its whole line (in the scan, which passes
    // bWhitespaceStep = true); the settings alone can tell it.
    bool keysAreWholeLines() const noexcept {
        return !removeWhitespace_ && !skipChars_ && !skipUntil_ && !keepChars_ && !cutAt_ && !advanced_;
    }
    static bool KeysAreWholeLines(const SettingsValues& settings);
    // True when every key is its whole line, or its whole line as the
    // whitespace step trims it (in the scan); the settings alone can tell it.
    bool keysAreLines() const noexcept { return !skipChars_ && !skipUntil_ && !keepChars_ && !cutAt_ && !advanced_; }
    static bool KeysAreLines(const SettingsValues& settings);

private:
    struct Part {
        bool active = false;
        bool matchAll = false; // the wildcard "*": no pattern test
        CompiledPattern pattern;
    };
    // Returns false when a setting makes a step fail (the line stays unchanged).
    bool preprocess(std::string_view& k, bool bWhitespaceStep) const;

    Codec codec_;
    bool bRegExpAvailable_;
    bool includeTest_ = false;
    Part include_;
    Part exclude_;

    bool removeWhitespace_;
    bool skipChars_;
    int skipCount_;
    bool skipUntil_;
    std::string skipUntilStr_;
    bool keepChars_;
    int keepCount_;
    bool cutAt_;
    std::string cutAtStr_;
    bool advanced_ = false;
    CompiledPattern advancedPattern_;
};

} // namespace twinsift
