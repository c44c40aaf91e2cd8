#include "cli/CliTemplates.h"

#include "cli/CliArgs.h"
#include "paths/InstallPaths.h"
#include "platform/ProgramFolder.h"
#include "profile/IniFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zarn::cli {

namespace fs = std::filesystem;

namespace {

// A description is a few lines at the top of a template; a file far larger than any template is
// listed without reading it.
constexpr std::uintmax_t MaxDescribedFileSize = 4 * 1024 * 1024;

bool captionLess(const TTemplateNode& a, const TTemplateNode& b) {
    const std::string lowerA = LowerCase(a.caption);
    const std::string lowerB = LowerCase(b.caption);
    if (lowerA != lowerB)
        return lowerA < lowerB;
    return a.caption < b.caption;
}

bool isTemplateName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && dot > 0 && SameText(std::string_view(name).substr(dot), ".zrt");
}

void readDescription(const fs::path& file, TTemplateNode& node) {
    node.javaAuthor = "unknown";
    node.zarnifier = "unknown";
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec || size > MaxDescribedFileSize)
        return;
    const TIniFile ini(file.string());
    node.comment = ini.ReadString("Description", "Comment", "");
    node.javaAuthor = ini.ReadString("Description", "JavaAuthor", "unknown");
    node.copyright = ini.ReadString("Description", "Copyright", "");
    node.zarnifier = ini.ReadString("Description", "Zarnifier", "unknown");
}

void addFolder(const fs::path& directory, const std::string& relative, int depth,
               std::vector<TTemplateNode>& into) {
    std::error_code ec;
    fs::directory_iterator it(directory, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const fs::path& path = it->path();
        const std::string name = path.filename().string();
        const std::string childRelative = relative.empty() ? name : relative + "/" + name;
        std::error_code statusError;
        const fs::file_status own = it->symlink_status(statusError);
        if (statusError)
            continue;
        if (fs::is_directory(own)) {
            if (depth >= MaxTemplateDepth)
                continue;
            TTemplateNode folder;
            folder.caption = name;
            folder.relativePath = childRelative;
            addFolder(path, childRelative, depth + 1, folder.children);
            if (!folder.children.empty())
                into.push_back(std::move(folder));
            continue;
        }
        if (!isTemplateName(name))
            continue;
        // Only regular files are read: a pipe or device named like a template would block or
        // never end. A link to a regular file is read like the file.
        if (!fs::is_regular_file(fs::is_symlink(own) ? it->status(statusError) : own) || statusError)
            continue;
        TTemplateNode node;
        node.caption = name.substr(0, name.rfind('.'));
        node.relativePath = childRelative;
        node.isTemplate = true;
        readDescription(path, node);
        into.push_back(std::move(node));
    }
    std::sort(into.begin(), into.end(), captionLess);
}

void printDescriptionLine(std::ostream& out, const std::string& indent, const char* label,
                          const std::string& value) {
    out << indent << label << ':';
    if (!value.empty())
        out << ' ' << FileTextShown(value);
    out << '\n';
}

void printNodes(const std::vector<TTemplateNode>& nodes, std::ostream& out, const std::string& indent) {
    for (const TTemplateNode& node : nodes) {
        if (!node.isTemplate) {
            out << indent << EscapeControls(node.caption) << "/\n";
            printNodes(node.children, out, indent + "  ");
            continue;
        }
        out << indent << EscapeControls(node.caption) << "  [" << EscapeControls(node.relativePath) << "]\n";
        const std::string inner = indent + "    ";
        printDescriptionLine(out, inner, "Comment", node.comment);
        printDescriptionLine(out, inner, "JavaAuthor", node.javaAuthor);
        printDescriptionLine(out, inner, "Copyright", node.copyright);
        printDescriptionLine(out, inner, "Zarnifier", node.zarnifier);
    }
}

} // namespace

std::vector<TTemplateNode> ReadTemplateTree(const std::string& root) {
    std::vector<TTemplateNode> nodes;
    addFolder(fs::path(root), std::string(), 0, nodes);
    return nodes;
}

void PrintTemplateTree(const std::vector<TTemplateNode>& nodes, std::ostream& out) {
    printNodes(nodes, out, std::string());
}

TStrings TemplateFolderCandidates() {
    TStrings candidates;
    for (const std::string& folder : DataFolderCandidates(ProgramFolder()))
        candidates.push_back((fs::path(folder) / "Templates").string());
    return candidates;
}

std::optional<std::string> FindTemplatesFolder() {
    for (const std::string& candidate : TemplateFolderCandidates()) {
        std::error_code ec;
        if (fs::is_directory(candidate, ec))
            return candidate;
    }
    return std::nullopt;
}

} // namespace zarn::cli
