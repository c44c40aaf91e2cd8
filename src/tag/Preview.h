#pragma once
// Taking the applet block out of the editor: the text for display and for the clipboard, the preview
// in a temporary page opened by the applet viewer or the browser, and the help pages.

#include "profile/TextConv.h"
#include "tag/CodeBaseCheck.h"

#include <optional>
#include <string>

namespace zarn {

class TJavaAppletTag;
class Prompt;
class PlatformActions;
struct TAppSettings;

// Every line end (CR, LF or CR LF) becomes CR LF, as other programs expect.
std::string ToCRLF(const std::string& text);

// "&Show HTML Code": the block with "file:" code base against the web root, bare CR line ends.
std::string ShowHTMLCode(TJavaAppletTag& tag);
// "&Generate actual code": the block as pasted into a page (code base compared with letter case),
// with CR LF line ends.
std::string GenerateActualCode(TJavaAppletTag& tag);
// The rest of "&Generate actual code": puts the code on the clipboard, runs the code base check and
// confirms. Without a clipboard the user is told so instead of the confirmation. Returns the check's
// result; the code is on the clipboard whatever it is.
bool CopyActualCode(TJavaAppletTag& tag, Prompt& prompt, PlatformActions& actions,
                    TValueChanges* changes = nullptr);

// Temporary files to delete when the program ends (the preview pages).
class TTempFiles {
public:
    TTempFiles() = default;
    TTempFiles(const TTempFiles&) = delete;
    TTempFiles& operator=(const TTempFiles&) = delete;
    ~TTempFiles() { CleanUp(); }

    void Add(std::string path) { files_.push_back(std::move(path)); }
    const TStrings& Files() const { return files_; }
    // Deletes the listed files, the most recent first; files already gone are passed over silently.
    // Returns the files deleted, in that order.
    TStrings CleanUp() noexcept;
    // Gives the files up without deleting them (pages the user is told about and keeps).
    void Release() noexcept { files_.clear(); }

private:
    TStrings files_;
};

// The folder for temporary files: $TMPDIR when set, else the system's.
std::string TempDirectory();

// The preview page's path as handed to the applet viewer, in the form of `pathnamesKind`:
// 1 Netscape URL, 2 "file:" form, otherwise the platform's own path (DOS form for drive and UNC paths).
std::string PreviewPathForViewer(const std::string& page, int pathnamesKind);
// A file path as a URL a browser opens: "file://" and the path with "/" separators, bytes outside
// the unreserved set percent-encoded.
std::string BrowserFileURL(const std::string& path);
// Splits a command line at blanks; double or single quotes group a part and are removed.
TStrings SplitCommandLine(const std::string& commandLine);

// The URLs under which a browser preview is served over HTTP.
struct TServedPreview {
    std::string pageURL;     // the page itself
    std::string webRootURL;  // the web root, the page's BASE
    std::string codeBaseURL; // the code base, used when it lies outside the web root
    std::string refused;     // why a folder is not served, for the user; empty when both are
};

// Serves browser previews over HTTP, which the in-browser Java runtimes need (they cannot run a page
// opened from "file:").
class PreviewHost {
public:
    virtual ~PreviewHost() = default;
    // Makes the page and the two folders (with trailing separators; either may be empty) reachable,
    // replacing the preview served before. Nothing when it cannot: the page then opens from its file.
    virtual std::optional<TServedPreview> Serve(const std::string& page, const std::string& webRoot,
                                                const std::string& codeBase) = 0;
};

// The in-browser Java runtime that the option adds to browser previews.
extern const char* const CheerpJLoaderURL;
// The script that starts it, the page's only inline script.
extern const char* const CheerpJInitScript;

struct TPreviewResult {
    std::string page;    // the temporary page (listed in the temporary files)
    std::string command; // the viewer's command line, or the target handed to the browser
    bool started = false;
    std::string servedPage; // the page's URL when a host serves it
    bool trusted = false;   // the document trusts its applet: the ZARN applet viewer runs it unsandboxed
};

// The two halves of RunPreview: the page alone, in the temporary files (the command-line tool shows
// it without a viewer), and handing a written page to the viewer or the browser.
TPreviewResult WritePreviewPage(TJavaAppletTag& tag, const std::string& documentPath,
                                const TAppSettings& settings, Prompt& prompt, TTempFiles& tempFiles,
                                const std::string& tempDirectory = {}, PreviewHost* host = nullptr);
void LaunchPreview(TPreviewResult& result, const TAppSettings& settings, Prompt& prompt,
                   PlatformActions& actions);

// "&Run preview". Writes the block into a new temporary page in `tempDirectory` (TempDirectory()
// when empty) and opens it with the applet viewer or the default browser. WebRoot and CodeBase are
// left with a trailing separator, also when an error travels on; the current folder is kept.
// `documentPath` stands in for an empty web root and for a code base without the class file. A
// relative code base lies below the web root, as the page's BASE makes it. With a `host`, the
// browser gets the page over HTTP, and with the setting UseCheerpJ the page (never the document)
// also loads the in-browser Java runtime.
TPreviewResult RunPreview(TJavaAppletTag& tag, const std::string& documentPath, const TAppSettings& settings,
                          Prompt& prompt, PlatformActions& actions, TTempFiles& tempFiles,
                          const std::string& tempDirectory = {}, PreviewHost* host = nullptr);

// Opens a page of the program's "Docs" folder in the browser; "page.html#anchor" opens at the anchor.
// Names leading out of that folder, or naming anything but a page, are not opened. Failures are told
// as "Could not open ...". Returns whether the page was handed on.
bool OpenHelpPage(const std::string& programDirectory, const std::string& name, Prompt& prompt,
                  PlatformActions& actions);

} // namespace zarn
