#pragma once
// How the program writes an attribute or PARAM value into a tag, so that an HTML parser reads back
// exactly the text given. "&" is left as typed: authors write entities such as "&eacute;" on purpose,
// and stored documents rely on it.

#include <string>
#include <string_view>

namespace zarn {

// Whether the value can stand without quotation marks: it is not empty and holds no blank,
// quotation mark, apostrophe, "<", ">", "=", back-quote or control character.
bool BareHtmlValue(std::string_view value);

// The value between quotation marks, a quotation mark inside written as "&quot;".
std::string QuotedHtmlValue(std::string_view value);

// The value bare where it can be, quoted where it must.
std::string HtmlValue(std::string_view value);

} // namespace zarn
