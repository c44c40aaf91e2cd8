#include "profile/IniFile.h"

#include "profile/Errors.h"
#include "profile/FileReplace.h"
#include "profile/ProfileCache.h"
#include "profile/ProfileWriter.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>
#include <vector>

namespace zarn {

namespace fs = std::filesystem;
using namespace profile;

namespace {

bool breaksLines(const std::string& text) {
    return FindLowByte(text, 0, [](char c) { return c == '\r' || c == '\n' || c == '\0'; }) != text.size();
}

// A key or value no line can hold, or a key a read would not find.
bool refusedKey(const std::string& key, const std::string& value) {
    const std::string_view name = Trim(key);
    return breaksLines(key) || breaksLines(value) || name.empty() ||
           name.find('=') != std::string_view::npos || name.front() == '[' || name.front() == ';';
}

// Whether a line reads "key=value" byte for byte.
bool isKeyLine(std::string_view line, std::string_view fileKey, std::string_view fileValue) {
    return line.size() == fileKey.size() + 1 + fileValue.size() && line.starts_with(fileKey) &&
           line[fileKey.size()] == '=' && line.substr(fileKey.size() + 1) == fileValue;
}

} // namespace

struct ProfileAccess {
    static const std::string& path(const TIniFile& f) { return f.path_; }
};

TIniFile::TIniFile(std::string fileName)
    : fileName_(std::move(fileName)), path_(SystemAbsolutePath(fileName_)) {}

namespace {

[[noreturn]] void failWrite(const std::string& fileName) {
    throw UnableToWrite(fileName);
}

std::string contentOf(Document& doc) {
    GuardEndMark(doc);
    return Serialize(doc);
}

void write(const std::string& path, const std::string& fileName, const std::shared_ptr<Document>& doc) {
    ProcessCache().noteWrite();
    if (!doc->writable || !ReplaceFileContent(path, contentOf(*doc))) {
        ProcessCache().drop(path);
        failWrite(fileName);
    }
    doc->dirty = false;
    doc->identity = IdentityOf(path);
    doc->verifiedAt = ProcessCache().writes();
}

void commit(const std::string& path, const std::string& fileName, const std::shared_ptr<Document>& doc) {
    if (doc->updateDepth > 0 || doc->held)
        return;
    write(path, fileName, doc);
}

} // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    auto doc = ProcessCache().get(ProfileAccess::path(*this));
    Section* s = doc->find(section);
    if (!s)
        return defaultValue;
    const std::size_t at = doc->findKey(*s, key);
    return at == std::string_view::npos ? defaultValue : ValueOf(*doc, s->entries[at]);
}

namespace {

// The write of one key in the parsed form alone.
void writeKey(Document& doc, std::string_view section, std::string_view keyName, const std::string& value,
              bool keepOuterBlanks) {
    Section* s = doc.find(section);
    if (!s) {
        EnsureLineEnd(doc);
        const LineEnd newline = doc.newlineEnd();
        if (!doc.sections.empty()) {
            // A blank line between sections, as people write them.
            auto& last = doc.sections.back();
            const Entry& tail = last.entries.empty() ? last.header : last.entries.back();
            if (!Trim(doc.text(tail)).empty())
                last.entries.push_back(doc.line(0, 0, newline, 0));
        }
        Section& fresh = doc.sections.emplace_back();
        fresh.header = doc.makeEntry("[" + ToFileText(doc, section) + "]", newline, 0);
        fresh.name = doc.keep(section);
        doc.indexSection(doc.sections.size() - 1);
        s = &fresh;
    }
    std::string quoted, converted;
    const std::string_view fileValue = ToFileText(doc, StoredForm(value, quoted, keepOuterBlanks), converted);
    const std::size_t found = doc.findKey(*s, keyName);
    if (found != std::string_view::npos) {
        Entry& entry = s->entries[found];
        const std::string_view fileKey = doc.fileKey(entry);
        // A save mostly writes back what was read: the line keeps its bytes then.
        if (!isKeyLine(doc.text(entry), fileKey, fileValue))
            entry = doc.makeKeyLine(fileKey, fileValue, entry.eol());
    } else {
        // Room for half as many lines again, not twice as many: a save adds a few keys to each of
        // thousands of sections read at their exact size.
        if (s->entries.size() == s->entries.capacity())
            s->entries.reserve(s->entries.size() + std::max<std::size_t>(4, s->entries.size() / 2));
        const std::size_t at = KeyInsertionPoint(doc, s->entries);
        Entry* previous = at > 0 ? &s->entries[at - 1] : &s->header;
        if (previous->eol() == LineEnd::None)
            previous->setEol(doc.newlineEnd());
        std::string keyRoom;
        const std::string_view fileKey = ToFileText(doc, keyName, keyRoom);
        s->entries.insert(at, doc.makeKeyLine(fileKey, fileValue, doc.newlineEnd()));
        // Only blank lines moved, and they hold no key: the index stays right without a rebuild.
        doc.indexKey(*s, at);
    }
}

} // namespace

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    WriteValue(section, key, value, false);
}

