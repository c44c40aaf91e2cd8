#pragma once
// zarn-cli: applet blocks, documents and templates from the command line, with the core alone.

#include "usage/Usage.h"

#include <ostream>
#include <string>
#include <vector>

namespace zarn::cli {

// Exit codes.
inline constexpr int ExitOk = 0;
inline constexpr int ExitError = 1;
inline constexpr int ExitMissingFiles = 3; // "check" found missing files

// Runs one command line; `args` are the arguments after the program name. Output goes to `out`,
// an error to `err` as one line starting with "zarn-cli: ". Returns the exit code. Registers the
// parameter kinds on first use; touches no settings.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The tool's command line: the source of its --help, its manual page and its shell completion.
const usage::TUsageProgram& CliUsage();

} // namespace zarn::cli
