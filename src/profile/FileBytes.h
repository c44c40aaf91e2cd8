#pragma once
// Whole files in and out as bytes. File operations report failures as <filesystem> does: as a
// std::error_code (and, where one throws, as a std::system_error).

#include <cerrno>
#include <string>
#include <system_error>

namespace zarn {

// The failure the C library reported last through errno.
inline std::error_code LastErrno() {
    return {errno, std::generic_category()};
}

// Reads a whole file's bytes into `content`; the failure, if any.
[[nodiscard]] std::error_code ReadFileBytes(const std::string& path, std::string& content);

// Whether the file can be opened for reading now; the failure, if not.
[[nodiscard]] std::error_code ProbeReadable(const std::string& path);

} // namespace zarn
