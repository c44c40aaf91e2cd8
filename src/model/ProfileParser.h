#pragma once
// The parsed form of a profile file: every line as it stands, grouped by section, with an index of
// section and key names for lookups that ignore letter case.

#include "model/TextConv.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zarn::profile {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

inline bool IsQuote(char c) { return c == '"' || c == '\''; }

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

// What tells one version of a file from another without reading it.
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
    // Files as other editors save them: a byte-order mark before the first line and an end-of-file
    // mark (^Z) after the last are kept where they stand and are part of no line.
    std::string byteOrderMark;
    std::string endMark;
    bool utf8 = false;     // texts are UTF-8 in the file and Windows-1252 to callers
    bool writable = true;  // false for text this store cannot write back (UTF-16)
    Identity identity;
    int updateDepth = 0;
    bool dirty = false; // changed in memory, not yet on disk

    void reindexSections() {
        sectionIndex.clear();
        for (std::size_t i = 0; i < sections.size(); ++i)
            sectionIndex.emplace(sections[i].upperName, i);
    }
    Section* find(const std::string& name) {
        auto it = sectionIndex.find(UpperCase(Trim(name)));
        return it == sectionIndex.end() ? nullptr : &sections[it->second];
    }
};

// Names and values as callers see them, and back: only files with a UTF-8 mark differ.
std::string FromFileText(const Document& doc, std::string_view text);
std::string ToFileText(const Document& doc, std::string_view text);

Entry ParseEntry(const Document& doc, std::string text, std::string eol);
// The value of a key line, as a read returns it.
std::string ValueOf(const Document& doc, const Entry& entry);
std::shared_ptr<Document> Parse(const std::string& content);

} // namespace zarn::profile
