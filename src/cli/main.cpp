#include "cli/CliCommands.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const int code = zarn::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? code : zarn::cli::ExitError;
}
