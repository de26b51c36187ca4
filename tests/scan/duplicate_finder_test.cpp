#include "scan/duplicate_finder.h"

#include "scan/source_reader.h"
#include "scan/text_codec.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>

using namespace twinsift;

namespace {

struct Scan {
    LoadedDocument doc;
    DuplicateScan result;
    std::vector<std::string> entries() const {
        std::vector<std::string> e;
        for (std::int32_t i = 0; i < doc.lstDuplicates.ListCount(); ++i) e.push_back(doc.lstDuplicates.List(i));
        return e;
    }
};

Scan scan(const std::vector<std::string>& lines, const SettingsValues& s = SettingsValues::Defaults(),
          Codec codec = Codec::Utf8, ProgressStep* step = nullptr) {
    Scan r;
    r.doc.codec = codec;
    for (const auto& l : lines) r.doc.lstOriginal.AddItem(l);
    LineFilters filters(s, codec);
    ProgressStep none(50, {});
    r.result = FindDuplicates(r.doc, filters, s, step ? *step : none);
    AppendEmptyLineGroup(r.doc, r.result);
    return r;
}

using Entries = std::vector<std::string>;

} // namespace

TEST(FindDuplicates, GroupsFollowTheirFirstLinesAndMembersTheirLineOrder) {
    auto r = scan({"b", "a", "b", "a", "b"});
    EXPECT_EQ(r.entries(), (Entries{"0[1]   b", "0[3]   b", "0[5]   b", "1[2]   a", "1[4]   a"}));
    EXPECT_EQ(r.result.lUniqueDups, 2);
    EXPECT_EQ(r.result.W, 1);
}

TEST(FindDuplicates, PadsNumbersToTheDigitsOfTheLineCount) {
    std::vector<std::string> ten = {"u0", "u1", "dup", "u3", "u4", "dup", "u6", "u7", "u8", "dup"};
    auto r = scan(ten);
    EXPECT_EQ(r.entries(), (Entries{"02[03]   dup", "02[06]   dup", "02[10]   dup"}));

    std::vector<std::string> nine(ten.begin(), ten.end() - 1);
    nine[8] = "u0";
    r = scan(nine);
    EXPECT_EQ(r.entries(), (Entries{"0[1]   u0", "0[9]   u0", "2[3]   dup", "2[6]   dup"}));
}

TEST(FindDuplicates, CaseRuleAndTheTextOfEachMember) {
    auto r = scan({"Apple", "x", "APPLE", "apple"});
    EXPECT_EQ(r.entries(), (Entries{"0[1]   Apple", "0[3]   APPLE", "0[4]   apple"}));
    EXPECT_FALSE(r.doc.bScanCaseSensitive);

    SettingsValues cs = SettingsValues::Defaults();
    cs.Load_CaseSensitive = 1;
    r = scan({"Apple", "APPLE"}, cs);
    EXPECT_TRUE(r.entries().empty());
    EXPECT_TRUE(r.doc.bScanCaseSensitive);

    // Non-ASCII letters fold by the codec in both codecs.
    r = scan({"caf\xC3\xA9", "CAF\xC3\x89"});
    EXPECT_EQ(r.result.lUniqueDups, 1);
    // An upper case that leaves ASCII (long s) meets plain ASCII keys, either way round.
    r = scan({"\xC5\xBFun", "SUN", "x", "sun"});
    EXPECT_EQ(r.entries(), (Entries{"0[1]   \xC5\xBFun", "0[2]   SUN", "0[4]   sun"}));
    r = scan({"sun", "\xC5\xBFun"});
    EXPECT_EQ(r.result.lUniqueDups, 1);
    r = scan({"caf\xE9", "CAF\xC9", "\x9A", "\x8A"}, SettingsValues::Defaults(), Codec::Windows1252);
    EXPECT_EQ(r.entries(), (Entries{"0[1]   caf\xE9", "0[2]   CAF\xC9", "2[3]   \x9A", "2[4]   \x8A"}));
}

