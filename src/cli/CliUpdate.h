#pragma once
// "zarn-cli update-page": documents' blocks written back into their pages.

#include "cli/CliArgs.h"
#include "cli/CliCommands.h"

#include <ostream>

namespace zarn::cli {

usage::TUsageCommand UpdatePageUsage();
int RunUpdatePage(const TParsedArgs& args, std::ostream& out, std::ostream& err);

} // namespace zarn::cli
