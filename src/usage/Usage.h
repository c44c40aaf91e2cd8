#pragma once
// A program's command line described once: its --help text, its manual page and its shell
// completion are all made from the same description, so they cannot disagree.

#include <string>
#include <utility>
#include <vector>

namespace zarn::usage {

// What completes a value or an operand in the shell.
struct TCompletion {
    enum Kind { Nothing, Files, Folders, Words };
    Kind kind = Nothing;
    std::string list; // Files: extensions as "zrt|zrd"; Words: blank-separated words
};

struct TUsageOption {
    std::string name;  // without the leading "--"
    std::string value; // the value's placeholder, empty for a flag
    std::string text;
    TCompletion completion = {};
};

struct TUsageCommand {
    std::string name;
    std::string operands;                 // e.g. "FILE [NAME...]"
    std::string summary;                  // one line, for the list of commands
    std::vector<std::string> description; // paragraphs
    std::vector<TUsageOption> options;
    std::vector<std::string> notes; // paragraphs after the options
    TCompletion completion = {};    // of the operands
};

using TTerms = std::vector<std::pair<std::string, std::string>>;

struct TUsageProgram {
    std::string name;
    std::string summary;  // the manual's NAME line
    std::string synopsis; // after the name, for a program without commands
    std::vector<std::string> description;
    std::vector<TUsageCommand> commands;
    std::vector<TUsageOption> options;
    std::vector<std::string> notes;
    TTerms exitStatus;
    TTerms files;
    TTerms environment;
    TTerms examples; // command line, what it does
    std::vector<std::string> seeAlso;
};

// The program's own options every program takes.
std::vector<TUsageOption> StandardOptions();

std::string HelpText(const TUsageProgram& program);
std::string CommandHelp(const TUsageProgram& program, const TUsageCommand& command);
std::string VersionText(const TUsageProgram& program);
// The manual page in roff (man(7) macros).
std::string ManPage(const TUsageProgram& program);
// A bash completion script for a program with commands.
std::string BashCompletion(const TUsageProgram& program);

} // namespace zarn::usage
