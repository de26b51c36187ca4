#include "cli/cli_app.h"

#include "scan/document.h"
#include "scan/source_reader.h"
#include "settings/settings_values.h"

#include <filesystem>
#include <ostream>
#include <string_view>

namespace twinsift::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: twinsift-cli [OPTIONS] FILE...\n"
    "\n"
    "Loads FILE(s) as one document, the way the desktop program opens them.\n"
    "\n"
    "Options:\n"
    "  --count        load the files and print how many lines the program sees\n"
    "  -h, --help     show this help\n";

struct Options {
    bool count = false;
    std::vector<std::string> files;
};

// Returns an error text for a usage error, empty on success.
std::string parse(const std::vector<std::string>& args, Options& o, bool& help) {
    bool endOfOptions = false;
    for (const auto& a : args) {
        if (!endOfOptions && a == "--") {
            endOfOptions = true;
        } else if (!endOfOptions && (a == "-h" || a == "--help")) {
            help = true;
        } else if (!endOfOptions && a == "--count") {
            o.count = true;
        } else if (!endOfOptions && a.size() > 1 && a[0] == '-') {
            return "unknown option: " + a;
        } else {
            o.files.push_back(a);
        }
    }
    if (!help && o.files.empty()) return "no file given";
    return {};
}

// The Open command's checks of one chosen file; empty when it may be loaded.
std::string checkFile(const std::string& path, bool first, SourceKind& kind) {
    std::error_code ec;
    const auto p = std::filesystem::u8path(path);
    if (!std::filesystem::exists(p, ec) || std::filesystem::is_directory(p, ec)) return "Error: Can't Open File...";
    if (std::filesystem::file_size(p, ec) == 0 && !ec) return "File Is Empty! Scan aborted...";
    kind = ClassifyFile(path);
    if (!first && kind != SourceKind::Text) return "Can't combine textfiles and Word/Excel files! Scan aborted...";
    return {};
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    bool help = false;
    if (std::string e = parse(args, o, help); !e.empty()) {
        err << "twinsift-cli: " << e << "\n" << kUsage;
        return 2;
    }
    if (help) {
        out << kUsage;
        return 0;
    }

    SettingsValues settings = SettingsValues::Defaults();
    LoadedDocument doc;
    std::vector<std::string> chosen;
    for (std::size_t i = 0; i < o.files.size(); ++i) {
        SourceKind kind = SourceKind::Text;
        if (std::string e = checkFile(o.files[i], i == 0, kind); !e.empty()) {
            err << e << "\n";
            return 1;
        }
        if (i == 0) {
            doc.bDocIsWord = kind == SourceKind::Word;
            doc.bDocIsExcel = kind == SourceKind::Excel;
        }
        chosen.push_back(o.files[i]);
        if (kind != SourceKind::Text) break; // such a document is always a single file
    }
    doc.resetFiles(chosen);

    SourceReader reader(doc, settings);
    const CountResult c = reader.CountLines();
    if (!c.ok) {
        err << c.error << "\n\nScan aborted...\n";
        return 1;
    }
    reader.LoadLines([](std::string_view) { return true; });
    reader.StripByteOrderMarks();

    out << "Loaded " << doc.lstOriginal.ListCount() << " lines from " << doc.fileCount() << " files\n";
    return 0;
}

} // namespace twinsift::cli
