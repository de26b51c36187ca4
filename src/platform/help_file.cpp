#include "platform/help_file.h"

#include <system_error>

namespace twinsift {

namespace fs = std::filesystem;

std::filesystem::path findHelpFile(const fs::path& programDir) {
    const fs::path beside = programDir / "Help.html";
    const fs::path installed = programDir / ".." / "share" / "twinsift" / "Help.html";
    // A folder or an unreadable parent answers "no" rather than throwing.
    std::error_code ec;
    if (fs::is_regular_file(beside, ec)) return beside;
    if (fs::is_regular_file(installed, ec)) return installed.lexically_normal();
    return beside;
}

} // namespace twinsift
