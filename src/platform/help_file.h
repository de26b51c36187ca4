#pragma once
// Where F1 finds "Help.html". A copied or portable program keeps it beside
// itself; an installed one finds it in the shared data folder next to its bin/
// folder, reached relatively so that any install prefix works.

#include <filesystem>

namespace twinsift {

// The help file for a program in programDir: beside the program when it is
// there, else <programDir>/../share/twinsift/Help.html when that is there.
// When neither exists, the path beside the program, so that the desktop's
// handler reports the missing file as it would have anyway.
std::filesystem::path findHelpFile(const std::filesystem::path& programDir);

} // namespace twinsift
