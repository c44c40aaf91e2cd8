#include "cli/CliUpdate.h"

#include "cli/CliDocument.h"
#include "model/KelmFile.h"
#include "profile/Errors.h"
#include "tag/Document.h"
#include "tag/PageUpdate.h"

#include <filesystem>
#include <system_error>

namespace zarn::cli {

namespace fs = std::filesystem;

usage::TUsageCommand UpdatePageUsage() {
    using usage::TCompletion;
    return {
        "update-page",
        "DOCUMENT [PAGE] | DOCUMENT=PAGE...",
        "write documents' blocks back into their pages",
        {"Replaces an applet block of PAGE, from its <APPLET to its </APPLET>, with DOCUMENT's block as "
         "\"Generate actual code\" writes it (file names relative to the page's folder), in the page's line "
         "ends and encoding; every other byte of the page stays as it was. Without PAGE, the page the "
         "document was imported from. A document made by import replaces the block it came from, found "
         "by its old text when the page has changed around it; when it is no longer there the page is "
         "left untouched. The document then remembers the block as written."},
        {{"block", "N",
          "the N-th applet block of the page (from 1, as 'zarn-cli import' counts them); needed for a page "
          "with several blocks that the document was not imported from"},
         {"no-backup", "", "keep no copy of the old page (by default PAGE.bak beside it)"}},
        {"With several DOCUMENT=PAGE pairs every pair is tried; each one that fails gives one line on "
         "stderr and the exit status is 1."},
        {TCompletion::Files, "zrd|html|htm"}};
}

namespace {

struct TPair {
    std::string document;
    std::string page; // empty: the document's origin
};

// "DOC=PAGE", split at the first "=" after which the document exists (names may hold "=").
TPair splitPair(const std::string& text) {
    std::error_code ec;
    std::size_t first = std::string::npos;
    for (std::size_t at = text.find('='); at != std::string::npos; at = text.find('=', at + 1)) {
        if (first == std::string::npos)
            first = at;
        if (fs::is_regular_file(text.substr(0, at), ec))
            return {text.substr(0, at), text.substr(at + 1)};
    }
    if (first == std::string::npos || first == 0 || first + 1 == text.size())
        throw ECliUsage("'" + text + "' is not of the form DOCUMENT=PAGE");
    return {text.substr(0, first), text.substr(first + 1)};
}

std::vector<TPair> pairsOf(const TParsedArgs& args) {
    const TStrings& operands = args.operands;
    if (operands.empty())
        throw ECliUsage("missing arguments");
    std::error_code ec;
    // A first operand that names a file is the one-document form.
    if (fs::exists(operands[0], ec) || operands[0].find('=') == std::string::npos) {
        if (operands.size() > 2)
            throw ECliUsage("too many arguments ('" + operands[2] + "')");
        return {{operands[0], operands.size() > 1 ? operands[1] : std::string()}};
    }
    std::vector<TPair> pairs;
    for (const std::string& operand : operands)
        pairs.push_back(splitPair(operand));
    return pairs;
}

// One document into one page; returns the line for the user.
std::string updateOne(const TPair& pair, std::size_t block, bool backup) {
    TDocument& doc = CommandDocument();
    LoadDocument(doc, pair.document);
    TJavaAppletTag& tag = *doc.AppletTag;
    TPageUpdate request{pair.page.empty() ? tag.Origin.page : pair.page, block, backup};
    if (request.page.empty())
        throw ECliError(pair.document + ": was not imported from a page: name the page");
    TPageUpdateResult result;
    try {
        result = UpdatePage(tag, tag.Origin, request);
    } catch (const EZarnError& error) {
        throw ECliError(pair.document + ": " + MessageLine(error.Message()));
    }
    // The next update finds the block as it now stands; a template is never written.
    if (!doc.IsTemplate() && !result.origin.Empty()) {
        try {
            WritePageOrigin(*doc.DocFile, result.origin);
        } catch (const EZarnError& error) {
            throw ECliError(request.page + ": updated, but " + pair.document +
                            " could not remember it: " + MessageLine(error.Message()));
        }
    }
    return request.page + ": applet block " + std::to_string(result.block) + " replaced";
}

} // namespace

int RunUpdatePage(const TParsedArgs& args, std::ostream& out, std::ostream& err) {
    const std::vector<TPair> pairs = pairsOf(args);
    std::size_t block = 0;
    if (const auto text = args.Value("block")) {
        const auto number = TryStrToInt(*text);
        if (!number || *number < 1)
            throw ECliUsage("--block takes a block number from 1, not '" + *text + "'");
        block = std::size_t(*number);
    }
    const bool backup = !args.Has("no-backup");
    if (pairs.size() == 1) {
        out << updateOne(pairs[0], block, backup) << '\n';
        return ExitOk;
    }
    bool failed = false;
    for (const TPair& pair : pairs) {
        try {
            out << updateOne(pair, block, backup) << '\n';
        } catch (const ECliError& error) {
            err << "zarn-cli: " << OneLine(error.Message()) << '\n';
            failed = true;
        } catch (const EZarnError& error) {
            err << "zarn-cli: " << pair.document << ": " << MessageLine(error.Message()) << '\n';
            failed = true;
        }
    }
    return failed ? ExitError : ExitOk;
}

} // namespace zarn::cli
