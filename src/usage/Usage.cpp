#include "usage/Usage.h"

#include "ZarnVersion.h"

#include <algorithm>
#include <cctype>

namespace zarn::usage {

namespace {

constexpr std::size_t LineWidth = 79;

// `text` broken at blanks into lines of at most LineWidth, the first starting after `first`
// (already written), the others indented by `indent` blanks.
std::string wrap(const std::string& text, std::size_t indent, std::size_t first = 0) {
    std::string result;
    std::size_t column = first;
    std::size_t start = 0;
    bool lineEmpty = true;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty())
            continue;
        if (!lineEmpty && column + 1 + word.size() > LineWidth) {
            result += '\n' + std::string(indent, ' ');
            column = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            result += ' ';
            ++column;
        }
        result += word;
        column += word.size();
        lineEmpty = false;
    }
    return result + '\n';
}

std::string optionTerm(const TUsageOption& option) {
    return "--" + option.name + (option.value.empty() ? "" : " " + option.value);
}

std::string commandLine(const TUsageProgram& program, const TUsageCommand& command) {
    std::string line = program.name + " " + command.name;
    if (!command.operands.empty())
        line += " " + command.operands;
    for (const TUsageOption& option : command.options)
        line += " [" + optionTerm(option) + "]";
    return line;
}

std::string paragraphs(const std::vector<std::string>& texts) {
    std::string result;
    for (const std::string& text : texts)
        result += "\n" + wrap(text, 0);
    return result;
}

// Terms in a column, their texts beside them.
std::string termList(const TTerms& terms, std::size_t indent = 2) {
    std::size_t width = 0;
    for (const auto& term : terms)
        width = std::max(width, term.first.size());
    width = std::min<std::size_t>(width, 16);
    std::string result;
    for (const auto& [term, text] : terms) {
        const std::string head = std::string(indent, ' ') + term;
        const std::size_t column = indent + width + 2;
        if (head.size() + 2 > column)
            result += head + "\n" + std::string(column, ' ') + wrap(text, column, column);
        else
            result += head + std::string(column - head.size(), ' ') + wrap(text, column, column);
    }
    return result;
}

TTerms optionTerms(const std::vector<TUsageOption>& options) {
    TTerms terms;
    for (const TUsageOption& option : options)
        terms.emplace_back(optionTerm(option), option.text);
    return terms;
}

// Text for roff: backslashes and the minus signs of options escaped, no line starting a request.
std::string roff(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char before = i ? text[i - 1] : ' ';
        const char after = i + 1 < text.size() ? text[i + 1] : ' ';
        if (c == '\\')
            result += "\\e";
        else if (c == '-' &&
                 (before == '-' || after == '-' || std::isspace(static_cast<unsigned char>(before)) ||
                  before == '[' || before == '(' || before == '\''))
            result += "\\-";
        else
            result += c;
    }
    if (!result.empty() && (result[0] == '.' || result[0] == '\''))
        result.insert(0, "\\&");
    return result;
}

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string manParagraphs(const std::vector<std::string>& texts) {
    std::string result;
    for (const std::string& text : texts)
        result += ".PP\n" + roff(text) + "\n";
    return result;
}

std::string manTerms(const TTerms& terms, bool boldTerm) {
    std::string result;
    for (const auto& [term, text] : terms)
        result += ".TP\n" + std::string(boldTerm ? ".B " : "") + roff(term) + "\n" + roff(text) + "\n";
    return result;
}

std::string manOptions(const std::vector<TUsageOption>& options) {
    std::string result;
    for (const TUsageOption& option : options) {
        result += ".TP\n" + std::string(option.value.empty() ? ".B" : ".BI") + " \\-\\-" + roff(option.name);
        if (!option.value.empty())
            result += " \" " + roff(option.value) + "\"";
        result += "\n" + roff(option.text) + "\n";
    }
    return result;
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

std::string optionNames(const std::vector<TUsageOption>& options) {
    std::string names;
    for (const TUsageOption& option : options)
        names += (names.empty() ? "--" : " --") + option.name;
    return names;
}

std::string completionCall(const TCompletion& completion) {
    switch (completion.kind) {
    case TCompletion::Files:
        return "_filedir " + quoted(completion.list);
    case TCompletion::Folders:
        return "_filedir -d";
    case TCompletion::Words:
        return "COMPREPLY=($(compgen -W " + quoted(completion.list) + " -- \"$cur\"))";
    case TCompletion::Nothing:
        break;
    }
    return ":";
}

std::string commandHelpNote(const TUsageProgram& program) {
    return "'" + program.name + " COMMAND --help' or '" + program.name +
           " help COMMAND' describes a command.";
}

} // namespace

std::vector<TUsageOption> StandardOptions() {
    return {{"help", "", "print this help and exit"}, {"version", "", "print the version and exit"}};
}

std::string HelpText(const TUsageProgram& program) {
    std::string text = "Usage: " + program.name;
    text += program.commands.empty() ? (program.synopsis.empty() ? "" : " " + program.synopsis)
                                     : " COMMAND [ARGUMENTS...]";
    text += "\n" + paragraphs(program.description);
    if (!program.commands.empty()) {
        TTerms commands;
        for (const TUsageCommand& command : program.commands)
            commands.emplace_back(command.name + (command.operands.empty() ? "" : " " + command.operands),
                                  command.summary);
        text += "\nCommands:\n" + termList(commands);
        text += "\n" + wrap(commandHelpNote(program), 0);
    }
    if (!program.options.empty())
        text += "\nOptions:\n" + termList(optionTerms(program.options));
    if (!program.exitStatus.empty()) {
        std::string status;
        for (const auto& [code, meaning] : program.exitStatus)
            status += (status.empty() ? "" : ", ") + code + " " + meaning;
        text += "\n" + wrap("Exit status: " + status + ".", 0);
    }
    text += paragraphs(program.notes);
    return text;
}

