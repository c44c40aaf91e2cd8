#include "profile/ProfileCache.h"

#include "profile/FileBytes.h"
#include "profile/IniFile.h"
#include "profile/WinApi.h"

#include <iterator>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace zarn::profile {

Identity IdentityOf(const std::string& path) {
    Identity id;
#ifdef _WIN32
    // One query for kind, size and time: every read of a cached profile asks, and the library's
    // status, size and time calls each open the file again.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return id;
    id.exists = true;
    id.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    id.mtime =
        int64_t((uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime);
#else
    struct stat st {};
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
    std::shared_ptr<Document>* slot = last_ && *lastPath_ == path ? last_ : nullptr;
    if (!slot) {
        auto it = docs_.find(path);
        if (it != docs_.end()) {
            slot = &it->second;
            lastPath_ = &it->first;
            last_ = slot;
        }
    }
    if (slot) {
        auto& entry = *slot;
        Document& doc = *entry;
        if (doc.dirty)
            return entry; // our unwritten changes come first
        if (doc.readDepth > 0 && doc.verifiedAt == writes_)
            return entry; // checked in this read session, and nothing was written since
        const Identity now = IdentityOf(path);
        if (now == doc.identity) {
            doc.verifiedAt = writes_;
            return entry;
        }
        // Someone else wrote the file: take theirs, keep our open update and sessions.
        auto fresh = load(path);
        fresh->updateDepth = doc.updateDepth;
        fresh->readDepth = doc.readDepth;
        fresh->held = doc.held;
        fresh->verifiedAt = writes_;
        entry = fresh;
        return fresh;
    }
    auto doc = load(path);
    doc->verifiedAt = writes_;
    if (docs_.size() >= 64)
        dropIdle();
    docs_[path] = doc;
    return doc;
}

std::shared_ptr<Document> Cache::load(const std::string& path) {
    Identity id = IdentityOf(path);
    std::string content;
    if (id.exists && ReadFileBytes(path, content))
        id = Identity{};
    auto doc = id.exists ? Parse(std::move(content)) : std::make_shared<Document>();
    doc->identity = id;
    return doc;
}

void Cache::dropIdle() {
    last_ = nullptr;
    for (auto it = docs_.begin(); it != docs_.end();)
        it = (it->second->updateDepth == 0 && it->second->readDepth == 0 && !it->second->dirty)
                 ? docs_.erase(it)
                 : std::next(it);
}

Cache& ProcessCache() {
    // Never torn down: at exit the system frees it faster than thousands of parsed lines can be
    // freed one by one, and the static pointer keeps it reachable for leak checkers.
    static Cache* instance = new Cache;
    return *instance;
}

} // namespace zarn::profile

namespace zarn {

void ClearProfileCache() {
    profile::ProcessCache().clear();
}

} // namespace zarn
