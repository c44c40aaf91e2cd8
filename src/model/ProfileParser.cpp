#include "model/ProfileParser.h"

#include "model/Codepage.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zarn::profile {

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEMark = "\xFF\xFE";
constexpr std::string_view Utf16BEMark = "\xFE\xFF";
constexpr char EndOfFileMark = '\x1A';

LineEnd lineEndOf(std::string_view eol) {
    if (eol == "\r\n")
        return LineEnd::CRLF;
    if (eol == "\n")
        return LineEnd::LF;
    return eol == "\r" ? LineEnd::CR : LineEnd::None;
}

// The trimmed key of a key line: none for blank and comment lines and lines without "=".
std::size_t keySizeOf(std::string_view text) {
    std::string_view line = Trim(text);
    if (line.empty() || line.front() == ';')
        return 0;
    auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return 0;
    return Trim(line.substr(0, eq)).size();
}

Entry viewEntry(std::string_view text, LineEnd eol, std::size_t keySize) {
    return Entry{text.data(), uint32_t(text.size()), Entry::KeySize(keySize), eol, false};
}

} // namespace

std::string_view Entry::keyOfLine() const {
    std::string_view t = text();
    while (!t.empty() && IsBlank(t.front()))
        t.remove_prefix(1);
    if (keySize != LongKey)
        return t.substr(0, keySize);
    t = t.substr(0, t.find('='));
    while (!t.empty() && IsBlank(t.back()))
        t.remove_suffix(1);
    return t;
}

std::string_view LineEndText(LineEnd end) {
    switch (end) {
    case LineEnd::LF: return "\n";
    case LineEnd::CR: return "\r";
    case LineEnd::CRLF: return "\r\n";
    case LineEnd::None: break;
    }
    return {};
}

std::string_view Document::TextStore::add(std::initializer_list<std::string_view> pieces) {
    // Blocks, not one string per line: written lines cost their bytes and little more.
    constexpr std::size_t BlockSize = 64 * 1024;
    std::size_t size = 0;
    for (std::string_view piece : pieces)
        size += piece.size();
    if (size == 0)
        return {};
    auto same = [&](std::string_view kept) {
        if (kept.size() != size)
            return false;
        for (std::string_view piece : pieces) {
            if (!kept.starts_with(piece))
                return false;
            kept.remove_prefix(piece.size());
        }
        return true;
    };
    std::string_view* slot = nullptr;
    if (size <= ShortText) {
        // A cheaper hash than the names' (no letter case to fold): this runs for every line written.
        uint32_t hash = 2166136261u;
        for (std::string_view piece : pieces)
            for (char c : piece)
                hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        slot = &shortTexts[hash % std::size(shortTexts)];
        if (same(*slot))
            return *slot;
    }
    if (size > room - used) {
        room = std::max(BlockSize, size);
        blocks.push_back(std::make_unique<char[]>(room));
        used = 0;
    }
    char* const at = blocks.back().get() + used;
    char* out = at;
    for (std::string_view piece : pieces)
        out = std::copy(piece.begin(), piece.end(), out);
    used += size;
    if (slot)
        *slot = {at, size};
    return {at, size};
}

std::string FromFileText(const Document& doc, std::string_view text) {
    return doc.utf8 ? Utf8ToWin1252(text) : std::string(text);
}

std::string ToFileText(const Document& doc, std::string_view text) {
    return doc.utf8 ? Win1252ToUtf8(text) : std::string(text);
}

std::string_view ToFileText(const Document& doc, std::string_view text, std::string& room) {
    if (!doc.utf8)
        return text;
    room = Win1252ToUtf8(text);
    return room;
}

std::string_view Document::callerName(std::string_view fileText) {
    return utf8 ? keep(Utf8ToWin1252(fileText)) : fileText;
}

LineEnd Document::newlineEnd() const { return lineEndOf(newline); }

