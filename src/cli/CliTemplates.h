#pragma once
// The template tree for the command line: folders and templates under a Templates folder, with
// the description of each template.

#include "profile/TextConv.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zarn::cli {

struct TTemplateNode {
    std::string caption;      // folder name, or file name without its extension
    std::string relativePath; // from the root, "/"-separated, with the file's own extension
    bool isTemplate = false;
    std::vector<TTemplateNode> children;
    // From "Description", as stored (Windows-1252).
    std::string comment;
    std::string javaAuthor;
    std::string copyright;
    std::string zarnifier;
};

// Deepest folder level walked below the root.
inline constexpr int MaxTemplateDepth = 32;

// The folders and templates (".zrt", any letter case) under `root`, every level sorted by caption
// (letters compared without case first). Folders without a template anywhere below are left out;
// folders that cannot be listed count as empty. Links to folders are not followed, so a loop of
// links cannot make the walk endless.
std::vector<TTemplateNode> ReadTemplateTree(const std::string& root);

// One line per folder ("Name/") and per template ("Caption  [relative path]") indented by level,
// each template followed by its four description lines; descriptions are printed as UTF-8.
void PrintTemplateTree(const std::vector<TTemplateNode>& nodes, std::ostream& out);

// Where the program's own templates are looked for, in order: "Templates" beside the program,
// then the installed data folders, then, for a program in its build folder, the source tree's.
TStrings TemplateFolderCandidates();
// The first candidate that is a folder.
std::optional<std::string> FindTemplatesFolder();

} // namespace zarn::cli