std::string CommandHelp(const TUsageProgram& program, const TUsageCommand& command) {
    std::string text = "Usage: " + wrap(commandLine(program, command), program.name.size() + 8, 7);
    text += paragraphs(command.description);
    if (!command.options.empty())
        text += "\n" + termList(optionTerms(command.options));
    return text + paragraphs(command.notes);
}

std::string VersionText(const TUsageProgram& program) {
    return program.name + " " + ZARN_VERSION + "\n";
}

std::string ManPage(const TUsageProgram& program) {
    std::string page =
        ".TH " + roff(upper(program.name)) + " 1 \"\" \"ZARN " ZARN_VERSION "\" \"User Commands\"\n";
    page += ".SH NAME\n" + roff(program.name) + " \\- " + roff(program.summary) + "\n";
    page += ".SH SYNOPSIS\n";
    if (program.commands.empty()) {
        page += ".B " + roff(program.name) + "\n" + roff(program.synopsis) + "\n";
    } else {
        for (const TUsageCommand& command : program.commands)
            page +=
                ".br\n.B \"" + roff(program.name + " " + command.name) + "\"\n" +
                roff(commandLine(program, command).substr(program.name.size() + command.name.size() + 2)) +
                "\n";
        page += ".br\n.B " + roff(program.name) + "\n" + roff("--help | --version") + "\n";
    }
    page += ".SH DESCRIPTION\n" + manParagraphs(program.description);
    if (!program.commands.empty()) {
        page += ".SH COMMANDS\n";
        for (const TUsageCommand& command : program.commands) {
            page += ".SS \"" + roff(command.name + (command.operands.empty() ? "" : " " + command.operands)) +
                    "\"\n";
            page += manParagraphs(command.description) + manOptions(command.options) +
                    manParagraphs(command.notes);
        }
        page += ".SS \"help [COMMAND]\"\n" + manParagraphs({commandHelpNote(program)});
    }
    if (!program.options.empty())
        page += ".SH OPTIONS\n" + manOptions(program.options);
    if (!program.notes.empty())
        page += ".SH NOTES\n" + manParagraphs(program.notes);
    if (!program.exitStatus.empty())
        page += ".SH \"EXIT STATUS\"\n" + manTerms(program.exitStatus, true);
    if (!program.environment.empty())
        page += ".SH ENVIRONMENT\n" + manTerms(program.environment, true);
    if (!program.files.empty())
        page += ".SH FILES\n" + manTerms(program.files, false);
    if (!program.examples.empty()) {
        page += ".SH EXAMPLES\n";
        for (const auto& [line, text] : program.examples)
            page += ".PP\n" + roff(text) + "\n.PP\n.RS\n.EX\n" + roff(line) + "\n.EE\n.RE\n";
    }
    if (!program.seeAlso.empty()) {
        std::string list;
        for (const std::string& name : program.seeAlso)
            list += (list.empty() ? ".BR " : ",\n.BR ") + roff(name.substr(0, name.find('('))) + " " +
                    name.substr(name.find('('));
        page += ".SH \"SEE ALSO\"\n" + list + "\n";
    }
    return page;
}

std::string BashCompletion(const TUsageProgram& program) {
    std::string function = "_";
    for (char c : program.name)
        function += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    std::string commands;
    for (const TUsageCommand& command : program.commands)
        commands += (commands.empty() ? "" : " ") + command.name;

    std::string script = "# bash completion for " + program.name + ", made from its command description\n";
    script += function + "()\n{\n    local cur prev words cword\n    _init_completion || return\n\n";
    script += "    local commands=" + quoted(commands) + "\n";
    script += "    if ((cword == 1)); then\n"
              "        if [[ $cur == -* ]]; then\n"
              "            COMPREPLY=($(compgen -W " +
              quoted(optionNames(program.options)) +
              " -- \"$cur\"))\n"
              "        else\n"
              "            COMPREPLY=($(compgen -W \"$commands help\" -- \"$cur\"))\n"
              "        fi\n"
              "        return\n"
              "    fi\n\n"
              "    case ${words[1]} in\n"
              "    help)\n"
              "        ((cword == 2)) && COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\"))\n"
              "        ;;\n";
    for (const TUsageCommand& command : program.commands) {
        std::vector<TUsageOption> options = command.options;
        options.push_back({"help", "", ""});
        script += "    " + command.name + ")\n        case $prev in\n";
        for (const TUsageOption& option : options)
            if (!option.value.empty())
                script += "        --" + option.name + ") " + completionCall(option.completion) + " ;;\n";
        script += "        *)\n"
                  "            if [[ $cur == -* ]]; then\n"
                  "                COMPREPLY=($(compgen -W " +
                  quoted(optionNames(options)) +
                  " -- \"$cur\"))\n"
                  "            else\n"
                  "                " +
                  completionCall(command.completion) +
                  "\n"
                  "            fi\n"
                  "            ;;\n"
                  "        esac\n"
                  "        ;;\n";
    }
    script += "    esac\n} &&\n    complete -F " + function + " " + program.name + "\n";
    return script;
}

} // namespace zarn::usage