TEST(FindDuplicates, FoldsEveryCharacterAsTheCodecUpperCaseDoes) {
    // Each line beside its codec upper case: every pair must be one group of
    // its own, for every character of the Basic Multilingual Plane, some with
    // case beyond it, and stray bytes of broken sequences.
    std::vector<std::string> lines;
    auto pair = [&](const std::string& text) {
        lines.push_back(text);
        lines.push_back(toUpper(text, Codec::Utf8));
    };
    std::string ch;
    for (char32_t cp = 1; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        ch.clear();
        appendUtf8(ch, cp);
        pair((cp % 2 ? "abcdefgh" : "") + ch + "z" + ch + " " + std::to_string(cp));
    }
    for (char32_t cp = 0x10400; cp < 0x10450; ++cp) { // a script with case, four bytes a character
        ch.clear();
        appendUtf8(ch, cp);
        pair("q" + ch + std::to_string(cp));
    }
    for (const char* broken : {"\xC3 x", "y \xE4\xB8", "\xE4\xB8z", "\xED\xA0\x80 w", "\xF4\x90\x80\x80 v", "\xC0\xAF u"})
        pair(broken);
    // Every lead byte alone at a key's end, in keys short of a word, of one
    // word, and of one word and a part: nothing after it may be taken for
    // part of a character (each pair would then meet another).
    for (const std::string prefix : {"q", "abcdefg", "abcdefghij"})
        for (int lead = 0xC0; lead <= 0xFF; ++lead) {
            std::string text = prefix;
            text.push_back(static_cast<char>(lead));
            pair(text);
        }
    const auto r = scan(lines);
    EXPECT_EQ(r.result.lUniqueDups, static_cast<std::int32_t>(lines.size() / 2));
    EXPECT_EQ(r.doc.lstDuplicates.ListCount(), static_cast<std::int32_t>(lines.size()));
}

TEST(FindDuplicates, FoldsMixedTextWhereverItsCharactersFall) {
    // Random mixes of ASCII, two-, three- and four-byte characters, characters
    // whose upper case is longer or shorter (dotless i, long s, U+0250,
    // U+2C65) and broken sequences, at every offset and across every
    // eight-byte step: each line beside its codec upper case must make one
    // group of two.
    const std::vector<std::string> pieces = {
        "a", "Z", "q", " ", "7", "\xC3\xA9", "\xC3\x89", "\xC3\x9F", "\xE4\xB8\xAD", "\xD0\xB4", "\xD0\x94",
        "\xC4\xB1", "\xC5\xBF", "\xC9\x90", "\xE2\xB1\xA5", "\xF0\x90\x90\xA8", "\xC3", "\xE4\xB8", "\xED\xA0\x80",
        "\xC0\xAF", "\xF5", "\x80", "word ", "\xCF\x89\xCF\x89"};
    std::mt19937 rng(7);
    std::vector<std::string> lines;
    // Short keys, then long ones (written a window of 8 KiB at a time):
    // some characters straddle a window's end.
    for (int k = 0; k < 4300; ++k) {
        std::string text = "#" + std::to_string(k) + " ";
        if (k == 4000) text.append(8191 - text.size(), 'a') += "\xC3\xA9"; // bytes 8191 and 8192
        if (k == 4001) text.append(8190 - text.size(), 'b') += "\xE4\xB8\xAD";
        const int n = k < 4000 ? 1 + static_cast<int>(rng() % 60) : 100 + static_cast<int>(rng() % 6000);
        for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
        lines.push_back(text);
        lines.push_back(toUpper(text, Codec::Utf8));
    }
    const auto r = scan(lines);
    EXPECT_EQ(r.result.lUniqueDups, 4300);
    EXPECT_EQ(r.doc.lstDuplicates.ListCount(), 8600);
}

TEST(FindDuplicates, KeysComeFromTheFilters) {
    SettingsValues s = SettingsValues::Defaults();
    s.Load_ChkStartAfterStr = 1;
    s.Load_StartAfterStr = "=";
    auto r = scan({"a=1", " b=1 ", "c=2", "no sign"}, s);
    EXPECT_EQ(r.entries(), (Entries{"0[1]   =1", "0[2]   =1"}));

    // A line the include filter turns away is neither keyed nor empty.
    s = SettingsValues::Defaults();
    s.Load_chkExclude = 1;
    s.Load_txtExclude = "skip";
    s.Load_IgnoreEmptyLines = 0;
    r = scan({"x", "x skip", "x", "", "skip"}, s);
    EXPECT_EQ(r.entries(), (Entries{"0[1]   x", "0[3]   x"}));
    EXPECT_EQ(r.result.sEmptyLines, (std::vector<std::int32_t>{3}));
}

TEST(FindDuplicates, EmptyLineGroup) {
    SettingsValues s = SettingsValues::Defaults();
    s.Load_IgnoreEmptyLines = 0;
    auto r = scan({"", "  ", "\t"}, s);
    EXPECT_EQ(r.entries(), (Entries{"0[1]   ", "1[2]   ", "2[3]   "}));
    EXPECT_EQ(r.result.lUniqueDups, 1);

    r = scan({"", "a", "a"}, s); // a single empty line is not reported
    EXPECT_EQ(r.entries(), (Entries{"1[2]   a", "1[3]   a"}));
    EXPECT_EQ(r.result.lUniqueDups, 1);

    r = scan({"", "b", "", "b"}, s); // after every other group
    EXPECT_EQ(r.entries(), (Entries{"1[2]   b", "1[4]   b", "0[1]   ", "2[3]   "}));
    EXPECT_EQ(r.result.lUniqueDups, 2);

    r = scan({"", "", ""}); // ignored by default
    EXPECT_TRUE(r.entries().empty());
    EXPECT_EQ(r.result.lUniqueDups, 0);
}

