#include "profile/FileReplace.h"

#include "profile/FileBytes.h"
#include "profile/WinApi.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarn {

namespace fs = std::filesystem;

namespace {

// Most file systems allow 255 bytes in one name.
constexpr std::size_t DefaultNameMax = 255;

std::size_t nameLimit(const fs::path& folder) {
#ifndef _WIN32
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (limit > 0 && std::size_t(limit) < DefaultNameMax)
        return std::size_t(limit);
#else
    (void)folder;
#endif
    return DefaultNameMax;
}

// The start of `name` that fits `room` bytes, not cut inside a UTF-8 character.
std::string fitName(const std::string& name, std::size_t room) {
    if (name.size() <= room)
        return name;
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

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

std::error_code ioError() {
    return std::make_error_code(std::errc::io_error);
}

// Writes all of `content`; the failure, if any.
std::error_code writeAll(int fd, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? LastErrno() : ioError();
        data += n;
        left -= std::size_t(n);
    }
    return {};
}

// Writes the pieces into `fd` through a buffer of its own, then closes it; the first failure.
std::error_code writePieces(int fd, const ContentPieces& content) {
    constexpr std::size_t BufferSize = 256 * 1024;
    std::string buffer;
    buffer.reserve(BufferSize);
    std::error_code error;
    content([&](std::string_view piece) {
        if (error)
            return;
        if (buffer.size() + piece.size() > BufferSize) {
            error = writeAll(fd, buffer);
            buffer.clear();
            if (!error && piece.size() > BufferSize)
                error = writeAll(fd, piece);
            else
                buffer.append(piece);
        } else {
            buffer.append(piece);
        }
    });
    if (!error)
        error = writeAll(fd, buffer);
    if (::close(fd) != 0 && !error)
        error = LastErrno();
    return error;
}

std::error_code createExclusive(const fs::path& name, std::string_view content) {
    // Exclusive and not following links: nothing planted under the chosen name is used. Readable by
    // us alone until the final mode is set, so a private document never shows through its copy.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return LastErrno();
    std::error_code error = writeAll(fd, content);
    if (::close(fd) != 0 && !error)
        error = LastErrno();
    if (error)
        ::unlink(name.c_str());
    return error;
}

// The target's mode, owner and group, a fresh modification stamp, and the bytes on the disk before
// the rename (so a crash never leaves the target renamed to an empty file).
std::error_code takeOverAttributes(const fs::path& file, const fs::path& target) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return LastErrno();
    std::error_code error;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        // Root keeps another user's document theirs; others keep at least the group where allowed.
        bool sameOwner = old.st_uid == ::geteuid();
        if (::fchown(fd, old.st_uid, old.st_gid) == 0)
            sameOwner = true;
        else if (::fchown(fd, uid_t(-1), old.st_gid) != 0) {
            // The file becomes ours with our group, as with any save we make.
        }
        // Set-id bits only where the owner stayed: they must not pass to another owner.
        if (::fchmod(fd, old.st_mode & (sameOwner ? 07777 : 0777)) != 0)
            error = LastErrno();
    } else if (errno == ENOENT) {
        if (::fchmod(fd, creationMode()) != 0)
            error = LastErrno();
    } else {
        error = LastErrno();
    }
    if (!error) {
        const timespec stamp = uniqueStamp();
        const timespec stamps[2] = {stamp, stamp};
        ::futimens(fd, stamps);
        if (::fsync(fd) != 0)
            error = LastErrno();
    }
    if (::close(fd) != 0 && !error)
        error = LastErrno();
    return error;
}

// The final step: `from` takes the name `to` at once; without `replace`, only while `to` is free.
std::error_code moveIntoPlace(const fs::path& from, const fs::path& to, bool replace) {
    if (replace)
        return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastErrno();
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return {};
    }
    if (errno == EEXIST)
        return LastErrno();
    // File systems without hard links: the check before the rename is the best there is.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0)
        return std::make_error_code(std::errc::file_exists);
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastErrno();
}
#else
// Writes `content` into a file opened with `mode` ("x" refuses an existing file) and closes it. A
// file this call made is removed again when the write fails.
std::error_code writeWhole(const fs::path& name, const char* mode, const ContentPieces& content,
                           bool removeOnFailure) {
    std::FILE* out = std::fopen(name.string().c_str(), mode);
    if (!out)
        return LastErrno();
    bool written = true;
    content([&](std::string_view piece) {
        written = written && std::fwrite(piece.data(), 1, piece.size(), out) == piece.size();
    });
    std::error_code error;
    if (!written || std::fflush(out) != 0)
        error = errno ? LastErrno() : std::make_error_code(std::errc::io_error);
    if (std::fclose(out) != 0 && !error)
        error = LastErrno();
    if (error && removeOnFailure)
        std::remove(name.string().c_str());
    return error;
}

