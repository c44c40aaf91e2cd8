#include "model/ProfileWriter.h"

#include <cstdint>

namespace zarn::profile {

// Reading trims the blanks before it removes a pair of quotes, so the pair is judged on the trimmed
// value: ' "x" ' must not come back as 'x'.
std::string_view StoredForm(std::string_view value, std::string& room) {
    std::string_view core = Trim(value);
    if (core.size() >= 2 && IsQuote(core.front()) && core.back() == core.front()) {
        room.assign(1, core.front()).append(core).push_back(core.back());
        return room;
    }
    return value;
}

namespace {

template <typename Visit>
void forEachLine(const Document& doc, Visit&& visit) {
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
    forEachLine(doc, [&](const Entry& e) { total += e.size + LineEndText(e.eol).size(); });
    std::string out;
    out.reserve(total);
    Serialize(doc, [&](std::string_view piece) { out += piece; });
    return out;
}

void Serialize(const Document& doc, const PieceSink& put) {
    put(doc.byteOrderMark);
    // Lines that still stand in the file's bytes as they were read go out as one run.
    // (Addresses as numbers: a written line's text lies elsewhere, and is only compared.)
    const auto first = doc.bytes ? reinterpret_cast<std::uintptr_t>(doc.bytes->data()) : 0;
    const auto last = doc.bytes ? first + doc.bytes->size() : 0;
    const char* run = nullptr;
    const char* runEnd = nullptr;
    forEachLine(doc, [&](const Entry& e) {
        const std::string_view eol = LineEndText(e.eol);
        const auto at = reinterpret_cast<std::uintptr_t>(e.data);
        const bool inFile = e.data != nullptr && at >= first && at + e.size + eol.size() <= last &&
                            std::string_view(e.data + e.size, eol.size()) == eol;
        if (inFile && e.data == runEnd) {
            runEnd += e.size + eol.size();
            return;
        }
        if (run != runEnd)
            put({run, std::size_t(runEnd - run)});
        if (inFile) {
            run = e.data;
            runEnd = e.data + e.size + eol.size();
        } else {
            run = runEnd = nullptr;
            put(e.text());
            put(eol);
        }
    });
    if (run != runEnd)
        put({run, std::size_t(runEnd - run)});
    put(doc.endMark);
}

void GuardEndMark(Document& doc) {
    if (!doc.endMark.empty())
        return;
    // Only the last line can lack a line end, and the last byte is in it unless it is empty.
    const Entry* last = nullptr;
    forEachLine(doc, [&](const Entry& e) {
        if (e.size != 0 || e.eol != LineEnd::None)
            last = &e;
    });
    if (last && last->eol == LineEnd::None && last->text().back() == '\x1A')
        EnsureLineEnd(doc);
}

// After the section's last non-blank line, so the blank lines between sections stay between them.
// A long run of blank lines is not a gap people left: moving it down for every key written would
// make a save quadratic, so the key goes at the very end then.
std::size_t KeyInsertionPoint(std::span<const Entry> entries) {
    constexpr std::size_t MaxGap = 64;
    const std::size_t n = entries.size();
    std::size_t tail = 0;
    while (tail < n && tail <= MaxGap && Trim(entries[n - tail - 1].text()).empty())
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
    if (last && last->eol == LineEnd::None)
        last->eol = doc.newlineEnd();
}

} // namespace zarn::profile
