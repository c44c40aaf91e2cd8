#pragma once
// The command line of the editor, zarn.

#include "usage/Usage.h"

namespace zarn::usage {

const TUsageProgram& ZarnUsage();

} // namespace zarn::usage
