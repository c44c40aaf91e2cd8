#pragma once
// "zarn-cli import": a document from an applet block of an existing page.

#include "cli/CliArgs.h"
#include "cli/CliCommands.h"

#include <ostream>

namespace zarn::cli {

usage::TUsageCommand ImportUsage();
int RunImport(const TParsedArgs& args, std::ostream& out, std::ostream& err);

} // namespace zarn::cli
