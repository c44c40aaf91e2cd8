#include "model/FileBytes.h"

#include <cerrno>
#include <cstdio>

namespace zarn {

int ReadFileBytes(const std::string& path, std::string& content) {
    content.clear();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return errno;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        content.append(buffer, got);
    const int error = std::ferror(in) ? EIO : 0;
    std::fclose(in);
    return error;
}

} // namespace zarn
