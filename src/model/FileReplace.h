#pragma once
// Replacing a whole file in one step.

#include <string>

namespace zarn {

// Writes the whole file through a temporary file beside it and a rename, so the file is either
// the old one or the new one, never a torn mix. Returns false with the file untouched on failure.
bool ReplaceFileContent(const std::string& path, const std::string& content);

} // namespace zarn
