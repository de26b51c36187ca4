#include "office/cell_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace twinsift::office {

std::string formatNumber(double v) {
    if (!std::isfinite(v)) return "#NUM!";
    if (v == 0) return "0";
    // to_chars rather than printf: the user's locale must not change the separator.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    std::string out(buf, r.ptr);
    for (char& c : out)
        if (c == 'e') c = 'E';
    return out;
}

DateKind classifyNumberFormat(int id, std::string_view code) {
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) || (id >= 50 && id <= 58))
        return DateKind::Date;
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47) || id == 32 || id == 33) return DateKind::Time;
    if (id == 22) return DateKind::DateTime;
    if (code.empty()) return DateKind::None;
    bool date = false, time = false;
    bool inQuote = false;
    const auto fold = [](char c) { return static_cast<char>(c | 0x20); };
    // For each position, the nearest h, d or y before it and the nearest s, h,
    // d, y or ; after it: what decides between minutes and month. Found in
    // one pass each, so a long format string costs linear time.
    std::vector<char> before(code.size() + 1, 0), after(code.size() + 1, 0);
    for (std::size_t k = 0; k < code.size(); ++k) {
        const char p = fold(code[k]);
        before[k + 1] = (p == 'h' || p == 'd' || p == 'y') ? p : before[k];
    }
    for (std::size_t k = code.size(); k-- > 0;) {
        const char n = fold(code[k]);
        after[k] = (n == 's' || n == 'h' || n == 'd' || n == 'y' || n == ';') ? n : after[k + 1];
    }
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (inQuote) {
            if (c == '"') inQuote = false;
            continue;
        }
        if (c == ';') break; // the first section decides
        if (c == '"') {
            inQuote = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            const std::size_t end = code.find(']', i);
            if (end == std::string_view::npos) break;
            const std::string_view inner = code.substr(i + 1, end - i - 1);
            if (!inner.empty() && (inner[0] == 'h' || inner[0] == 'H' || inner[0] == 'm' || inner[0] == 'M' ||
                                   inner[0] == 's' || inner[0] == 'S'))
                time = true;
            i = end;
        } else {
            const char l = static_cast<char>(c | 0x20);
            if (l == 'y' || l == 'd') date = true;
            if (l == 'h' || l == 's') time = true;
            if (l == 'm') {
                // m is minutes next to hours or seconds, else the month.
                const bool minutes = before[i] == 'h' || after[i + 1] == 's';
                if (minutes) time = true;
                else date = true;
            }
        }
    }
    if (date && time) return DateKind::DateTime;
    if (date) return DateKind::Date;
    if (time) return DateKind::Time;
    return DateKind::None;
}

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yy + (m <= 2));
}

std::string twoDigits(long long v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

} // namespace

std::string formatSerialDate(double serial, DateKind kind, bool date1904) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466) return formatNumber(serial);
    long long seconds = std::llround(serial * 86400.0);
    long long days = seconds / 86400;
    const long long secOfDay = seconds % 86400;
    std::string time = twoDigits(secOfDay / 3600) + ":" + twoDigits(secOfDay / 60 % 60) + ":" + twoDigits(secOfDay % 60);
    if (kind == DateKind::Time) return time;
    std::string date;
    if (!date1904 && days == 60) {
        date = "1900-02-29"; // the spreadsheet's own leap day that never was
    } else {
        // 1900 system: day 1 is 1900-01-01; serials after the phantom leap day are one day ahead.
        long long fromEpoch;
        if (date1904) fromEpoch = days - 24107; // 1904-01-01 is day 0
        else fromEpoch = days - (days < 60 ? 25568 : 25569);
        int y;
        unsigned m, d;
        civilFromDays(fromEpoch, y, m, d);
        char b[32];
        std::snprintf(b, sizeof b, "%04d-%02u-%02u", y, m, d);
        date = b;
    }
    if (kind == DateKind::DateTime && secOfDay != 0) return date + " " + time;
    if (kind == DateKind::Date && secOfDay != 0) return date + " " + time;
    return date;
}

std::string formatIsoDateTime(std::string_view iso) {
    const std::size_t t = iso.find('T');
    std::string date(iso.substr(0, t));
    if (t == std::string_view::npos) return date;
    std::string_view time = iso.substr(t + 1);
    const std::size_t cut = time.find_first_of(".Z+-");
    if (cut != std::string_view::npos) time = time.substr(0, cut);
    if (time == "00:00:00" || time.empty()) return date;
    return date + " " + std::string(time);
}

std::string formatIsoDuration(std::string_view d) {
    long long h = 0, m = 0;
    double s = 0;
    double cur = 0;
    bool inTime = false;
    std::string num;
    for (char c : d) {
        if ((c >= '0' && c <= '9') || c == '.') {
            num += c;
            continue;
        }
        cur = 0;
        if (!num.empty()) std::from_chars(num.data(), num.data() + num.size(), cur);
        num.clear();
        if (c == 'T') inTime = true;
        else if (c == 'D') h += static_cast<long long>(cur) * 24;
        else if (c == 'H' && inTime) h += static_cast<long long>(cur);
        else if (c == 'M' && inTime) m += static_cast<long long>(cur);
        else if (c == 'S' && inTime) s += cur;
    }
    long long total = h * 3600 + m * 60 + std::llround(s);
    return twoDigits(total / 3600) + ":" + twoDigits(total / 60 % 60) + ":" + twoDigits(total % 60);
}

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
bool escapeAt(std::string_view s, std::size_t i, unsigned& value) {
    if (i + 7 > s.size() || s[i] != '_' || (s[i + 1] != 'x' && s[i + 1] != 'X') || s[i + 6] != '_') return false;
    value = 0;
    for (std::size_t k = i + 2; k < i + 6; ++k) {
        const int h = hexValue(s[k]);
        if (h < 0) return false;
        value = value * 16 + static_cast<unsigned>(h);
    }
    return true;
}
void appendCodePoint(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
} // namespace

std::string decodeOoxmlEscapes(std::string_view s) {
    if (s.find('_') == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        unsigned v;
        if (escapeAt(s, i, v)) {
            appendCodePoint(out, v);
            i += 7;
        } else {
            out += s[i++];
        }
    }
    return out;
}

std::string encodeOoxmlEscapes(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned v;
        if (c == '_' && escapeAt(s, i, v)) {
            out += "_x005F_";
        } else if (c < 0x20 && c != '\t' && c != '\n') {
            char b[8];
            std::snprintf(b, sizeof b, "_x%04X_", c);
            out += b;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<double> numericValue(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < t.size() && (t[k] == '+' || t[k] == '-')) ++k;
        std::size_t expDigits = 0;
        while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++expDigits;
        if (expDigits == 0) return std::nullopt;
        i = k;
    }
    if (i != t.size()) return std::nullopt;
    if (t[0] == '+') t.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::string numberToXml(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

} // namespace twinsift::office
