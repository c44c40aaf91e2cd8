#pragma once
// Applet blocks of existing HTML pages, and documents made from them: the page is read with a
// forgiving HTML parser, the block's values are handed to the parameters of a matching template.

#include "profile/TextConv.h"

#include <string>
#include <string_view>
#include <vector>

namespace zarn {

class TJavaAppletTag;

// Texts are Windows-1252 with entities decoded; attributes missing from the page are empty.
struct TPageParam {
    std::string name;
    std::string value;
    bool representable = true; // false: the page's text holds characters Windows-1252 lacks
};

struct TPageApplet {
    std::string code;
    std::string codeBase;
    std::string archive;
    std::string width;
    std::string height;
    std::string hspace;
    std::string vspace;
    std::string align;
    std::string alternateText; // the block's content other than its PARAMs, as HTML
    std::vector<TPageParam> params;
    TStrings otherAttributes; // "NAME=value", names in upper case
    TStrings problems;        // texts that could not be taken as they are
    int line = 0;
    std::size_t offset = 0; // where the block starts in the page's bytes
    std::string source;     // the block's bytes; empty when they could not be told apart
};

// Every APPLET block of the page, in page order. Broken markup is repaired as browsers do; the
// encoding is the page's declared one, else UTF-8 when the bytes are valid UTF-8, else Windows-1252.
std::vector<TPageApplet> ReadPageApplets(std::string_view bytes);
// Raises EZarnError naming the file when it cannot be read.
std::vector<TPageApplet> ReadPageFile(const std::string& path);

// One line for a list of blocks: CODE, size and the first parameters.
std::string DescribeApplet(const TPageApplet& applet, std::size_t shownParams = 3);

// The templates (".zrt", any letter case) below `root` whose "Code" is the block's CODE, with or
// without ".class"; full paths, sorted. Links to folders are not followed.
TStrings TemplatesForCode(const std::string& root, const std::string& code);

struct TImportNote {
    enum class Kind { Unmatched, Refused, Changed, Kept };
    Kind kind;
    std::string name;  // PARAM or attribute name as the page gives it
    std::string value; // the page's value
    std::string text;  // what happened, one line
};

// Fills a tag loaded from a template with the block: web root is the page's folder (file names in a
// page are relative to it), the code base is resolved against it, and every PARAM goes to the
// parameter of the same name (letter case ignored). A PARAM no parameter takes, a value its kind
// refuses, a value the block will write differently and a template value the page does not
// replace each give a note; nothing is dropped unsaid.
std::vector<TImportNote> ImportApplet(TJavaAppletTag& tag, const TPageApplet& applet,
                                      const std::string& pagePath);

// The notes as lines for the user.
TStrings NoteLines(const std::vector<TImportNote>& notes);

// A text from a page for a list or a message: control characters shown as "\n", "\r", "\t" or
// "\x1B", so a name cannot make lines of its own.
std::string ShownPageText(std::string_view text);

// A page text as the block's escape pass needs it to come out unchanged: "\" and "$" escaped, line
// breaks as "\n" (the block's own line end).
std::string EscapeForBlock(std::string_view text);
// A page's value as a document stores it so that the block reads back as that value: "&" where it
// would start an entity as "&amp;", then as EscapeForBlock.
std::string EscapeValueForBlock(std::string_view value);
// What a parser reads from a value written from EscapeValueForBlock's text after the escape pass.
std::string ParsedBlockValue(std::string_view written);

} // namespace zarn
