#include "scan/line_filters.h"

#include <unicode/uchar.h>

#include <vector>

namespace twinsift {

namespace {

bool isOn(std::int16_t checkBox) { return checkBox == 1; }

inline unsigned char asciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Byte offset of the first case-insensitive occurrence of needle in hay, or
// npos. Letters fold by the codec; positions stay those of `hay`.
std::size_t findNoCase(std::string_view hay, std::string_view needle, Codec codec) {
    if (hay.empty()) return std::string_view::npos; // an empty text contains nothing, not even ""
    if (needle.empty()) return 0;
    if (codec == Codec::Windows1252 || (isAscii(needle) && isAscii(hay))) {
        // One byte is one character: compare the upper-cased bytes.
        const std::string h = codec == Codec::Windows1252 ? toUpper(hay, codec) : std::string();
        const std::string n = toUpper(needle, codec);
        if (codec == Codec::Windows1252) return std::string_view(h).find(n);
        const std::size_t last = hay.size() >= n.size() ? hay.size() - n.size() : std::string_view::npos;
        if (last == std::string_view::npos) return last;
        for (std::size_t i = 0; i <= last; ++i) {
            std::size_t j = 0;
            while (j < n.size() && asciiUpper(static_cast<unsigned char>(hay[i + j])) ==
                                       static_cast<unsigned char>(n[j]))
                ++j;
            if (j == n.size()) return i;
        }
        return std::string_view::npos;
    }
    // UTF-8: compare code points mapped to upper case one by one, so a mapping
    // that changes the byte length cannot shift the positions.
    auto decodeUpper = [](std::string_view s, std::vector<char32_t>& cps, std::vector<std::size_t>* offs) {
        for (std::size_t i = 0; i < s.size();) {
            char32_t cp;
            const std::size_t n = decodeUtf8(s, i, cp);
            if (offs) offs->push_back(i);
            cps.push_back(static_cast<char32_t>(u_toupper(static_cast<UChar32>(cp))));
            i += n;
        }
    };
    std::vector<char32_t> h, n;
    std::vector<std::size_t> offs;
    decodeUpper(hay, h, &offs);
    decodeUpper(needle, n, nullptr);
    if (n.size() > h.size()) return std::string_view::npos;
    for (std::size_t i = 0; i + n.size() <= h.size(); ++i) {
        std::size_t j = 0;
        while (j < n.size() && h[i + j] == n[j]) ++j;
        if (j == n.size()) return offs[i];
    }
    return std::string_view::npos;
}

} // namespace

bool LineFilters::KeysAreWholeLines(const SettingsValues& s) {
    return !isOn(s.Load_RemoveWhitespaces) && KeysAreLines(s);
}

bool LineFilters::KeysAreLines(const SettingsValues& s) {
    return !isOn(s.Load_ChkStartPos) && !isOn(s.Load_ChkStartAfterStr) && !isOn(s.Load_ChkIncludeNumChars) &&
           !isOn(s.Load_ChkIncludeUntilStr) && (s.Load_TxtProcessFilter.empty() || !isOn(s.Load_ChkAdvancedFilter));
}

LineFilters::LineFilters(const SettingsValues& s, Codec codec, bool bRegExpAvailable)
    : codec_(codec), bRegExpAvailable_(bRegExpAvailable) {
    if (!s.Load_txtInclude.empty() && isOn(s.Load_chkInclude)) {
        include_.active = true;
        const bool cs = isOn(s.Load_chkIncludeCase);
        if (isOn(s.Load_chkIncludeRegExp))
            include_.pattern = CompiledPattern(s.Load_txtInclude, cs, codec);
        else if (s.Load_txtInclude == "*")
            include_.matchAll = true;
        else
            include_.pattern = CompiledPattern(WildcardToRegExp(s.Load_txtInclude), cs, codec);
    }
    if (!s.Load_txtExclude.empty() && isOn(s.Load_chkExclude)) {
        exclude_.active = true;
        const bool cs = isOn(s.Load_chkExcludeCase);
        if (isOn(s.Load_chkExcludeRegExp))
            exclude_.pattern = CompiledPattern(s.Load_txtExclude, cs, codec);
        else if (s.Load_txtExclude == "*")
            exclude_.matchAll = true;
        else
            exclude_.pattern = CompiledPattern(WildcardToRegExp(s.Load_txtExclude), cs, codec);
    }
    includeTest_ = !bRegExpAvailable_ || include_.active || exclude_.active;

    removeWhitespace_ = isOn(s.Load_RemoveWhitespaces);
    skipChars_ = isOn(s.Load_ChkStartPos);
    skipCount_ = s.Load_StartPos;
    skipUntil_ = isOn(s.Load_ChkStartAfterStr);
    skipUntilStr_ = s.Load_StartAfterStr;
    keepChars_ = isOn(s.Load_ChkIncludeNumChars);
    keepCount_ = s.Load_IncludeNumChars;
    cutAt_ = isOn(s.Load_ChkIncludeUntilStr);
    cutAtStr_ = s.Load_IncludeUntilStr;
    if (!s.Load_TxtProcessFilter.empty() && isOn(s.Load_ChkAdvancedFilter) && bRegExpAvailable_) {
        advanced_ = true;
        const std::string pattern = isOn(s.Load_ChkProcessRegExp) ? s.Load_TxtProcessFilter
                                                                  : WildcardToRegExp(s.Load_TxtProcessFilter);
        advancedPattern_ = CompiledPattern(pattern, isOn(s.Load_ChkProcessCase), codec);
    }
}

bool LineFilters::PassesIncludeFilter(std::string_view line) const {
    if (!bRegExpAvailable_) return false;
    bool r = true;
    if (include_.active && !include_.matchAll) r = include_.pattern.test(line);
    if (exclude_.active) {
        if (exclude_.matchAll) return false;
        if (exclude_.pattern.test(line)) r = false;
    }
    return r;
}

bool LineFilters::preprocess(std::string_view& k, bool bWhitespaceStep) const {
    if (bWhitespaceStep && removeWhitespace_) {
        const std::size_t b = k.find_first_not_of(' ');
        if (b == std::string_view::npos) {
            k = {};
        } else {
            k = k.substr(b, k.find_last_not_of(' ') - b + 1);
            // Control characters go in rounds from both ends; spaces they
            // uncover stay.
            bool removed = true;
            while (!k.empty() && removed) {
                removed = false;
                if (static_cast<unsigned char>(k.front()) < 32) {
                    k.remove_prefix(1);
                    removed = true;
                }
                if (!k.empty() && static_cast<unsigned char>(k.back()) < 32) {
                    k.remove_suffix(1);
                    removed = true;
                }
            }
        }
    }
    if (skipChars_) {
        if (skipCount_ < 0) return false;
        k.remove_prefix(byteOffsetOfChar(k, static_cast<std::size_t>(skipCount_), codec_));
    }
    if (skipUntil_) {
        const std::size_t p = findNoCase(k, skipUntilStr_, codec_);
        k = p == std::string_view::npos ? std::string_view() : k.substr(p);
    }
    if (keepChars_) {
        if (keepCount_ < 0) return false;
        k = k.substr(0, byteOffsetOfChar(k, static_cast<std::size_t>(keepCount_), codec_));
    }
    if (cutAt_) {
        const std::size_t p = findNoCase(k, cutAtStr_, codec_);
        k = p == std::string_view::npos ? std::string_view() : k.substr(0, p);
    }
    if (advanced_) k = advancedPattern_.firstMatch(k);
    return true;
}

std::string_view LineFilters::PreprocessView(std::string_view line, bool bWhitespaceStep) const {
    std::string_view k = line;
    try {
        if (!preprocess(k, bWhitespaceStep)) return line;
    } catch (...) {
        return line;
    }
    return k;
}

std::string LineFilters::PreprocessLine(std::string_view line, bool bWhitespaceStep) const {
    return std::string(PreprocessView(line, bWhitespaceStep));
}

} // namespace twinsift
