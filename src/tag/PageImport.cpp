#include "tag/PageImport.h"

#include "model/FormatPattern.h"
#include "model/HtmlValue.h"
#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "model/ScalarParams.h"
#include "paths/PathForms.h"
#include "profile/Codepage.h"
#include "profile/Errors.h"
#include "profile/FileBytes.h"
#include "tag/AppletTag.h"
#include "tag/BasicAttributes.h"
#include "tag/ClassLookup.h"
#include "tag/MacroPass.h"
#include "tag/PageBytes.h"
#include "tag/PageUpdate.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>

namespace zarn {

namespace fs = std::filesystem;

namespace {

constexpr int ParseOptions =
    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;

bool isElement(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && node->name &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// The parser's UTF-8 as file text; false when a character has no Windows-1252 form (it became "?").
bool fileText(const xmlChar* utf8, std::string& out) {
    const std::string text = utf8 ? reinterpret_cast<const char*>(utf8) : "";
    out = Utf8ToWin1252(text);
    return Win1252ToUtf8(out) == text;
}

// Why a value cannot be taken as it is. A NUL of the page was read as U+FFFD, as browsers do.
std::string whyNotTaken(const xmlChar* utf8) {
    if (utf8 && std::strstr(reinterpret_cast<const char*>(utf8), "\xEF\xBF\xBD"))
        return "a NUL or an unreadable character, which a value cannot hold";
    return "characters that Windows-1252 cannot hold";
}

std::string attributeText(xmlChar* raw, bool& representable, std::string* why) {
    std::string value;
    if (raw) {
        representable = fileText(raw, value);
        if (!representable && why)
            *why = whyNotTaken(raw);
        xmlFree(raw);
    }
    return value;
}

std::string attribute(xmlNode* node, const char* name, bool& representable, std::string* why = nullptr) {
    return attributeText(xmlGetProp(node, reinterpret_cast<const xmlChar*>(name)), representable, why);
}

// HTML content: runs of blanks and line breaks are one blank, as the browser shows them.
std::string collapseBlanks(const std::string& text) {
    std::string result;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = true;
            continue;
        }
        if (blank && !result.empty())
            result += ' ';
        blank = false;
        result += c;
    }
    return result;
}

void collectParams(xmlNode* parent, TPageApplet& applet) {
    for (xmlNode* child = parent->children; child; child = child->next) {
        if (isElement(child, "applet"))
            continue; // a block of its own
        if (isElement(child, "param")) {
            TPageParam param;
            bool nameOk = true;
            bool valueOk = true;
            std::string why;
            param.name = attribute(child, "name", nameOk, &why);
            param.value = attribute(child, "value", valueOk, &why);
            param.representable = nameOk && valueOk;
            if (!param.representable)
                applet.problems.push_back("PARAM " + param.name + ": " + why);
            applet.params.push_back(std::move(param));
        } else if (child->type == XML_ELEMENT_NODE) {
            // Broken pages put PARAMs inside other markup of the block.
            collectParams(child, applet);
        }
    }
}

// PARAMs (and nested blocks) are values, not text for old browsers, wherever the markup put them.
void removeParams(xmlNode* node) {
    for (xmlNode* child = node->children; child;) {
        xmlNode* next = child->next;
        if (isElement(child, "param") || isElement(child, "applet")) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        } else {
            removeParams(child);
        }
        child = next;
    }
}

std::string alternateText(xmlDoc* doc, xmlNode* appletNode, TPageApplet& applet) {
    std::unique_ptr<xmlBuffer, void (*)(xmlBufferPtr)> buffer(xmlBufferCreate(), xmlBufferFree);
    for (xmlNode* child = appletNode->children; child; child = child->next) {
        if (isElement(child, "param") || isElement(child, "applet"))
            continue;
        xmlNode* copy = xmlDocCopyNode(child, doc, 1);
        if (!copy)
            continue;
        removeParams(copy);
        htmlNodeDump(buffer.get(), doc, copy);
        xmlFreeNode(copy);
    }
    std::string text;
    if (!fileText(xmlBufferContent(buffer.get()), text))
        applet.problems.push_back("alternate text: characters that Windows-1252 cannot hold");
    return collapseBlanks(text);
}

