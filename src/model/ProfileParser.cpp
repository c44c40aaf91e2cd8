#include "model/ProfileParser.h"

namespace zarn::profile {

Entry ParseEntry(std::string text, std::string eol) {
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
    entry.upperKey = UpperCase(key);
    return entry;
}

std::string ValueOf(const Entry& entry) {
    std::string_view line = entry.text;
    auto eq = line.find('=');
    // A value ends at a NUL byte, as a C string does: no write could store the rest, so a document
    // holding one would otherwise load but never save.
    std::string_view value = line.substr(eq + 1);
    value = Trim(value.substr(0, value.find('\0')));
    // One enclosing pair of quotes is not part of the value, as files written by other tools expect.
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::shared_ptr<Document> Parse(const std::string& content) {
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
        std::string_view line = Trim(text);
        if (!line.empty() && line.front() == '[') {
            auto close = line.find(']');
            std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                                        : close - 1));
            Section section;
            section.header = Entry{std::move(text), std::move(eol), {}, {}};
            section.upperName = UpperCase(name);
            doc->sections.push_back(std::move(section));
            current = &doc->sections.back();
        } else if (current) {
            current->entries.push_back(ParseEntry(std::move(text), std::move(eol)));
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