void TIniFile::WriteText(const std::string& section, const std::string& key, const std::string& value) {
    WriteValue(section, key, value, true);
}

void TIniFile::WriteValue(const std::string& section, const std::string& key, const std::string& value,
                          bool keepOuterBlanks) {
    std::string_view name = Trim(section);
    std::string_view keyName = Trim(key);
    if (breaksLines(section) || name.empty() || refusedKey(key, value))
        failWrite(fileName_);

    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (!doc->writable)
        failWrite(fileName_);
    try {
        writeKey(*doc, name, keyName, value, keepOuterBlanks);
    } catch (const TextSpaceFull&) {
        // What this process wrote since the last save is dropped; the file keeps what it has.
        ProcessCache().drop(path);
        failWrite(fileName_);
    }
    doc->dirty = true;
    commit(path, fileName_, doc);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) const {
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
            if (entry.hasKey())
                list.push_back(FromFileText(*doc, doc->fileKey(entry)));
}

namespace {

// Whether no two of the section's lines have the same key.
bool keysUnique(const Document& doc, const Section& s) {
    NameIndex seen;
    seen.reserve(s.entries.size());
    for (std::size_t i = 0; i < s.entries.size(); ++i)
        if (s.entries[i].hasKey() && !doc.insertKey(seen, s, i))
            return false;
    return true;
}

// A section with each key once (a template's parameter list) is read in one pass over its lines,
// each value the line's own; false, visiting nothing, for any other section. The section is looked
// up again after each visit, which may read other sections or files.
template <typename Visit>
bool eachUniqueValue(const std::string& path, const std::string& section, const Visit& visit) {
    auto doc = ProcessCache().get(path);
    const Section* s = doc->find(section);
    if (!s || !keysUnique(*doc, *s))
        return false;
    for (std::size_t i = 0; s && i < s->entries.size(); ++i) {
        const Entry& entry = s->entries[i];
        if (!entry.hasKey())
            continue;
        if (std::string value = ValueOf(*doc, entry); !value.empty()) {
            visit(FromFileText(*doc, doc->fileKey(entry)), std::move(value));
            doc = ProcessCache().get(path);
            s = doc->find(section);
        }
    }
    return true;
}

} // namespace

void TIniFile::ForEachSectionValue(const std::string& section, const ValueVisit& visit) const {
    if (eachUniqueValue(ProfileAccess::path(*this), section, visit))
        return;
    TStrings list;
    ReadSectionValues(section, list);
    for (const auto& entry : list)
        visit(NameOfEntry(entry), ValueOfEntry(entry));
}

