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

std::string Serialize(const Document& doc) {
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
    out.reserve(doc.byteOrderMark.size() + total + doc.endMark.size() + 2);
    out += doc.byteOrderMark;
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
    out += doc.endMark;
    return out;
}

// After the section's last non-blank line, so the blank lines between sections stay between them.
// A long run of blank lines is not a gap people left: moving it down for every key written would
// make a save quadratic, so the key goes at the very end then.
std::size_t KeyInsertionPoint(const Section& s) {
    constexpr std::size_t MaxGap = 64;
    const std::size_t n = s.entries.size();
    std::size_t tail = 0;
    while (tail < n && tail <= MaxGap && Trim(s.entries[n - tail - 1].text).empty())
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
    if (last && last->eol.empty())
        last->eol = doc.newline;
}

} // namespace zarn::profile
