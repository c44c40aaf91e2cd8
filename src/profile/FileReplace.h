#pragma once
// Every save of a whole file: written completely into a hidden file beside the target, then put in
// the target's place in one step, so the target is always the old file or the new one. The new file
// keeps the target's mode, owner and group where the system allows; a new target gets the mode any
// new file would get. Nothing is left behind, whatever fails.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace zarn {

// Takes a file's content piece by piece, so a large save never has to hold all of it at once.
using PieceSink = std::function<void(std::string_view piece)>;
// Hands the content, in order, to the sink it is given.
using ContentPieces = std::function<void(const PieceSink& put)>;

class TSiblingFile {
public:
    TSiblingFile() = default;
    ~TSiblingFile() { Discard(); }
    TSiblingFile(const TSiblingFile&) = delete;
    TSiblingFile& operator=(const TSiblingFile&) = delete;

    // Creates "." + the target's name + "." + a unique part + suffix in the target's folder,
    // exclusively and readable by its owner alone, holding `content`. The target's name is shortened
    // in the temporary name where that would not fit the folder's name limit. Returns the failure, if
    // any (nothing is left behind then).
    [[nodiscard]] std::error_code Create(const std::filesystem::path& target, std::string_view content,
                                         std::string_view suffix);
    const std::filesystem::path& Path() const { return path_; }
    // Replaces what the file holds with `content`. Returns the failure, if any.
    [[nodiscard]] std::error_code Rewrite(std::string_view content);
    // As Rewrite, with the content handed over in pieces.
    [[nodiscard]] std::error_code RewriteFrom(const ContentPieces& content);
    std::string Name() const { return path_.string(); }

    // Puts the file in the target's place, replacing what is there. Returns the failure, if any;
    // afterwards there is nothing left to remove.
    [[nodiscard]] std::error_code ReplaceTarget(const std::filesystem::path& target);
    // As ReplaceTarget, but only while the target's name is free: std::errc::file_exists when
    // something is there.
    [[nodiscard]] std::error_code CreateTarget(const std::filesystem::path& target);
    // Removes the file now (also done on destruction).
    void Discard();

private:
    std::error_code PutInPlace(const std::filesystem::path& target, bool replace);
    std::filesystem::path path_;
};

// The file a save of `name` writes: the final target of a link (the link stays a link), else the
// name itself. A link to nothing fails.
std::filesystem::path SaveTarget(const std::filesystem::path& name, std::error_code& ec);

// Replaces the whole file (the target of a link) with `content`. False, with the file untouched,
// on failure.
bool ReplaceFileContent(const std::string& path, const std::string& content);

// The absolute form of a name that means the same file to the system: "." and repeated separators
// go, ".." stays, since a folder link before it decides where it leads.
std::string SystemAbsolutePath(const std::string& name);

} // namespace zarn
