#include "cli/CliImport.h"

#include "cli/CliDocument.h"
#include "cli/CliTemplates.h"
#include "tag/Document.h"
#include "tag/PageImport.h"

#include <filesystem>
#include <system_error>

namespace zarn::cli {

namespace fs = std::filesystem;

usage::TUsageCommand ImportUsage() {
    using usage::TCompletion;
    return {
        "import",
        "PAGE DOCUMENT",
        "make a document from an applet block of an existing page",
        {"Makes DOCUMENT from an applet block of the page PAGE (.html). The template is the one whose "
         "\"Code\" is the block's CODE (with or without \".class\") in the program's Templates folder, or "
         "T: a template file, or a path relative to the Templates folder. The block's size, spacing, "
         "alignment, code base and alternate text are taken, and every PARAM whose NAME is a parameter's "
         "name (letter case ignored) gives that parameter its value. The web root is the page's folder, so "
         "file names stay relative to the page."},
        {{"block", "N",
          "the N-th applet block of the page (from 1); needed when it holds several, which are then listed"},
         {"template",
          "T",
          "the template to use; needed when several templates have the block's CODE",
          {TCompletion::Files, "zrt"}},
         {"force", "", "replace an existing DOCUMENT (never the page itself)"}},
        {"PARAMs no parameter takes, values a parameter refuses and values the block will write in another "
         "form are listed, one per line."},
        {TCompletion::Files, "html|htm|zrd"}};
}

namespace {

std::string templatePathFor(const std::string& given) {
    std::error_code ec;
    if (fs::is_regular_file(given, ec))
        return given;
    if (const auto root = FindTemplatesFolder()) {
        const fs::path inTree = fs::path(*root) / given;
        if (fs::is_regular_file(inTree, ec))
            return inTree.string();
    }
    throw ECliError(given + ": no such template");
}

std::string chooseTemplate(const TParsedArgs& args, const TPageApplet& applet, std::ostream& out) {
    if (const auto given = args.Value("template"))
        return templatePathFor(*given);
    const auto root = FindTemplatesFolder();
    if (!root)
        throw ECliError("no Templates folder found: give the template with --template");
    const TStrings matches = TemplatesForCode(*root, applet.code);
    if (matches.empty())
        throw ECliError("no template has the CODE " + FileTextShown(applet.code) + " (looked in " + *root +
                        "; give one with --template)");
    if (matches.size() > 1) {
        for (const std::string& match : matches)
            out << EscapeControls(fs::path(match).lexically_relative(*root).generic_string()) << "\n";
        throw ECliError(std::to_string(matches.size()) + " templates have the CODE " +
                        FileTextShown(applet.code) + ": choose one with --template");
    }
    return matches.front();
}

} // namespace

int RunImport(const TParsedArgs& args, std::ostream& out, std::ostream& err) {
    if (args.operands.size() != 2)
        throw ECliUsage(args.operands.size() < 2 ? "missing arguments"
                                                 : "too many arguments ('" + args.operands[2] + "')");
    const std::string& page = args.operands[0];
    const std::string& document = args.operands[1];
    const bool replace = args.Has("force");
    std::error_code ec;
    if (!replace && fs::exists(fs::symlink_status(document, ec)))
        throw ECliError(document + ": exists already (--force replaces it)");
    // Links followed: the page would be replaced by the document made from it.
    if (fs::equivalent(page, document, ec))
        throw ECliError(document + ": is the page itself");

    std::vector<TPageApplet> applets;
    try {
        applets = ReadPageFile(page);
    } catch (const EZarnError& error) {
        throw ECliError(MessageLine(error.Message()));
    }
    if (applets.empty())
        throw ECliError(page + ": holds no applet block");
    std::size_t index = 0;
    if (const auto block = args.Value("block")) {
        const auto number = TryStrToInt(*block);
        if (!number || *number < 1 || std::size_t(*number) > applets.size())
            throw ECliUsage("--block takes 1 to " + std::to_string(applets.size()) + ", not '" + *block +
                            "'");
        index = std::size_t(*number - 1);
    } else if (applets.size() > 1) {
        for (std::size_t i = 0; i < applets.size(); ++i)
            out << i + 1 << ": " << FileTextShown(DescribeApplet(applets[i])) << "  (line " << applets[i].line
                << ")\n";
        throw ECliError(page + ": holds " + std::to_string(applets.size()) +
                        " applet blocks: choose one with --block N");
    }
    const TPageApplet& applet = applets[index];
    const std::string templatePath = chooseTemplate(args, applet, out);

    TDocument& doc = CommandDocument();
    LoadDocument(doc, templatePath);
    const std::vector<TImportNote> notes = ImportApplet(*doc.AppletTag, applet, page);
    CreateDocument(doc, document, replace);
    for (const std::string& line : NoteLines(notes))
        err << "zarn-cli: " << FileTextShown(line) << "\n";
    return ExitOk;
}

} // namespace zarn::cli
