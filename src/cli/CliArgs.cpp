#include "cli/CliArgs.h"

#include "profile/Codepage.h"

namespace zarn::cli {

bool TParsedArgs::Has(std::string_view name) const {
    for (const auto& option : options)
        if (option.first == name)
            return true;
    return false;
}

std::optional<std::string> TParsedArgs::Value(std::string_view name) const {
    std::optional<std::string> value;
    for (const auto& option : options)
        if (option.first == name)
            value = option.second;
    return value;
}

TStrings TParsedArgs::Values(std::string_view name) const {
    TStrings values;
    for (const auto& option : options)
        if (option.first == name)
            values.push_back(option.second);
    return values;
}

TParsedArgs ParseArgs(const TStrings& args, const std::vector<TOptionSpec>& specs) {
    TParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h") {
            parsed.options.emplace_back("help", std::string());
            continue;
        }
        if (arg[1] != '-')
            throw ECliUsage("unknown option '" + arg + "'");

        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const TOptionSpec* option = nullptr;
        for (const TOptionSpec& candidate : specs)
            if (candidate.name == name)
                option = &candidate;
        if (!option && name != "help")
            throw ECliUsage("unknown option '--" + name + "'");

        const bool takesValue = option && option->takesValue;
        if (equals != std::string::npos) {
            if (!takesValue)
                throw ECliUsage("option '--" + name + "' takes no value");
            parsed.options.emplace_back(name, arg.substr(equals + 1));
        } else if (takesValue) {
            if (i + 1 >= args.size())
                throw ECliUsage("option '--" + name + "' needs a value");
            parsed.options.emplace_back(name, args[++i]);
        } else {
            parsed.options.emplace_back(name, std::string());
        }
    }
    return parsed;
}

std::pair<std::string, std::string> SplitAssignment(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw ECliUsage("'" + text + "' is not of the form NAME=VALUE");
    if (equals == 0)
        throw ECliUsage("'" + text + "' names no parameter");
    return {text.substr(0, equals), text.substr(equals + 1)};
}

std::string ArgumentToFileText(const std::string& text) {
    if (!IsValidUtf8(text))
        throw ECliUsage("'" + Win1252ToUtf8(text) + "' is not UTF-8 text");
    std::string converted = Utf8ToWin1252(text);
    // The converter puts "?" for what the code page lacks; a value must not change silently.
    if (Win1252ToUtf8(converted) != text)
        throw ECliUsage("'" + text +
                        "' holds characters that Windows-1252, the files' code page, cannot store");
    return converted;
}

std::string FileTextToOutput(const std::string& text) {
    return Win1252ToUtf8(text);
}

std::string EscapeControls(const std::string& utf8) {
    static const char digits[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '\n') {
            result += "\\n";
        } else if (c == '\r') {
            result += "\\r";
        } else if (c == '\t') {
            result += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            result += "\\x";
            result += digits[c >> 4];
            result += digits[c & 15];
        } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            const auto next = static_cast<unsigned char>(utf8[++i]);
            result += "\\u00";
            result += digits[next >> 4];
            result += digits[next & 15];
        } else {
            result += char(c);
        }
    }
    return result;
}

std::string FileTextShown(const std::string& text) {
    return EscapeControls(FileTextToOutput(text));
}

std::string MessageLine(const std::string& message) {
    return OneLine(IsValidUtf8(message) ? message : Win1252ToUtf8(message));
}

std::string OneLine(const std::string& line) {
    std::string result;
    result.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
                ++i;
            if (!result.empty() && result.back() != ' ')
                result += ' ';
        } else {
            result += c;
        }
    }
    while (!result.empty() && result.back() == ' ')
        result.pop_back();
    return result;
}

} // namespace zarn::cli
