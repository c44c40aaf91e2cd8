#include "tag/SiblingFile.h"

#include <cerrno>
#include <cstdio>
#include <random>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace zarn {

namespace fs = std::filesystem;

int TSiblingFile::Create(const fs::path& target, std::string_view content, std::string_view suffix) {
    Discard();
    std::random_device random;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const fs::path candidate = folder / ("." + target.filename().string() + "." +
                                             std::to_string(random() % 1000000000u) + std::string(suffix));
        // "x": never follow or replace something planted under the chosen name.
        std::FILE* out = std::fopen(candidate.string().c_str(), "wbx");
        if (!out) {
            error = errno;
            continue;
        }
        path_ = candidate;
        bool written = std::fwrite(content.data(), 1, content.size(), out) == content.size() && std::fflush(out) == 0;
#ifndef _WIN32
        // On the disk before the rename, so a crash never leaves the target renamed to an empty file.
        written = written && ::fsync(fileno(out)) == 0;
#endif
        error = written ? 0 : errno;
        if (std::fclose(out) != 0 && error == 0)
            error = errno;
        if (error != 0) {
            Discard();
            return error == EEXIST ? EIO : error;
        }
    }
    return error;
}

void TSiblingFile::ReplaceTarget(const fs::path& target, bool keepPermissions, std::error_code& ec) {
    ec.clear();
    if (keepPermissions) {
        const auto permissions = fs::status(target, ec).permissions();
        if (!ec)
            fs::permissions(path_, permissions, ec);
        if (ec)
            return;
    }
    fs::rename(path_, target, ec);
    if (!ec)
        path_.clear();
}

void TSiblingFile::Discard() {
    if (path_.empty())
        return;
    std::error_code ec;
    fs::remove(path_, ec);
    path_.clear();
}

} // namespace zarn
