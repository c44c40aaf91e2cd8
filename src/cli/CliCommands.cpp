#include "cli/CliCommands.h"

#include "cli/CliArgs.h"
#include "cli/CliDocument.h"
#ifdef ZARN_PAGE_IMPORT
#include "cli/CliImport.h"
#endif
#include "cli/CliScaffold.h"
#include "cli/CliTemplates.h"
#include "cli/CliUpdate.h"
#include "model/KelmFile.h"
#include "paths/PathForms.h"
#include "platform/JavaRuntime.h"
#include "platform/ProcessActions.h"
#include "platform/SettingsStore.h"
#include "startup/CoreStartup.h"
#include "tag/AppSettings.h"
#include "tag/CodeBaseCheck.h"
#include "tag/Document.h"
#include "tag/Preview.h"
#include "tag/Prompt.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

namespace zarn::cli {

namespace {

namespace fs = std::filesystem;

const char* const MainHelp =
    "Usage: zarn-cli COMMAND [ARGUMENTS...]\n"
    "\n"
    "Applet blocks, documents and templates of ZARN from the command line.\n"
    "\n"
    "Commands:\n"
    "  html FILE        print the applet block of a template or document\n"
    "  new TEMPLATE DOCUMENT\n"
    "                   make a document from a template\n"
    "  get FILE [NAME...]\n"
    "                   print values as NAME=VALUE lines\n"
    "  set FILE NAME=VALUE...\n"
    "                   change values of a document and save it\n"
    "  check FILE       list the support files and the class file missing from the code base\n"
    "  templates [DIR]  show the template tree with each template's description\n"
    "  import PAGE DOCUMENT\n"
    "                   make a document from an applet block of an existing page\n"
    "  update-page DOCUMENT [PAGE] | DOCUMENT=PAGE...\n"
    "                   write documents' blocks back into their pages\n"
    "  preview FILE [--no-launch]\n"
    "                   write the preview page and open it in the configured viewer\n"
    "  scaffold ARCHIVE_OR_FOLDER [--class NAME] [--force] OUT.zrt\n"
    "                   write a template from an applet's class files\n"
    "\n"
    "'zarn-cli COMMAND --help' describes a command.\n"
    "\n"
    "Exit status: 0 success, 1 error (one line on stderr), 3 'check' found missing files.\n"
    "Template and document files hold Windows-1252 text; names and values on the command line\n"
    "and the text printed are UTF-8.\n";

const char* const HtmlHelp =
    "Usage: zarn-cli html FILE [--purpose 0|1|2] [--base DIR] [--lf] [--raw]\n"
    "\n"
    "Prints the applet block of FILE (a template or a document). By default it is the text that\n"
    "\"Generate actual code\" puts on the clipboard: purpose 1, the code base made relative to\n"
    "the document's web root, CR LF line ends.\n"
    "\n"
    "  --purpose N  0 DOS paths (code base compared without letter case), 1 the page's own\n"
    "               form (compared with letter case), 2 \"file:\" URLs as the editor shows them\n"
    "  --base DIR   make the code base relative to DIR instead of the web root\n"
    "  --lf         LF line ends instead of CR LF\n"
    "  --raw        print the exact Windows-1252 bytes instead of UTF-8\n"
    "\n"
    "A plug-in parameter may write its data file into the web root, as in the editor.\n";

const char* const NewHelp =
    "Usage: zarn-cli new TEMPLATE DOCUMENT [--set NAME=VALUE]... [--webroot DIR]\n"
    "                   [--codebase DIR] [--force]\n"
    "\n"
    "Makes DOCUMENT from TEMPLATE as \"Save As...\" does: the whole template file is copied,\n"
    "\"TemplateFile\" becomes 0, and the given values are written through each kind's conversion.\n"
    "The document appears only when everything succeeded; a refused value leaves no file.\n"
    "The editor's default web root and code base are not applied: give them here.\n"
    "\n"
    "  --set NAME=VALUE  a value, as for 'zarn-cli set' (any number, in order)\n"
    "  --webroot DIR     the web root\n"
    "  --codebase DIR    the code base\n"
    "  --force           replace an existing DOCUMENT\n"
    "\n"
    "The code base is not checked here: run 'zarn-cli check DOCUMENT --copy --from DIR'.\n";

const char* const GetHelp =
    "Usage: zarn-cli get FILE [NAME...]\n"
    "\n"
    "Prints one NAME=VALUE line per NAME, in the order given and with NAME as given. Without\n"
    "names, every parameter in list order under its own name. NAME is a parameter's name (letter\n"
    "case ignored) or one of WIDTH, HEIGHT, HSPACE, VSPACE, ALIGN (0 to 7), CODE, CODEBASE,\n"
    "WEBROOT; these come first, as in the block's $ macros. VALUE is the value as the parameter's\n"
    "kind gives it (a colour as #RRGGBB, a choice as its index, a switch as 0 or 1).\n"
    "Nothing is printed when a name is unknown.\n";

const char* const SetHelp =
    "Usage: zarn-cli set FILE NAME=VALUE...\n"
    "\n"
    "Changes values of the document FILE and saves it; names as for 'zarn-cli get'. Whole\n"
    "numbers take decimal or $hex; ALIGN takes 0 to 7 or an alignment's name (Left, Right, Top,\n"
    "TextTop, Middle, Absolute Middle, Baseline, Absolute Bottom) or HTML word (ABSMIDDLE ...);\n"
    "each parameter converts its value as its kind does. A refused value leaves the file\n"
    "unchanged. Templates are refused: make a document with 'zarn-cli new' first.\n";

const char* const CheckHelp =
    "Usage: zarn-cli check FILE [--copy] [--from DIR]\n"
    "\n"
    "Lists, one per line, the support files named by the template that are missing from the code\n"
    "base (sorted, letter case ignored), then the class file when it is missing. Exit status 0\n"
    "when nothing is missing, 3 when something is. A URL code base is not checked. An empty code\n"
    "base stands for the current folder.\n"
    "\n"
    "  --copy      copy the missing support files into the code base first, creating it; the\n"
    "              list then shows what is still missing. Names leading out of the template's\n"
    "              folder are never copied.\n"
    "  --from DIR  the template's folder to copy from (default: FILE's own folder, right for a\n"
    "              template, not for a document saved elsewhere)\n";

const char* const TemplatesHelp =
    "Usage: zarn-cli templates [DIR]\n"
    "\n"
    "Shows the tree of folders and templates (.zrt) under DIR, sorted by name, each template with\n"
    "its path relative to DIR and its description (Comment, JavaAuthor, Copyright, Zarnifier).\n"
    "Folders without templates are left out; links to folders are not followed.\n"
    "\n"
    "Without DIR the program's own Templates folder is used, the first of: \"Templates\" beside\n"
    "the program, the installed data folder (share/zarn/Templates beside the program's folder),\n"
    "and for a program run from its build folder the source tree's.\n";

const char* const PreviewHelp =
    "Usage: zarn-cli preview FILE [--no-launch]\n"
    "\n"
    "Writes the preview page of FILE (a template or a document) into the temporary folder as the\n"
    "editor's \"Run preview\" does, prints its path, and opens it as the editor's options say: in\n"
    "the ZARN applet viewer, in another applet viewer, or in the default browser. The page is left\n"
    "in place for you to delete. Warnings (a class file not found, a viewer that cannot start) go\n"
    "to stderr; a viewer that cannot be started gives exit status 1.\n"
    "\n"
    "  --no-launch  only write the page and print its path\n";

using TCommandFn = int (*)(const TParsedArgs&, std::ostream&, std::ostream&);

struct TCommand {
    const char* name;
    const char* help;
    std::vector<TOptionSpec> options;
    TCommandFn run;
};

void expectOperands(const TParsedArgs& args, std::size_t least, std::size_t most) {
    if (args.operands.size() < least)
        throw ECliUsage("missing arguments");
    if (args.operands.size() > most)
        throw ECliUsage("too many arguments ('" + args.operands[most] + "')");
}

// Line ends as requested; the block itself has bare carriage returns.
std::string withLineEnds(const std::string& text, bool lf) {
    std::string crlf = ToCRLF(text);
    if (!lf)
        return crlf;
    std::string result;
    result.reserve(crlf.size());
    for (char c : crlf)
        if (c != '\r')
            result += c;
    return result;
}

int runHtml(const TParsedArgs& args, std::ostream& out, std::ostream&) {
    expectOperands(args, 1, 1);
    int purpose = PurposeClipboard;
    if (const auto text = args.Value("purpose")) {
        if (*text != "0" && *text != "1" && *text != "2")
            throw ECliUsage("--purpose takes 0, 1 or 2, not '" + *text + "'");
        purpose = (*text)[0] - '0';
    }
    const auto base = args.Value("base");
    const std::string baseText = base ? ArgumentToFileText(*base) : std::string();

    const std::string& path = args.operands[0];
    TDocument& doc = CommandDocument();
    LoadDocument(doc, path);
    TJavaAppletTag& tag = *doc.AppletTag;
    // The parsed file is done with: the block is built in the memory it held.
    ClearProfileCache();
    std::string block;
    try {
        block = tag.CompileToHTML(purpose, base ? baseText : tag.BasicParams.WebRoot);
    } catch (const EZarnError& error) {
        throw ECliError(path + ": " + MessageLine(error.Message()));
    }
    block = withLineEnds(block, args.Has("lf"));
    out << (args.Has("raw") ? block : FileTextToOutput(block));
    return ExitOk;
}

struct TAssignment {
    std::string shownName; // as typed
    std::string name;      // file text
    std::string value;     // file text
};

TAssignment parseAssignment(const std::string& text) {
    const auto [name, value] = SplitAssignment(text);
    return {name, ArgumentToFileText(name), ArgumentToFileText(value)};
}

void applyAssignments(TDocument& doc, const std::vector<TAssignment>& assignments, const std::string& path) {
    for (const TAssignment& assignment : assignments) {
        const TValueTarget target = FindValueTarget(doc, assignment.name, assignment.shownName, path);
        SetTargetValue(doc, target, assignment.value, assignment.shownName);
    }
}

int runNew(const TParsedArgs& args, std::ostream&, std::ostream&) {
    expectOperands(args, 2, 2);
    // Every argument is converted before anything is read or written.
    std::vector<TAssignment> assignments;
    if (const auto webRoot = args.Value("webroot"))
        assignments.push_back({"WEBROOT", "WEBROOT", ArgumentToFileText(*webRoot)});
    if (const auto codeBase = args.Value("codebase"))
        assignments.push_back({"CODEBASE", "CODEBASE", ArgumentToFileText(*codeBase)});
    for (const std::string& text : args.Values("set"))
        assignments.push_back(parseAssignment(text));

    const std::string& templatePath = args.operands[0];
    const std::string& document = args.operands[1];
    const bool replace = args.Has("force");
    std::error_code ec;
    if (!replace && fs::exists(fs::symlink_status(document, ec)))
        throw ECliError(document + ": exists already (--force replaces it)");

    TDocument& doc = CommandDocument();
    LoadDocument(doc, templatePath);
    applyAssignments(doc, assignments, templatePath);
    CreateDocument(doc, document, replace);
    return ExitOk;
}

int runGet(const TParsedArgs& args, std::ostream& out, std::ostream&) {
    expectOperands(args, 1, SIZE_MAX);
    const std::string& path = args.operands[0];
    std::vector<std::string> names;
    for (std::size_t i = 1; i < args.operands.size(); ++i)
        names.push_back(ArgumentToFileText(args.operands[i]));

    TDocument& doc = CommandDocument();
    LoadDocument(doc, path);
    const TJavaAppletTag& tag = *doc.AppletTag;
    std::string text;
    if (names.empty()) {
        if (tag.ParamList)
            for (const auto& param : *tag.ParamList)
                if (!param->Name.empty())
                    text += FileTextToOutput(param->Name + "=" + param->GetValue()) + "\n";
    } else {
        // Every name is found before anything is printed.
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string& shown = args.operands[i + 1];
            const TValueTarget target = FindValueTarget(doc, names[i], shown, path);
            text += shown + "=" + FileTextToOutput(GetTargetValue(doc, target)) + "\n";
        }
    }
    out << text;
    return ExitOk;
}

int runSet(const TParsedArgs& args, std::ostream&, std::ostream&) {
    expectOperands(args, 2, SIZE_MAX);
    const std::string& path = args.operands[0];
    std::vector<TAssignment> assignments;
    for (std::size_t i = 1; i < args.operands.size(); ++i)
        assignments.push_back(parseAssignment(args.operands[i]));

    TDocument& doc = CommandDocument();
    LoadDocument(doc, path);
    // Saving writes "TemplateFile" 0: the template would silently become a document.
    if (doc.IsTemplate())
        throw ECliError(path + ": is a template; make a document from it with 'zarn-cli new'");
    applyAssignments(doc, assignments, path);
    try {
        doc.Save();
    } catch (const EZarnError& error) {
        throw ECliError(MessageLine(error.Message()));
    }
    return ExitOk;
}

// The missing support files; an empty "Copy" entry names the code base folder itself, which no
// copy can supply, so it is not reported.
TStrings missingSupportFiles(const TJavaAppletTag& tag) {
    TStrings missing;
    for (std::string& name : MissingSupportFiles(tag))
        if (!name.empty())
            missing.push_back(std::move(name));
    return missing;
}

int runCheck(const TParsedArgs& args, std::ostream& out, std::ostream& err) {
    expectOperands(args, 1, 1);
    const std::string& path = args.operands[0];
    const auto from = args.Value("from");
    if (from && !args.Has("copy"))
        throw ECliUsage("--from needs --copy");
    std::error_code ec;
    if (from && !fs::is_directory(*from, ec))
        throw ECliError(*from + ": is not a folder");

    TDocument& doc = CommandDocument();
    LoadDocument(doc, path);
    TJavaAppletTag& tag = *doc.AppletTag;
    TStrings missing = missingSupportFiles(tag);
    // The editor's check, without its questions: --copy answers Yes to both.
    if (args.Has("copy") && !missing.empty() && !IsURLCodeBase(tag)) {
        // The copy takes its files from the folder of the tag's file name.
        if (from)
            tag.FileName = (fs::path(*from) / ExtractFileName(tag.FileName)).string();
        const TCopyReport report = CopyIntoCodeBase(tag, missing, true);
        for (const std::string& name : report.refused)
            err << "zarn-cli: " << FileTextToOutput(name)
                << ": not copied, the name leads out of the template's folder\n";
        const std::string source = ExtractFilePath(tag.FileName);
        for (const std::string& name : report.failed)
            err << "zarn-cli: " << FileTextToOutput(name) << ": could not be copied from "
                << (source.empty() ? "the current folder" : source) << "\n";
        missing = missingSupportFiles(tag);
    }
    std::string text;
    for (const std::string& name : missing)
        text += FileTextToOutput(name) + "\n";
    // A code base given as a URL is not looked into.
    const bool urlCodeBase = IsURLCodeBase(tag);
    const TClassLookup lookup = urlCodeBase ? TClassLookup() : LookForAppletClass(tag);
    const bool classMissing = !urlCodeBase && lookup.Missing();
    // Templates often list the class file among the support files too: one line is enough.
    if (classMissing && std::find(missing.begin(), missing.end(), tag.BasicParams.Code) == missing.end())
        text += FileTextToOutput(tag.BasicParams.Code) + "\n";
    // The list stays one name a line for scripts; where a class was looked for goes to the user.
    if (classMissing && !lookup.PlainFile(tag.BasicParams.Code))
        err << "zarn-cli: the class " << FileTextToOutput(lookup.className.name) << " is missing; looked for "
            << FileTextToOutput(lookup.Where()) << "\n";
    out << text;
    return missing.empty() && !classMissing ? ExitOk : ExitMissingFiles;
}

int runTemplates(const TParsedArgs& args, std::ostream& out, std::ostream&) {
    expectOperands(args, 0, 1);
    std::string root;
    std::error_code ec;
    if (!args.operands.empty()) {
        root = args.operands[0];
        if (!fs::is_directory(root, ec))
            throw ECliError(root + ": is not a folder");
    } else if (const auto found = FindTemplatesFolder()) {
        root = *found;
    } else {
        std::string tried;
        for (const std::string& candidate : TemplateFolderCandidates())
            tried += (tried.empty() ? "" : ", ") + candidate;
        throw ECliError("no Templates folder found (looked in " + tried + ")");
    }
    PrintTemplateTree(ReadTemplateTree(root), out);
    return ExitOk;
}

// Questions cannot be answered here: notices go to stderr, questions are answered No.
class TErrorStreamPrompt : public Prompt {
public:
    explicit TErrorStreamPrompt(std::ostream& err) : err_(err) {}
    bool Confirm(const std::string& text) override { return Say(text), false; }
    bool ConfirmWarning(const std::string& text) override { return Say(text), false; }
    void Warning(const std::string& text) override { Say(text); }
    void Information(const std::string& text) override { Say(text); }
    void Message(const std::string& text) override { Say(text); }

private:
    void Say(const std::string& text) { err_ << "zarn-cli: " << MessageLine(text) << '\n'; }
    std::ostream& err_;
};

// The editor's options as stored, read only; a fresh install previews as the editor's would.
TAppSettings storedSettings(std::ostream& err) {
    TAppSettings settings;
    std::unique_ptr<SettingsStore> store = CreateUserSettingsStore();
    if (!store->Open())
        return settings;
    ReadSettings(settings, *store,
                 [&err](const std::string& message) { err << "zarn-cli: " << MessageLine(message) << '\n'; });
    ChooseZarnViewerWhenFresh(settings, *store, [] { return ZarnViewerLaunch().problem.empty(); });
    store->Close();
    return settings;
}

int runPreview(const TParsedArgs& args, std::ostream& out, std::ostream& err) {
    expectOperands(args, 1, 1);
    const std::string& path = args.operands[0];
    TDocument& doc = CommandDocument();
    LoadDocument(doc, path);
    TJavaAppletTag& tag = *doc.AppletTag;
    TErrorStreamPrompt prompt(err);
    TTempFiles pages;
    const TAppSettings settings = storedSettings(err);
    TPreviewResult result;
    try {
        result = WritePreviewPage(tag, path, settings, prompt, pages);
    } catch (const EZarnError& error) {
        throw ECliError(MessageLine(error.Message()));
    }
    // The page outlives the tool: the viewer reads it after we are gone.
    pages.Release();
    out << result.page << '\n' << std::flush;
    if (args.Has("no-launch"))
        return ExitOk;
    ProcessActions actions;
    LaunchPreview(result, settings, prompt, actions);
    return result.started ? ExitOk : ExitError;
}

const std::vector<TCommand>& commands() {
    static const std::vector<TCommand> list = {
        {"html", HtmlHelp, {{"purpose", true}, {"base", true}, {"lf", false}, {"raw", false}}, runHtml},
        {"new", NewHelp, {{"set", true}, {"webroot", true}, {"codebase", true}, {"force", false}}, runNew},
        {"get", GetHelp, {}, runGet},
        {"set", SetHelp, {}, runSet},
        {"check", CheckHelp, {{"copy", false}, {"from", true}}, runCheck},
        {"templates", TemplatesHelp, {}, runTemplates},
#ifdef ZARN_PAGE_IMPORT
        {"import", ImportHelp, {{"template", true}, {"block", true}, {"force", false}}, RunImport},
#endif
        {"update-page", UpdatePageHelp, {{"block", true}, {"no-backup", false}}, RunUpdatePage},
        {"preview", PreviewHelp, {{"no-launch", false}}, runPreview},
        {"scaffold", ScaffoldHelp, {{"class", true}, {"force", false}}, RunScaffold},
    };
    return list;
}

const TCommand* findCommand(const std::string& name) {
    for (const TCommand& command : commands())
        if (name == command.name)
            return &command;
    return nullptr;
}

// "--help" anywhere before "--" wins over every other problem of the line.
bool asksForHelp(const std::vector<std::string>& args, std::size_t from) {
    for (std::size_t i = from; i < args.size(); ++i) {
        if (args[i] == "--")
            return false;
        if (args[i] == "--help" || args[i] == "-h")
            return true;
    }
    return false;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string commandName;
    try {
        RegisterStandardParamClasses();
        if (args.empty())
            throw ECliUsage("missing command");
        commandName = args[0];
        if (commandName == "--help" || commandName == "-h") {
            out << MainHelp;
            return ExitOk;
        }
        if (commandName == "help") {
            if (args.size() < 2) {
                out << MainHelp;
                return ExitOk;
            }
            const TCommand* command = findCommand(args[1]);
            commandName.clear();
            if (!command)
                throw ECliUsage("unknown command '" + args[1] + "'");
            out << command->help;
            return ExitOk;
        }
        const TCommand* command = findCommand(commandName);
        if (!command) {
            const std::string shown = commandName;
            commandName.clear();
            throw ECliUsage("unknown command '" + shown + "'");
        }
        if (asksForHelp(args, 1)) {
            out << command->help;
            return ExitOk;
        }
        const TParsedArgs parsed = ParseArgs(TStrings(args.begin() + 1, args.end()), command->options);
        return command->run(parsed, out, err);
    } catch (const ECliUsage& error) {
        const std::string see = commandName.empty() || !findCommand(commandName)
                                    ? "zarn-cli --help"
                                    : "zarn-cli " + commandName + " --help";
        err << "zarn-cli: " << (commandName.empty() ? "" : commandName + ": ") << OneLine(error.Message())
            << " (see '" << see << "')\n";
    } catch (const ECliError& error) {
        err << "zarn-cli: " << OneLine(error.Message()) << '\n';
    } catch (const EZarnError& error) {
        err << "zarn-cli: " << MessageLine(error.Message()) << '\n';
    } catch (const std::exception& error) {
        err << "zarn-cli: " << MessageLine(error.what()) << '\n';
    }
    return ExitError;
}

} // namespace zarn::cli