Entry Document::makeEntry(std::string_view text, LineEnd eol, std::size_t keySize) {
    return viewEntry(keep(text), eol, keySize);
}

Entry Document::makeKeyLine(std::string_view fileKey, std::string_view fileValue, LineEnd eol) {
    return viewEntry(texts->add({fileKey, "=", fileValue}), eol, fileKey.size());
}

Section::Section(const Section& other)
    : header(other.header), name(other.name), entries(other.entries),
      keyIndex(other.keyIndex ? std::make_unique<NameIndex>(*other.keyIndex) : nullptr), indexed(other.indexed),
      hasRepeats(other.hasRepeats), duplicate(other.duplicate) {}

Section& Section::operator=(const Section& other) {
    if (this != &other)
        *this = Section(other);
    return *this;
}

Section* Document::find(std::string_view name) {
    name = Trim(name);
    // A load or save walks the file's sections in their order: the section found last, the one
    // before it, or the one after either is likely next. A guess that holds is the section the
    // index would give, since a section repeating an earlier name never counts.
    const std::size_t guesses[] = {recent[0], recent[1], recent[0] + 1, recent[1] + 1};
    std::size_t at = NameIndex::npos;
    for (std::size_t guess : guesses)
        if (guess < sections.size() && !sections[guess].duplicate && SameText(sections[guess].name, name)) {
            at = guess;
            break;
        }
    if (at == NameIndex::npos && (at = indexedSection(name)) == NameIndex::npos)
        return nullptr;
    if (at != recent[0]) {
        recent[1] = recent[0];
        recent[0] = at;
    }
    return &sections[at];
}

std::string_view Document::keyName(const Entry& entry) const {
    if (!utf8)
        return entry.key();
    keyScratch = Utf8ToWin1252(entry.key());
    return keyScratch;
}

std::size_t Document::indexedSection(std::string_view name) const {
    return sectionIndex.find(name, [&](std::size_t at) { return sections[at].name; });
}

bool Document::indexSection(std::size_t at) {
    return sectionIndex.insert(sections[at].name, at, [&](std::size_t i) { return sections[i].name; });
}

bool Document::indexKey(Section& s, std::size_t at) {
    auto nameAt = [&](std::size_t i) { return keyName(s.entries[i]); };
    if (!utf8)
        return s.keyIndex->insert(s.entries[at].key(), at, nameAt);
    const std::string name = Utf8ToWin1252(s.entries[at].key());
    return s.keyIndex->insert(name, at, nameAt);
}

std::size_t Document::findKey(const Section& s, std::string_view key) const {
    key = Trim(key);
    if (s.indexed)
        return s.keyIndex->find(key, [&](std::size_t i) { return keyName(s.entries[i]); });
    for (std::size_t i = 0; i < s.entries.size(); ++i)
        if (s.entries[i].hasKey() && SameText(s.entries[i].key(), key))
            return i;
    return std::string_view::npos;
}

void Document::reindex(Section& s) {
    s.indexed = utf8 || s.entries.size() > Section::IndexFrom;
    s.hasRepeats = false;
    if (!s.indexed) {
        s.keyIndex.reset();
        return;
    }
    if (s.keyIndex)
        s.keyIndex->clear();
    else
        s.keyIndex = std::make_unique<NameIndex>();
    s.keyIndex->reserve(s.entries.size());
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
        Entry& entry = s.entries[i];
        entry.repeat = entry.hasKey() && !indexKey(s, i);
        s.hasRepeats = s.hasRepeats || entry.repeat;
    }
}

void Document::reindexSections() {
    recent[0] = recent[1] = SIZE_MAX;
    sectionIndex.clear();
    sectionIndex.reserve(sections.size());
    for (std::size_t i = 0; i < sections.size(); ++i)
        sections[i].duplicate = !indexSection(i);
}