struct Known {
    const char* name;
    std::string TPageApplet::*field;
};
const Known known[] = {
    {"code", &TPageApplet::code},       {"codebase", &TPageApplet::codeBase},
    {"archive", &TPageApplet::archive}, {"width", &TPageApplet::width},
    {"height", &TPageApplet::height},   {"hspace", &TPageApplet::hspace},
    {"vspace", &TPageApplet::vspace},   {"align", &TPageApplet::align},
};

// The tag's value of an attribute kept by name; empty when the tag leaves it out.
const std::string& pageAttribute(const TPageApplet& applet, std::string_view name) {
    static const std::string none;
    for (const Known& entry : known)
        if (SameText(entry.name, name))
            return applet.*(entry.field);
    return none;
}

TPageApplet readApplet(xmlDoc* doc, xmlNode* node) {
    TPageApplet applet;
    applet.line = int(xmlGetLineNo(node));
    // One pass: a lookup by name would walk the list again for every attribute.
    for (xmlAttr* attr = node->properties; attr; attr = attr->next) {
        const char* name = reinterpret_cast<const char*>(attr->name);
        bool representable = true;
        std::string why;
        const std::string value =
            attributeText(xmlNodeGetContent(reinterpret_cast<xmlNode*>(attr)), representable, &why);
        if (std::strcmp(name, UnreadAttributesName) == 0) {
            applet.problems.push_back("the tag's other " + value + " attributes: too many to read");
            continue;
        }
        if (!representable)
            applet.problems.push_back(UpperCase(name) + ": " + why);
        const auto it = std::find_if(std::begin(known), std::end(known),
                                     [&](const Known& entry) { return std::strcmp(entry.name, name) == 0; });
        if (it != std::end(known))
            applet.*(it->field) = value;
        else
            applet.otherAttributes.push_back(UpperCase(name) + "=" + value);
    }
    collectParams(node, applet);
    applet.alternateText = alternateText(doc, node, applet);
    return applet;
}

void collectApplets(xmlDoc* doc, xmlNode* node, std::vector<TPageApplet>& applets, int depth) {
    // The parser bounds its own nesting; this bound keeps the walk's stack small whatever it allows.
    if (depth > 256)
        return;
    for (; node; node = node->next) {
        if (isElement(node, "applet"))
            applets.push_back(readApplet(doc, node));
        collectApplets(doc, node->children, applets, depth + 1);
    }
}

} // namespace

namespace {

void ignoreMessage(void*, const char*, ...) {}

// The parser's own messages stay off the terminal; an encoding it could not convert is recorded.
// Its handlers are per thread.
class QuietParser {
public:
    QuietParser()
        : generic_(xmlGenericError), genericContext_(xmlGenericErrorContext), structured_(xmlStructuredError),
          structuredContext_(xmlStructuredErrorContext) {
        xmlSetGenericErrorFunc(this, ignoreMessage);
        xmlSetStructuredErrorFunc(this, [](void* self, xmlErrorPtr error) {
            if (error && (error->domain == XML_FROM_I18N || error->code == XML_ERR_UNSUPPORTED_ENCODING ||
                          error->code == XML_ERR_INVALID_ENCODING || error->code == XML_I18N_CONV_FAILED))
                static_cast<QuietParser*>(self)->encodingFailed = true;
        });
    }
    ~QuietParser() {
        xmlSetGenericErrorFunc(genericContext_, generic_);
        xmlSetStructuredErrorFunc(structuredContext_, structured_);
    }
    QuietParser(const QuietParser&) = delete;
    QuietParser& operator=(const QuietParser&) = delete;
    bool encodingFailed = false;

private:
    xmlGenericErrorFunc generic_;
    void* genericContext_;
    xmlStructuredErrorFunc structured_;
    void* structuredContext_;
};

} // namespace

