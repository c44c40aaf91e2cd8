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

using TCommandFn = int (*)(const TParsedArgs&, std::ostream&, std::ostream&);

// A command is one entry: its description (help, manual page, completion) and what runs it.
struct TCommand {
    usage::TUsageCommand usage;
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
    using usage::TCompletion;
    const TCompletion zarnFiles{TCompletion::Files, "zrt|zrd"};
    const TCompletion folders{TCompletion::Folders, ""};
    static const std::vector<TCommand> list = {
        {{"html",
          "FILE",
          "print the applet block of a template or document",
          {"Prints the applet block of FILE (a template or a document). By default it is the text that "
           "\"Generate actual code\" puts on the clipboard: purpose 1, the code base made relative to the "
           "document's web root, CR LF line ends."},
          {{"purpose",
            "N",
            "0 DOS paths (code base compared without letter case), 1 the page's own form (compared with "
            "letter case), 2 \"file:\" URLs as the editor shows them",
            {TCompletion::Words, "0 1 2"}},
           {"base", "DIR", "make the code base relative to DIR instead of the web root", folders},
           {"lf", "", "LF line ends instead of CR LF"},
           {"raw", "", "print the exact Windows-1252 bytes instead of UTF-8"}},
          {"A plug-in parameter may write its data file into the web root, as in the editor."},
          zarnFiles},
         runHtml},
        {{"new",
          "TEMPLATE DOCUMENT",
          "make a document from a template",
          {"Makes DOCUMENT from TEMPLATE as \"Save As...\" does: the whole template file is copied, "
           "\"TemplateFile\" becomes 0, and the given values are written through each kind's conversion. "
           "The document appears only when everything succeeded; a refused value leaves no file. The "
           "editor's default web root and code base are not applied: give them here."},
          {{"set", "NAME=VALUE", "a value, as for 'zarn-cli set' (any number, in order)"},
           {"webroot", "DIR", "the web root", folders},
           {"codebase", "DIR", "the code base", folders},
           {"force", "", "replace an existing DOCUMENT"}},
          {"The code base is not checked here: run 'zarn-cli check DOCUMENT --copy --from DIR'."},
          zarnFiles},
         runNew},
        {{"get",
          "FILE [NAME...]",
          "print values as NAME=VALUE lines",
          {"Prints one NAME=VALUE line per NAME, in the order given and with NAME as given. Without names, "
           "every parameter in list order under its own name. NAME is a parameter's name (letter case "
           "ignored) or one of WIDTH, HEIGHT, HSPACE, VSPACE, ALIGN (0 to 7), CODE, ARCHIVE, CODEBASE, "
           "WEBROOT, "
           "TRUSTED (0 or 1); these "
           "come first, as in the block's $ macros. VALUE is the value as the parameter's kind gives it (a "
           "colour as #RRGGBB, a choice as its index, a switch as 0 or 1). Nothing is printed when a name is "
           "unknown."},
          {},
          {},
          zarnFiles},
         runGet},
        {{"set",
          "FILE NAME=VALUE...",
          "change values of a document and save it",
          {"Changes values of the document FILE and saves it; names as for 'zarn-cli get'. Whole numbers "
           "take "
           "decimal or $hex; ALIGN takes 0 to 7 or an alignment's name (Left, Right, Top, TextTop, Middle, "
           "Absolute Middle, Baseline, Absolute Bottom) or HTML word (ABSMIDDLE ...); each parameter "
           "converts "
           "its value as its kind does. A refused value leaves the file unchanged. Templates are refused: "
           "make a document with 'zarn-cli new' first."},
          {},
          {},
          {TCompletion::Files, "zrd"}},
         runSet},
        {{"check",
          "FILE",
          "list the support files and the class file missing from the code base",
          {"Lists, one per line, the support files named by the template that are missing from the code base "
           "(sorted, letter case ignored), then the class file when it is missing. Exit status 0 when "
           "nothing "
           "is missing, 3 when something is. A URL code base is not checked. An empty code base stands for "
           "the current folder."},
          {{"copy", "",
            "copy the missing support files into the code base first, creating it; the list then shows what "
            "is still missing. Names leading out of the template's folder are never copied."},
           {"from", "DIR",
            "the template's folder to copy from (default: FILE's own folder, right for a template, not for a "
            "document saved elsewhere)",
            folders}},
          {},
          zarnFiles},
         runCheck},
        {{"templates",
          "[DIR]",
          "show the template tree with each template's description",
          {"Shows the tree of folders and templates (.zrt) under DIR, sorted by name, each template with its "
           "path relative to DIR and its description (Comment, JavaAuthor, Copyright, Zarnifier). Folders "
           "without templates are left out; links to folders are not followed.",
           "Without DIR the program's own Templates folder is used, the first of: \"Templates\" beside the "
           "program, the installed data folder (share/zarn/Templates beside the program's folder), and for a "
           "program run from its build folder the source tree's."},
          {},
          {},
          folders},
         runTemplates},
#ifdef ZARN_PAGE_IMPORT
        {ImportUsage(), RunImport},
#endif
        {UpdatePageUsage(), RunUpdatePage},
        {{"preview",
          "FILE",
          "write the preview page and open it in the configured viewer",
          {"Writes the preview page of FILE (a template or a document) into the temporary folder as the "
           "editor's \"Run preview\" does, prints its path, and opens it as the editor's options say: in the "
           "ZARN applet viewer, in another applet viewer, or in the default browser. The page is left in "
           "place for you to delete. Warnings (a class file not found, a viewer that cannot start) go to "
           "stderr; a viewer that cannot be started gives exit status 1."},
          {{"no-launch", "", "only write the page and print its path"}},
          {},
          zarnFiles},
         runPreview},
        {ScaffoldUsage(), RunScaffold},
    };
    return list;
}
const TCommand* findCommand(const std::string& name) {
    for (const TCommand& command : commands())
        if (name == command.usage.name)
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

std::vector<TOptionSpec> optionSpecs(const std::vector<usage::TUsageOption>& options) {
    std::vector<TOptionSpec> specs;
    for (const usage::TUsageOption& option : options)
        specs.push_back({option.name, !option.value.empty()});
    return specs;
}

} // namespace