std::string ValueOf(const Document& doc, const Entry& entry) {
    std::string_view line = entry.text();
    auto eq = line.find('=');
    // A value ends at a NUL byte, as a C string does: no write could store the rest, so a document
    // holding one would otherwise load but never save.
    std::string_view value = line.substr(eq + 1);
    value = Trim(value.substr(0, value.find('\0')));
    // One enclosing pair of quotes is not part of the value, as files written by other tools expect.
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return FromFileText(doc, value);
}

std::shared_ptr<Document> Parse(std::string file) {
    auto doc = std::make_shared<Document>();
    // Lines hold 32-bit sizes; a file this large is no profile anyone wrote, and is left alone.
    if (file.size() > std::numeric_limits<uint32_t>::max()) {
        doc->writable = false;
        return doc;
    }
    doc->bytes = std::make_shared<const std::string>(std::move(file));
    std::string_view content = *doc->bytes;
    if (content.starts_with(Utf8Mark)) {
        doc->byteOrderMark = Utf8Mark;
        content.remove_prefix(Utf8Mark.size());
        // Malformed sequences read as "?", as a marked file reads everywhere; lines not written keep
        // their bytes.
        doc->utf8 = true;
    } else if (content.starts_with(Utf16LEMark) || content.starts_with(Utf16BEMark)) {
        // Read as nothing, and never written: 8-bit lines appended to it would damage it for every reader.
        doc->writable = false;
        return doc;
    }
    if (!content.empty() && content.back() == EndOfFileMark) {
        doc->endMark = EndOfFileMark;
        content.remove_suffix(1);
    }
    Section* current = nullptr;
    // A section's lines gather here and move into it at its end in one allocation of their size.
    std::vector<Entry> lines;
    auto closeSection = [&] {
        if (current)
            current->entries.assign(lines.begin(), lines.end());
        lines.clear();
    };
    bool newlineSeen = false;
    std::size_t pos = 0;
    const std::size_t size = content.size();
    const char* const base = content.data();
    auto nextOf = [&](char c, std::size_t from) {
        const void* at = std::memchr(base + from, c, size - from);
        return at ? std::size_t(static_cast<const char*>(at) - base) : size;
    };
    {
        // Room for the sections up front: growing a vector of many thousands moves them all each time.
        std::size_t headers = 0;
        for (std::size_t at = nextOf('[', 0); at < size; at = nextOf('[', at + 1))
            headers += at == 0 || base[at - 1] == '\n' || base[at - 1] == '\r';
        doc->sections.reserve(headers);
    }
    while (pos < size) {
        const std::size_t end = FindLowByte(content, pos, [](char c) { return c == '\r' || c == '\n'; });
        std::size_t next = end;
        if (next < size)
            next += (content[next] == '\r' && next + 1 < size && content[next + 1] == '\n') ? 2 : 1;
        const std::string_view text = content.substr(pos, end - pos);
        const std::string_view eolText = content.substr(end, next - end);
        const LineEnd eol = lineEndOf(eolText);
        if (!newlineSeen && !eolText.empty()) {
            doc->newline = eolText;
            newlineSeen = true;
        }
        std::string_view line = Trim(text);
        // A section name ends at the last "]" of its line; a "[" line without one is no header.
        const auto close = line.empty() || line.front() != '[' ? std::string_view::npos : line.rfind(']');
        if (close != std::string_view::npos) {
            closeSection();
            Section& section = doc->sections.emplace_back();
            section.name = doc->callerName(Trim(line.substr(1, close - 1)));
            section.header = viewEntry(text, eol, 0);
            current = &section;
        } else if (current) {
            lines.push_back(viewEntry(text, eol, keySizeOf(text)));
        } else {
            doc->prelude.push_back(viewEntry(text, eol, 0));
        }
        pos = next;
    }
    closeSection();
    for (auto& section : doc->sections)
        doc->reindex(section);
    doc->reindexSections();
    return doc;
}

} // namespace zarn::profile
