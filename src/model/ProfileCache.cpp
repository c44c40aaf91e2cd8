#include "model/ProfileCache.h"

#include "model/FileBytes.h"
#include "model/IniFile.h"

#include <filesystem>
#include <iterator>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace zarn::profile {

namespace fs = std::filesystem;

Identity IdentityOf(const std::string& path) {
    Identity id;
#ifdef _WIN32
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::is_regular_file(status))
        return id;
    id.exists = true;
    id.size = fs::file_size(path, ec);
    id.mtime = fs::last_write_time(path, ec).time_since_epoch().count();
#else
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return id;
    id.exists = true;
    id.device = uint64_t(st.st_dev);
    id.inode = uint64_t(st.st_ino);
    id.size = uint64_t(st.st_size);
    id.mtime = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
    return id;
}

std::shared_ptr<Document> Cache::get(const std::string& path) {
    auto it = docs_.find(path);
    if (it != docs_.end()) {
        Document& doc = *it->second;
        if (doc.dirty)
            return it->second; // our unwritten changes come first
        if (IdentityOf(path) == doc.identity)
            return it->second;
        if (doc.updateDepth > 0) {
            // Someone else wrote the file during our update: take theirs, keep the update open.
            auto fresh = load(path);
            fresh->updateDepth = doc.updateDepth;
            it->second = fresh;
            return fresh;
        }
    }
    auto doc = load(path);
    if (docs_.size() >= 64)
        dropIdle();
    docs_[path] = doc;
    return doc;
}

std::shared_ptr<Document> Cache::load(const std::string& path) {
    Identity id = IdentityOf(path);
    std::string content;
    if (id.exists && ReadFileBytes(path, content) != 0)
        id = Identity{};
    auto doc = id.exists ? Parse(content) : std::make_shared<Document>();
    doc->identity = id;
    return doc;
}

void Cache::dropIdle() {
    for (auto it = docs_.begin(); it != docs_.end();)
        it = (it->second->updateDepth == 0 && !it->second->dirty) ? docs_.erase(it) : std::next(it);
}

Cache& ProcessCache() {
    static Cache instance;
    return instance;
}

} // namespace zarn::profile

namespace zarn {

void ClearProfileCache() { profile::ProcessCache().clear(); }

} // namespace zarn
