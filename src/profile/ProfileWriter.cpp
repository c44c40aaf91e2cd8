#include "profile/ProfileWriter.h"

#include <cstdint>

namespace zarn::profile {

// Reading trims the blanks before it removes a pair of quotes, so the pair is judged on the trimmed
// value: ' "x" ' must not come back as 'x'.
std::string_view StoredForm(std::string_view value, std::string& room, bool keepOuterBlanks) {
    std::string_view core = Trim(value);
    // The quotes reading removes keep the blanks inside them.
    if (keepOuterBlanks && core.size() != value.size()) {
        room.assign(1, '"').append(value).push_back('"');
        return room;
    }
    if (core.size() >= 2 && IsQuote(core.front()) && core.back() == core.front()) {
        room.assign(1, core.front()).append(core).push_back(core.back());
        return room;
    }
    return value;
}

namespace {

template <typename Visit> void forEachLine(const Document& doc, Visit&& visit) {
    for (const auto& e : doc.prelude)
        visit(e);
    for (const auto& s : doc.sections) {
        visit(s.header);
        for (const auto& e : s.entries)
            visit(e);
    }
}

} // namespace

std::string Serialize(const Document& doc) {
    std::size_t total = doc.byteOrderMark.size() + doc.endMark.size();
    forEachLine(doc, [&](const Entry& e) { total += doc.size(e) + LineEndText(e.eol()).size(); });
    std::string out;
    out.reserve(total);
    Serialize(doc, [&](std::string_view piece) { out += piece; });
    return out;
}

void Serialize(const Document& doc, const PieceSink& put) {
    put(doc.byteOrderMark);
    // Lines that still stand in the file's bytes as they were read, line ends too, go out as one run.
    const std::string_view file = doc.bytes ? std::string_view(*doc.bytes) : std::string_view();
    std::size_t run = 0, runEnd = 0;
    forEachLine(doc, [&](const Entry& e) {
        const std::string_view eol = LineEndText(e.eol());
        const std::size_t size = doc.size(e);
        // Any line whose bytes and line end stand in the file there, as the file's lines do.
        const bool inFile =
            e.at + size + eol.size() <= file.size() && file.substr(e.at + size, eol.size()) == eol;
        if (inFile && e.at == runEnd) {
            runEnd += size + eol.size();
            return;
        }
        if (run != runEnd)
            put(file.substr(run, runEnd - run));
        if (inFile) {
            run = e.at;
            runEnd = e.at + size + eol.size();
        } else {
            run = runEnd = 0;
            put(doc.text(e));
            put(eol);
        }
    });
    if (run != runEnd)
        put(file.substr(run, runEnd - run));
    put(doc.endMark);
}

void GuardEndMark(Document& doc) {
    if (!doc.endMark.empty())
        return;
    // Only the last line can lack a line end, and the last byte is in it unless it is empty.
    const Entry* last = nullptr;
    forEachLine(doc, [&](const Entry& e) {
        if (doc.size(e) != 0 || e.eol() != LineEnd::None)
            last = &e;
    });
    if (last && last->eol() == LineEnd::None && doc.text(*last).back() == '\x1A')
        EnsureLineEnd(doc);
}

// After the section's last non-blank line, so the blank lines between sections stay between them.
// A long run of blank lines is not a gap people left: moving it down for every key written would
// make a save quadratic, so the key goes at the very end then.
std::size_t KeyInsertionPoint(const Document& doc, std::span<const Entry> entries) {
    constexpr std::size_t MaxGap = 64;
    const std::size_t n = entries.size();
    std::size_t tail = 0;
    while (tail < n && tail <= MaxGap && Trim(doc.text(entries[n - tail - 1])).empty())
        ++tail;
    return tail > MaxGap ? n : n - tail;
}

void EnsureLineEnd(Document& doc) {
    Entry* last = nullptr;
    if (!doc.sections.empty()) {
        auto& s = doc.sections.back();
        last = s.entries.empty() ? &s.header : &s.entries.back();
    } else if (!doc.prelude.empty()) {
        last = &doc.prelude.back();
    }
    if (last && last->eol() == LineEnd::None)
        last->setEol(doc.newlineEnd());
}

} // namespace zarn::profile
