#include "cli/CliCommands.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const int code = zarn::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    // A full disk or a closed pipe must not pass for success.
    if (!std::cout.flush()) {
        std::cerr << "zarn-cli: the output could not be written\n";
        return zarn::cli::ExitError;
    }
    return code;
}
