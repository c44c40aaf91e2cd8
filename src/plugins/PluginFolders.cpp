#include "plugins/PluginFolders.h"

#include "paths/InstallPaths.h"
#include "platform/ProgramFolder.h"
#include "profile/TextConv.h"

#include <filesystem>
#include <system_error>

#ifndef ZARN_PLUGIN_DIR
#define ZARN_PLUGIN_DIR ""
#endif

namespace zarn {

namespace fs = std::filesystem;

namespace {

std::vector<std::string>& extraFolders() {
    static std::vector<std::string> folders;
    return folders;
}

bool endsWithNoCase(std::string_view text, std::string_view tail) {
    return text.size() > tail.size() && SameText(text.substr(text.size() - tail.size()), tail);
}

void addOnce(std::vector<std::string>& list, std::string item) {
    for (const auto& present : list)
        if (present == item)
            return;
    list.push_back(std::move(item));
}

} // namespace

std::string InstalledPluginFolder() {
    return ZARN_PLUGIN_DIR;
}

void SetPluginSearchPath(std::vector<std::string> folders) {
    extraFolders() = std::move(folders);
}

std::vector<std::string> PluginSearchPath() {
    std::vector<std::string> folders;
    for (const auto& folder : extraFolders())
        if (!folder.empty())
            addOnce(folders, folder);
    for (auto& folder : PluginFolderCandidates(ProgramFolder()))
        addOnce(folders, std::move(folder));
    return folders;
}

bool IsBarePluginName(std::string_view name) {
    if (name.empty() || name.find("..") != std::string_view::npos)
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

std::vector<std::string> PluginFileNames(std::string_view name) {
    std::vector<std::string> names;
    std::string given(name);
    // Templates written on Windows name the library with its Windows file name.
    std::string stem = endsWithNoCase(given, ".dll") ? given.substr(0, given.size() - 4) : given;
#ifdef _WIN32
    addOnce(names, given.find('.') == std::string::npos ? given + ".dll" : given);
#else
#ifdef __APPLE__
    const char* const suffixes[] = {".dylib", ".so"};
#else
    const char* const suffixes[] = {".so"};
#endif
    // A name given with this platform's own suffix is taken as it stands.
    for (const char* suffix : suffixes)
        if (endsWithNoCase(given, suffix))
            addOnce(names, given);
    // A file system that tells letter case apart still finds "Memlet.DLL" as memlet.so.
    for (const std::string& base : {stem, LowerCase(stem)})
        for (const char* suffix : suffixes) {
            addOnce(names, base + suffix);
            addOnce(names, "lib" + base + suffix);
        }
#endif
    return names;
}

std::string FindPluginLibrary(const std::string& name, std::string& reason) {
    if (!IsBarePluginName(name)) {
        reason = "a plug-in is named by its bare library name, without a folder";
        return {};
    }
    const std::vector<std::string> folders = PluginSearchPath();
    for (const auto& folder : folders)
        for (const auto& file : PluginFileNames(name)) {
            std::error_code ec;
            fs::path candidate = fs::path(folder) / file;
            if (fs::is_regular_file(candidate, ec))
                return candidate.string();
        }
    reason = "no such library in the plug-in folders (" + JoinList(folders, ", ") + ")";
    return {};
}

} // namespace zarn