TEST(FindDuplicates, OrderEqualsTheListSortOfTheScanTimeEntries) {
    // Random lines with many repeats, long enough for three-digit numbers.
    std::mt19937 rng(7);
    std::vector<std::string> lines;
    const char* words[] = {"Alpha", "alpha", "beta", "BETA ", " gamma", "delta", "", "z", "Z", "\xC3\xA9t\xC3\xA9",
                           "\xC3\x89T\xC3\x89"};
    for (int i = 0; i < 700; ++i) lines.push_back(words[rng() % 11] + std::string(rng() % 3 == 0 ? "1" : ""));
    for (int cs = 0; cs < 2; ++cs) {
        SettingsValues s = SettingsValues::Defaults();
        s.Load_CaseSensitive = static_cast<std::int16_t>(cs);
        auto r = scan(lines, s);

        // The dictionary walk the entries are defined by, then the list's text sort.
        LoadedDocument found;
        std::map<std::string, std::string> dicFirstLine, dicFirstText;
        LineFilters f(s, Codec::Utf8);
        auto pad = [](std::size_t x) {
            char b[24];
            std::snprintf(b, sizeof b, "%03zu", x);
            return std::string(b);
        };
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string k = f.PreprocessLine(lines[i], true);
            if (k.empty()) continue;
            const std::string dk = cs ? k : toUpper(k, Codec::Utf8);
            auto it = dicFirstLine.find(dk);
            if (it == dicFirstLine.end()) {
                dicFirstLine[dk] = "@" + std::to_string(i);
                dicFirstText["@" + std::to_string(i)] = k;
                continue;
            }
            std::string v = it->second;
            if (v[0] == '@') {
                const std::size_t first = std::stoul(v.substr(1));
                found.lstDuplicates.AddItem(pad(first) + "[" + pad(first + 1) + "]   " + dicFirstText[v]);
                v = it->second = pad(first);
            }
            found.lstDuplicates.AddItem(v + "[" + pad(i + 1) + "]   " + k);
        }
        found.lstDuplicates.ShellSort(Collation(Codec::Utf8));
        ASSERT_EQ(found.lstDuplicates.ListCount(), r.doc.lstDuplicates.ListCount()) << "cs=" << cs;
        for (std::int32_t e = 0; e < found.lstDuplicates.ListCount(); ++e)
            ASSERT_EQ(found.lstDuplicates.List(e), r.doc.lstDuplicates.List(e)) << "entry " << e << " cs=" << cs;
    }
}

TEST(FindDuplicates, GroupsSpreadOverManyLinesComeInTheOrderOfTheirFirstLines) {
    // Enough lines for the members to be placed bucket by bucket: repeats
    // land tens of thousands of lines after their first line, between
    // lines that stay alone, and every entry must still come in its group's
    // place, groups by first line and members by line.
    std::mt19937 rng(11);
    std::vector<std::string> lines;
    for (int i = 0; i < 70000; ++i)
        lines.push_back(rng() % 2 ? "u" + std::to_string(i) : "k" + std::to_string(rng() % 5000));
    std::map<std::string, std::size_t> firstOf;
    std::map<std::size_t, std::vector<std::size_t>> membersOf; // by first line
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto [it, fresh] = firstOf.emplace(lines[i], i);
        if (!fresh) membersOf[it->second].push_back(i);
    }
    Entries expected;
    auto pad = [](std::size_t x) {
        char b[24];
        std::snprintf(b, sizeof b, "%05zu", x);
        return std::string(b);
    };
    for (const auto& [first, members] : membersOf) {
        expected.push_back(pad(first) + "[" + pad(first + 1) + "]   " + lines[first]);
        for (const std::size_t m : members) expected.push_back(pad(first) + "[" + pad(m + 1) + "]   " + lines[m]);
    }
    for (const bool exact : {true, false}) {
        SettingsValues s = SettingsValues::Defaults();
        s.Load_CaseSensitive = exact ? 1 : 0;
        const auto r = scan(lines, s);
        EXPECT_EQ(r.result.lUniqueDups, static_cast<std::int32_t>(membersOf.size())) << exact;
        ASSERT_EQ(r.entries(), expected) << exact;
        ASSERT_EQ(r.result.groupSizes.size(), membersOf.size());
        EXPECT_EQ(r.result.groupSizes.front(), membersOf.begin()->second.size() + 1);
    }
}

