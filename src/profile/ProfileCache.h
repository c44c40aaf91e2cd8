#pragma once
// The process-wide parsed copies of profile files, each used only while its file is unchanged.

#include "profile/ProfileParser.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace zarn::profile {

Identity IdentityOf(const std::string& path);

class Cache {
public:
    // The parsed file: our own unwritten changes, else the copy kept while the file is unchanged,
    // else the file read anew.
    std::shared_ptr<Document> get(const std::string& path);
    void put(const std::string& path, std::shared_ptr<Document> doc) { docs_[path] = std::move(doc); }
    void drop(const std::string& path) {
        last_ = nullptr;
        docs_.erase(path);
    }
    void clear() {
        last_ = nullptr;
        docs_.clear();
    }
    // Every write or Flush in this process: a read session checks its file again after one, since
    // another name of the file or a plug-in library may have changed it.
    void noteWrite() { ++writes_; }
    uint64_t writes() const { return writes_; }

private:
    static std::shared_ptr<Document> load(const std::string& path);
    void dropIdle();
    std::unordered_map<std::string, std::shared_ptr<Document>> docs_;
    // The entry asked for last: a load or save asks for one file many thousand times in a row.
    const std::string* lastPath_ = nullptr;
    std::shared_ptr<Document>* last_ = nullptr;
    uint64_t writes_ = 1;
};

Cache& ProcessCache();

} // namespace zarn::profile