std::vector<TPageApplet> ReadPageApplets(std::string_view pageBytes) {
    if (pageBytes.size() > MaxPageSize)
        throw EZarnError("The page is larger than " + std::to_string(MaxPageSize >> 20) + " MiB");
    // Set up once before any parse, so imports from several threads never race to do it.
    static const bool parserReady = (xmlInitParser(), true);
    (void)parserReady;
    const TPreparedPage prepared = PreparePage(pageBytes);
    const std::string& bytes = prepared.bytes;
    if (bytes.size() > std::size_t(INT32_MAX))
        throw EZarnError("The page is too large to read");
    const char* data = bytes.empty() ? "" : bytes.data();
    const int size = int(bytes.size());
    QuietParser quiet;
    const char* fallback = IsValidUtf8(bytes) ? "UTF-8" : "windows-1252";
    DocPtr doc(htmlReadMemory(data, size, nullptr, prepared.utf16 ? "UTF-8" : nullptr, ParseOptions));
    std::string problem;
    if (doc && quiet.encodingFailed && !prepared.utf16) {
        problem = "the page's character set " + std::string(doc->encoding ? (const char*)doc->encoding : "") +
                  " cannot be read: the page was read as " + (fallback[0] == 'U' ? "UTF-8" : "Windows-1252");
        doc.reset(htmlReadMemory(data, size, nullptr, fallback, ParseOptions));
    } else if (doc && !doc->encoding && fallback[0] != 'U') {
        // Without a declaration the parser falls back to Latin-1, which old pages written as
        // Windows-1252 are not: their quotes and euro signs would be lost.
        doc.reset(htmlReadMemory(data, size, nullptr, fallback, ParseOptions));
    }
    std::vector<TPageApplet> applets;
    if (doc)
        collectApplets(doc.get(), xmlDocGetRootElement(doc.get()), applets, 0);
    if (!problem.empty())
        for (TPageApplet& applet : applets)
            applet.problems.insert(applet.problems.begin(), problem);
    // The parser gives no byte ranges; the scanner's blocks are the same ones when they count alike.
    // Offsets are into the page as stored, not as prepared for the parser.
    if (const TPageScan scan = ScanPage(pageBytes); scan.blocks.size() == applets.size())
        for (std::size_t i = 0; i < applets.size(); ++i)
            if (scan.blocks[i].closed) {
                applets[i].offset = scan.blocks[i].offset;
                applets[i].source =
                    std::string(pageBytes.substr(scan.blocks[i].offset, scan.blocks[i].length));
            }
    return applets;
}

std::vector<TPageApplet> ReadPageFile(const std::string& path) {
    return ReadPageApplets(ReadPageBytes(path));
}

std::string DescribeApplet(const TPageApplet& applet, std::size_t shownParams) {
    std::string text = (applet.code.empty() ? std::string("(no CODE)") : applet.code) + "  " +
                       (applet.width.empty() ? "?" : applet.width) + " x " +
                       (applet.height.empty() ? "?" : applet.height);
    for (std::size_t i = 0; i < applet.params.size() && i < shownParams; ++i)
        text += (i == 0 ? "  " : ", ") + applet.params[i].name + "=" + applet.params[i].value;
    if (applet.params.size() > shownParams)
        text += ", ...";
    return text;
}

namespace {

// "Ticker", "Ticker.class", "org.example.Viewer" and "org/example/Viewer.class" name classes alike.
std::string classNameOf(const std::string& code) {
    return AppletClassName(code).name;
}

} // namespace

