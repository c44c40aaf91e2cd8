#pragma once
// Jars made by the tests themselves: a zip file whose entries hold one byte each.

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#ifdef ZARN_ARCHIVES
#include <zip.h>
#endif

namespace zarn::test {

// Writes a jar with a manifest and the named entries; false where the build has no zip library.
inline bool WriteJar(const std::string& path, std::initializer_list<std::string> entries) {
#ifdef ZARN_ARCHIVES
    int error = 0;
    zip_t* jar = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!jar)
        return false;
    static const char content[] = "x";
    zip_file_add(jar, "META-INF/MANIFEST.MF", zip_source_buffer(jar, content, 1, 0), ZIP_FL_OVERWRITE);
    for (const std::string& name : entries)
        zip_file_add(jar, name.c_str(), zip_source_buffer(jar, content, 1, 0), ZIP_FL_OVERWRITE);
    return zip_close(jar) == 0;
#else
    (void)path;
    (void)entries;
    return false;
#endif
}

// Writes a jar holding the given entries and contents; false where the build has no zip library.
inline bool WriteJarWith(const std::string& path,
                         const std::vector<std::pair<std::string, std::string>>& entries) {
#ifdef ZARN_ARCHIVES
    int error = 0;
    zip_t* jar = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!jar)
        return false;
    for (const auto& [name, content] : entries)
        zip_file_add(jar, name.c_str(), zip_source_buffer(jar, content.data(), content.size(), 0),
                     ZIP_FL_OVERWRITE);
    return zip_close(jar) == 0;
#else
    (void)path;
    (void)entries;
    return false;
#endif
}

} // namespace zarn::test
