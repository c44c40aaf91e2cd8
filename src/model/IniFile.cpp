#include "model/IniFile.h"

#include "model/Errors.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarn {

namespace fs = std::filesystem;

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isQuote(char c) { return c == '"' || c == '\''; }

// One line of the file as it stands, with the parsed key and value when it is a key line.
struct Entry {
    std::string text; // without its line end
    std::string eol;
    std::string key;      // trimmed, as written; empty for a line that holds no key
    std::string upperKey; // lookup form
};

struct Section {
    Entry header;
    std::string upperName;
    std::vector<Entry> entries;
    std::unordered_map<std::string, std::size_t> firstKey; // upper-case key -> entry index

    void reindex() {
        firstKey.clear();
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (!entries[i].upperKey.empty())
                firstKey.emplace(entries[i].upperKey, i);
    }
};

struct Identity {
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t mtime = 0;
    bool operator==(const Identity&) const = default;
};

struct Document {
    std::vector<Entry> prelude; // lines before the first section
    std::vector<Section> sections;
    std::unordered_map<std::string, std::size_t> sectionIndex; // upper-case name -> first section
    std::string newline = "\r\n";
    Identity identity;
    int updateDepth = 0;
    bool dirty = false; // changed in memory, not yet on disk

    void reindexSections() {
        sectionIndex.clear();
        for (std::size_t i = 0; i < sections.size(); ++i)
            sectionIndex.emplace(sections[i].upperName, i);
    }
    Section* find(const std::string& name) {
        auto it = sectionIndex.find(UpperCase(trim(name)));
        return it == sectionIndex.end() ? nullptr : &sections[it->second];
    }
};

Entry parseEntry(std::string text, std::string eol) {
    Entry entry{std::move(text), std::move(eol), {}, {}};
    std::string_view line = trim(entry.text);
    if (line.empty() || line.front() == ';')
        return entry;
    auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return entry;
    std::string_view key = trim(line.substr(0, eq));
    if (key.empty())
        return entry;
    entry.key = std::string(key);
    entry.upperKey = UpperCase(key);
    return entry;
}

std::string valueOf(const Entry& entry) {
    std::string_view line = entry.text;
    auto eq = line.find('=');
    // A value ends at a NUL byte, as a C string does: no write could store the rest, so a document
    // holding one would otherwise load but never save.
    std::string_view value = line.substr(eq + 1);
    value = trim(value.substr(0, value.find('\0')));
    // One enclosing pair of quotes is not part of the value, as files written by other tools expect.
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Reading trims the blanks before it removes a pair of quotes, so the pair is judged on the trimmed
// value: ' "x" ' must not come back as 'x'.
std::string storedForm(const std::string& value) {
    std::string_view core = trim(value);
    if (core.size() >= 2 && isQuote(core.front()) && core.back() == core.front())
        return core.front() + std::string(core) + core.back();
    return value;
}

std::shared_ptr<Document> parse(const std::string& content) {
    auto doc = std::make_shared<Document>();
    Section* current = nullptr;
    bool newlineSeen = false;
    std::size_t pos = 0;
    const std::size_t size = content.size();
    while (pos < size) {
        std::size_t end = pos;
        while (end < size && content[end] != '\r' && content[end] != '\n')
            ++end;
        std::size_t next = end;
        if (next < size) {
            next += (content[next] == '\r' && next + 1 < size && content[next + 1] == '\n') ? 2 : 1;
        }
        std::string text = content.substr(pos, end - pos);
        std::string eol = content.substr(end, next - end);
        if (!newlineSeen && !eol.empty()) {
            doc->newline = eol;
            newlineSeen = true;
        }
        std::string_view line = trim(text);
        if (!line.empty() && line.front() == '[') {
            auto close = line.find(']');
            std::string_view name = trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                                        : close - 1));
            Section section;
            section.header = Entry{std::move(text), std::move(eol), {}, {}};
            section.upperName = UpperCase(name);
            doc->sections.push_back(std::move(section));
            current = &doc->sections.back();
        } else if (current) {
            current->entries.push_back(parseEntry(std::move(text), std::move(eol)));
        } else {
            doc->prelude.push_back(Entry{std::move(text), std::move(eol), {}, {}});
        }
        pos = next;
    }
    for (auto& section : doc->sections)
        section.reindex();
    doc->reindexSections();
    return doc;
}

std::string serialize(const Document& doc) {
    std::size_t total = 0;
    auto measure = [&](const Entry& e) { total += e.text.size() + e.eol.size(); };
    for (const auto& e : doc.prelude)
        measure(e);
    for (const auto& s : doc.sections) {
        measure(s.header);
        for (const auto& e : s.entries)
            measure(e);
    }
    std::string out;
    out.reserve(total + 2);
    auto emit = [&](const Entry& e) {
        out += e.text;
        out += e.eol;
    };
    for (const auto& e : doc.prelude)
        emit(e);
    for (const auto& s : doc.sections) {
        emit(s.header);
        for (const auto& e : s.entries)
            emit(e);
    }
    return out;
}

