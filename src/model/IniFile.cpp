#include "model/IniFile.h"

#include "model/Errors.h"
#include "model/FileReplace.h"
#include "model/ProfileCache.h"
#include "model/ProfileWriter.h"

#include <filesystem>
#include <unordered_map>
#include <vector>

namespace zarn {

namespace fs = std::filesystem;
using namespace profile;

namespace {

bool breaksLines(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

} // namespace

struct ProfileAccess {
    static const std::string& path(const TIniFile& f) { return f.path_; }
};

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)), path_(SystemAbsolutePath(fileName_)) {}

namespace {

[[noreturn]] void failWrite(const std::string& fileName) {
    throw UnableToWrite(fileName);
}

void commit(const std::string& path, const std::string& fileName, const std::shared_ptr<Document>& doc) {
    if (doc->updateDepth > 0)
        return;
    std::string content = Serialize(*doc);
    if (doc->endMark.empty() && !content.empty() && content.back() == '\x1A') {
        // A value ending in ^Z must not end the file: a read would take it for the end-of-file mark.
        EnsureLineEnd(*doc);
        content = Serialize(*doc);
    }
    if (!doc->writable || !ReplaceFileContent(path, content)) {
        ProcessCache().drop(path);
        failWrite(fileName);
    }
    doc->dirty = false;
    doc->identity = IdentityOf(path);
}

} // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    auto doc = ProcessCache().get(ProfileAccess::path(*this));
    Section* s = doc->find(section);
    if (!s)
        return defaultValue;
    auto it = s->firstKey.find(UpperCase(Trim(key)));
    return it == s->firstKey.end() ? defaultValue : ValueOf(*doc, s->entries[it->second]);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::string_view name = Trim(section);
    std::string_view keyName = Trim(key);
    if (breaksLines(section) || breaksLines(key) || breaksLines(value) || name.empty() ||
        keyName.empty() || keyName.find('=') != std::string_view::npos ||
        keyName.front() == '[' || keyName.front() == ';')
        failWrite(fileName_);

    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (!doc->writable)
        failWrite(fileName_);
    Section* s = doc->find(section);
    if (!s) {
        EnsureLineEnd(*doc);
        if (!doc->sections.empty()) {
            // A blank line between sections, as people write them.
            auto& last = doc->sections.back();
            const Entry& tail = last.entries.empty() ? last.header : last.entries.back();
            if (!Trim(tail.text).empty())
                last.entries.push_back(Entry{"", doc->newline, {}, {}});
        }
        Section fresh;
        fresh.header = Entry{"[" + ToFileText(*doc, name) + "]", doc->newline, {}, {}};
        fresh.upperName = UpperCase(name);
        doc->sections.push_back(std::move(fresh));
        doc->sectionIndex.emplace(doc->sections.back().upperName, doc->sections.size() - 1);
        s = &doc->sections.back();
    }
    const std::string upperKey = UpperCase(keyName);
    auto it = s->firstKey.find(upperKey);
    if (it != s->firstKey.end()) {
        Entry& entry = s->entries[it->second];
        entry.text = entry.key + "=" + ToFileText(*doc, StoredForm(value));
    } else {
        const std::size_t at = KeyInsertionPoint(*s);
        Entry* previous = at > 0 ? &s->entries[at - 1] : &s->header;
        if (previous->eol.empty())
            previous->eol = doc->newline;
        std::string fileKey = ToFileText(*doc, keyName);
        Entry entry{fileKey + "=" + ToFileText(*doc, StoredForm(value)), doc->newline, fileKey, upperKey};
        s->entries.insert(s->entries.begin() + std::ptrdiff_t(at), std::move(entry));
        // Only blank lines moved, and they hold no key: the index stays right without a rebuild.
        s->firstKey.emplace(upperKey, at);
    }
    doc->dirty = true;
    commit(path, fileName_, doc);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const {
    return StrToIntDef(ReadString(section, key, ""), defaultValue);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
    WriteString(section, key, IntToStr(value));
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::ReadSection(const std::string& section, TStrings& list) const {
    list.clear();
    auto doc = ProcessCache().get(ProfileAccess::path(*this));
    if (Section* s = doc->find(section))
        for (const auto& entry : s->entries)
            if (!entry.key.empty())
                list.push_back(FromFileText(*doc, entry.key));
}

void TIniFile::ReadSectionValues(const std::string& section, TStrings& list) const {
    TStrings keys;
    ReadSection(section, keys);
    // Index of the list's entries by name, so a long section stays linear.
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < list.size(); ++i)
        index.emplace(UpperCase(NameOfEntry(list[i])), i);
    std::vector<bool> deleted(list.size(), false);
    for (const auto& key : keys) {
        std::string value = ReadString(section, key, "");
        std::string upper = UpperCase(key);
        auto it = index.find(upper);
        if (value.empty()) {
            if (it != index.end()) {
                deleted[it->second] = true;
                index.erase(it);
            }
            continue;
        }
        if (it != index.end()) {
            list[it->second] = key + "=" + value;
        } else {
            index.emplace(upper, list.size());
            list.push_back(key + "=" + value);
            deleted.push_back(false);
        }
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (!deleted[i]) {
            if (out != i)
                list[out] = std::move(list[i]);
            ++out;
        }
    list.resize(out);
}

void TIniFile::EraseSection(const std::string& section) {
    if (breaksLines(section))
        failWrite(fileName_);
    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (!doc->writable)
        failWrite(fileName_);
    auto it = doc->sectionIndex.find(UpperCase(Trim(section)));
    if (it == doc->sectionIndex.end())
        return;
    doc->sections.erase(doc->sections.begin() + std::ptrdiff_t(it->second));
    doc->reindexSections();
    doc->dirty = true;
    commit(path, fileName_, doc);
}

void TIniFile::ClearSection(const std::string& section) {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (!doc->writable)
        failWrite(fileName_);
    Section* s = doc->find(section);
    if (!s)
        return;
    std::erase_if(s->entries, [](const Entry& e) { return !e.upperKey.empty(); });
    s->reindex();
    doc->dirty = true;
    commit(path, fileName_, doc);
}

bool TIniFile::SectionExists(const std::string& section) const {
    auto doc = ProcessCache().get(ProfileAccess::path(*this));
    return doc->find(section) != nullptr;
}

void TIniFile::BeginUpdate() {
    auto doc = ProcessCache().get(ProfileAccess::path(*this));
    ++doc->updateDepth;
}

void TIniFile::EndUpdate() {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (doc->updateDepth > 0)
        --doc->updateDepth;
    if (doc->updateDepth == 0 && doc->dirty)
        commit(path, fileName_, doc);
}

void TIniFile::Flush() {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (!doc->dirty)
        return;
    int depth = doc->updateDepth;
    doc->updateDepth = 0;
    try {
        commit(path, fileName_, doc);
    } catch (...) {
        // The parsed copy was dropped; the update stays open on what the disk holds.
        ProcessCache().get(path)->updateDepth = depth;
        throw;
    }
    doc->updateDepth = depth;
}

void TIniFile::DiscardUpdate() {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (doc->updateDepth > 0)
        --doc->updateDepth;
    if (doc->updateDepth == 0)
        ProcessCache().drop(path);
}

TIniUpdate::~TIniUpdate() {
    if (!done_)
        file_.DiscardUpdate();
}

void TIniUpdate::Commit() {
    done_ = true;
    file_.EndUpdate();
}

} // namespace zarn
