#include "paths/InstallPaths.h"

#include <filesystem>
#include <system_error>

// Set by the build: the installed folders relative to the installed program's folder, the
// configured absolute ones, the build's own program folder and the source tree.
#ifndef ZARN_DATA_RELATIVE
#define ZARN_DATA_RELATIVE "../share/zarn"
#endif
#ifndef ZARN_PLUGIN_RELATIVE
#define ZARN_PLUGIN_RELATIVE "../lib/zarn"
#endif
#ifndef ZARN_DATA_DIR
#define ZARN_DATA_DIR ""
#endif
#ifndef ZARN_PLUGIN_DIR
#define ZARN_PLUGIN_DIR ""
#endif
#ifndef ZARN_BUILD_BIN_DIR
#define ZARN_BUILD_BIN_DIR ""
#endif
#ifndef ZARN_SOURCE_DIR
#define ZARN_SOURCE_DIR ""
#endif

namespace zarn {

namespace fs = std::filesystem;

namespace {

// Comparable form of a folder: absolute, "." and ".." resolved, no trailing separator.
std::string normalFolder(const fs::path& folder) {
    std::error_code ec;
    fs::path absolute = fs::weakly_canonical(folder, ec);
    if (ec)
        absolute = folder.lexically_normal();
    std::string text = absolute.string();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return text;
}

void addFolder(std::vector<std::string>& list, const fs::path& folder) {
    if (folder.empty())
        return;
    std::string text = normalFolder(folder);
    for (const auto& present : list)
        if (present == text)
            return;
    list.push_back(std::move(text));
}

std::vector<std::string> candidates(const std::string& programFolder, const char* relative,
                                    const char* configured) {
    std::vector<std::string> folders;
    if (!programFolder.empty()) {
        addFolder(folders, programFolder);
        addFolder(folders, fs::path(programFolder) / relative);
    }
    addFolder(folders, configured);
    return folders;
}

} // namespace

std::vector<std::string> DataFolderCandidates(const std::string& programFolder) {
    std::vector<std::string> folders = candidates(programFolder, ZARN_DATA_RELATIVE, ZARN_DATA_DIR);
    // An installed program never reads the tree it was built from, even when it is still there.
    if (!programFolder.empty() && *ZARN_BUILD_BIN_DIR && *ZARN_SOURCE_DIR &&
        normalFolder(programFolder) == normalFolder(ZARN_BUILD_BIN_DIR))
        addFolder(folders, ZARN_SOURCE_DIR);
    return folders;
}

std::vector<std::string> PluginFolderCandidates(const std::string& programFolder) {
    return candidates(programFolder, ZARN_PLUGIN_RELATIVE, ZARN_PLUGIN_DIR);
}

std::string FindDataFolder(const std::string& programFolder, const std::string& name) {
    for (const auto& folder : DataFolderCandidates(programFolder)) {
        std::error_code ec;
        const fs::path candidate = fs::path(folder) / name;
        if (fs::is_directory(candidate, ec))
            return candidate.string();
    }
    return {};
}

std::string FindDataFile(const std::string& programFolder, const std::string& name) {
    for (const auto& folder : DataFolderCandidates(programFolder)) {
        std::error_code ec;
        const fs::path candidate = fs::path(folder) / name;
        if (fs::is_regular_file(candidate, ec))
            return candidate.string();
    }
    return {};
}

std::string FindTemplatesFolder(const std::string& programFolder) {
    return FindDataFolder(programFolder, "Templates");
}

std::string FindHelpRoot(const std::string& programFolder) {
    const std::string docs = FindDataFolder(programFolder, "Docs");
    return docs.empty() ? programFolder : fs::path(docs).parent_path().string();
}

std::string FindViewerJar(const std::string& programFolder, const std::string& jarName) {
    return FindDataFile(programFolder, jarName);
}

} // namespace zarn