TStrings TemplatesForCode(const std::string& root, const std::string& code) {
    TStrings found;
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it.depth() > 32) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc) || !SameText(it->path().extension().string(), ".zrt"))
            continue;
        TKelmFile file(it->path().string());
        try {
            const std::string templateCode = file.ReadString("Applet Basic Parameters", "Code", "");
            if (!templateCode.empty() && classNameOf(templateCode) == classNameOf(code))
                found.push_back(it->path().string());
        } catch (const EZarnError&) {
            // An unreadable template matches nothing.
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string EscapeForBlock(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == '$') {
            result += '\\';
            result += c;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += "\\n";
        } else {
            result += c;
        }
    }
    return result;
}

std::string EscapeValueForBlock(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        text += value[i];
        if (value[i] == '&' && i + 1 < value.size() &&
            (std::isalnum(static_cast<unsigned char>(value[i + 1])) || value[i + 1] == '#'))
            text += "amp;";
    }
    return EscapeForBlock(text);
}

std::string ParsedBlockValue(std::string_view written) {
    std::string text;
    text.reserve(written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        text += written[i];
        if (written.compare(i, 5, "&amp;") == 0 && i + 5 < written.size() &&
            (std::isalnum(static_cast<unsigned char>(written[i + 5])) || written[i + 5] == '#'))
            i += 4;
    }
    return text;
}

namespace {

// What the block will hold for a parameter's escaped HTML value.
std::string compiledText(const std::string& htmlValue) {
    // The pass never looks at the last character of a text: a sentinel keeps the value's own.
    std::string text = ExpandMacros(htmlValue + " ", TMacroTable());
    text.pop_back();
    return text;
}

// Line breaks are all one to a browser reading a value.
std::string oneLineEnd(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        result += text[i] == '\r' ? '\n' : text[i];
    }
    return result;
}

bool holdsControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

class Importer {
public:
    Importer(TJavaAppletTag& tag, const TPageApplet& applet, const std::string& pagePath)
        : tag_(tag), applet_(applet), used_(applet.params.size(), false), pagePath_(pagePath) {
        for (std::size_t i = 0; i < applet.params.size(); ++i)
            byName_[LowerCase(applet.params[i].name)].indices.push_back(i);
        std::error_code ec;
        fs::path page = fs::absolute(fs::path(pagePath), ec);
        if (ec)
            page = pagePath;
        folder_ = WithTrailingBackslash(page.parent_path().lexically_normal().string());
    }

    std::vector<TImportNote> Run() {
        basics();
        for (const std::string& problem : applet_.problems)
            note(TImportNote::Kind::Refused, problem, "", "not taken as it is");
        if (tag_.ParamList)
            for (const auto& param : *tag_.ParamList)
                if (!param->Name.empty())
                    fill(*param);
        for (std::size_t i = 0; i < applet_.params.size(); ++i)
            if (!used_[i] && applet_.params[i].representable)
                note(TImportNote::Kind::Unmatched, applet_.params[i].name, applet_.params[i].value,
                     "no parameter of this name");
        return std::move(notes_);
    }

private:
    void note(TImportNote::Kind kind, const std::string& name, const std::string& value,
              const std::string& text) {
        notes_.push_back({kind, name, value, text});
    }

    // A number or alignment the tag gives; one it leaves out is the template's, or HTML's own
    // default where the attribute has one.
    void number(const TBasicAttribute& row) {
        const std::string& text = pageAttribute(applet_, row.name);
        TAppletBasicParams& basic = tag_.BasicParams;
        if (row.pageDefault)
            SetBasicValueText(row, basic, row.pageDefault);
        if (text.empty())
            return;
        if (row.kind == TBasicKind::Align) {
            const auto* entry = std::find_if(std::begin(AlignmentTable), std::end(AlignmentTable),
                                             [&](const AlignmentEntry& e) { return SameText(e.html, text); });
            if (entry != std::end(AlignmentTable))
                row.put(basic, int64_t(entry - std::begin(AlignmentTable)));
            else
                note(TImportNote::Kind::Refused, row.name, text, "not an alignment; baseline is used");
        } else if (const auto value = TryStrToInt(text); value && *value >= 0 && IntToStr(*value) == text) {
            row.put(basic, int64_t(*value));
        } else {
            note(TImportNote::Kind::Refused, row.name, text,
                 "not a whole number of pixels; the template's " + BasicValueText(row, basic) + " is kept");
        }
    }

