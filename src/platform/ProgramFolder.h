#pragma once
// Where the running program lies: its data and plug-ins are found from there.

#include <string>

namespace zarn {

// The folder of the running program, without a trailing separator; empty when it cannot be found.
std::string ProgramFolder();

} // namespace zarn
