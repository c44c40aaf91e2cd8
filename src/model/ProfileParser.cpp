#include "model/ProfileParser.h"

#include "model/Codepage.h"

namespace zarn::profile {

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LEMark = "\xFF\xFE";
constexpr std::string_view Utf16BEMark = "\xFE\xFF";
constexpr char EndOfFileMark = '\x1A';

} // namespace

std::string FromFileText(const Document& doc, std::string_view text) {
    return doc.utf8 ? Utf8ToWin1252(text) : std::string(text);
}

std::string ToFileText(const Document& doc, std::string_view text) {
    return doc.utf8 ? Win1252ToUtf8(text) : std::string(text);
}

Entry ParseEntry(const Document& doc, std::string text, std::string eol) {
    Entry entry{std::move(text), std::move(eol), {}, {}};
    std::string_view line = Trim(entry.text);
    if (line.empty() || line.front() == ';')
        return entry;
    auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return entry;
    std::string_view key = Trim(line.substr(0, eq));
    if (key.empty())
        return entry;
    entry.key = std::string(key);
    entry.upperKey = UpperCase(FromFileText(doc, key));
    return entry;
}

std::string ValueOf(const Document& doc, const Entry& entry) {
    std::string_view line = entry.text;
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

std::shared_ptr<Document> Parse(const std::string& file) {
    auto doc = std::make_shared<Document>();
    std::string_view content = file;
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
        std::string text(content.substr(pos, end - pos));
        std::string eol(content.substr(end, next - end));
        if (!newlineSeen && !eol.empty()) {
            doc->newline = eol;
            newlineSeen = true;
        }
        std::string_view line = Trim(text);
        // A section name ends at the last "]" of its line; a "[" line without one is no header.
        const auto close = line.empty() || line.front() != '[' ? std::string_view::npos : line.rfind(']');
        if (close != std::string_view::npos) {
            std::string_view name = Trim(line.substr(1, close - 1));
            Section section;
            section.upperName = UpperCase(FromFileText(*doc, name));
            section.header = Entry{std::move(text), std::move(eol), {}, {}};
            doc->sections.push_back(std::move(section));
            current = &doc->sections.back();
        } else if (current) {
            current->entries.push_back(ParseEntry(*doc, std::move(text), std::move(eol)));
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

} // namespace zarn::profile
