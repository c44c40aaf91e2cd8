#pragma once
// A new file of our own, made exclusively: nothing planted under its name (a link, a file) is
// followed or replaced. Readable by the user alone and not inherited by programs we start.
// ExclusiveFile_posix.cpp and ExclusiveFile_win.cpp make it the way each system allows.

#include <string>
#include <string_view>
#include <system_error>

namespace zarn {

class TExclusiveFile {
public:
    TExclusiveFile() = default;
    ~TExclusiveFile() { Close(); }
    TExclusiveFile(const TExclusiveFile&) = delete;
    TExclusiveFile& operator=(const TExclusiveFile&) = delete;

    // Creates `start` + six random letters or digits + `suffix`. Returns the failure, if any (no
    // file then).
    [[nodiscard]] std::error_code Create(const std::string& start, std::string_view suffix);
    // Writes all of `content`, then closes the file. Returns the failure, if any.
    [[nodiscard]] std::error_code WriteAndClose(std::string_view content);
    // Returns the failure of the close, if any; nothing to do when closed already.
    std::error_code Close();

    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace zarn
