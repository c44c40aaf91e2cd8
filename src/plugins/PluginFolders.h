#pragma once
// Where plug-in libraries are looked for, and which file a template's "Plugin" name stands for.
//
// A document names its library by a bare name; only the program's own plug-in folders are
// searched, so opening a document never runs code from a place the document chooses.

#include <string>
#include <string_view>
#include <vector>

namespace zarn {

// The folder plug-ins are installed in.
std::string InstalledPluginFolder();

// Extra folders searched before the program's own ones (tests use it); replaces earlier ones.
void SetPluginSearchPath(std::vector<std::string> folders);

// Every folder searched, in order: the extra folders, the program's folder, the installed folder
// relative to the program, the configured installed folder.
std::vector<std::string> PluginSearchPath();

// True for a name without a folder part, drive, ".." or control characters.
bool IsBarePluginName(std::string_view name);

// The file names a bare name stands for on this platform, in the order they are tried:
// "memlet.dll" and "memlet" both give "memlet.so" then "libmemlet.so" on Linux.
std::vector<std::string> PluginFileNames(std::string_view name);

// The full path of the library a "Plugin" name stands for; empty, with `reason` set, when the
// name is refused or no plug-in folder holds it.
std::string FindPluginLibrary(const std::string& name, std::string& reason);

} // namespace zarn
