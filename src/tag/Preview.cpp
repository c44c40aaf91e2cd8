#include "tag/Preview.h"

#include "paths/PathForms.h"
#include "platform/ExclusiveFile.h"
#include "platform/JavaRuntime.h"
#include "platform/PlatformActions.h"
#include "profile/Errors.h"
#include "tag/AppSettings.h"
#include "tag/AppletTag.h"
#include "tag/ClassLookup.h"
#include "tag/CodeBaseCheck.h"
#include "tag/Prompt.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

namespace zarn {

namespace {

namespace fs = std::filesystem;

// Puts the current folder back on every exit.
class TCurrentDirectoryKeeper {
public:
    TCurrentDirectoryKeeper() {
        std::error_code ec;
        fs::path current = fs::current_path(ec);
        if (!ec)
            kept_ = std::move(current);
    }
    ~TCurrentDirectoryKeeper() {
        std::error_code ec;
        if (kept_)
            fs::current_path(*kept_, ec);
    }
    TCurrentDirectoryKeeper(const TCurrentDirectoryKeeper&) = delete;
    TCurrentDirectoryKeeper& operator=(const TCurrentDirectoryKeeper&) = delete;

private:
    std::optional<fs::path> kept_;
};

// Gives the document back its web root and code base on every exit, an error's too.
class TBasicPathsKeeper {
public:
    TBasicPathsKeeper(TAppletBasicParams& basic, std::string webRoot, std::string codeBase)
        : basic_(basic), webRoot_(std::move(webRoot)), codeBase_(std::move(codeBase)) {}
    ~TBasicPathsKeeper() {
        basic_.WebRoot = webRoot_;
        basic_.CodeBase = codeBase_;
    }
    TBasicPathsKeeper(const TBasicPathsKeeper&) = delete;
    TBasicPathsKeeper& operator=(const TBasicPathsKeeper&) = delete;

private:
    TAppletBasicParams& basic_;
    std::string webRoot_;
    std::string codeBase_;
};

// Creates a new page of our own in the folder: exclusive, so nothing planted there (a link, a
// file) is followed or replaced, and readable by the user alone.
std::string CreatePreviewPage(const std::string& folder, TExclusiveFile& file) {
    if (const std::error_code error = file.Create(WithTrailingBackslash(folder) + "ZAR", ".html"))
        throw EZarnError("Cannot create the preview page in " + folder + " (" + error.message() + ")");
    return file.Path();
}

void WriteAll(TExclusiveFile& file, const std::string& page, const std::string& content) {
    if (const std::error_code error = file.WriteAndClose(content))
        throw EZarnError("Cannot write the preview page " + page + " (" + error.message() + ")");
}

bool KeptInURL(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return std::strchr("-._~/:@!$&'()*+,;=", c) != nullptr && c != '\0';
}

std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string result;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (KeptInURL(u)) {
            result += c;
        } else {
            result += '%';
            result += kHex[u >> 4];
            result += kHex[u & 0x0F];
        }
    }
    return result;
}

// Help pages are opened by the user's default program for their type: only pages and pictures,
// never anything that default program would run.
bool IsHelpPageName(const std::string& name) {
    static constexpr std::array<std::string_view, 10> extensions = {
        ".htm", ".html", ".xhtml", ".shtml", ".txt", ".pdf", ".png", ".gif", ".jpg", ".jpeg"};
    const std::string lower = LowerCase(name);
    for (std::string_view extension : extensions)
        if (lower.size() > extension.size() && lower.ends_with(extension))
            return true;
    return false;
}

std::string CouldNotOpen(const std::string& path) {
    return "Could not open " + path +
           ". Please check that you have a properly configured default Web browser.";
}

// Whether `folder` lies in `root` (both with trailing separators), as written.
bool InsideFolder(const std::string& root, const std::string& folder) {
    if (root.empty())
        return false;
    const std::string relative = RelativeCodeBase(root, folder);
    return IsRelativePath(relative) && !relative.starts_with("..");
}

} // namespace

const char* const CheerpJLoaderURL = "https://cjrtnc.leaningtech.com/3.0/cj3loader.js";
const char* const CheerpJInitScript = "cheerpjInit();";

std::string ToCRLF(const std::string& text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    std::size_t run = 0; // start of the text not yet copied: lines go over whole
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            result.append(text, run, i - run).append("\r\n");
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            run = i + 1;
        }
    }
    result.append(text, run, std::string::npos);
    return result;
}

std::string ShowHTMLCode(TJavaAppletTag& tag) {
    return tag.CompileToHTML(PurposeDisplay, tag.BasicParams.WebRoot);
}

std::string GenerateActualCode(TJavaAppletTag& tag) {
    return ToCRLF(tag.CompileToHTML(PurposeClipboard, tag.BasicParams.WebRoot));
}

