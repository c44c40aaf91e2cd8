// Writes the manual pages and the bash completion at build time:
//   zarn-usage man zarn|zarn-cli    zarn-usage bash-completion
#include "cli/CliCommands.h"
#include "usage/ZarnUsage.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    const std::string program = argc > 2 ? argv[2] : "";
    if (what == "man" && program == "zarn")
        std::cout << zarn::usage::ManPage(zarn::usage::ZarnUsage());
    else if (what == "man" && program == "zarn-cli")
        std::cout << zarn::usage::ManPage(zarn::cli::CliUsage());
    else if (what == "bash-completion" && argc == 2)
        std::cout << zarn::usage::BashCompletion(zarn::cli::CliUsage());
    else {
        std::cerr << "usage: zarn-usage man zarn|zarn-cli | zarn-usage bash-completion\n";
        return 2;
    }
    return std::cout.flush() ? 0 : 1;
}