    void basics() {
        TAppletBasicParams& basic = tag_.BasicParams;
        if (classNameOf(applet_.code) != classNameOf(basic.Code) || applet_.code.empty())
            note(TImportNote::Kind::Refused, "CODE", applet_.code,
                 "the template's " + basic.Code + " is kept");
        else if (applet_.code != basic.Code)
            note(TImportNote::Kind::Changed, "CODE", applet_.code, "written as " + basic.Code);
        for (const TBasicAttribute& row : BasicAttributes())
            if (row.name && (row.kind == TBasicKind::Integer || row.kind == TBasicKind::Align))
                number(row);
        // File names in a page are relative to the page, and the block goes back into it.
        basic.WebRoot = folder_;
        const std::string& codeBase = applet_.codeBase;
        if (codeBase.empty()) {
            basic.CodeBase = folder_;
        } else if (holdsControl(codeBase)) {
            // A document keeps one line per value.
            basic.CodeBase = folder_;
            note(TImportNote::Kind::Refused, "CODEBASE", codeBase,
                 "a line break or control character cannot be kept; the page's folder is used");
        } else if (codeBase.size() >= 2 && codeBase[0] == '/' && codeBase[1] == '/') {
            basic.CodeBase = codeBase; // on another site: a URL, written as it stands
            note(TImportNote::Kind::Kept, "CODEBASE", codeBase, "a URL on another site, kept as written");
        } else if (codeBase[0] == '/') {
            // From the site's root, which the page does not name: taken as a folder of this
            // computer it would lead out of the web root.
            basic.CodeBase = folder_;
            note(TImportNote::Kind::Refused, "CODEBASE", codeBase,
                 "a folder from the site's root; the page's folder is used");
        } else if (IsURL(codeBase) || !IsRelativePath(codeBase)) {
            basic.CodeBase = codeBase;
        } else {
            basic.CodeBase =
                WithTrailingBackslash((fs::path(folder_) / codeBase).lexically_normal().string());
        }
        // Archives are relative to the code base, as the page names them; a page without any has none.
        basic.Archive = applet_.archive;
        if (holdsControl(applet_.archive)) {
            basic.Archive.clear();
            note(TImportNote::Kind::Refused, "ARCHIVE", applet_.archive,
                 "a line break or control character cannot be kept; no archive is used");
        }
        for (const std::string& other : applet_.otherAttributes)
            note(TImportNote::Kind::Unmatched, NameOfEntry(other), ValueOfEntry(other), "attribute not kept");
        tag_.ObsoleteText->Value = EscapeForBlock(applet_.alternateText);
        tag_.Origin = MakePageOrigin(pagePath_, applet_.offset, applet_.source);
    }

    // The first unused PARAM of the name, letter case ignored as HTML does; later ones stay unused.
    const TPageParam* take(const std::string& name) {
        const auto found = byName_.find(LowerCase(name));
        if (found == byName_.end())
            return nullptr;
        TSameName& same = found->second;
        while (same.next < same.indices.size()) {
            const std::size_t i = same.indices[same.next++];
            if (!used_[i]) {
                used_[i] = true;
                return &applet_.params[i];
            }
        }
        return nullptr;
    }

    void checkWritten(TAppletParam& param, const TPageParam& page) {
        const std::string written =
            ParsedBlockValue(compiledText(param.GetHTMLValue(tag_.BasicParams.WebRoot, PurposeClipboard)));
        if (oneLineEnd(written) == oneLineEnd(page.value))
            return;
        note(TImportNote::Kind::Changed, page.name, page.value,
             written.empty() ? "left out of the block: it is the parameter's default"
                             : "written as " + written);
    }

