#pragma once
// A new file of our own, made exclusively: nothing planted under its name (a link, a file) is
// followed or replaced. Readable by the user alone and not inherited by programs we start.
// ExclusiveFile_posix.cpp and ExclusiveFile_win.cpp make it the way each system allows.

#include <string>
#include <string_view>

namespace zarn {

class TExclusiveFile {
public:
    TExclusiveFile() = default;
    ~TExclusiveFile() { Close(); }
    TExclusiveFile(const TExclusiveFile&) = delete;
    TExclusiveFile& operator=(const TExclusiveFile&) = delete;

    // Creates `start` + six random letters or digits + `suffix`. Returns 0 or the errno of the
    // failure (no file then).
    int Create(const std::string& start, std::string_view suffix);
    // Writes all of `content`, then closes the file. Returns 0 or the errno of the failure.
    int WriteAndClose(std::string_view content);
    // Returns 0 or the errno of a failed close; nothing to do when closed already.
    int Close();

    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace zarn
