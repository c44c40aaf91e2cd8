#pragma once
// Documents for the command line: loading with readable errors, values by name, and making a
// document from a template in one atomic step.

#include <functional>
#include <string>

namespace zarn {
class TDocument;
class TAppletParam;
struct TBasicAttribute;
} // namespace zarn

namespace zarn::cli {

// A fresh document for a command. The process ends with the command, and the system takes its
// memory back faster than thousands of parameters are freed one by one: it is never torn down,
// and stays reachable for leak checkers.
TDocument& CommandDocument();

// Loads a template or document. Raises ECliError naming the file for a file that cannot be read
// and for a failed load (the loader's message after the file name).
void LoadDocument(TDocument& document, const std::string& path);

// What a name given on the command line stands for: a basic attribute (these come first, as in the
// macros) or the first parameter whose Name matches, letter case ignored.
struct TValueTarget {
    const TBasicAttribute* basic = nullptr;
    TAppletParam* param = nullptr;
};

// `name` is file text (Windows-1252); `shownName` is how the user wrote it, for the message.
// Raises ECliError "no parameter ..." when nothing matches.
TValueTarget FindValueTarget(TDocument& document, const std::string& name, const std::string& shownName,
                             const std::string& path);

// The value as file text: a parameter's GetValue, a basic attribute in decimal (ALIGN as 0..7).
std::string GetTargetValue(const TDocument& document, const TValueTarget& target);

// Sets a value given as file text. Integers use the strict integer conversion; ALIGN takes 0..7, a
// caption or an HTML word (letter case ignored); parameters convert through their kind's SetValue.
// Raises ECliError "<shownName>: <conversion message>" when the value is refused, and for a kind
// that keeps no value of its own (vector, separator, plug-in) given a non-empty text.
void SetTargetValue(TDocument& document, const TValueTarget& target, const std::string& value,
                    const std::string& shownName);

// Makes the file `target` from the template loaded into `document` (the document's Save As), so a
// failure leaves nothing behind. An existing file is refused unless `replace`; the template itself
// is always refused. A target that is a link keeps the link; the file it points to is replaced.
void CreateDocument(TDocument& document, const std::string& target, bool replace);

} // namespace zarn::cli
