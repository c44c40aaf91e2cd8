#pragma once
// A file made beside a target under a unique hidden name, exclusively, and removed again unless it
// is put in the target's place: a save is written there completely and then renamed over the
// target in one step, so the target is never half written.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace zarn {

class TSiblingFile {
public:
    TSiblingFile() = default;
    ~TSiblingFile() { Discard(); }
    TSiblingFile(const TSiblingFile&) = delete;
    TSiblingFile& operator=(const TSiblingFile&) = delete;

    // Creates "." + the target's name + "." + a unique part + suffix in the target's folder, holding
    // `content`. Returns 0, or the errno of the failure (nothing is left behind then).
    int Create(const std::filesystem::path& target, std::string_view content, std::string_view suffix);
    const std::filesystem::path& Path() const { return path_; }
    std::string Name() const { return path_.string(); }

    // Renames the file over the target, first giving it the target's permissions when asked.
    // Afterwards there is nothing left to remove.
    void ReplaceTarget(const std::filesystem::path& target, bool keepPermissions, std::error_code& ec);
    // Removes the file now (also done on destruction).
    void Discard();

private:
    std::filesystem::path path_;
};

} // namespace zarn