// Where a new key goes: after the section's last non-blank line, so the blank lines between sections
// stay between them. A long run of blank lines is not a gap people left: moving it down for every key
// written would make a save quadratic, so the key goes at the very end then.
std::size_t keyInsertionPoint(const Section& s) {
    constexpr std::size_t MaxGap = 64;
    const std::size_t n = s.entries.size();
    std::size_t tail = 0;
    while (tail < n && tail <= MaxGap && trim(s.entries[n - tail - 1].text).empty())
        ++tail;
    return tail > MaxGap ? n : n - tail;
}

// A line that has no line end gets one before anything is written after it.
void ensureLineEnd(Document& doc) {
    Entry* last = nullptr;
    if (!doc.sections.empty()) {
        auto& s = doc.sections.back();
        last = s.entries.empty() ? &s.header : &s.entries.back();
    } else if (!doc.prelude.empty()) {
        last = &doc.prelude.back();
    }
    if (last && last->eol.empty())
        last->eol = doc.newline;
}

Identity identityOf(const std::string& path) {
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


#ifndef _WIN32
// Modification times of our own writes are unique to the nanosecond, so a parsed copy elsewhere
// (a plug-in library keeps its own) never mistakes a new version for the one it holds.
timespec uniqueStamp() {
    static int64_t last = 0;
    int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
    if (now <= last)
        now = last + 1;
    last = now;
    return timespec{time_t(now / 1000000000), long(now % 1000000000)};
}

mode_t creationMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}
#endif