TEST(FindDuplicates, ProgressStepRunsAfterEveryLineAndCanStopTheScan) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) lines.push_back(i % 2 ? "odd" : "even");
    std::vector<std::int64_t> serviced;
    ProgressStep step(50, [&](std::int64_t i) {
        serviced.push_back(i);
        return true;
    });
    auto r = scan(lines, SettingsValues::Defaults(), Codec::Utf8, &step);
    EXPECT_EQ(serviced, (std::vector<std::int64_t>{50, 100, 150}));
    EXPECT_FALSE(r.result.bStopped);
    EXPECT_EQ(r.doc.lstDuplicates.ListCount(), 200);

    // Stopped at line index 100: the entries found so far, in finding order.
    ProgressStep stopper(50, [&](std::int64_t i) { return i < 100; });
    r = scan({"a", "b", "a", "c", "b", "a"}, SettingsValues::Defaults(), Codec::Utf8, nullptr);
    ASSERT_EQ(r.doc.lstDuplicates.ListCount(), 5);
    r = scan(lines, SettingsValues::Defaults(), Codec::Utf8, &stopper);
    EXPECT_TRUE(r.result.bStopped);
    ASSERT_EQ(r.doc.lstDuplicates.ListCount(), 101);
    EXPECT_EQ(r.doc.lstDuplicates.List(0), "000[001]   even");
    EXPECT_EQ(r.doc.lstDuplicates.List(1), "000[003]   even");
    EXPECT_EQ(r.doc.lstDuplicates.List(2), "001[002]   odd");
    EXPECT_EQ(r.doc.lstDuplicates.List(3), "001[004]   odd");
    EXPECT_EQ(r.doc.lstDuplicates.List(100), "000[101]   even");
    EXPECT_EQ(r.result.lUniqueDups, 2);
}

TEST(FindDuplicates, LargeListsGiveTheSameGroupsWhetherRunToTheEndOrStopped) {
    // Enough lines for the keys to be made ahead on a second thread; the
    // groups must be what a plain count of the (folded) keys says.
    std::mt19937 rng(7);
    std::vector<std::string> lines;
    const char* words[] = {"alpha", "Beta", "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", "\xD0\xB4\xD0\xBE\xD0\xBC", "  gamma ", ""};
    for (int i = 0; i < 30000; ++i)
        lines.push_back(std::string(words[rng() % std::size(words)]) + " " + std::to_string(rng() % 9000));
    for (const bool exact : {true, false}) {
        SettingsValues s = SettingsValues::Defaults();
        s.Load_CaseSensitive = exact ? 1 : 0;
        std::map<std::string, int> count;
        LineFilters filters(s, Codec::Utf8);
        for (const auto& l : lines) {
            const std::string key = filters.PreprocessLine(l, true);
            ++count[exact ? key : toUpper(key, Codec::Utf8)];
        }
        std::int32_t groups = 0, members = 0;
        for (const auto& [key, c] : count)
            if (c > 1) {
                ++groups;
                members += c;
            }
        auto r = scan(lines, s);
        EXPECT_EQ(r.result.lUniqueDups, groups) << exact;
        EXPECT_EQ(r.doc.lstDuplicates.ListCount(), members) << exact;

        // Stopped a third of the way in: nothing of the lines after it.
        ProgressStep stopper(1000, [](std::int64_t i) { return i < 10000; });
        r = scan(lines, s, Codec::Utf8, &stopper);
        EXPECT_TRUE(r.result.bStopped);
        for (std::int32_t e = 0; e < r.doc.lstDuplicates.ListCount(); ++e) {
            const std::string entry = r.doc.lstDuplicates.List(e);
            const int line = std::stoi(entry.substr(entry.find('[') + 1));
            ASSERT_LE(line, 10001) << entry;
        }
        EXPECT_GT(r.doc.lstDuplicates.ListCount(), 0);
    }
}

TEST(FindDuplicates, AStopAnywhereGivesWhatTheLinesBeforeItGive) {
    // Wherever the scan stops (at the edges of the chunks the keys are made
    // in, too), its entries are those of the same scan over only the lines
    // up to there: nothing after the stop, nothing before it left out.
    std::mt19937 rng(11);
    std::vector<std::string> lines;
    for (int i = 0; i < 20000; ++i) lines.push_back((rng() % 2 ? "Key " : "key ") + std::to_string(rng() % 3000));
    for (const int exact : {0, 1}) {
        SettingsValues s = SettingsValues::Defaults();
        s.Load_CaseSensitive = exact;
        for (const std::int64_t stop : {1, 1023, 1024, 4095, 12345, 19998}) {
            ProgressStep full(1, [stop](std::int64_t i) { return i < stop; });
            const auto r = scan(lines, s, Codec::Utf8, &full);
            ASSERT_TRUE(r.result.bStopped);
            const std::vector<std::string> head(lines.begin(), lines.begin() + stop + 1);
            ProgressStep part(1, [stop](std::int64_t i) { return i < stop; });
            const auto expected = scan(head, s, Codec::Utf8, &part);
            // The numbers are padded to the digits of each scan's line count.
            auto unpadded = [](const Scan& x) {
                std::vector<std::string> out;
                for (const std::string& e : x.entries()) {
                    const std::size_t open = e.find('['), close = e.find(']');
                    out.push_back(std::to_string(std::stol(e.substr(0, open))) + "[" +
                                  std::to_string(std::stol(e.substr(open + 1, close - open - 1))) + e.substr(close));
                }
                return out;
            };
            EXPECT_EQ(unpadded(r), unpadded(expected)) << "exact " << exact << ", stop " << stop;
        }
    }
}

