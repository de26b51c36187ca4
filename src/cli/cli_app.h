#pragma once
// twinsift-cli: the engine as a batch command.

#include <iosfwd>
#include <string>
#include <vector>

namespace twinsift::cli {

// Runs the command with its arguments (without the program name); returns the
// exit status: 0 success, 1 error, 2 usage error.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace twinsift::cli
