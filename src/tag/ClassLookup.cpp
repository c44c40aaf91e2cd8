#include "tag/ClassLookup.h"

#include "paths/PathForms.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#ifdef ZARN_ARCHIVES
#include <zip.h>
#endif

namespace zarn {

namespace {

const std::string_view ClassSuffix = ".class";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

#ifdef ZARN_ARCHIVES
const char* const EmptyArchive = "the file is empty";

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

std::string errorText(zip_error_t& error) {
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

TArchiveEntries entriesOf(zip_t* opened) {
    const std::unique_ptr<zip_t, ArchiveCloser> archive(opened);
    TArchiveEntries result;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        // A name the directory cannot give is no class of ours.
        if (const char* name = zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW))
            result.names.emplace_back(name);
    return result;
}
#endif

} // namespace

const char* const ArchiveUnreadable = "cannot be read: ";

TClassName AppletClassName(std::string_view code) {
    std::string name(trimmed(code));
    if (name.size() > ClassSuffix.size() &&
        SameText(std::string_view(name).substr(name.size() - ClassSuffix.size()), ClassSuffix))
        name.resize(name.size() - ClassSuffix.size());
    // Packages are folders: "org.example.Viewer" and "org/example/Viewer" are the same class.
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '/' || c == '\\'; }, '.');
    std::string entry = name;
    std::replace(entry.begin(), entry.end(), '.', '/');
    return {name, entry + std::string(ClassSuffix)};
}

TStrings ArchiveNames(std::string_view archive) {
    TStrings names;
    for (const std::string& part : SplitList(archive, ','))
        if (const std::string_view name = trimmed(part); !name.empty())
            names.emplace_back(name);
    return names;
}

#ifdef ZARN_ARCHIVES
TArchiveEntries ReadArchiveEntries(const std::string& path) {
    // The zip library takes an empty file for an empty archive; no jar is empty.
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) == 0 && !ec)
        return {{}, EmptyArchive};
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        return {{}, errorText(error)};
    }
    return entriesOf(archive);
}

TArchiveEntries ReadArchiveEntries(std::span<const uint8_t> bytes) {
    if (bytes.empty())
        return {{}, EmptyArchive};
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source)
        return {{}, errorText(error)};
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(source);
        return {{}, errorText(error)};
    }
    zip_error_fini(&error);
    return entriesOf(archive);
}
#else
TArchiveEntries ReadArchiveEntries(const std::string&) {
    return {{}, "this build of ZARN does not look into archives"};
}

TArchiveEntries ReadArchiveEntries(std::span<const uint8_t>) {
    return {{}, "this build of ZARN does not look into archives"};
}
#endif

bool TClassLookup::PlainFile(std::string_view code) const {
    return places.size() == 1 && className.entry == code;
}

std::string TClassLookup::Where(bool fullPaths) const {
    std::string text;
    for (const Place& place : places) {
        if (!text.empty())
            text += ", ";
        text += fullPaths && !IsURL(place.name) ? folder + place.name : place.name;
        if (!place.problem.empty())
            text += " (" + place.problem + ")";
    }
    return text;
}

TClassLookup LookForClass(const std::string& folder, std::string_view code, std::string_view archive) {
    TClassLookup lookup;
    lookup.className = AppletClassName(code);
    lookup.folder = folder;
    const std::string& entry = lookup.className.entry;
    // A file named exactly as CODE still counts, as it always did.
    const std::string asWritten(trimmed(code));
    const std::string inFolder = FileExists(folder + entry)                             ? folder + entry
                                 : !asWritten.empty() && FileExists(folder + asWritten) ? folder + asWritten
                                                                                        : std::string();
    lookup.places.push_back({entry, inFolder.empty() ? "not there" : ""});
    lookup.foundIn = inFolder;
    // Every archive is read, also after a find: one that cannot be read is worth telling anyway.
    for (const std::string& name : ArchiveNames(archive)) {
        const std::string path = folder + name;
        std::string problem;
        if (IsURL(name)) {
            lookup.unknown = true;
            problem = "not looked into";
        } else if (!FileExists(path)) {
            problem = "missing";
        } else if (const TArchiveEntries entries = ReadArchiveEntries(path); !entries.problem.empty()) {
            problem = ArchiveUnreadable + entries.problem;
        } else if (std::find(entries.names.begin(), entries.names.end(), entry) == entries.names.end()) {
            problem = "not in it";
        } else if (lookup.foundIn.empty()) {
            lookup.foundIn = path;
        }
        lookup.places.push_back({name, problem});
    }
    return lookup;
}

} // namespace zarn
