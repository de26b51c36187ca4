// Writes a deterministic text file of many lines for the benchmarks: unique
// lines, exact repeats of earlier lines, and repeats that differ only in letter
// case or surrounding blanks; some lines carry UTF-8 text.
//
//   twinsift_bench_gen OUT [--lines N] [--dups PERCENT] [--seed S] [--lf]

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

std::string makeLine(Rng& r, std::uint64_t id) {
    std::string s = "ID" + std::to_string(id) + ":";
    const int words = 3 + static_cast<int>(r.below(5));
    for (int i = 0; i < words; ++i) {
        s += ' ';
        s += kWords[r.below(sizeof kWords / sizeof kWords[0])];
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT [--lines N] [--dups PERCENT] [--seed S] [--lf]\n", argv[0]);
        return 2;
    }
    const char* out = argv[1];
    std::uint64_t lines = 10'000'000, seed = 42;
    unsigned dupPercent = 30;
    bool lf = false;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lines") && i + 1 < argc) lines = std::strtoull(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--dups") && i + 1 < argc) dupPercent = static_cast<unsigned>(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--lf")) lf = true;
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
            line = makeLine(lr, id);
            const auto variant = r.below(10);
            if (variant == 0) {
                for (char& c : line)
                    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            } else if (variant == 1) {
                line = "  " + line + "\t";
            }
        } else {
            Rng lr{seed * 1000003u + unique * 7919u + 1};
            line = makeLine(lr, unique);
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