std::error_code createExclusive(const fs::path& name, std::string_view content) {
    return writeWhole(
        name, "wbx", [&](const PieceSink& put) { put(content); }, true);
}

std::error_code takeOverAttributes(const fs::path& file, const fs::path& target) {
    std::error_code ec;
    const auto status = fs::status(target, ec);
    // A new file keeps the mode it was made with; the status of a missing one comes with an error.
    if (status.type() == fs::file_type::not_found)
        return {};
    if (!ec)
        fs::permissions(file, status.permissions(), ec);
    return ec;
}

std::error_code moveIntoPlace(const fs::path& from, const fs::path& to, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (MoveFileExA(from.string().c_str(), to.string().c_str(), flags))
        return {};
    const DWORD error = GetLastError();
    return std::make_error_code(error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                                    ? std::errc::file_exists
                                    : std::errc::io_error);
}
#endif

} // namespace

std::error_code TSiblingFile::Create(const fs::path& target, std::string_view content,
                                     std::string_view suffix) {
    Discard();
    std::random_device random;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    // "." + name + "." + up to nine digits + suffix.
    const std::size_t fixed = 2 + 9 + suffix.size();
    const std::size_t limit = nameLimit(folder);
    if (fixed >= limit)
        return std::make_error_code(std::errc::filename_too_long);
    const std::string stem = fitName(target.filename().string(), limit - fixed);
    std::error_code error = std::make_error_code(std::errc::file_exists);
    for (int attempt = 0; attempt < 100 && error == std::errc::file_exists; ++attempt) {
        const fs::path candidate =
            folder / ("." + stem + "." + std::to_string(random() % 1000000000u) + std::string(suffix));
        error = createExclusive(candidate, content);
        if (!error)
            path_ = candidate;
    }
    return error;
}

std::error_code TSiblingFile::Rewrite(std::string_view content) {
    return RewriteFrom([&](const PieceSink& put) { put(content); });
}

std::error_code TSiblingFile::RewriteFrom(const ContentPieces& content) {
    if (path_.empty())
        return std::make_error_code(std::errc::no_such_file_or_directory);
#ifndef _WIN32
    // Our own file, by name: a link planted under it meanwhile is refused.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return LastErrno();
    return writePieces(fd, content);
#else
    return writeWhole(path_, "wb", content, false);
#endif
}

std::error_code TSiblingFile::PutInPlace(const fs::path& target, bool replace) {
    if (path_.empty())
        return std::make_error_code(std::errc::no_such_file_or_directory);
    std::error_code error = takeOverAttributes(path_, target);
    if (!error)
        error = moveIntoPlace(path_, target, replace);
    if (!error)
        path_.clear();
    else
        Discard();
    return error;
}

std::error_code TSiblingFile::ReplaceTarget(const fs::path& target) {
    return PutInPlace(target, true);
}

std::error_code TSiblingFile::CreateTarget(const fs::path& target) {
    return PutInPlace(target, false);
}

void TSiblingFile::Discard() {
    if (path_.empty())
        return;
    std::error_code ec;
    fs::remove(path_, ec);
    path_.clear();
}

fs::path SaveTarget(const fs::path& name, std::error_code& ec) {
    ec.clear();
    std::error_code missing; // a name that does not exist yet is no link
    if (!fs::is_symlink(fs::symlink_status(name, missing)))
        return name;
    fs::path resolved = fs::canonical(name, ec);
    return ec ? fs::path() : resolved;
}

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    std::error_code ec;
    const fs::path target = SaveTarget(path, ec);
    if (ec)
        return false;
    TSiblingFile temp;
    return !temp.Create(target, content, "") && !temp.ReplaceTarget(target);
}

std::string SystemAbsolutePath(const std::string& name) {
    std::error_code ec;
    const fs::path path = fs::absolute(fs::path(name), ec);
    if (ec)
        return name;
    fs::path out = path.root_path();
    for (const auto& part : path.relative_path())
        if (!part.empty() && part != ".")
            out /= part;
    // A trailing separator names a folder: keep it so the name stays one the system refuses to write.
    const std::string text = path.string();
    if (!text.empty() && (text.back() == '/' || text.back() == '\\') && out != out.root_path())
        out /= "";
    return out.string();
}

} // namespace zarn
