#include "model/ProfileWriter.h"

namespace zarn::profile {

// Reading trims the blanks before it removes a pair of quotes, so the pair is judged on the trimmed
// value: ' "x" ' must not come back as 'x'.
std::string StoredForm(const std::string& value) {
    std::string_view core = Trim(value);
    if (core.size() >= 2 && IsQuote(core.front()) && core.back() == core.front())
        return core.front() + std::string(core) + core.back();
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

void Serialize(const Document& doc, const std::function<void(std::string_view)>& put) {
    put(doc.byteOrderMark);
    forEachLine(doc, [&](const Entry& e) {
        put(e.text());
        put(LineEndText(e.eol));
    });
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
std::size_t KeyInsertionPoint(const Section& s) {
    constexpr std::size_t MaxGap = 64;
    const std::size_t n = s.entries.size();
    std::size_t tail = 0;
    while (tail < n && tail <= MaxGap && Trim(s.entries[n - tail - 1].text()).empty())
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