    void fill(TAppletParam& param) {
        if (auto* vector = dynamic_cast<TAPParamVector*>(&param); vector && vector->StandaloneFields) {
            fillStandalone(*vector);
            return;
        }
        if (const TPageParam* page = take(param.Name)) {
            // A value that lost characters is listed among the problems; the template's stays.
            if (!page->representable)
                return;
            if (param.ReadHTMLValue(EscapeValueForBlock(page->value), tag_.BasicParams.WebRoot))
                checkWritten(param, *page);
            else
                note(TImportNote::Kind::Refused, page->name, page->value,
                     "not a value of this parameter's kind; the template's value is kept");
        } else if (!param.GetHTMLValue(tag_.BasicParams.WebRoot, PurposeClipboard).empty() &&
                   !param.ReadHTMLAbsent()) {
            note(TImportNote::Kind::Kept, param.Name, "", "not in the page; the template's value is kept");
        }
    }

    void fillStandalone(TAPParamVector& vector) {
        std::optional<int32_t> count;
        if (!vector.CounterParamName.empty())
            if (const TPageParam* counter = take(vector.CounterParamName); counter && counter->representable)
                count = TryStrToInt(counter->value);
        auto elementName = [&](std::size_t i) {
            return FormatPattern(vector.NamePattern,
                                 {vector.Name, int32_t(uint32_t(vector.BaseIndex) + uint32_t(i))});
        };
        std::vector<std::optional<std::string>> values;
        // Without a counter the elements run as long as their names follow on.
        const std::size_t limit = count && *count >= 0
                                      ? std::min<std::size_t>(std::size_t(*count), applet_.params.size() + 1)
                                      : applet_.params.size();
        for (std::size_t i = 0; i < limit; ++i) {
            const TPageParam* page = take(elementName(i));
            if (!page && !count)
                break;
            values.push_back(page && page->representable
                                 ? std::optional<std::string>(EscapeValueForBlock(page->value))
                                 : std::nullopt);
        }
        if (!vector.ReadElements(values, tag_.BasicParams.WebRoot))
            note(TImportNote::Kind::Refused, vector.Name, "",
                 "its elements could not be read; the template's are kept");
    }

    struct TSameName {
        std::vector<std::size_t> indices; // page order
        std::size_t next = 0;             // those before it are taken
    };
    TJavaAppletTag& tag_;
    const TPageApplet& applet_;
    std::unordered_map<std::string, TSameName> byName_;
    std::vector<bool> used_;
    std::string folder_;
    std::string pagePath_;
    std::vector<TImportNote> notes_;
};

} // namespace

std::vector<TImportNote> ImportApplet(TJavaAppletTag& tag, const TPageApplet& applet,
                                      const std::string& pagePath) {
    return Importer(tag, applet, pagePath).Run();
}

std::string ShownPageText(std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\t')
            shown += "\\t";
        else if (u < 0x20 || u == 0x7F)
            shown += std::string("\\x") + digits[u >> 4] + digits[u & 15];
        else
            shown += c;
    }
    return shown;
}

TStrings NoteLines(const std::vector<TImportNote>& notes) {
    TStrings lines;
    for (const TImportNote& note : notes) {
        const char* head = note.kind == TImportNote::Kind::Unmatched ? "not taken: "
                           : note.kind == TImportNote::Kind::Refused ? "refused: "
                           : note.kind == TImportNote::Kind::Changed ? "changed: "
                                                                     : "kept: ";
        std::string line = head + note.name;
        if (!note.value.empty())
            line += "=" + HtmlValue(note.value);
        lines.push_back(line + " (" + note.text + ")");
    }
    return lines;
}

} // namespace zarn
