#pragma once

namespace zarn {

// Registers every parameter kind in the order the program has always used (first entry wins on
// lookup, so the order is part of the file format). Safe to call more than once.
void RegisterStandardParamClasses();

} // namespace zarn
