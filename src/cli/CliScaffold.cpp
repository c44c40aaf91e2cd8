#include "cli/CliScaffold.h"

#include "tag/Scaffold.h"

namespace zarn::cli {

usage::TUsageCommand ScaffoldUsage() {
    using usage::TCompletion;
    return {
        "scaffold",
        "ARCHIVE_OR_FOLDER OUT.zrt",
        "write a template from an applet's class files",
        {"Writes a template for an applet from its class files, read from a jar or a folder (with its "
         "packages as subfolders). The classes are read as data: nothing is loaded or run. An applet class "
         "is one whose superclasses, within the archive, reach java.applet.Applet or javax.swing.JApplet. "
         "Its parameters come from getParameterInfo, else from the names its code passes to getParameter "
         "(also through its own helper methods, its superclasses and the other classes of the archive); "
         "their kinds are guessed from the type texts of getParameterInfo. Edit captions and pages in the "
         "editor afterwards."},
        {{"class", "NAME",
          "the applet class (with its package) when there are several; without it they are listed, one per "
          "line with the number of parameters found"},
         {"force", "", "replace an existing OUT.zrt"}},
        {"Class files that cannot be read are named on stderr; the others are still used. Archives need a "
         "build of ZARN that reads zip files (not the Windows build: give the folder there)."},
        {TCompletion::Files, "jar|zip|zrt"}};
}

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