// Writes the whole file through a temporary file beside it and a rename, so the file is either
// the old one or the new one, never a torn mix. Returns false with the file untouched on failure.
bool replaceFile(const std::string& path, const std::string& content) {
    std::error_code ec;
    std::string target = path;
    if (fs::is_symlink(target, ec)) {
        auto resolved = fs::canonical(target, ec);
        if (ec)
            return false;
        target = resolved.string();
    }
    fs::path dir = fs::path(target).parent_path();
    if (dir.empty())
        dir = ".";
#ifdef _WIN32
    std::string tmp = (dir / (fs::path(target).filename().string() + ".zarn-tmp")).string();
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(content.data(), std::streamsize(content.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(tmp, ec);
            return false;
        }
    }
    if (!MoveFileExA(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        fs::remove(tmp, ec);
        return false;
    }
    return true;
#else
    std::string pattern = (dir / ("." + fs::path(target).filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return false;
    bool ok = true;
    const char* data = content.data();
    std::size_t left = content.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else {
            data += n;
            left -= std::size_t(n);
        }
    }
    struct stat old{};
    if (ok) {
        if (::stat(target.c_str(), &old) == 0) {
            ok = ::fchmod(fd, old.st_mode & 07777) == 0;
            if (ok && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
                // Another owner's file keeps its permissions; the owner becomes us, as with any save.
            }
        } else {
            ok = ::fchmod(fd, creationMode()) == 0;
        }
    }
    if (ok) {
        timespec stamps[2] = {uniqueStamp(), {}};
        stamps[1] = stamps[0];
        ::futimens(fd, stamps);
        ok = ::fsync(fd) == 0;
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(name.data(), target.c_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(name.data());
    return ok;
#endif
}

class Cache {
public:
    std::shared_ptr<Document> get(const std::string& path) {
        auto it = docs_.find(path);
        if (it != docs_.end()) {
            Document& doc = *it->second;
            if (doc.dirty)
                return it->second; // our unwritten changes come first
            if (identityOf(path) == doc.identity)
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
    void drop(const std::string& path) { docs_.erase(path); }
    void clear() { docs_.clear(); }

private:
    static std::shared_ptr<Document> load(const std::string& path) {
        Identity id = identityOf(path);
        std::string content;
        if (id.exists && ReadFileBytes(path, content) != 0)
            id = Identity{};
        auto doc = id.exists ? parse(content) : std::make_shared<Document>();
        doc->identity = id;
        return doc;
    }
    void dropIdle() {
        for (auto it = docs_.begin(); it != docs_.end();)
            it = (it->second->updateDepth == 0 && !it->second->dirty) ? docs_.erase(it) : std::next(it);
    }
    std::unordered_map<std::string, std::shared_ptr<Document>> docs_;
};

Cache& cache() {
    static Cache instance;
    return instance;
}

std::string absolutePath(const std::string& name) {
    std::error_code ec;
    auto path = fs::absolute(fs::path(name), ec);
    return ec ? name : path.lexically_normal().string();
}

bool breaksLines(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

} // namespace

struct ProfileAccess {
    static const std::string& path(const TIniFile& f) { return f.path_; }
};

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)), path_(absolutePath(fileName_)) {}

namespace {

[[noreturn]] void failWrite(const std::string& fileName) {
    throw EWriteError(FormatText("Unable to write to %s", fileName));
}

void commit(const std::string& path, const std::string& fileName, const std::shared_ptr<Document>& doc) {
    if (doc->updateDepth > 0)
        return;
    if (!replaceFile(path, serialize(*doc))) {
        cache().drop(path);
        failWrite(fileName);
    }
    doc->dirty = false;
    doc->identity = identityOf(path);
}

} // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    auto doc = cache().get(ProfileAccess::path(*this));
    Section* s = doc->find(section);
    if (!s)
        return defaultValue;
    auto it = s->firstKey.find(UpperCase(trim(key)));
    return it == s->firstKey.end() ? defaultValue : valueOf(s->entries[it->second]);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    std::string_view name = trim(section);
    std::string_view keyName = trim(key);
    if (breaksLines(section) || breaksLines(key) || breaksLines(value) || name.empty() ||
        name.find(']') != std::string_view::npos || keyName.empty() || keyName.find('=') != std::string_view::npos ||
        keyName.front() == '[' || keyName.front() == ';')
        failWrite(fileName_);

    const std::string& path = ProfileAccess::path(*this);
    auto doc = cache().get(path);
    Section* s = doc->find(section);
    if (!s) {
        ensureLineEnd(*doc);
        if (!doc->sections.empty()) {
            // A blank line between sections, as people write them.
            auto& last = doc->sections.back();
            const Entry& tail = last.entries.empty() ? last.header : last.entries.back();
            if (!trim(tail.text).empty())
                last.entries.push_back(Entry{"", doc->newline, {}, {}});
        }
        Section fresh;
        fresh.header = Entry{"[" + std::string(name) + "]", doc->newline, {}, {}};
        fresh.upperName = UpperCase(name);
        doc->sections.push_back(std::move(fresh));
        doc->sectionIndex.emplace(doc->sections.back().upperName, doc->sections.size() - 1);
        s = &doc->sections.back();
    }
    const std::string upperKey = UpperCase(keyName);
    auto it = s->firstKey.find(upperKey);
    if (it != s->firstKey.end()) {
        Entry& entry = s->entries[it->second];
        entry.text = entry.key + "=" + storedForm(value);
    } else {
        const std::size_t at = keyInsertionPoint(*s);
        Entry* previous = at > 0 ? &s->entries[at - 1] : &s->header;
        if (previous->eol.empty())
            previous->eol = doc->newline;
        Entry entry{std::string(keyName) + "=" + storedForm(value), doc->newline, std::string(keyName), upperKey};
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
    auto doc = cache().get(ProfileAccess::path(*this));
    if (Section* s = doc->find(section))
        for (const auto& entry : s->entries)
            if (!entry.key.empty())
                list.push_back(entry.key);
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
    auto doc = cache().get(path);
    auto it = doc->sectionIndex.find(UpperCase(trim(section)));
    if (it == doc->sectionIndex.end())
        return;
    doc->sections.erase(doc->sections.begin() + std::ptrdiff_t(it->second));
    doc->reindexSections();
    doc->dirty = true;
    commit(path, fileName_, doc);
}

void TIniFile::ClearSection(const std::string& section) {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = cache().get(path);
    Section* s = doc->find(section);
    if (!s)
        return;
    std::erase_if(s->entries, [](const Entry& e) { return !e.upperKey.empty(); });
    s->reindex();
    doc->dirty = true;
    commit(path, fileName_, doc);
}

bool TIniFile::SectionExists(const std::string& section) const {
    auto doc = cache().get(ProfileAccess::path(*this));
    return doc->find(section) != nullptr;
}

void TIniFile::BeginUpdate() {
    auto doc = cache().get(ProfileAccess::path(*this));
    ++doc->updateDepth;
}

void TIniFile::EndUpdate() {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = cache().get(path);
    if (doc->updateDepth > 0)
        --doc->updateDepth;
    if (doc->updateDepth == 0 && doc->dirty)
        commit(path, fileName_, doc);
}

void TIniFile::Flush() {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = cache().get(path);
    if (!doc->dirty)
        return;
    int depth = doc->updateDepth;
    doc->updateDepth = 0;
    try {
        commit(path, fileName_, doc);
    } catch (...) {
        // The parsed copy was dropped; the update stays open on what the disk holds.
        cache().get(path)->updateDepth = depth;
        throw;
    }
    doc->updateDepth = depth;
}

void TIniFile::DiscardUpdate() {
    const std::string& path = ProfileAccess::path(*this);
    auto doc = cache().get(path);
    if (doc->updateDepth > 0)
        --doc->updateDepth;
    if (doc->updateDepth == 0)
        cache().drop(path);
}

TIniUpdate::~TIniUpdate() {
    if (!done_)
        file_.DiscardUpdate();
}

void TIniUpdate::Commit() {
    done_ = true;
    file_.EndUpdate();
}

void ClearProfileCache() { cache().clear(); }

int ReadFileBytes(const std::string& path, std::string& content) {
    content.clear();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return errno;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        content.append(buffer, got);
    const int error = std::ferror(in) ? EIO : 0;
    std::fclose(in);
    return error;
}

} // namespace zarn
