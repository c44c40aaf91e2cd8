#include "model/FileBytes.h"

#include <cerrno>
#include <cstdio>

namespace zarn {

int ReadFileBytes(const std::string& path, std::string& content) {
    content.clear();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return errno;
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
    const int error = std::ferror(in) ? EIO : 0;
    std::fclose(in);
    return error;
}

} // namespace zarn
