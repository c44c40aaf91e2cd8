#include "usage/ZarnUsage.h"

namespace zarn::usage {

const TUsageProgram& ZarnUsage() {
    static const TUsageProgram program = [] {
        TUsageProgram p;
        p.name = "zarn";
        p.summary = "editor for the HTML blocks of Java applets";
        p.synopsis = "[--no-splash] [--quit-after-show] [FILE]";
        p.description = {
            "ZARN fills in an applet template (.zrt) and writes the APPLET block with its PARAM lines for a "
            "web page. Each parameter of the template has its own view; the block is copied to the "
            "clipboard, "
            "previewed in an applet viewer or a browser, and saved with its values as a document (.zrd).",
            "FILE, a template or a document, is opened at the start; without it the editor starts empty."};
        p.options = {
            {"no-splash", "", "start without the splash window"},
            {"quit-after-show", "",
             "close again as soon as the main window is shown, printing its title (for scripts checking an "
             "installation)"},
        };
        for (TUsageOption& option : StandardOptions())
            p.options.push_back(std::move(option));
        p.exitStatus = {{"0", "the editor was closed normally"}, {"1", "the editor could not start"}};
        p.environment = {{"XDG_CONFIG_HOME", "where the settings file is kept (default ~/.config)"}};
        p.files = {
            {"$XDG_CONFIG_HOME/Trelvix/ZARN/1.0.conf", "the editor's options"},
            {"/usr/share/zarn/Templates", "the templates and sample applets that come with ZARN"},
            {"/usr/share/zarn/Docs", "the help pages"},
        };
        p.examples = {{"zarn /usr/share/zarn/Templates/Text/Ticker.zrt", "Opens the ticker template."}};
        p.seeAlso = {"zarn-cli(1)"};
        return p;
    }();
    return program;
}

} // namespace zarn::usage
