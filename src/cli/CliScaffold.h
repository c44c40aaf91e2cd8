#pragma once
// "zarn-cli scaffold": a template made from an applet's own class files.

#include "cli/CliArgs.h"
#include "cli/CliCommands.h"

#include <ostream>

namespace zarn::cli {

usage::TUsageCommand ScaffoldUsage();
int RunScaffold(const TParsedArgs& args, std::ostream& out, std::ostream& err);

} // namespace zarn::cli
