#pragma once
// What the core asks of the platform: the clipboard, starting a program, opening a file or URL with
// the user's default program. The main window implements it with the toolkit, the command-line tool
// with ProcessActions, the tests with a recording double (tests/support).

#include "profile/TextConv.h"

#include <string>
#include <vector>

namespace zarn {

class PlatformActions {
public:
    virtual ~PlatformActions() = default;

    // Replaces the clipboard's content with plain text; false when there is no clipboard.
    virtual bool SetClipboardText(const std::string& text) = 0;
    // Starts `program` (searched on the PATH when it has no folder) with the arguments, each handed on
    // as one argument; with `wait`, returns only when it has ended. False when it could not be started.
    virtual bool StartProgram(const std::string& program, const TStrings& arguments, bool wait) = 0;
    // Opens a file or URL with the user's default program; false on failure.
    virtual bool OpenWithDefault(const std::string& target) = 0;
    // Starts the ZARN applet viewer, which runs beside ZARN; the window shows what it reports on
    // standard error and how it ended. Elsewhere it is a program like any other.
    virtual bool StartViewer(const std::string& program, const TStrings& arguments) {
        return StartProgram(program, arguments, false);
    }
};

} // namespace zarn
