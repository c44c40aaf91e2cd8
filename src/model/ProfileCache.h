#pragma once
// The process-wide parsed copies of profile files, each used only while its file is unchanged.

#include "model/ProfileParser.h"

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
    void drop(const std::string& path) { docs_.erase(path); }
    void clear() { docs_.clear(); }

private:
    static std::shared_ptr<Document> load(const std::string& path);
    void dropIdle();
    std::unordered_map<std::string, std::shared_ptr<Document>> docs_;
};

Cache& ProcessCache();

} // namespace zarn::profile
