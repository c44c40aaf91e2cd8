#include "platform/ExclusiveFile.h"

#include "profile/FileBytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zarn {

std::error_code TExclusiveFile::Create(const std::string& start, std::string_view suffix) {
    Close();
    std::string name = start + "XXXXXX" + std::string(suffix);
    // mkostemps makes the file with mode 0600 and O_EXCL.
    const int fd = ::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd < 0)
        return LastErrno();
    fd_ = fd;
    path_ = std::move(name);
    return {};
}

std::error_code TExclusiveFile::WriteAndClose(std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd_, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
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
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? std::error_code() : LastErrno();
}

} // namespace zarn
