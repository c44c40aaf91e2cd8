#pragma once
// Where the program finds what ships with it: templates, help pages, plug-ins and the applet viewer.
//
// Each lookup tries the folder of the program first (a build tree, or a folder copied as a whole),
// then the installed folders reached from the program's own folder (so an installation moved
// elsewhere, or staged under DESTDIR, still finds its files), then the folders the build was
// configured to install into. Only a program run from its build tree falls back to the source tree.

#include <string>
#include <vector>

namespace zarn {

// The folders that may hold the shared data ("Templates", "Docs", the viewer's jar), best first:
// the program's folder, the installed data folder relative to it, the configured data folder, and,
// for a program in the build tree, the source tree. No folder appears twice.
std::vector<std::string> DataFolderCandidates(const std::string& programFolder);

// The folders searched for plug-in libraries after any extra ones: the program's folder, the
// installed plug-in folder relative to it, the configured plug-in folder.
std::vector<std::string> PluginFolderCandidates(const std::string& programFolder);

// The first data folder holding a folder `name`, joined with it; empty when none does.
std::string FindDataFolder(const std::string& programFolder, const std::string& name);
// The first data folder holding a file `name`, joined with it; empty when none does.
std::string FindDataFile(const std::string& programFolder, const std::string& name);

// "Templates" (without a trailing separator), empty when missing.
std::string FindTemplatesFolder(const std::string& programFolder);
// The folder that holds "Docs"; the program's folder when no candidate has one, so a missing page
// is reported with the place it was expected.
std::string FindHelpRoot(const std::string& programFolder);
// The applet viewer's jar file, empty when missing.
std::string FindViewerJar(const std::string& programFolder, const std::string& jarName);

} // namespace zarn
