#pragma once
// Whole files in and out as bytes.

#include <string>

namespace zarn {

// Reads a whole file's bytes into `content`. Returns 0, or the errno of the failure.
int ReadFileBytes(const std::string& path, std::string& content);

} // namespace zarn
