#pragma once
// The basic attributes of an applet block, one row each: the key that stores it, the name that
// macros, the HTML tag and the command line give it, and how its value is read, written and shown.
// Load and save, the command line's get and set, the Main page's undo and the page import all work
// from this table, so a new attribute is one row here.

#include "tag/AppletTag.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace zarn {

enum class TBasicField {
    Width,
    Height,
    HSpace,
    VSpace,
    Code,
    CodeBase,
    Archive,
    WebRoot,
    Align,
    TemplateFile,
    Doc,
    Trusted
};

// How a value is held and converted: pixels, file text, an alignment index, a flag.
enum class TBasicKind { Integer, Text, Align, Flag };

// A value as the attribute holds it: a number (integers, alignment, flag) or file text.
using TBasicValue = std::variant<int64_t, std::string>;

struct TBasicAttribute {
    TBasicField field;
    TBasicKind kind;
    const char* key;          // in "Applet Basic Parameters"
    const char* name;         // macro, HTML and command-line name; null when it has none
    const char* caption;      // how the user calls it ("width")
    const char* defaultValue; // read when the key is missing, as file text
    const char* pageDefault;  // what an imported tag that leaves it out means; null: the template's
    TBasicValue (*get)(const TAppletBasicParams&);
    void (*put)(TAppletBasicParams&, const TBasicValue&);
};

// Every row, in the order a save writes the keys.
std::span<const TBasicAttribute> BasicAttributes();
const TBasicAttribute& BasicAttribute(TBasicField field);
// The row named `name` (letter case ignored); null when no attribute has that name.
const TBasicAttribute* FindBasicAttribute(std::string_view name);

// The value as file text: integers in decimal, the alignment as 0..7.
std::string BasicValueText(const TBasicAttribute& row, const TAppletBasicParams& basic);
// Stores a value given as file text. Integers take the strict integer conversion, the alignment
// 0..7, a caption or an HTML word (letter case ignored). Raises EZarnError with the reason.
void SetBasicValueText(const TBasicAttribute& row, TAppletBasicParams& basic, const std::string& text);

} // namespace zarn