void TIniFile::ReadSectionValues(const std::string& section, TStrings& list) const {
    auto add = [&](std::string key, const std::string& value) {
        list.push_back(std::move(key.append("=").append(value)));
    };
    if (list.empty() && eachUniqueValue(ProfileAccess::path(*this), section, add))
        return;
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
    const std::size_t at = doc->indexedSection(Trim(section));
    if (at == NameIndex::npos)
        return;
    doc->sections.erase(doc->sections.begin() + std::ptrdiff_t(at));
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
    s->entries.removeIf([](const Entry& e) { return e.hasKey(); });
    s->keyIndex.reset(); // the keys' positions moved: built again when next looked up
    doc->dirty = true;
    commit(path, fileName_, doc);
}

bool TIniFile::KeysStandAsWritten(const std::string& section, std::size_t count, const KeyAt& keyAt) const {
    auto doc = ProcessCache().get(ProfileAccess::path(*this));
    const Section* s = doc->writable ? doc->find(section) : nullptr;
    if (!s || s->entries.size() < count)
        return false;
    const LineEnd eol = doc->newlineEnd();
    std::string key, value, quoted, keyRoom, valueRoom;
    for (std::size_t i = 0; i < count; ++i) {
        keyAt(i, key, value);
        if (refusedKey(key, value)) // left to the write, which refuses it
            return false;
        const std::string_view fileKey = ToFileText(*doc, Trim(key), keyRoom);
        const std::string_view fileValue = ToFileText(*doc, StoredForm(value, quoted), valueRoom);
        const Entry& e = s->entries[i];
        if (e.eol() != eol || !isKeyLine(doc->text(e), fileKey, fileValue))
            return false;
    }
    // Only the blank lines a rewrite would put the keys before may follow.
    const auto rest = std::span<const Entry>(s->entries).subspan(count);
    return KeyInsertionPoint(*doc, rest) == 0 &&
           std::none_of(rest.begin(), rest.end(), [](const Entry& e) { return e.hasKey(); });
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
    // A plug-in library may write the file by name next: the reads after it must look again.
    struct LookAgain {
        ~LookAgain() { ProcessCache().noteWrite(); }
    } lookAgain;
    if (!doc->dirty)
        return;
    try {
        write(path, fileName_, doc);
    } catch (...) {
        // The parsed copy was dropped; the update stays open on what the disk holds.
        auto fresh = ProcessCache().get(path);
        fresh->updateDepth = doc->updateDepth;
        fresh->held = doc->held;
        throw;
    }
}

void TIniFile::DiscardUpdate() {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (doc->updateDepth > 0)
        --doc->updateDepth;
    if (doc->updateDepth == 0)
        ProcessCache().drop(path);
}

void TIniFile::BeginRead() {
    ++ProcessCache().get(ProfileAccess::path(*this))->readDepth;
}

void TIniFile::EndRead() {
    auto doc = ProcessCache().get(ProfileAccess::path(*this));
    if (doc->readDepth > 0)
        --doc->readDepth;
}

bool TIniFile::HoldCopyOf(const TIniFile& source) {
    const std::string& from = ProfileAccess::path(source);
    auto original = ProcessCache().get(from);
    if (!original->identity.exists && !original->dirty && IdentityOf(from).exists)
        return false; // there, but it could not be read
    std::shared_ptr<Document> copy;
    if (original->updateDepth == 0 && original->readDepth == 0 && !original->dirty &&
        original.use_count() == 2) {
        // Nobody works on the source: its parsed form moves over, and a later read parses it anew.
        ProcessCache().drop(from);
        copy = std::move(original);
    } else {
        copy = std::make_shared<Document>(*original);
    }
    copy->updateDepth = 0;
    copy->readDepth = 0;
    copy->held = true;
    copy->dirty = true; // nothing of it is on the disk under this name yet
    ProcessCache().put(ProfileAccess::path(*this), std::move(copy));
    return true;
}

std::error_code TIniFile::WriteHeldContent(TSiblingFile& file) {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = ProcessCache().get(path);
    if (!doc->writable)
        failWrite(fileName_);
    GuardEndMark(*doc);
    const std::error_code error = file.RewriteFrom([&](const PieceSink& put) { Serialize(*doc, put); });
    ProcessCache().drop(path);
    return error;
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