namespace {

// Lines with about 40 % repeats, in both letter cases.
std::vector<std::string> repeatedLines(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) lines.push_back((rng() % 2 ? "Row " : "row ") + std::to_string(rng() % (n * 3 / 5)));
    return lines;
}

Scan scanWith(const std::vector<std::string>& lines, const SettingsValues& s, const ScanMemoryPlan& memory,
              ProgressStep& step) {
    Scan r;
    for (const auto& l : lines) r.doc.lstOriginal.AddItem(l);
    LineFilters filters(s, Codec::Utf8);
    r.result = FindDuplicates(r.doc, filters, s, step, memory);
    return r;
}

} // namespace

TEST(FindDuplicates, ManyEntriesEachShowTheirOwnKeyWhicheverWayTheyAreMade) {
    // More entries than one thread fills, in groups of every size, with keys
    // that trimming or the case rule make equal: each entry must show its
    // group's key and its own line, whether the keys are borrowed from the
    // lines (on two threads, split between groups) or copied.
    std::mt19937 rng(5);
    std::vector<std::string> lines;
    for (int i = 0; i < 150000; ++i) {
        const unsigned r = rng() % 8;
        if (r < 3) lines.push_back("u" + std::to_string(i));
        else if (r < 6) lines.push_back("k" + std::to_string(rng() % 12000));
        else if (r == 6) lines.push_back("  K" + std::to_string(rng() % 300) + " ");
        else lines.push_back("k" + std::to_string(rng() % 300));
    }
    for (const bool exact : {true, false}) {
        auto keyOf = [&](std::string s) {
            s.erase(0, s.find_first_not_of(' '));
            s.erase(s.find_last_not_of(' ') + 1);
            if (!exact)
                for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return s;
        };
        auto shown = [](std::string s) { // the key as the entry shows it: trimmed, own case
            s.erase(0, s.find_first_not_of(' '));
            s.erase(s.find_last_not_of(' ') + 1);
            return s;
        };
        std::map<std::string, std::size_t> firstOf;
        std::map<std::size_t, std::vector<std::size_t>> membersOf;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto [it, fresh] = firstOf.emplace(keyOf(lines[i]), i);
            if (!fresh) membersOf[it->second].push_back(i);
        }
        Entries expected;
        auto pad = [](std::size_t x) {
            char b[24];
            std::snprintf(b, sizeof b, "%06zu", x);
            return std::string(b);
        };
        for (const auto& [first, members] : membersOf) {
            expected.push_back(pad(first) + "[" + pad(first + 1) + "]   " + shown(lines[first]));
            for (const std::size_t m : members) expected.push_back(pad(first) + "[" + pad(m + 1) + "]   " + shown(lines[m]));
        }
        ASSERT_GE(expected.size(), 65536u);
        SettingsValues s = SettingsValues::Defaults();
        s.Load_CaseSensitive = exact ? 1 : 0;
        for (const ScanMemoryPlan plan : {ScanMemoryPlan{}, ScanMemoryPlan{-1, true}}) {
            ProgressStep step(1000, {});
            const Scan r = scanWith(lines, s, plan, step);
            ASSERT_EQ(r.entries(), expected) << "exact " << exact << ", copied " << plan.copyKeys;
        }
    }
}

