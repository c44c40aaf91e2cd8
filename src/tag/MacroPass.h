#pragma once
// The escape and macro pass over a compiled applet block.
//
// In scanned text a backslash escapes the next character ("\n" a carriage return, "\t" a tab, any
// other character itself) and "$name" is replaced by the value of the longest prefix of the name run
// (ASCII letters and digits) that is a macro name, letter case ignored, first entry wins. Inserted
// values lose their backslashes (the character after one is kept) unless they were added as
// verbatim, and are never scanned again. Verbatim text, such as the paths the program composes
// itself, is copied untouched. A value (an attribute's or a PARAM's) is scanned on its own and then
// written as an HTML value, quoted where it must be. The last character of the whole text is never
// examined.

#include "profile/TextConv.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zarn {

// The text of a block as pieces that the pass scans or copies untouched.
class TMacroText {
public:
    enum class Kind { Scanned, Verbatim, Value };
    void Append(std::string_view text) { add(text, Kind::Scanned); }
    void AppendVerbatim(std::string_view text) { add(text, Kind::Verbatim); }
    void AppendValue(std::string_view text);

    struct Segment {
        std::string text;
        Kind kind = Kind::Scanned;
    };
    const std::vector<Segment>& Segments() const { return segments_; }
    std::size_t Size() const { return size_; }

private:
    void add(std::string_view text, Kind kind);
    std::vector<Segment> segments_;
    std::size_t size_ = 0;
};

// Macro names and their values. A lookup costs the length of the matched name, whatever the
// number of names and the length of the run.
class TMacroTable {
public:
    TMacroTable() = default;

    // A later entry with the same name (letter case ignored) is never reached.
    void Add(std::string_view name, std::string value, bool verbatim = false);

    struct Match {
        std::size_t length = 0; // of the matched name; 0 when nothing matched
        std::size_t index = 0;
    };
    // The longest prefix of `run` that is a name; `run` holds only ASCII letters and digits.
    Match LongestPrefix(std::string_view run) const;

    const std::string& Value(std::size_t index) const { return values_[index]; }
    bool Verbatim(std::size_t index) const { return verbatim_[index]; }

private:
    static constexpr uint32_t NoEntry = UINT32_MAX;
    // Trie over case-folded names: node 0 is the root; edges keyed by node * 64 + character class.
    std::vector<uint32_t> nodeEntry_{NoEntry};
    std::unordered_map<uint64_t, uint32_t> edges_;
    TStrings values_;
    std::vector<bool> verbatim_;
};

// What macro values may add to a block in all. Every reference inserts a whole value and a value may
// refer to itself, so a 1 MB value of "$A" alone would otherwise ask for half a terabyte.
inline constexpr std::size_t MaxMacroGrowth = std::size_t(64) << 20;

// A "$name" run that matched no macro and so stays in the block as typed.
struct TUnresolvedMacro {
    std::string name;       // the run without its "$"
    std::size_t offset = 0; // of the "$" in the text before the pass
};

// Runs the pass over the text; the result is a new string. Raises EZarnError "The applet block
// grows beyond 64 MB through its macros" when the inserted values would pass MaxMacroGrowth.
// Runs that match no macro are added to `unresolved` when it is given.
std::string ExpandMacros(const TMacroText& text, const TMacroTable& macros,
                         std::vector<TUnresolvedMacro>* unresolved = nullptr);
// The same over a text that is scanned as a whole.
std::string ExpandMacros(std::string_view text, const TMacroTable& macros);

} // namespace zarn
