#include "cli/cli_app.h"

#include "cli/cli_port.h"
#include "cli/cli_save.h"
#include "office/formula_refs.h"
#include "scan/office_lines.h"
#include "results/frequency.h"
#include "scan/document.h"
#include "scan/patterns.h"
#include "scan/results_view.h"
#include "scan/scan_driver.h"
#include "scan/source_reader.h"
#include "scan/text_codec.h"
#include "settings/settings_values.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <ostream>
#include <string_view>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <io.h>
#define TWINSIFT_ISATTY _isatty
#define TWINSIFT_STDERR_FD 2
#else
#include <unistd.h>
#define TWINSIFT_ISATTY isatty
#define TWINSIFT_STDERR_FD STDERR_FILENO
#endif

namespace twinsift::cli {

namespace {

struct Options {
    SettingsValues settings = SettingsValues::Defaults();
    bool count = false;
    bool list = false;
    bool lines = false;
    bool frequency = false;
    bool quiet = false;
    SaveRequest save; // selection, save and export steps
    std::vector<std::string> files;
};

// A usage error text, or empty.
using Apply = std::function<std::string(Options&, const std::string&)>;

struct CliOption {
    std::string_view name;
    std::string_view valueName; // empty: the option takes no value
    std::string_view help;
    Apply apply;
};

std::string parseInt16(const std::string& text, std::string_view option, std::int16_t& out) {
    int value = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') ++begin;
    const auto r = std::from_chars(begin, end, value);
    if (text.empty() || r.ec != std::errc() || r.ptr != end || value < -32768 || value > 32767)
        return "--" + std::string(option) + " needs a whole number from -32768 to 32767, not '" + text + "'";
    out = static_cast<std::int16_t>(value);
    return {};
}

Apply flag(std::function<void(Options&)> f) {
    return [f = std::move(f)](Options& o, const std::string&) {
        f(o);
        return std::string();
    };
}

Apply text(std::function<void(Options&, const std::string&)> f) {
    return [f = std::move(f)](Options& o, const std::string& v) {
        f(o, v);
        return std::string();
    };
}

// Every option in one table: adding one is adding a row.
const std::vector<CliOption>& optionTable() {
    static const std::vector<CliOption> table = {
        // What to print.
        {"list", "", "print every duplicate entry as the lower list shows it (the default)",
         flag([](Options& o) { o.list = true; })},
        {"lines", "", "print every loaded line as the program holds it",
         flag([](Options& o) { o.lines = true; })},
        {"frequency", "", "print each duplicate with its count, most frequent first",
         flag([](Options& o) { o.frequency = true; })},
        {"count", "", "only load the files and print how many lines the program sees",
         flag([](Options& o) { o.count = true; })},
        {"quiet", "", "show no progress", flag([](Options& o) { o.quiet = true; })},
        // Load options.
        {"keep-whitespace", "", "compare lines with their surrounding whitespace",
         flag([](Options& o) { o.settings.Load_RemoveWhitespaces = 0; })},
        {"case-sensitive", "", "compare lines case-sensitively",
         flag([](Options& o) { o.settings.Load_CaseSensitive = 1; })},
        {"report-empty-lines", "", "report empty lines as one more group",
         flag([](Options& o) { o.settings.Load_IgnoreEmptyLines = 0; })},
        {"skip-chars", "N", "ignore the first N characters of each line",
         [](Options& o, const std::string& v) {
             o.settings.Load_ChkStartPos = 1;
             return parseInt16(v, "skip-chars", o.settings.Load_StartPos);
         }},
        {"skip-until", "STR", "ignore everything before STR (case-insensitive)",
         text([](Options& o, const std::string& v) {
             o.settings.Load_ChkStartAfterStr = 1;
             o.settings.Load_StartAfterStr = v;
         })},
        {"max-chars", "N", "compare at most N characters",
         [](Options& o, const std::string& v) {
             o.settings.Load_ChkIncludeNumChars = 1;
             return parseInt16(v, "max-chars", o.settings.Load_IncludeNumChars);
         }},
        {"cut-at", "STR", "ignore STR and everything after it (case-insensitive)",
         text([](Options& o, const std::string& v) {
             o.settings.Load_ChkIncludeUntilStr = 1;
             o.settings.Load_IncludeUntilStr = v;
         })},
        {"key-pattern", "PAT", "compare only the part of a line that matches the wildcard pattern PAT",
         text([](Options& o, const std::string& v) {
             o.settings.Load_ChkAdvancedFilter = 1;
             o.settings.Load_TxtProcessFilter = v;
         })},
        {"key-regex", "", "--key-pattern is a regular expression",
         flag([](Options& o) { o.settings.Load_ChkProcessRegExp = 1; })},
        {"key-case-sensitive", "", "--key-pattern matches case-sensitively",
         flag([](Options& o) { o.settings.Load_ChkProcessCase = 1; })},
        {"include", "PAT", "scan only lines containing the wildcard pattern PAT",
         text([](Options& o, const std::string& v) {
             o.settings.Load_chkInclude = 1;
             o.settings.Load_txtInclude = v;
         })},
        {"include-regex", "", "--include is a regular expression",
         flag([](Options& o) { o.settings.Load_chkIncludeRegExp = 1; })},
        {"include-case-sensitive", "", "--include matches case-sensitively",
         flag([](Options& o) { o.settings.Load_chkIncludeCase = 1; })},
        {"exclude", "PAT", "leave out lines containing the wildcard pattern PAT",
         text([](Options& o, const std::string& v) {
             o.settings.Load_chkExclude = 1;
             o.settings.Load_txtExclude = v;
         })},
        {"exclude-regex", "", "--exclude is a regular expression",
         flag([](Options& o) { o.settings.Load_chkExcludeRegExp = 1; })},
        {"exclude-case-sensitive", "", "--exclude matches case-sensitively",
         flag([](Options& o) { o.settings.Load_chkExcludeCase = 1; })},
        {"sheet", "N", "read worksheet N of an Excel workbook (default 1)",
         [](Options& o, const std::string& v) { return parseInt16(v, "sheet", o.settings.Load_ExcelWorksheet); }},
        {"column", "LETTERS", "read the worksheet column LETTERS (default A)",
         [](Options& o, const std::string& v) {
             const int n = office::columnNumber(v);
             if (n == 0) return "--column needs column letters such as A or AB, not '" + v + "'";
             o.settings.Load_ExcelColumn = static_cast<std::int16_t>(n);
             o.settings.Load_ExcelColumnName = modOffice::ExcelColumnName(n);
             return std::string();
         }},
        {"no-nbsp-conversion", "", "keep no-break spaces as they are",
         flag([](Options& o) { o.settings.bConvertNBSPToSpace = false; })},
        {"preserve-memory", "", "drop the loaded lines once the scan is done (saving reads the files again)",
         flag([](Options& o) { o.settings.preserveMemory = 1; })},
        // Selecting (repeatable, run in command-line order).
        {"select", "RULE",
         "all, none, invert, all-but-first, all-but-last, all-but-first=N or all-but-last=N",
         [](Options& o, const std::string& v) {
             o.save.actions.push_back({SaveRequest::Action::Kind::Select, v});
             return checkSelectRule(v);
         }},
        {"mark", "LINE", "flip the removal mark of the entry of line LINE",
         [](Options& o, const std::string& v) {
             std::int32_t line = 0;
             o.save.actions.push_back({SaveRequest::Action::Kind::Mark, v});
             return parseLineNumber(v, "mark", line);
         }},
        {"select-kind", "LINE", "mark every entry of the group of line LINE",
         [](Options& o, const std::string& v) {
             std::int32_t line = 0;
             o.save.actions.push_back({SaveRequest::Action::Kind::SelectKind, v});
             return parseLineNumber(v, "select-kind", line);
         }},
        {"unselect-kind", "LINE", "clear every entry of the group of line LINE",
         [](Options& o, const std::string& v) {
             std::int32_t line = 0;
             o.save.actions.push_back({SaveRequest::Action::Kind::UnselectKind, v});
             return parseLineNumber(v, "unselect-kind", line);
         }},
        // Saving.
        {"save", "TARGET", "write the document without the marked lines to TARGET",
         text([](Options& o, const std::string& v) {
             o.save.save = true;
             o.save.target = v;
         })},
        {"files", "LIST", "comma-separated numbers of the files to merge when saving (default: all)",
         text([](Options& o, const std::string& v) {
             o.save.filesGiven = true;
             o.save.files = v;
         })},
        {"sort", "asc|desc", "sort the saved lines",
         [](Options& o, const std::string& v) { return parseSort(v, o.save.sort); }},
        {"apply-include", "", "leave out lines that fail the include/exclude filter when saving",
         flag([](Options& o) { o.save.applyInclude = true; })},
        {"save-preprocessed", "", "save each line in its pre-processed form",
         flag([](Options& o) { o.save.savePreprocessed = true; })},
        {"force", "", "replace a write-protected target",
         flag([](Options& o) { o.save.force = true; })},
        // Exporting duplicates.
        {"export", "WHAT", "write duplicates: original, preprocessed or line-number",
         [](Options& o, const std::string& v) {
             o.save.exportGiven = true;
             return parseExportContent(v, o.save.content);
         }},
        {"which", "WHICH", "duplicates to export: all, selected or unselected",
         [](Options& o, const std::string& v) { return parseExportWhich(v, o.save.which); }},
        {"output", "FILE", "(or -o) export to FILE instead of stdout",
         text([](Options& o, const std::string& v) { o.save.output = v; })},
    };
    return table;
}

std::string usage() {
    std::string u =
        "Usage: twinsift-cli [OPTIONS] FILE...\n"
        "\n"
        "Loads FILE(s) as one document, the way the desktop program opens them\n"
        "(several text files are appended in order), finds the duplicate lines and\n"
        "prints them.\n"
        "\n"
        "Options:\n";
    for (const CliOption& s : optionTable()) {
        std::string left = "  --";
        left += s.name;
        if (!s.valueName.empty()) {
            left += ' ';
            left += s.valueName;
        }
        if (left.size() < 26) left.resize(26, ' ');
        else left += "  ";
        u += left;
        u += s.help;
        u += '\n';
    }
    u += "  -h, --help                show this help\n";
    return u;
}

// Returns an error text for a usage error, empty on success.
std::string parse(const std::vector<std::string>& args, Options& o, bool& help) {
    bool endOfOptions = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string a = !endOfOptions && args[i] == "-o" ? std::string("--output") : args[i];
        if (endOfOptions || a.size() < 2 || a[0] != '-') {
            o.files.push_back(a);
            continue;
        }
        if (a == "--") {
            endOfOptions = true;
            continue;
        }
        if (a == "-h" || a == "--help") {
            help = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) return "unknown option: " + a;
        std::string name = a.substr(2), value;
        bool hasValue = false;
        if (const std::size_t eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        const CliOption* option = nullptr;
        for (const CliOption& s : optionTable())
            if (s.name == name) option = &s;
        if (!option) return "unknown option: " + a;
        if (option->valueName.empty()) {
            if (hasValue) return "--" + name + " takes no value";
        } else if (!hasValue) {
            if (i + 1 >= args.size()) return "--" + name + " needs a value";
            value = args[++i];
        }
        if (std::string e = option->apply(o, value); !e.empty()) return e;
    }
    if (!help && o.files.empty()) return "no file given";
    return {};
}

// Output in large blocks: millions of lines must not cost a call each.
class BlockWriter {
public:
    explicit BlockWriter(std::ostream& out) : out_(out) { buf_.reserve(kBlock + 4096); }
    ~BlockWriter() { flush(); }
    void line(std::string_view text) {
        buf_.append(text);
        buf_.push_back('\n');
        if (buf_.size() >= kBlock) flush();
    }
    void flush() {
        if (!buf_.empty()) out_.write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
        buf_.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;
    std::ostream& out_;
    std::string buf_;
};

// Writes every item of a list, a line each. A long list is put together in
// blocks on two threads (each entry's key lies somewhere in the lines, so
// most of the work is waiting for memory) and written in order.
void writeItems(const clsListEmu& list, std::ostream& out) {
    const std::int32_t n = list.ListCount();
    // Blocks of about a megabyte of text, cut by a count of items that
    // follows the length of the blocks before (measuring each item first
    // would take a walk of its own).
    constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
    auto format = [&list](std::int32_t first, std::int32_t end, std::string& text) {
        text.clear();
        list.AppendLines(first, end, text);
    };
    auto write = [&out](const std::string& text) { out.write(text.data(), static_cast<std::streamsize>(text.size())); };
    // Each thread's buffer on a cache line of its own: appending changes its length.
    struct alignas(64) Buffer {
        std::string text;
    };
    Buffer mine, theirs;
    mine.text.reserve(kBlockBytes + 4096);
    theirs.text.reserve(kBlockBytes + 4096);
    const bool twoThreads = std::thread::hardware_concurrency() > 1;
    std::int64_t perBlock = 64; // items; a small first guess, so that long items make no first block of megabytes
    for (std::int32_t first = 0; first < n;) {
        const auto second = static_cast<std::int32_t>(std::min<std::int64_t>(n, first + perBlock));
        const auto third = static_cast<std::int32_t>(std::min<std::int64_t>(n, second + perBlock));
        std::jthread helper; // joined on every way out
        if (twoThreads && second < n) {
            try {
                helper = std::jthread([&] { format(second, third, theirs.text); });
            } catch (const std::system_error&) {
                // No thread to be had: this one formats both blocks.
            }
        }
        format(first, second, mine.text);
        write(mine.text);
        std::size_t bytes = mine.text.size();
        if (second < n) {
            if (helper.joinable()) helper.join();
            else format(second, third, theirs.text);
            write(theirs.text);
            bytes += theirs.text.size();
        }
        perBlock = std::clamp<std::int64_t>(static_cast<std::int64_t>(kBlockBytes) * (third - first) /
                                                static_cast<std::int64_t>(std::max<std::size_t>(bytes, 1)),
                                            1, std::int64_t{1} << 20);
        first = third;
    }
}

// Everything one run works on.
struct Session {
    explicit Session(const SettingsValues& settings) : office(settings), officeLines(office, settings) {}
    LoadedDocument doc;
    RunState run;
    ResultsView view;
    modOffice office; // a Word or Excel document stays open here until it is saved
    OfficeReaderSource officeLines;
};

OfficeSession officeSession(Session& s) { return makeOfficeSession(s.office, s.officeLines); }

// --count: the load alone, without the scan.
int loadOnly(Options& o, Session& s, std::ostream& out, std::ostream& err) {
    std::vector<std::string> chosen;
    for (std::size_t i = 0; i < o.files.size(); ++i) {
        const std::string& path = o.files[i];
        std::error_code ec;
        const auto p = std::filesystem::u8path(path);
        if (!std::filesystem::exists(p, ec) || std::filesystem::is_directory(p, ec)) {
            err << "Error: Can't Open File...\n";
            return 1;
        }
        if (std::filesystem::file_size(p, ec) == 0 && !ec) {
            err << "File Is Empty! Scan aborted...\n";
            return 1;
        }
        const SourceKind kind = ClassifyFile(path);
        if (i == 0) {
            s.doc.bDocIsWord = kind == SourceKind::Word;
            s.doc.bDocIsExcel = kind == SourceKind::Excel;
        } else if (kind != SourceKind::Text) {
            err << "Can't combine textfiles and Word/Excel files! Scan aborted...\n";
            return 1;
        }
        chosen.push_back(path);
        if (kind != SourceKind::Text) break; // such a document is always a single file
    }
    s.doc.resetFiles(chosen);
    OfficeSession office = officeSession(s);
    SourceReader reader(s.doc, o.settings, office.lines);
    const CountResult c = reader.CountLines();
    if (!c.ok) {
        err << c.error << "\n\nScan aborted...\n";
        return 1;
    }
    reader.LoadLines([](std::string_view) { return true; });
    reader.StripByteOrderMarks();
    out << "Loaded " << s.doc.lstOriginal.ListCount() << " lines from " << s.doc.fileCount() << " files\n";
    return 0;
}

// The one place the document is loaded and scanned: the Open command, given
// the files as if they had been dropped on the window (no questions asked).
int loadAndScan(Options& o, Session& s, std::ostream& err, bool progress) {
    s.run.sDroppedFiles = o.files;
    s.run.sDroppedFiles.emplace_back();
    s.run.bDropOpen = true;
    CliPort port(err, progress);
    ScanDriver driver(s.doc, o.settings, s.run, port, s.view);
    driver.setOffice(officeSession(s));
    driver.setRegExpAvailable(InitRegExp());
    driver.cmdScan_Click();
    s.run.bDropOpen = false;
    port.endProgress();
    if (driver.outcome() != ScanOutcome::Completed) {
        const std::string status = port.panelText("status");
        if (!status.empty()) err << status << '\n';
        return 1;
    }
    err << port.panelText("status") << '\n';
    return 0;
}

// The one place output is produced.
void produceOutput(const Options& o, Session& s, std::ostream& out) {
    BlockWriter w(out);
    if (o.lines) {
        const clsListEmu& lines = s.doc.lstOriginal;
        for (std::int32_t i = 0; i < lines.ListCount(); ++i) w.line(lines.ListView(i));
    }
    if (o.list) {
        w.flush();
        writeItems(s.doc.lstDuplicates, out);
    }
    if (o.frequency) {
        FrequencyList freq;
        freq.Calculate(s.doc.lstDuplicates, o.settings.Load_CaseSensitive == 1, s.doc.codec);
        for (const FrequencyRow& r : freq.rows()) {
            std::string row = std::to_string(r.count);
            row += "\t\t";
            row += r.line;
            w.line(row);
        }
    }
    w.flush();
    out.flush();
}

// A pattern the engine cannot compile would match nothing and the scan would
// report a clean result; it is refused before anything is read. A pattern
// whose bytes are not UTF-8 can only be meant for a Windows-1252 document.
std::string checkPatterns(const SettingsValues& s) {
    struct Check {
        const char* option;
        bool on;
        const std::string& text;
        bool regExp, caseSensitive;
    };
    const Check checks[] = {
        {"--include", s.Load_chkInclude != 0, s.Load_txtInclude, s.Load_chkIncludeRegExp != 0, s.Load_chkIncludeCase != 0},
        {"--exclude", s.Load_chkExclude != 0, s.Load_txtExclude, s.Load_chkExcludeRegExp != 0, s.Load_chkExcludeCase != 0},
        {"--key-pattern", s.Load_ChkAdvancedFilter != 0, s.Load_TxtProcessFilter, s.Load_ChkProcessRegExp != 0,
         s.Load_ChkProcessCase != 0},
    };
    for (const Check& c : checks) {
        if (!c.on || c.text.empty()) continue;
        const Codec codec = isValidUtf8(c.text) ? Codec::Utf8 : Codec::Windows1252;
        if (std::string e = PatternError(c.text, c.regExp, c.caseSensitive, codec); !e.empty())
            return std::string(c.option) + ": " + e;
    }
    return {};
}

// Output that did not reach its file (a full disk, a closed pipe) is an error,
// never a success.
int outputStatus(std::ostream& out, std::ostream& err, int status) {
    out.flush();
    if (out) return status;
    err << "twinsift-cli: error writing the output\n";
    return 1;
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    bool help = false;
    if (std::string e = parse(args, o, help); !e.empty()) {
        err << "twinsift-cli: " << e << "\n" << usage();
        return 2;
    }
    if (help) {
        out << usage();
        return outputStatus(out, err, 0);
    }
    if (std::string e = checkPatterns(o.settings); !e.empty()) {
        err << "twinsift-cli: " << e << "\n";
        return 2;
    }
    Session s(o.settings);
    if (o.count) return outputStatus(out, err, loadOnly(o, s, out, err));
    const bool saving = o.save.save || o.save.exportGiven;
    if (!o.lines && !o.frequency && !saving) o.list = true;
    const bool progress = !o.quiet && &err == &std::cerr && TWINSIFT_ISATTY(TWINSIFT_STDERR_FD);
    if (const int status = loadAndScan(o, s, err, progress); status != 0) return status;
    produceOutput(o, s, out);
    if (!out) return outputStatus(out, err, 1);
    if (saving || !o.save.actions.empty())
        return outputStatus(out, err,
                            runSelectSaveExport(o.save, s.doc, s.run, o.settings, InitRegExp(), &s.office, out, err));
    return outputStatus(out, err, 0);
}

} // namespace twinsift::cli