TEST(FindDuplicates, AKeyTableTooSmallOrSizedByEstimateGivesTheSameEntries) {
    // A table for 20,000 keys overflows a third of the way in (with groups
    // found by then) and the lookup starts again with room for every line:
    // the progress step sees those lines again, and a stop during the second
    // lookup ends the scan as it would have the first.
    const auto lines = repeatedLines(100000, 5);
    for (const int exact : {0, 1}) {
        SettingsValues s = SettingsValues::Defaults();
        s.Load_CaseSensitive = exact;
        ProgressStep none(1000, {});
        const Scan plain = scanWith(lines, s, {}, none);
        ASSERT_GT(plain.result.lUniqueDups, 1000);
        // Arrays made ahead are taken when they fit, and given back when not.
        ScanArrays fitting(static_cast<std::int64_t>(lines.size()), true), other(1000, true);
        fitting.prefault(nullptr);
        for (const ScanMemoryPlan plan : {ScanMemoryPlan{20000, false}, ScanMemoryPlan{-1, false}, ScanMemoryPlan{-1, true},
                                          ScanMemoryPlan{0, false, &fitting}, ScanMemoryPlan{0, false, &other}}) {
            ProgressStep step(1000, {});
            const Scan r = scanWith(lines, s, plan, step);
            EXPECT_EQ(r.entries(), plain.entries()) << "exact " << exact << ", keys " << plan.tableKeys;
            EXPECT_EQ(r.result.groupSizes, plain.result.groupSizes);
            EXPECT_EQ(r.result.bKeysOwned, plan.copyKeys);
        }
        EXPECT_EQ(fitting.lineGroup.size(), 0u) << "taken";
        EXPECT_FALSE(fitting.table.has_value());
        EXPECT_EQ(other.lineGroup.size(), 0u) << "given back";
        EXPECT_FALSE(other.table.has_value());

        std::int64_t calls = 0;
        ProgressStep stopAt(1, [&calls](std::int64_t i) {
            ++calls;
            return i < 70000;
        });
        const Scan stopped = scanWith(lines, s, {20000, true}, stopAt);
        EXPECT_TRUE(stopped.result.bStopped);
        EXPECT_GT(calls, 70001) << "the lines before the overflow were stepped over twice";
        ProgressStep plainStop(1, [](std::int64_t i) { return i < 70000; });
        EXPECT_EQ(stopped.entries(), scanWith(lines, s, {}, plainStop).entries()) << "exact " << exact;
    }
}

TEST(FindDuplicates, ManyRepeatsOfFewKeysInATableSizedForTheKeys) {
    // 100,000 lines of 400 keys, with the key table sized by the estimate of
    // distinct lines: far more members than that table holds as pairs, so
    // they are placed the other way. The entries must be the same.
    std::mt19937 rng(9);
    std::vector<std::string> lines;
    for (int i = 0; i < 100000; ++i) lines.push_back((rng() % 2 ? "Key " : "key ") + std::to_string(rng() % 200));
    for (const int exact : {0, 1}) {
        SettingsValues s = SettingsValues::Defaults();
        s.Load_CaseSensitive = exact;
        ProgressStep none(1000, {});
        const Scan plain = scanWith(lines, s, {}, none);
        for (const bool copy : {false, true}) {
            const Scan r = scanWith(lines, s, ScanMemoryPlan{-1, copy}, none);
            EXPECT_EQ(r.entries(), plain.entries()) << "exact " << exact << ", copies " << copy;
            EXPECT_EQ(r.result.groupSizes, plain.result.groupSizes);
            EXPECT_EQ(r.result.lUniqueDups, exact ? 400 : 200);
        }
    }
}

TEST(FindDuplicates, CopiedKeysOutliveTheirLinesWhoseTextGoesBehindTheCopying) {
    // 300,000 lines of about 96 bytes, loaded as one block like a file. Group
    // k holds lines k and k + 150,000 (k < 100,000); then two "abc" lines and,
    // far behind them, two lines of three NUL bytes, which must not share the
    // copy of "abc" once the bytes "abc" came from are gone.
    constexpr int kLines = 300000;
    std::vector<std::string> texts(kLines);
    for (int i = 0; i < kLines; ++i) texts[static_cast<std::size_t>(i)] = std::to_string(i) + std::string(90, 'x');
    for (int k = 0; k < 100000; ++k) texts[static_cast<std::size_t>(k + 150000)] = texts[static_cast<std::size_t>(k)];
    texts[100000] = texts[100001] = "abc";
    texts[290000] = texts[290001] = std::string(3, '\0');
    std::string file;
    for (const std::string& t : texts) file += t + "\n";

    SettingsValues s = SettingsValues::Defaults();
    s.Load_CaseSensitive = 1;
    s.Load_RemoveWhitespaces = 0;
    ProgressStep none(1000, {});
    const Scan plain = scanWith(texts, s, {}, none);
    ASSERT_EQ(plain.doc.lstDuplicates.ListCount(), 200004);

    Scan r;
    ByteBlock block(file.size());
    std::copy(file.begin(), file.end(), block.data());
    const char* base = r.doc.lstOriginal.AdoptBlock(std::move(block));
    std::size_t start = 0;
    for (std::size_t i = 0; i < file.size(); ++i)
        if (file[i] == '\n') {
            r.doc.lstOriginal.AddItemRef(base + start, static_cast<std::uint32_t>(i - start));
            start = i + 1;
        }
    LineFilters filters(s, Codec::Utf8);
    r.result = FindDuplicates(r.doc, filters, s, none, {0, true});
    ASSERT_TRUE(r.result.bKeysOwned);
#if defined(__linux__)
    EXPECT_EQ(base[0], '\0') << "the text behind the copying was given back";
#endif
    r.doc.lstOriginal.Clear(); // the lines are gone: every entry still reads its key
    const std::vector<std::string> got = r.entries(), expected = plain.entries();
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i] != expected[i]) FAIL() << "entry " << i << ": " << got[i] << " instead of " << expected[i];
}

