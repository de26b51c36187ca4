#pragma once
// Runs twinsift-cli in-process and keeps what it printed.

#include "cli/cli_app.h"

#include <sstream>
#include <string>
#include <vector>

namespace twinsift::test {

struct CliRun {
    int status;
    std::string out, err;
};

inline CliRun cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int s = twinsift::cli::run(args, out, err);
    return {s, out.str(), err.str()};
}

} // namespace twinsift::test