bool CopyActualCode(TJavaAppletTag& tag, Prompt& prompt, PlatformActions& actions, TValueChanges* changes) {
    // The check may point values at copies in the code base: the clipboard gets the block after it.
    const bool checked = CheckFiles(tag, prompt, changes);
    const bool copied = actions.SetClipboardText(GenerateActualCode(tag));
    if (copied)
        prompt.Information("Generated HTML code is now in the clipboard.\r"
                           "You may now paste it into your favorite HTML editor.");
    else
        prompt.Warning("ZARN could not put the generated HTML code in the clipboard.");
    return checked;
}

TStrings TTempFiles::CleanUp() noexcept {
    TStrings deleted;
    while (!files_.empty()) {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(files_.back(), ec);
        if ((fs::is_regular_file(status) || fs::is_symlink(status)) && fs::remove(files_.back(), ec))
            deleted.push_back(std::move(files_.back()));
        files_.pop_back();
    }
    return deleted;
}

std::string TempDirectory() {
    std::error_code ec;
    fs::path folder = fs::temp_directory_path(ec);
    return ec ? std::string("/tmp") : folder.string();
}

std::string PreviewPathForViewer(const std::string& page, int pathnamesKind) {
    switch (pathnamesKind) {
    case 1:
        return ToNetscapeURL(page);
    case 2:
        return ToFileURL(page);
    default:
        return IsPosixPath(page) ? page : ToDosPath(page);
    }
}

std::string BrowserFileURL(const std::string& path) {
    if (IsPosixPath(path))
        return "file://" + PercentEncoded(path);
    std::string slashed = path;
    for (char& c : slashed)
        if (c == '\\')
            c = '/';
    if (slashed.size() >= 2 && slashed[1] == ':')
        return "file:///" + PercentEncoded(slashed);
    if (slashed.starts_with("//"))
        return "file:" + PercentEncoded(slashed);
    return PercentEncoded(slashed);
}

TStrings SplitCommandLine(const std::string& commandLine) {
    TStrings parts;
    std::string part;
    bool inPart = false;
    char quote = 0;
    for (char c : commandLine) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else
                part += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            inPart = true;
        } else if (c == ' ' || c == '\t') {
            if (inPart)
                parts.push_back(part);
            part.clear();
            inPart = false;
        } else {
            part += c;
            inPart = true;
        }
    }
    if (inPart)
        parts.push_back(part);
    return parts;
}

TPreviewResult WritePreviewPage(TJavaAppletTag& tag, const std::string& documentPath,
                                const TAppSettings& settings, Prompt& prompt, TTempFiles& tempFiles,
                                const std::string& tempDirectory, PreviewHost* host) {
    TPreviewResult result;
    result.trusted = tag.BasicParams.Trusted;

    TExclusiveFile pageFile;
    result.page = CreatePreviewPage(tempDirectory.empty() ? TempDirectory() : tempDirectory, pageFile);
    tempFiles.Add(result.page);

    TAppletBasicParams& basic = tag.BasicParams;
    std::string w = WithTrailingBackslash(basic.WebRoot);
    std::string c = WithTrailingBackslash(basic.CodeBase);
    TBasicPathsKeeper keeper(basic, w, c);
    // A document opened by a relative name (from the command line), a bare file name too, still gives
    // the page, which lies in another folder, an absolute base.
    std::string documentDirectory = ExtractFilePath(documentPath);
    if (documentDirectory.empty() || (documentDirectory.front() != '/' && documentDirectory.front() != '\\' &&
                                      documentDirectory.find(':') == std::string::npos)) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(documentDirectory.empty() ? "." : documentDirectory, ec);
        if (!ec)
            documentDirectory = WithTrailingBackslash(absolute.lexically_normal().string());
    }
    if (w.empty())
        w = documentDirectory;
    if (c.empty())
        c = w;
    // The page's BASE is the web root, so a relative code base ("classes/", as RelativeCodeBase
    // writes it) lies below the web root, not below whatever folder is current.
    else if (IsRelativePath(c) && !IsURL(basic.CodeBase))
        c = w + c;

    if (const TClassLookup inCodeBase = LookForClass(c, basic.Code, basic.Archive); inCodeBase.Missing()) {
        c = documentDirectory;
        if (const TClassLookup inDocumentFolder = LookForClass(c, basic.Code, basic.Archive);
            inDocumentFolder.Missing()) {
            std::string text =
                "Warning : ZARN cannot find the applet " +
                (inCodeBase.PlainFile(basic.Code) ? "file \"" + basic.Code + "\""
                                                  : "class \"" + inCodeBase.className.name + "\"") +
                ", which is required to preview the applet";
            if (!inCodeBase.PlainFile(basic.Code))
                text += ". Looked for " + inCodeBase.Where(true) +
                        (c == inCodeBase.folder ? std::string() : ", " + inDocumentFolder.Where(true));
            prompt.Warning(text);
        }
    }

    std::optional<TServedPreview> served;
    if (settings.UseWebAsAV && host)
        served = host->Serve(result.page, w, IsURL(c) ? std::string() : c);
    if (served && !served->refused.empty())
        prompt.Warning(served->refused);
    const bool cheerpJ = settings.UseWebAsAV && settings.UseCheerpJ;

    // The block is compiled against the web root, which BASE makes the page's base: web-root-relative
    // values (file parameters, the code base) then resolve as they will on the site.
    std::string content = "<HTML> <HEAD> <TITLE> Applet test </TITLE>\r\n";
    content += "<BASE HREF=\"" + (served ? served->webRootURL : PercentEncoded(ToFileURL(w))) + "\">\r\n";
    if (cheerpJ)
        content += std::string("<SCRIPT SRC=\"") + CheerpJLoaderURL + "\"></SCRIPT>\r\n";
    content += "</HEAD> <BODY>\r\n";
    basic.WebRoot = w;
    // A code base outside the web root is not below the served BASE: it gets its own URL.
    basic.CodeBase = served && !IsURL(c) && !InsideFolder(w, c) ? served->codeBaseURL : c;
    content += ToCRLF(tag.CompileToHTML(PurposeDisplay, w)) + "\r\n";
    // The runtime's applet support takes over the APPLET elements already on the page.
    if (cheerpJ)
        content += std::string("<SCRIPT>") + CheerpJInitScript + "</SCRIPT>\r\n";
    content += "</BODY></HTML>\r\n";
    WriteAll(pageFile, result.page, content);
    if (served)
        result.servedPage = served->pageURL;
    return result;
}

