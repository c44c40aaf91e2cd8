#pragma once
// A page's bytes before the HTML parser sees them: only regular files of a bounded size are read,
// and what the parser would silently cut, misread or take quadratic time over is settled first.

#include <cstddef>
#include <string>
#include <string_view>

namespace zarn {

// Pages larger than this are refused rather than read.
inline constexpr std::size_t MaxPageSize = std::size_t(64) << 20;

// The file's bytes. Raises EZarnError naming the file when it is not a regular file (a pipe would
// block for ever, a device never end), is larger than MaxPageSize or cannot be read. The check comes
// before any read.
std::string ReadPageBytes(const std::string& path);

// A tag keeps this many attributes for the parser, whose own cost grows with their square; the
// attributes an applet block uses are kept wherever they stand.
inline constexpr std::size_t MaxTagAttributes = 1000;
// The attribute that stands for those left out of a tag: its value is their number.
inline constexpr const char* UnreadAttributesName = "zarn:unread-attributes";

struct TPreparedPage {
    std::string bytes;
    bool utf16 = false;  // the page was UTF-16 with a byte-order mark; `bytes` are UTF-8
    bool hadNul = false; // NUL characters became U+FFFD, as browsers read them
};

TPreparedPage PreparePage(std::string_view bytes);

} // namespace zarn
