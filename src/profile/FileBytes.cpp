#include "profile/FileBytes.h"

#include <cstdio>

namespace zarn {

std::error_code ReadFileBytes(const std::string& path, std::string& content) {
    content.clear();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return LastErrno();
    // Sized once from the file, so a large profile is not held twice over while the string grows.
    if (std::fseek(in, 0, SEEK_END) == 0) {
        const long size = std::ftell(in);
        if (size > 0)
            content.reserve(std::size_t(size));
        std::rewind(in);
    }
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        content.append(buffer, got);
    const std::error_code error =
        std::ferror(in) ? std::make_error_code(std::errc::io_error) : std::error_code();
    std::fclose(in);
    return error;
}

std::error_code ProbeReadable(const std::string& path) {
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe)
        return LastErrno();
    std::fclose(probe);
    return {};
}

} // namespace zarn
