#pragma once
// The command line of zarn-cli: options and operands of one command, and the text conversions
// between the terminal (UTF-8) and the files (Windows-1252).

#include "profile/Errors.h"
#include "profile/TextConv.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarn::cli {

// A failure whose message is already terminal text (UTF-8).
class ECliError : public EZarnError {
public:
    using EZarnError::EZarnError;
};

// A command line that does not fit the command; the message says why.
class ECliUsage : public ECliError {
public:
    using ECliError::ECliError;
};

struct TOptionSpec {
    std::string name; // without the leading "--"
    bool takesValue = false;
};

struct TParsedArgs {
    TStrings operands;
    // Options in the order given, each with its value (empty for a flag).
    std::vector<std::pair<std::string, std::string>> options;

    bool Has(std::string_view name) const;
    // The value given last.
    std::optional<std::string> Value(std::string_view name) const;
    TStrings Values(std::string_view name) const;
};

// Splits a command's arguments into options ("--name", "--name VALUE", "--name=VALUE") and
// operands, in any order; "--" ends the options, "-h" stands for "--help", a lone "-" is an
// operand. Raises ECliUsage for an unknown option, a missing value, or a value given to a flag.
TParsedArgs ParseArgs(const TStrings& args, const std::vector<TOptionSpec>& specs);

// "NAME=VALUE" cut at its first "="; raises ECliUsage without "=" or with an empty name.
std::pair<std::string, std::string> SplitAssignment(const std::string& text);

// A text from the command line as file text. Raises ECliUsage for malformed UTF-8 and for
// characters Windows-1252 cannot hold, rather than storing "?" in their place.
std::string ArgumentToFileText(const std::string& text);
// File text for the terminal.
std::string FileTextToOutput(const std::string& text);
// UTF-8 for the terminal with its control characters escaped ("\n", "\x1B", "\u009B"): a name read
// from a file can neither forge a line of its own nor send the terminal a command.
std::string EscapeControls(const std::string& utf8);
// File text for the terminal, control characters escaped.
std::string FileTextShown(const std::string& text);

// A message on one line: line breaks become blanks.
std::string OneLine(const std::string& message);
// A message of the core on one line for the terminal. Core messages mix file text (Windows-1252)
// with paths (the file system's bytes, UTF-8 here): a message that is valid UTF-8 is kept, any
// other is taken as Windows-1252.
std::string MessageLine(const std::string& message);

} // namespace zarn::cli
