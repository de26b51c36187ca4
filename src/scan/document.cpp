#include "scan/document.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>

namespace twinsift {

void LoadedDocument::resetFiles(const std::vector<std::string>& paths) {
    const std::size_t n = paths.size();
    sSourceFiles = paths;
    dSourceFileDate.assign(n, {});
    for (std::size_t i = 0; i < n; ++i) {
        std::error_code ec;
        auto t = std::filesystem::last_write_time(std::filesystem::u8path(paths[i]), ec);
        if (!ec) dSourceFileDate[i] = t;
    }
    lSourceFirstLine.assign(n, 0);
    lSourceLineCount.assign(n, 0);
    bSourceSave.assign(n, 0);
    if (n > 0) bSourceSave[0] = 1;
    bSourceMultibyte.assign(n, 0);
    bSourceUnix.assign(n, 0);
}

SourceKind ClassifyFile(const std::string& path) {
    static constexpr std::array<std::string_view, 3> word4 = {".doc", ".dot", ".odt"};
    static constexpr std::array<std::string_view, 5> word5 = {".docx", ".docm", ".dotx", ".dotm", ".rtf"};
    static constexpr std::array<std::string_view, 3> excel4 = {".xls", ".xlt", ".ods"};
    static constexpr std::array<std::string_view, 5> excel5 = {".xlsx", ".xlsm", ".xltx", ".xltm", ".xlsb"};
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto tail = [&](std::size_t n) {
        return lower.size() >= n ? std::string_view(lower).substr(lower.size() - n) : std::string_view();
    };
    // ".rtf" is four characters; it is matched against the last four.
    for (auto e : word4) if (tail(4) == e) return SourceKind::Word;
    for (auto e : word5) if (tail(e.size()) == e) return SourceKind::Word;
    for (auto e : excel4) if (tail(4) == e) return SourceKind::Excel;
    for (auto e : excel5) if (tail(e.size()) == e) return SourceKind::Excel;
    return SourceKind::Text;
}

} // namespace twinsift
