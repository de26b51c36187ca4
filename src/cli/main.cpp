#include "cli/cli_app.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    return twinsift::cli::run(args, std::cout, std::cerr);
}