TPreviewResult RunPreview(TJavaAppletTag& tag, const std::string& documentPath, const TAppSettings& settings,
                          Prompt& prompt, PlatformActions& actions, TTempFiles& tempFiles,
                          const std::string& tempDirectory, PreviewHost* host) {
    TCurrentDirectoryKeeper currentDirectory;
    TPreviewResult result =
        WritePreviewPage(tag, documentPath, settings, prompt, tempFiles, tempDirectory, host);
    LaunchPreview(result, settings, prompt, actions);
    return result;
}

void LaunchPreview(TPreviewResult& result, const TAppSettings& settings, Prompt& prompt,
                   PlatformActions& actions) {

    if (settings.UseWebAsAV) {
        // The browser is given the page's file URL where paths have no drives.
        if (!result.servedPage.empty())
            result.command = result.servedPage;
        else
            result.command = IsPosixPath(result.page) ? BrowserFileURL(result.page) : ToDosPath(result.page);
        result.started = actions.OpenWithDefault(result.command);
        // Named, so the user can open the page by hand.
        if (!result.started)
            prompt.Message(CouldNotOpen(result.command));
        return;
    }

    if (UsesZarnViewer(settings)) {
        // Our own viewer takes the page as a plain path and never makes the editor wait: its end is
        // told in the window.
        const TZarnViewerLaunch launch = ZarnViewerLaunch();
        if (!launch.problem.empty()) {
            result.command = ZarnAppletViewer;
            prompt.Warning(launch.problem);
            return;
        }
        TStrings arguments = launch.arguments;
        if (result.trusted)
            arguments.push_back("--trusted");
        arguments.push_back(result.page);
        result.command = launch.java;
        for (const std::string& argument : arguments)
            result.command += " " + argument;
        result.started = actions.StartViewer(launch.java, arguments);
        if (!result.started)
            prompt.Warning("Can't launch " + result.command + " !");
        return;
    }

    const std::string pageArgument = PreviewPathForViewer(result.page, settings.PathnamesKind);
    result.command = settings.AppletViewer + " " + pageArgument;
    // A viewer path naming an existing file is the program, blanks and all; anything else is a
    // command line to which the page is added.
    TStrings parts;
    if (FileExists(settings.AppletViewer))
        parts.push_back(settings.AppletViewer);
    else
        parts = SplitCommandLine(settings.AppletViewer);
    if (!parts.empty()) {
        const std::string program = parts.front();
        parts.erase(parts.begin());
        parts.push_back(pageArgument);
        result.started = actions.StartProgram(program, parts, settings.WaitForAVToClose);
    }
    if (!result.started)
        prompt.Warning("Can't launch " + result.command + " !");
    return;
}

bool OpenHelpPage(const std::string& programDirectory, const std::string& name, Prompt& prompt,
                  PlatformActions& actions) {
    const size_t hash = name.find('#');
    std::string file = name.substr(0, hash);
    const std::string fragment = hash == std::string::npos ? "" : name.substr(hash + 1);

    const std::string folder = WithTrailingBackslash(programDirectory);
    const char separator = folder.empty() ? '/' : folder.back();
    if (separator == '/')
        for (char& ch : file)
            if (ch == '\\')
                ch = '/';
    const std::string path = folder + "Docs" + separator + file;

    if (!IsSafeSupportFileName(file) || !IsHelpPageName(file) || !FileExists(path)) {
        prompt.Message(CouldNotOpen(path));
        return false;
    }
    std::string url = BrowserFileURL(path);
    if (hash != std::string::npos)
        url += "#" + PercentEncoded(fragment);
    if (!actions.OpenWithDefault(url)) {
        prompt.Message(CouldNotOpen(path));
        return false;
    }
    return true;
}

} // namespace zarn
