#include "platform/ExclusiveFile.h"

#include "profile/FileBytes.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <random>

namespace zarn {

std::error_code TExclusiveFile::Create(const std::string& start, std::string_view suffix) {
    Close();
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::error_code error = std::make_error_code(std::errc::file_exists);
    for (int attempt = 0; attempt < 100 && error == std::errc::file_exists; ++attempt) {
        std::string name = start;
        for (int i = 0; i < 6; ++i)
            name += kLetters[random() % (sizeof kLetters - 1)];
        name += suffix;
        // _O_EXCL never opens what is there already; the folder's own access rules apply.
        const int fd = ::_open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                               _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            fd_ = fd;
            path_ = std::move(name);
            return {};
        }
        error = LastErrno();
    }
    return error;
}

std::error_code TExclusiveFile::WriteAndClose(std::string_view content) {
    while (!content.empty()) {
        const unsigned chunk = content.size() > (1u << 30) ? (1u << 30) : unsigned(content.size());
        const int written = ::_write(fd_, content.data(), chunk);
        if (written <= 0) {
            const std::error_code error =
                written < 0 ? LastErrno() : std::make_error_code(std::errc::io_error);
            Close();
            return error;
        }
        content.remove_prefix(static_cast<size_t>(written));
    }
    return Close();
}

std::error_code TExclusiveFile::Close() {
    if (fd_ < 0)
        return {};
    const int result = ::_close(fd_);
    fd_ = -1;
    return result == 0 ? std::error_code() : LastErrno();
}

} // namespace zarn
