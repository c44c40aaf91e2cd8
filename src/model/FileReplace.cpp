#include "model/FileReplace.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarn {

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
// Modification times of our own writes are unique to the nanosecond, so a parsed copy elsewhere
// (a plug-in library keeps its own) never mistakes a new version for the one it holds.
timespec uniqueStamp() {
    static int64_t last = 0;
    int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
    if (now <= last)
        now = last + 1;
    last = now;
    return timespec{time_t(now / 1000000000), long(now % 1000000000)};
}

mode_t creationMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}
#endif

} // namespace

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    std::error_code ec;
    std::string target = path;
    if (fs::is_symlink(target, ec)) {
        auto resolved = fs::canonical(target, ec);
        if (ec)
            return false;
        target = resolved.string();
    }
    fs::path dir = fs::path(target).parent_path();
    if (dir.empty())
        dir = ".";
#ifdef _WIN32
    std::string tmp = (dir / (fs::path(target).filename().string() + ".zarn-tmp")).string();
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(content.data(), std::streamsize(content.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(tmp, ec);
            return false;
        }
    }
    if (!MoveFileExA(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fs::remove(tmp, ec);
        return false;
    }
    return true;
#else
    std::string pattern = (dir / ("." + fs::path(target).filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return false;
    bool ok = true;
    const char* data = content.data();
    std::size_t left = content.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else {
            data += n;
            left -= std::size_t(n);
        }
    }
    struct stat old{};
    if (ok) {
        if (::stat(target.c_str(), &old) == 0) {
            ok = ::fchmod(fd, old.st_mode & 07777) == 0;
            if (ok && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
                // Another owner's file keeps its permissions; the owner becomes us, as with any save.
            }
        } else {
            ok = ::fchmod(fd, creationMode()) == 0;
        }
    }
    if (ok) {
        timespec stamps[2] = {uniqueStamp(), {}};
        stamps[1] = stamps[0];
        ::futimens(fd, stamps);
        ok = ::fsync(fd) == 0;
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(name.data(), target.c_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(name.data());
    return ok;
#endif
}

} // namespace zarn