TEST(FindDuplicates, WholeLinesOfAFileGroupAsTheyDoOneByOne) {
    // Keys that are the lines of one text file, trimmed or not: the lookup
    // finds a key's text from its table slot and where the line ends from
    // the text (exact whole lines: from the byte after the key). Each
    // file, read as the program reads it, must give the entries the same
    // lines give when added one by one: prefixes of other lines, LFs inside
    // CR lines, a last line without an end, a last LF line before a CR, a
    // byte-order mark, empty lines.
    twinsift::test::TempDir dir;
    std::mt19937 rng(5);
    std::string big;
    const char* bits[] = {"ab", "abc", "a", "ab\ncd", "abc\n", "", "b", " ab ", "AB", "ab\t", "ab \x01", "\x01 aB", "  "};
    for (int i = 0; i < 20000; ++i) {
        big += bits[rng() % std::size(bits)];
        big += std::to_string(rng() % 300);
        big += rng() % 3 ? "\r\n" : "\r";
    }
    const std::pair<const char*, std::string> files[] = {
        {"crlf.txt", "ab\r\nab\ncd\r\nabc\r\nab\r\nab\ncd\r\n\r\nabc\r\n\r\nab"},
        {"bom.txt", "\xEF\xBB\xBFx\r\nx\r\nx\n\r\nx\n\r"},
        {"lf.txt", "c\nab\nc\nabc\nab\nc\r"},
        {"lf2.txt", "c\nab\nabc\nab\nc"},
        {"cr.txt", "a\rb\ra\ra\n\rb"},
        {"trim.txt", "ab  \r\n  ab\r\nab \x01\r\nab\x01 \r\nAB\r\n ab \n\r\n\x01\r\n \x01 \r\nab \x01"},
        {"trimlf.txt", "ab \nab \n Ab\nab\t\nAB \x01\nab \x01 \n\x01" "ab\r"},
        {"big.txt", big},
    };
    // Exact and default comparisons, keys trimmed or not.
    for (const auto& [exact, trim] : {std::pair{1, 0}, std::pair{1, 1}, std::pair{0, 1}, std::pair{0, 0}})
    for (const auto& [name, bytes] : files) {
        SettingsValues s = SettingsValues::Defaults();
        s.Load_CaseSensitive = exact;
        s.Load_RemoveWhitespaces = trim;
        Scan r;
        r.doc.resetFiles({dir.write(name, bytes)});
        SourceReader reader(r.doc, s);
        ASSERT_TRUE(reader.CountLines().ok) << name;
        ASSERT_TRUE(reader.LoadLines([](std::string_view) { return true; })) << name;
        reader.StripByteOrderMarks();
        const char* block = nullptr;
        std::size_t end = 0;
        ASSERT_TRUE(r.doc.lstOriginal.OneTextBlock(block, end)) << name;
        std::vector<std::string> lines;
        for (std::int32_t i = 0; i < r.doc.lstOriginal.ListCount(); ++i) lines.push_back(r.doc.lstOriginal.List(i));
        LineFilters filters(s, r.doc.codec);
        ProgressStep none(1000, {});
        ScanMemoryPlan wide;
        wide.wideSlots = true;
        r.result = FindDuplicates(r.doc, filters, s, none, wide);
        const Scan plain = scanWith(lines, s, {}, none);
        ASSERT_GT(plain.doc.lstDuplicates.ListCount(), 0) << name;
        EXPECT_EQ(r.entries(), plain.entries()) << name << " exact " << exact << " trimmed " << trim;
        EXPECT_EQ(r.result.lUniqueDups, plain.result.lUniqueDups) << name;
    }
}

TEST(FindDuplicates, WideSlotsOnlyForTheLinesOfOneBigTextFileWithMemoryToSpare) {
    SettingsValues s = SettingsValues::Defaults();
    s.Load_CaseSensitive = 1;
    s.Load_RemoveWhitespaces = 0;
    LoadedDocument doc;
    doc.resetFiles({"a.txt"});
    constexpr std::int64_t kBig = 5000000;
    EXPECT_EQ(KeySlotWords(s, doc, kBig, false), 2);
    EXPECT_EQ(KeySlotWords(s, doc, kBig, true), 1) << "reduced memory";
    EXPECT_EQ(KeySlotWords(s, doc, 1000, false), 1) << "a small file";
    SettingsValues t = s;
    t.Load_CaseSensitive = 0;
    EXPECT_EQ(KeySlotWords(t, doc, kBig, false), 2) << "upper case";
    t.Load_RemoveWhitespaces = 1;
    EXPECT_EQ(KeySlotWords(t, doc, kBig, false), 2) << "trimmed keys";
    t = s;
    t.Load_ChkStartPos = 1;
    EXPECT_EQ(KeySlotWords(t, doc, kBig, false), 1) << "keys cut from the lines";
    doc.resetFiles({"a.txt", "b.txt"});
    EXPECT_EQ(KeySlotWords(s, doc, kBig, false), 1) << "several files";
}