const usage::TUsageProgram& CliUsage() {
    static const usage::TUsageProgram program = [] {
        usage::TUsageProgram p;
        p.name = "zarn-cli";
        p.summary = "applet blocks, documents and templates of ZARN from the command line";
        p.description = {"Applet blocks, documents and templates of ZARN from the command line."};
        for (const TCommand& command : commands())
            p.commands.push_back(command.usage);
        p.options = usage::StandardOptions();
        p.exitStatus = {
            {"0", "success"}, {"1", "error (one line on stderr)"}, {"3", "'check' found missing files"}};
        p.notes = {"Template and document files hold Windows-1252 text; names and values on the command line "
                   "and the text printed are UTF-8."};
        p.environment = {
            {"XDG_CONFIG_HOME", "where the editor's settings file is read from (default ~/.config)"}};
        p.files = {
            {"/usr/share/zarn/Templates", "the templates that come with ZARN, used when no folder is given"},
            {"$XDG_CONFIG_HOME/Trelvix/ZARN/1.0.conf",
             "the editor's options; 'preview' reads which viewer to use from them"},
        };
        p.examples = {
            {"zarn-cli templates", "Lists the templates that come with ZARN."},
            {"zarn-cli new /usr/share/zarn/Templates/Text/Ticker.zrt ticker.zrd --set WIDTH=400 --webroot "
             "~/site",
             "Makes a document from the ticker template, 400 pixels wide."},
            {"zarn-cli html --lf ticker.zrd >> ~/site/index.html",
             "Adds the document's applet block to a page."},
            {"zarn-cli import page.html --block 2 applet.zrd",
             "Makes a document from the second applet block of a page."},
            {"zarn-cli check ticker.zrd --copy --from /usr/share/zarn/Templates/Text",
             "Copies the support files the document's code base lacks."},
        };
        p.seeAlso = {"zarn(1)"};
        return p;
    }();
    return program;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string commandName;
    try {
        RegisterStandardParamClasses();
        if (args.empty())
            throw ECliUsage("missing command");
        commandName = args[0];
        if (commandName == "--help" || commandName == "-h") {
            out << usage::HelpText(CliUsage());
            return ExitOk;
        }
        if (commandName == "--version") {
            out << usage::VersionText(CliUsage());
            return ExitOk;
        }
        if (commandName == "help") {
            if (args.size() < 2) {
                out << usage::HelpText(CliUsage());
                return ExitOk;
            }
            const TCommand* command = findCommand(args[1]);
            commandName.clear();
            if (!command)
                throw ECliUsage("unknown command '" + args[1] + "'");
            out << usage::CommandHelp(CliUsage(), command->usage);
            return ExitOk;
        }
        const TCommand* command = findCommand(commandName);
        if (!command) {
            const std::string shown = commandName;
            commandName.clear();
            throw ECliUsage("unknown command '" + shown + "'");
        }
        if (asksForHelp(args, 1)) {
            out << usage::CommandHelp(CliUsage(), command->usage);
            return ExitOk;
        }
        const TParsedArgs parsed =
            ParseArgs(TStrings(args.begin() + 1, args.end()), optionSpecs(command->usage.options));
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
