#include "tag/MacroPass.h"

#include "model/HtmlValue.h"
#include "profile/Errors.h"

#include <algorithm>

namespace zarn {

namespace {

// 0..9 for digits, 10..35 for letters of either case, -1 for anything else.
int nameClass(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return -1;
}

bool isNameChar(char c) {
    return nameClass(c) >= 0;
}

uint64_t edgeKey(uint32_t node, int cls) {
    return uint64_t(node) * 64 + uint64_t(cls);
}

void appendStripped(std::string& out, const std::string& value) {
    std::size_t start = 0;
    // A backslash that ends the value has nothing to escape and stays.
    for (std::size_t at = value.find('\\'); at != std::string::npos && at + 1 < value.size();
         at = value.find('\\', start)) {
        out.append(value, start, at - start);
        out += value[at + 1];
        start = at + 2;
    }
    if (start < value.size())
        out.append(value, start, std::string::npos);
}

// Counts what the values insert, so a block cannot grow without bound through its macros.
class GrowthBudget {
public:
    void Spend(std::size_t size) {
        if (size > MaxMacroGrowth - spent_)
            throw EZarnError("The applet block grows beyond 64 MB through its macros");
        spent_ += size;
    }

private:
    std::size_t spent_ = 0;
};

// Scans one stretch of text. When `lastOfText` holds, its final character is copied unexamined.
void scan(std::string& out, std::string_view text, bool lastOfText, const TMacroTable& macros,
          GrowthBudget& budget, std::size_t textOffset, std::vector<TUnresolvedMacro>* unresolved) {
    const std::size_t size = text.size();
    const std::size_t limit = lastOfText && size > 0 ? size - 1 : size;
    std::size_t i = 0;
    while (i < limit) {
        const char c = text[i];
        if (c == '\\') {
            if (i + 1 >= size) {
                out += c; // nothing after it in scanned text: nothing to escape
                ++i;
                continue;
            }
            const char next = text[i + 1];
            out += next == 'n' ? '\r' : next == 't' ? '\t' : next;
            i += 2;
        } else if (c == '$') {
            std::size_t runEnd = i + 1;
            while (runEnd < size && isNameChar(text[runEnd]))
                ++runEnd;
            if (runEnd == i + 1) {
                out += c;
                ++i;
                continue;
            }
            const auto match = macros.LongestPrefix(text.substr(i + 1, runEnd - i - 1));
            if (match.length == 0) {
                if (unresolved)
                    unresolved->push_back({std::string(text.substr(i + 1, runEnd - i - 1)), textOffset + i});
                out.append(text.substr(i, runEnd - i));
                i = runEnd;
                continue;
            }
            const std::string& value = macros.Value(match.index);
            budget.Spend(value.size());
            if (macros.Verbatim(match.index))
                out += value;
            else
                appendStripped(out, value);
            // The rest of the run is scanned again; the inserted value is not.
            i += 1 + match.length;
        } else {
            // Plain text up to the next escape or macro goes over whole.
            std::size_t next = i + 1;
            while (next < limit && text[next] != '\\' && text[next] != '$')
                ++next;
            out.append(text.substr(i, next - i));
            i = next;
        }
    }
    if (i < size)
        out.append(text.substr(i));
}

} // namespace

void TMacroText::add(std::string_view text, Kind kind) {
    if (text.empty())
        return;
    size_ += text.size();
    // Adjacent scanned pieces form one stretch, so an escape or a name run may cross them.
    if (!segments_.empty() && segments_.back().kind == kind)
        segments_.back().text.append(text);
    else
        segments_.push_back(Segment{std::string(text), kind});
}

void TMacroText::AppendValue(std::string_view text) {
    // Never joined to its neighbours: an empty value still writes its quotation marks.
    size_ += text.size();
    segments_.push_back(Segment{std::string(text), Kind::Value});
}

void TMacroTable::Add(std::string_view name, std::string value, bool verbatim) {
    const auto index = uint32_t(values_.size());
    values_.push_back(std::move(value));
    verbatim_.push_back(verbatim);
    // A name with any other character can never be matched by a run: it stays out of the trie.
    if (name.empty() || !std::all_of(name.begin(), name.end(), isNameChar))
        return;
    uint32_t node = 0;
    for (char c : name) {
        const uint64_t key = edgeKey(node, nameClass(c));
        auto it = edges_.find(key);
        if (it == edges_.end()) {
            const auto child = uint32_t(nodeEntry_.size());
            nodeEntry_.push_back(NoEntry);
            it = edges_.emplace(key, child).first;
        }
        node = it->second;
    }
    if (nodeEntry_[node] == NoEntry)
        nodeEntry_[node] = index;
}

TMacroTable::Match TMacroTable::LongestPrefix(std::string_view run) const {
    Match match;
    uint32_t node = 0;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const int cls = nameClass(run[i]);
        if (cls < 0)
            break;
        auto it = edges_.find(edgeKey(node, cls));
        if (it == edges_.end())
            break; // no name goes on with this character
        node = it->second;
        if (nodeEntry_[node] != NoEntry)
            match = Match{i + 1, nodeEntry_[node]};
    }
    return match;
}

std::string ExpandMacros(const TMacroText& text, const TMacroTable& macros,
                         std::vector<TUnresolvedMacro>* unresolved) {
    std::string out;
    out.reserve(text.Size() + text.Size() / 8);
    const auto& segments = text.Segments();
    GrowthBudget budget;
    std::size_t offset = 0;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const auto& segment = segments[s];
        switch (segment.kind) {
        case TMacroText::Kind::Verbatim:
            out += segment.text;
            break;
        case TMacroText::Kind::Scanned:
            scan(out, segment.text, s + 1 == segments.size(), macros, budget, offset, unresolved);
            break;
        case TMacroText::Kind::Value: {
            // Quoting follows what the pass made of the value, so escapes and inserted values cannot
            // end it early.
            std::string value;
            scan(value, segment.text, false, macros, budget, offset, unresolved);
            out += HtmlValue(value);
            break;
        }
        }
        offset += segment.text.size();
    }
    return out;
}

std::string ExpandMacros(std::string_view text, const TMacroTable& macros) {
    TMacroText whole;
    whole.Append(text);
    return ExpandMacros(whole, macros);
}

} // namespace zarn
