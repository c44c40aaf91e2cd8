#include "profile/ProfileParser.h"

#include "profile/Codepage.h"

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

} // namespace

std::string_view Document::keyOfLine(const Entry& entry, std::string_view t) {
    while (!t.empty() && IsBlank(t.front()))
        t.remove_prefix(1);
    if (entry.keySize != Entry::LongKey)
        return t.substr(0, entry.keySize);
    t = t.substr(0, t.find('='));
    while (!t.empty() && IsBlank(t.back()))
        t.remove_suffix(1);
    return t;
}

std::string_view LineEndText(LineEnd end) {
    switch (end) {
    case LineEnd::LF:
        return "\n";
    case LineEnd::CR:
        return "\r";
    case LineEnd::CRLF:
        return "\r\n";
    case LineEnd::None:
        break;
    }
    return {};
}

uint32_t Document::TextStore::add(std::initializer_list<std::string_view> pieces) {
    // Blocks, not one string per line: written lines cost their bytes and little more.
    std::size_t size = 0;
    for (std::string_view piece : pieces)
        size += piece.size();
    if (size == 0)
        return 0;
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
    Kept* slot = nullptr;
    if (size <= ShortText) {
        // A cheaper hash than the names' (no letter case to fold): this runs for every line written.
        uint32_t hash = 2166136261u;
        for (std::string_view piece : pieces)
            for (char c : piece)
                hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        slot = &shortTexts[hash % std::size(shortTexts)];
        if (same(slot->text))
            return slot->at;
    }
    if (size > room - used) {
        const std::size_t blockSpans = (size + SpanSize - 1) / SpanSize;
        if (base + (spans.size() + blockSpans) * SpanSize >
            std::size_t(std::numeric_limits<uint32_t>::max()) + 1)
            throw TextSpaceFull();
        room = blockSpans * SpanSize;
        blocks.push_back(std::make_unique<char[]>(room));
        for (std::size_t i = 0; i < blockSpans; ++i)
            spans.push_back(blocks.back().get() + i * SpanSize);
        used = 0;
    }
    char* const text = blocks.back().get() + used;
    char* out = text;
    for (std::string_view piece : pieces)
        out = std::copy(piece.begin(), piece.end(), out);
    const auto at = uint32_t(base + (spans.size() * SpanSize - room) + used);
    used += size;
    if (slot)
        *slot = {{text, size}, at};
    return at;
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

TextRef Document::callerName(std::string_view fileText) {
    if (utf8)
        return keep(Utf8ToWin1252(fileText));
    return {uint32_t(fileText.data() - bytes->data()), uint32_t(fileText.size())};
}

LineEnd Document::newlineEnd() const {
    return lineEndOf(newline);
}

Entry Document::line(uint32_t at, std::size_t size, LineEnd eol, std::size_t keySize) {
    Entry entry;
    entry.at = at;
    entry.shortSize = uint16_t(std::min(size, Entry::LongSize));
    if (size >= Entry::LongSize)
        texts->longSizes[at] = uint32_t(size);
    entry.keySize = uint16_t(std::min(keySize, Entry::LongKey));
    entry.setEol(eol);
    return entry;
}

Entry Document::makeEntry(std::string_view text, LineEnd eol, std::size_t keySize) {
    return line(texts->add({text}), text.size(), eol, keySize);
}

Entry Document::makeKeyLine(std::string_view fileKey, std::string_view fileValue, LineEnd eol) {
    return line(texts->add({fileKey, "=", fileValue}), fileKey.size() + 1 + fileValue.size(), eol,
                fileKey.size());
}

Section::Section(const Section& other)
    : header(other.header), name(other.name), entries(other.entries),
      keyIndex(other.keyIndex ? std::make_unique<NameIndex>(*other.keyIndex) : nullptr) {}

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
        if (guess < sections.size() && !sections[guess].duplicate() &&
            SameText(nameOf(sections[guess]), name)) {
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
        return fileKey(entry);
    keyScratch = Utf8ToWin1252(fileKey(entry));
    return keyScratch;
}

std::size_t Document::indexedSection(std::string_view name) const {
    return sectionIndex.find(name, [&](std::size_t at) { return nameOf(sections[at]); });
}

bool Document::indexSection(std::size_t at) {
    return sectionIndex.insert(nameOf(sections[at]), at, [&](std::size_t i) { return nameOf(sections[i]); });
}

bool Document::insertKey(NameIndex& index, const Section& s, std::size_t at) const {
    auto nameAt = [&](std::size_t i) { return keyName(s.entries[i]); };
    if (!utf8)
        return index.insert(fileKey(s.entries[at]), at, nameAt);
    const std::string name = Utf8ToWin1252(fileKey(s.entries[at]));
    return index.insert(name, at, nameAt);
}

void Document::indexKey(Section& s, std::size_t at) {
    if (s.keyIndex)
        insertKey(*s.keyIndex, s, at);
}

std::size_t Document::findKey(const Section& s, std::string_view key) const {
    key = Trim(key);
    if (utf8 || s.entries.size() > Section::IndexFrom) {
        if (!s.keyIndex) {
            s.keyIndex = std::make_unique<NameIndex>();
            s.keyIndex->reserve(s.entries.size());
            for (std::size_t i = 0; i < s.entries.size(); ++i)
                if (s.entries[i].hasKey())
                    insertKey(*s.keyIndex, s, i);
        }
        return s.keyIndex->find(key, [&](std::size_t i) { return keyName(s.entries[i]); });
    }
    // A key's size is in its line: most lines are passed over without reaching their text.
    for (std::size_t i = 0; i < s.entries.size(); ++i)
        if (const Entry& e = s.entries[i]; e.hasKey() &&
                                           (e.keySize == key.size() || e.keySize == Entry::LongKey) &&
                                           SameText(fileKey(e), key))
            return i;
    return std::string_view::npos;
}

void Document::reindexSections() {
    recent[0] = recent[1] = SIZE_MAX;
    sectionIndex.clear();
    sectionIndex.reserve(sections.size());
    for (std::size_t i = 0; i < sections.size(); ++i)
        sections[i].header.repeat = !indexSection(i);
}

std::string ValueOf(const Document& doc, const Entry& entry) {
    std::string_view line = doc.text(entry);
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
    // Lines are reached by 32-bit positions, the file's and the texts written since; a file this
    // large is no profile anyone wrote, and is left alone.
    if (file.size() > std::numeric_limits<uint32_t>::max() / 2) {
        doc->writable = false;
        return doc;
    }
    doc->bytes = std::make_shared<const std::string>(std::move(file));
    doc->texts->base = doc->bytes->size();
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
            current->entries.assign(lines.data(), lines.data() + lines.size());
        lines.clear();
    };
    bool newlineSeen = false;
    std::size_t pos = 0;
    const std::size_t size = content.size();
    const char* const base = content.data();
    auto lineOf = [&](std::string_view text, LineEnd eol, std::size_t keySize) {
        return doc->line(uint32_t(text.data() - doc->bytes->data()), text.size(), eol, keySize);
    };
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
            section.header = lineOf(text, eol, 0);
            current = &section;
        } else if (current) {
            lines.push_back(lineOf(text, eol, keySizeOf(text)));
        } else {
            doc->prelude.push_back(lineOf(text, eol, 0));
        }
        pos = next;
    }
    closeSection();
    doc->reindexSections();
    return doc;
}

} // namespace zarn::profile
