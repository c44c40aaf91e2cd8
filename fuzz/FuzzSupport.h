#pragma once
// Shared pieces of the fuzz targets: one private temporary folder per process, emptied between inputs
// and removed at exit, and the checks that stop a run on a broken promise.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarn::fuzz {

// The process's own folder under $TMPDIR (or the system's), created on first use; it ends with "/".
const std::string& FuzzDir();
// Removes everything inside FuzzDir, leaving the folder.
void ClearFuzzDir();
// A file name inside FuzzDir.
std::string FuzzPath(const std::string& name);

void WriteBytes(const std::string& path, std::string_view content);
std::string ReadBytes(const std::string& path);

// Stops the run with the message: a finding, as a crash would be.
[[noreturn]] void Fail(const std::string& message);
inline void Check(bool condition, const std::string& message) {
    if (!condition)
        Fail(message);
}

// Blanks (space, tab) cut from both ends, as the profile store reads values.
std::string_view Trim(std::string_view text);

} // namespace zarn::fuzz
