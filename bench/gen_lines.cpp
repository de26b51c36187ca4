// Writes a deterministic text file of many lines for the benchmarks: unique
// lines, exact repeats of earlier lines, and repeats that differ only in letter
// case or surrounding blanks; some lines carry UTF-8 text.
//
//   twinsift_bench_gen OUT [--lines N] [--dups PERCENT] [--seed S] [--lf]
//                          [--words N] [--scripts]
//
// --words N makes every line N to N + 4 words long (3 by default); --scripts
// draws the words from accented Latin, Cyrillic, Greek and CJK text, and its
// case variants upper-case those letters too.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rng {
    std::uint64_t s;
    std::uint64_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    std::uint64_t below(std::uint64_t n) { return next() % n; }
};

const char* const kWords[] = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel",
                              "india", "juliet", "kilo", "lima", "mike", "november", "oscar", "papa",
                              "quebec", "romeo", "sierra", "tango", "uniform", "victor", "whiskey",
                              "xray", "yankee", "zulu", "caf\xC3\xA9", "na\xC3\xAFve", "\xC3\xBC" "ber",
                              "stra\xC3\x9F" "e", "\xE4\xB8\xAD\xE6\x96\x87", "\xD0\xB4\xD0\xBE\xD0\xBC"};

// Lower- and upper-case forms of words in several scripts.
const char* const kScriptWords[][2] = {
    {"caf\xC3\xA9", "CAF\xC3\x89"},
    {"na\xC3\xAFvet\xC3\xA9", "NA\xC3\x8FVET\xC3\x89"},
    {"\xC3\xA0 la fa\xC3\xA7on", "\xC3\x80 LA FA\xC3\x87ON"},
    {"\xC3\xBC" "berm\xC3\xA4\xC3\x9F" "ig", "\xC3\x9C" "BERM\xC3\x84\xC3\x9F" "IG"},
    {"\xC5\x82\xC3\xB3" "d\xC5\xBA", "\xC5\x81\xC3\x93" "D\xC5\xB9"},
    {"\xD0\xB4\xD0\xBE\xD0\xBC", "\xD0\x94\xD0\x9E\xD0\x9C"},
    {"\xD0\xBC\xD0\xBE\xD1\x80\xD0\xB5", "\xD0\x9C\xD0\x9E\xD0\xA0\xD0\x95"},
    {"\xD1\x81\xD0\xBB\xD0\xBE\xD0\xB2\xD0\xBE", "\xD0\xA1\xD0\x9B\xD0\x9E\xD0\x92\xD0\x9E"},
    {"\xCE\xB1\xCE\xBB\xCF\x86\xCE\xB1", "\xCE\x91\xCE\x9B\xCE\xA6\xCE\x91"},
    {"\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82", "\xCE\x9B\xCE\x8C\xCE\x93\xCE\x9F\xCE\xA3"},
    {"\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87"},
    {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},
    {"\xED\x95\x9C\xEA\xB5\xAD", "\xED\x95\x9C\xEA\xB5\xAD"},
    {"river", "RIVER"},
    {"stone", "STONE"},
    {"garden", "GARDEN"},
};

struct Shape {
    int minWords = 3;
    bool scripts = false;
};

std::string makeLine(Rng& r, std::uint64_t id, const Shape& shape, bool upper) {
    std::string s = "ID" + std::to_string(id) + ":";
    const int words = shape.minWords + static_cast<int>(r.below(5));
    for (int i = 0; i < words; ++i) {
        s += ' ';
        if (shape.scripts) s += kScriptWords[r.below(sizeof kScriptWords / sizeof kScriptWords[0])][upper ? 1 : 0];
        else s += kWords[r.below(sizeof kWords / sizeof kWords[0])];
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT [--lines N] [--dups PERCENT] [--seed S] [--lf] [--words N] [--scripts]\n", argv[0]);
        return 2;
    }
    const char* out = argv[1];
    std::uint64_t lines = 10'000'000, seed = 42;
    unsigned dupPercent = 30;
    bool lf = false;
    Shape shape;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines") && i + 1 < argc) lines = std::strtoull(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--dups") && i + 1 < argc) dupPercent = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--lf")) lf = true;
        else if (!std::strcmp(argv[i], "--words") && i + 1 < argc) shape.minWords = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--scripts")) shape.scripts = true;
        else {
            std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return 2;
        }
    }
    std::FILE* f = std::fopen(out, "wb");
    if (!f) {
        std::perror(out);
        return 1;
    }
    std::vector<char> buf(1 << 20);
    std::setvbuf(f, buf.data(), _IOFBF, buf.size());
    Rng r{seed * 2654435761u + 1};
    std::uint64_t unique = 0;
    const char* eol = lf ? "\n" : "\r\n";
    for (std::uint64_t i = 0; i < lines; ++i) {
        std::string line;
        if (unique > 0 && r.below(100) < dupPercent) {
            // Repeat an earlier line: rebuild it from its id and seed.
            const std::uint64_t id = r.below(unique);
            Rng lr{seed * 1000003u + id * 7919u + 1};
            const auto variant = r.below(10);
            line = makeLine(lr, id, shape, shape.scripts && variant == 0);
            if (variant == 0 && !shape.scripts) {
                for (char& c : line)
                    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            } else if (variant == 1) {
                line = "  " + line + "\t";
            }
        } else {
            Rng lr{seed * 1000003u + unique * 7919u + 1};
            line = makeLine(lr, unique, shape, false);
            ++unique;
        }
        std::fputs(line.c_str(), f);
        std::fputs(eol, f);
    }
    if (std::fclose(f) != 0) {
        std::perror(out);
        return 1;
    }
    return 0;
}
