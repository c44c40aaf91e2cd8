#include "cli/CliScaffold.h"

#include "tag/Scaffold.h"

namespace zarn::cli {

const char* const ScaffoldHelp =
    "Usage: zarn-cli scaffold ARCHIVE_OR_FOLDER [--class NAME] [--force] OUT.zrt\n"
    "\n"
    "Writes a template for an applet from its class files, read from a jar or a folder (with its\n"
    "packages as subfolders). The classes are read as data: nothing is loaded or run. An applet\n"
    "class is one whose superclasses, within the archive, reach java.applet.Applet or\n"
    "javax.swing.JApplet. Its parameters come from getParameterInfo, else from the names its code\n"
    "passes to getParameter (also through its own helper methods, its superclasses and the other\n"
    "classes of the archive); their kinds are guessed from the type texts of getParameterInfo.\n"
    "Edit captions and pages in the editor afterwards.\n"
    "\n"
    "  --class NAME  the applet class (with its package) when there are several; without it they\n"
    "                are listed, one per line with the number of parameters found\n"
    "  --force       replace an existing OUT.zrt\n"
    "\n"
    "Class files that cannot be read are named on stderr; the others are still used. Archives\n"
    "need a build of ZARN that reads zip files (not the Windows build: give the folder there).\n";

int RunScaffold(const TParsedArgs& args, std::ostream& out, std::ostream& err) {
    if (args.operands.size() != 2)
        throw ECliUsage(args.operands.size() < 2 ? "needs an archive or folder and the template to write"
                                                 : "too many arguments");
    const TAppletSource source = ReadAppletSource(args.operands[0]);
    for (const std::string& problem : source.problems)
        err << "zarn-cli: warning: " << MessageLine(problem) << '\n';
    const std::string className = args.Value("class").value_or("");
    if (className.empty() && source.applets.size() > 1) {
        for (const TFoundApplet& applet : source.applets)
            out << applet.name << ' ' << applet.params.size() << '\n';
        throw ECliError(std::to_string(source.applets.size()) +
                        " applet classes found: choose one with --class");
    }
    const TFoundApplet& applet = ChooseApplet(source, className);
    try {
        WriteTemplate(source, applet, args.operands[1], args.Has("force"));
    } catch (const EZarnError& error) {
        if (error.Message() == args.operands[1] + " already exists")
            throw ECliError(MessageLine(error.Message()) + " (--force replaces it)");
        throw;
    }
    out << args.operands[1] << ": " << applet.name << ", " << applet.params.size()
        << (applet.params.size() == 1 ? " parameter\n" : " parameters\n");
    return ExitOk;
}

} // namespace zarn::cli