TEST(FindDuplicates, ALineOfABlockGivesTheKeyTheFiltersCutFromIt) {
    // Where a probe finds another line's key from the text alone: it must
    // end where trimming ends it, for lines of blanks, control characters,
    // LFs inside CR lines and the last line without an end.
    std::mt19937 rng(3);
    const char pieces[] = {' ', ' ', '\t', '\x01', '\n', 'a', 'B', '\xC3'};
    for (const bool lfEndsLines : {false, true}) {
        for (const int trim : {0, 1}) {
            SettingsValues s = SettingsValues::Defaults();
            s.Load_RemoveWhitespaces = trim;
            const LineFilters filters(s, Codec::Utf8);
            std::string text;
            std::vector<std::pair<std::size_t, std::size_t>> lines; // begin, length
            for (int i = 0; i < 3000; ++i) {
                std::string line;
                const int length = static_cast<int>(rng() % 7);
                for (int k = 0; k < length; ++k) {
                    const char c = pieces[rng() % std::size(pieces)];
                    if (!(c == '\n' && lfEndsLines)) line += c;
                }
                lines.emplace_back(text.size(), line.size());
                text += line;
                if (i + 1 < 3000) text += lfEndsLines ? "\n" : (rng() % 2 ? "\r\n" : "\r");
            }
            std::vector<std::string_view> keys;
            for (const auto& [begin, length] : lines) {
                const std::string_view line(text.data() + begin, length);
                const std::string_view key = filters.PreprocessView(line, true);
                if (key.empty()) continue; // never in the key table
                const auto at = static_cast<std::size_t>(key.data() - text.data());
                const std::string_view got = BlockLineKey(text.data(), text.size(), at, lfEndsLines, trim == 1);
                ASSERT_EQ(got.data(), key.data());
                ASSERT_EQ(got, key) << "lf " << lfEndsLines << " trim " << trim << " line at " << begin;
                keys.push_back(key);
            }
            // The short way to the same answer, for every key against every
            // line's: where it says yes, the line's key is that key.
            for (const std::string_view key : keys) {
                for (const std::string_view other : keys) {
                    const auto at = static_cast<std::size_t>(other.data() - text.data());
                    if (BlockLineEndsWithKey(text.data(), text.size(), at, key, lfEndsLines, trim == 1))
                        ASSERT_EQ(other, key) << "lf " << lfEndsLines << " trim " << trim << " line at " << at;
                }
            }
        }
    }
}

TEST(FindDuplicates, ALineOfABlockIsAKeyOnlyWhereTheLineEndsWithIt) {
    // What decides a probe whose hash met another line's: that line's text
    // against the key, and whether the line goes on after it.
    const std::string cr = "ab\r\nab\ncd\rabc\r\n\r\nab";
    const char* t = cr.data();
    const std::size_t end = cr.size();
    EXPECT_TRUE(BlockLineIs(t, end, 0, "ab", false));
    EXPECT_FALSE(BlockLineIs(t, end, 0, "a", false)) << "the line goes on";
    EXPECT_FALSE(BlockLineIs(t, end, 4, "ab", false)) << "an LF inside a CR line does not end it";
    EXPECT_TRUE(BlockLineIs(t, end, 4, "ab\ncd", false));
    EXPECT_FALSE(BlockLineIs(t, end, 10, "ab", false));
    EXPECT_TRUE(BlockLineIs(t, end, 10, "abc", false));
    EXPECT_TRUE(BlockLineIs(t, end, 15, "", false)) << "an empty line";
    EXPECT_TRUE(BlockLineIs(t, end, end - 2, "ab", false)) << "the last line, without an end";
    EXPECT_FALSE(BlockLineIs(t, end, end - 2, "abc", false)) << "nothing is read past the text";
    EXPECT_FALSE(BlockLineIs(t, end, 0, "ab\r", false));

    const std::string lf = "c\nab\nabc\nab\r";
    EXPECT_TRUE(BlockLineIs(lf.data(), lf.size() - 1, 0, "c", true));
    EXPECT_FALSE(BlockLineIs(lf.data(), lf.size() - 1, 0, "c", false)) << "LF ends lines only where the file says so";
    EXPECT_FALSE(BlockLineIs(lf.data(), lf.size() - 1, 5, "ab", true));
    EXPECT_TRUE(BlockLineIs(lf.data(), lf.size() - 1, 5, "abc", true));
    EXPECT_TRUE(BlockLineIs(lf.data(), lf.size() - 1, 9, "ab", true)) << "the last LF line ends where the text does";
}
