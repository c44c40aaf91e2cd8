#pragma once
// Where an applet's class lies: in a folder at its package's path, or inside one of the archives
// (jar files) the block names, found by reading the archive's list of entries.

#include "profile/TextConv.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

// A CODE value as sites wrote it: "Ticker.class", "org.example.Viewer", "org.example.Viewer.class"
// or "org/example/Viewer.class".
struct TClassName {
    std::string name;  // with its package, dotted: "org.example.Viewer"
    std::string entry; // its file in a folder or an archive: "org/example/Viewer.class"
};
TClassName AppletClassName(std::string_view code);

// The names of an ARCHIVE value: split at commas, blanks around each name dropped, empty ones too.
TStrings ArchiveNames(std::string_view archive);

// An archive's entry names, or why they cannot be read.
struct TArchiveEntries {
    TStrings names;
    std::string problem; // empty when the list was read
};
// Builds without the zip library (the Windows build) give every archive the reason that they do not
// look into archives.
TArchiveEntries ReadArchiveEntries(const std::string& path);
TArchiveEntries ReadArchiveEntries(std::span<const uint8_t> bytes);

// How a place's problem begins when an archive is there but cannot be read.
extern const char* const ArchiveUnreadable;

struct TClassLookup {
    struct Place {
        std::string name; // the class file or the archive, relative to the folder
        // Empty where the class is; "not there", "missing" (an archive), "not in it", "not looked
        // into" (a URL), or ArchiveUnreadable and the reason.
        std::string problem;
    };
    TClassName className;
    std::string folder;
    std::vector<Place> places; // where it was looked for, in that order
    std::string foundIn;       // the place that holds it; empty when none does
    // An archive given as a URL cannot be looked into here: the class may well be in it.
    bool unknown = false;

    bool Missing() const { return foundIn.empty() && !unknown; }
    // True when CODE names a class file of no package and no archive is named: the file is the class.
    bool PlainFile(std::string_view code) const;
    // The places looked at, relative to the folder ("org/example/Viewer.class (not there), lib/a.jar
    // (missing)"), or as full paths.
    std::string Where(bool fullPaths = false) const;
};

// Looks for the class of `code` in `folder` (a path ending with its separator; empty: the current
// folder) and in the archives of `archive`, which are relative to that folder.
TClassLookup LookForClass(const std::string& folder, std::string_view code, std::string_view archive);

} // namespace zarn
