#include "tag/PageUpdate.h"

#include "paths/PathForms.h"
#include "profile/Codepage.h"
#include "profile/Errors.h"
#include "profile/FileBytes.h"
#include "profile/FileReplace.h"
#include "profile/IniFile.h"
#include "profile/TextConv.h"
#include "tag/AppletTag.h"
#ifdef ZARN_PAGE_IMPORT
#include "tag/PageImport.h"
#endif

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace zarn {

namespace fs = std::filesystem;

namespace {

const char* const OriginSection = "Imported From";

char lower(char c) {
    return char(std::tolower(static_cast<unsigned char>(c)));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Where `what` (lower case) starts at or after `from`, letter case ignored.
std::size_t findNoCase(std::string_view text, std::string_view what, std::size_t from) {
    for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < what.size() && lower(text[i + k]) == what[k])
            ++k;
        if (k == what.size())
            return i;
    }
    return std::string_view::npos;
}

struct Tag {
    std::string name;                                            // lower case
    std::vector<std::pair<std::string, std::string>> attributes; // names in lower case
    std::size_t end = 0;                                         // after its ">"
};

// A start tag from its "<"; quoted values may hold ">" and "<".
Tag readTag(std::string_view text, std::size_t at) {
    Tag tag;
    std::size_t i = at + 1;
    while (i < text.size() && !isBlank(text[i]) && text[i] != '>' && text[i] != '/')
        tag.name += lower(text[i++]);
    for (;;) {
        while (i < text.size() && (isBlank(text[i]) || text[i] == '/'))
            ++i;
        if (i >= text.size()) {
            tag.end = text.size();
            return tag;
        }
        if (text[i] == '>') {
            tag.end = i + 1;
            return tag;
        }
        std::string name;
        while (i < text.size() && !isBlank(text[i]) && text[i] != '>' && text[i] != '=' &&
               (text[i] != '/' || name.empty()))
            name += lower(text[i++]);
        std::size_t j = i;
        while (j < text.size() && isBlank(text[j]))
            ++j;
        std::string value;
        if (j < text.size() && text[j] == '=') {
            i = j + 1;
            while (i < text.size() && isBlank(text[i]))
                ++i;
            if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                const char quote = text[i++];
                const std::size_t close = text.find(quote, i);
                const std::size_t stop = close == std::string_view::npos ? text.size() : close;
                value = std::string(text.substr(i, stop - i));
                i = close == std::string_view::npos ? text.size() : close + 1;
            } else {
                while (i < text.size() && !isBlank(text[i]) && text[i] != '>')
                    value += text[i++];
            }
        }
        tag.attributes.emplace_back(std::move(name), std::move(value));
    }
}

std::string charsetOf(const Tag& meta) {
    for (const auto& [name, value] : meta.attributes) {
        if (name == "charset") {
            std::string charset;
            for (char c : value)
                if (!isBlank(c))
                    charset += lower(c);
            return charset;
        }
        if (name == "content") {
            const std::size_t at = findNoCase(value, "charset=", 0);
            if (at == std::string::npos)
                continue;
            std::string charset;
            for (std::size_t i = at + 8; i < value.size() && value[i] != ';' && !isBlank(value[i]); ++i)
                if (value[i] != '"' && value[i] != '\'')
                    charset += lower(value[i]);
            return charset;
        }
    }
    return {};
}

} // namespace

TPageScan ScanPage(std::string_view text) {
    TPageScan scan;
    bool inBlock = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t lt = text.find('<', i);
        if (lt == std::string_view::npos || lt + 1 >= text.size())
            break;
        const char next = text[lt + 1];
        if (text.substr(lt, 4) == "<!--") {
            const std::size_t close = text.find("-->", lt + 4);
            i = close == std::string_view::npos ? text.size() : close + 3;
        } else if (next == '!' || next == '?') {
            const std::size_t close = text.find('>', lt);
            i = close == std::string_view::npos ? text.size() : close + 1;
        } else if (next == '/' && lt + 2 < text.size() && isLetter(text[lt + 2])) {
            const Tag tag = readTag(text, lt + 1);
            if (tag.name == "applet" && inBlock) {
                scan.blocks.back().length = tag.end - scan.blocks.back().offset;
                scan.blocks.back().closed = true;
                inBlock = false;
            }
            i = tag.end;
        } else if (isLetter(next)) {
            const Tag tag = readTag(text, lt);
            i = tag.end;
            if (tag.name == "applet") {
                // A block inside a block: the outer one has no end of its own.
                if (inBlock)
                    scan.blocks.back().length = lt - scan.blocks.back().offset;
                scan.blocks.push_back({lt, tag.end - lt, false});
                inBlock = true;
            } else if (tag.name == "script" || tag.name == "style") {
                const std::size_t close = findNoCase(text, "</" + tag.name, tag.end);
                i = close == std::string_view::npos ? text.size() : close;
            } else if (tag.name == "meta" && scan.charset.empty()) {
                scan.charset = charsetOf(tag);
            }
        } else {
            i = lt + 1;
        }
    }
    if (inBlock)
        scan.blocks.back().length = text.size() - scan.blocks.back().offset;
    return scan;
}

namespace {

std::string toHex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

bool fromHex(std::string_view hex, std::string& bytes) {
    auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                      : -1;
    };
    if (hex.size() % 2)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += char(high * 16 + low);
    }
    return true;
}

} // namespace

TPageOrigin ReadPageOrigin(const TIniFile& file) {
    TPageOrigin origin;
    origin.page = file.ReadString(OriginSection, "Page", "");
    const std::string offset = file.ReadString(OriginSection, "Offset", "");
    const std::string length = file.ReadString(OriginSection, "Length", "");
    // The block's bytes are kept as hex: line ends and outer blanks are part of them.
    const std::string block = file.ReadString(OriginSection, "Block", "");
    std::string bytes;
    const auto at = TryStrToInt(offset);
    const auto size = TryStrToInt(length);
    if (origin.page.empty() || !at || *at < 0 || !size || !fromHex(block, bytes) ||
        std::size_t(*size) != bytes.size() || bytes.empty())
        return {};
    origin.offset = std::size_t(*at);
    origin.block = std::move(bytes);
    return origin;
}

void WritePageOrigin(TIniFile& file, const TPageOrigin& origin) {
    TIniUpdate update(file);
    // Written in place, so a save leaves the section where it stands.
    if (origin.Empty() || origin.offset > std::size_t(INT32_MAX) ||
        origin.block.size() > std::size_t(INT32_MAX)) {
        file.EraseSection(OriginSection);
    } else {
        file.WriteString(OriginSection, "Page", origin.page);
        file.WriteString(OriginSection, "Offset", IntToStr(int64_t(origin.offset)));
        file.WriteString(OriginSection, "Length", IntToStr(int64_t(origin.block.size())));
        file.WriteString(OriginSection, "Block", toHex(origin.block));
    }
    update.Commit();
}

TPageOrigin MakePageOrigin(const std::string& pagePath, std::size_t offset, std::string block) {
    const std::string page = SystemAbsolutePath(pagePath);
    if (page.find_first_of(std::string("\r\n\0", 3)) != std::string::npos || block.empty())
        return {};
    return {page, offset, std::move(block)};
}

namespace {

enum class Encoding { Utf8, Windows1252, Latin1, Ascii };

struct PageEncoding {
    Encoding kind;
    std::string name; // as the page declares it, for messages
};

// As a reader of the page decides: a byte order mark, else the declared charset, else UTF-8 when
// the bytes are valid UTF-8, else Windows-1252.
PageEncoding pageEncoding(std::string_view bytes, const std::string& charset) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return {Encoding::Utf8, "UTF-8"};
    if (charset.empty())
        return IsValidUtf8(bytes) ? PageEncoding{Encoding::Utf8, "UTF-8"}
                                  : PageEncoding{Encoding::Windows1252, "Windows-1252"};
    if (charset == "utf-8" || charset == "utf8")
        return {Encoding::Utf8, charset};
    if (charset == "windows-1252" || charset == "cp1252" || charset == "x-cp1252")
        return {Encoding::Windows1252, charset};
    if (charset == "iso-8859-1" || charset == "iso8859-1" || charset == "iso_8859-1" || charset == "latin1" ||
        charset == "latin-1" || charset == "l1")
        return {Encoding::Latin1, charset};
    // Any other: only what every ASCII-based encoding shares is written.
    return {Encoding::Ascii, charset};
}

// The block (Windows-1252) in the page's encoding; raises naming what the encoding lacks.
std::string encodeBlock(const std::string& block, const PageEncoding& encoding, const std::string& page) {
    if (encoding.kind == Encoding::Utf8)
        return Win1252ToUtf8(block);
    if (encoding.kind == Encoding::Windows1252)
        return block;
    std::string missing;
    for (unsigned char c : block) {
        const bool held = c < 0x80 || (encoding.kind == Encoding::Latin1 && c >= 0xA0);
        if (!held && missing.find(char(c)) == std::string::npos)
            missing += char(c);
    }
    if (!missing.empty()) {
        std::string names;
        for (char c : missing)
            names += std::string(names.empty() ? "" : ", ") + c;
        throw EZarnError(page + ": the page's encoding (" + encoding.name + ") cannot hold " + names +
                         " of the block; the page is unchanged");
    }
    return block;
}

// The line end the block takes: its old block's own, else the page's first, else CR LF.
std::string lineEndOf(std::string_view oldBlock, std::string_view page) {
    for (std::string_view text : {oldBlock, page}) {
        const std::size_t at = text.find_first_of("\r\n");
        if (at == std::string_view::npos)
            continue;
        if (text[at] == '\n')
            return "\n";
        return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
    }
    return "\r\n";
}

bool samePage(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec))
        return true;
    return fs::path(SystemAbsolutePath(a)).lexically_normal() ==
           fs::path(SystemAbsolutePath(b)).lexically_normal();
}

std::string readPage(const std::string& page) {
    std::string bytes;
    if (const std::error_code error = ReadFileBytes(page, bytes))
        throw EZarnError(page + ": cannot be read (" + error.message() + ")");
    return bytes;
}

std::string blockCount(std::size_t count) {
    return count == 1 ? "1 applet block" : std::to_string(count) + " applet blocks";
}

// The index of the block to replace.
std::size_t chooseBlock(const std::string& bytes, const std::vector<TPageBlock>& blocks,
                        const TPageOrigin& origin, const TPageUpdate& request) {
    const std::string& page = request.page;
    if (blocks.empty())
        throw EZarnError(page + ": holds no applet block");
    if (request.block > 0) {
        if (request.block > blocks.size())
            throw EZarnError(page + ": holds " + blockCount(blocks.size()) + ", not a block " +
                             std::to_string(request.block));
        return request.block - 1;
    }
    if (!origin.Empty() && samePage(origin.page, page)) {
        auto holdsOld = [&](const TPageBlock& block) {
            return std::string_view(bytes).substr(block.offset, block.length) == origin.block;
        };
        for (std::size_t i = 0; i < blocks.size(); ++i)
            if (blocks[i].offset == origin.offset && holdsOld(blocks[i]))
                return i;
        // The page changed around the block: it is found by its old text, if only once.
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < blocks.size(); ++i)
            if (holdsOld(blocks[i]))
                found.push_back(i);
        if (found.size() == 1)
            return found.front();
        if (found.empty())
            throw EZarnError(page +
                             ": the block this document came from is no longer in the page (the page has "
                             "changed); the page is unchanged: name the block to replace with its number");
        throw EZarnError(page + ": the block this document came from is in the page " +
                         std::to_string(found.size()) +
                         " times; the page is unchanged: name the block to replace with its number");
    }
    if (blocks.size() > 1)
        throw EZarnError(page + ": holds " + blockCount(blocks.size()) +
                         ": name the block to replace with its number");
    return 0;
}

} // namespace

std::size_t CountPageBlocks(const std::string& page) {
    return ScanPage(readPage(page)).blocks.size();
}

TPageUpdateResult UpdatePage(TJavaAppletTag& tag, const TPageOrigin& origin, const TPageUpdate& request) {
    const std::string& page = request.page;
    const std::string bytes = readPage(page);
    const TPageScan scan = ScanPage(bytes);
    const std::size_t index = chooseBlock(bytes, scan.blocks, origin, request);
#ifdef ZARN_PAGE_IMPORT
    // A block chosen by number must be the one import numbers so; the parser and the scanner
    // disagree only on markup too broken to tell where blocks are.
    if (request.block > 0 && ReadPageApplets(bytes).size() != scan.blocks.size())
        throw EZarnError(page + ": its applet blocks cannot be told apart reliably; the page is unchanged");
#endif
    const TPageBlock& old = scan.blocks[index];
    if (!old.closed)
        throw EZarnError(page + ": applet block " + std::to_string(index + 1) +
                         " has no </APPLET> of its own; the page is unchanged");

    // File names in the block are relative to the page's folder, as "Generate actual code" writes them.
    const std::string folder =
        WithTrailingBackslash(fs::path(SystemAbsolutePath(page)).parent_path().lexically_normal().string());
    std::string block = tag.CompileToHTML(PurposeClipboard, folder);
    const std::string_view oldText = std::string_view(bytes).substr(old.offset, old.length);
    const std::string lineEnd = lineEndOf(oldText, bytes);
    std::string lines;
    for (char c : block)
        lines += c == '\r' ? lineEnd : std::string(1, c);
    // The old block's last line end stays the page's: the new block ends as the old one did.
    while (!lines.empty() && (lines.back() == '\n' || lines.back() == '\r'))
        lines.pop_back();
    const std::string encoded = encodeBlock(lines, pageEncoding(bytes, scan.charset), page);
    const std::string updated = bytes.substr(0, old.offset) + encoded + bytes.substr(old.offset + old.length);

    std::error_code ec;
    const fs::path target = SaveTarget(SystemAbsolutePath(page), ec);
    if (ec)
        throw EZarnError(page + ": cannot be written (" + ec.message() + ")");
    TPageUpdateResult result;
    if (request.backup) {
        const fs::path backup = target.string() + ".bak";
        TSiblingFile copy;
        if (const std::error_code error = copy.Create(backup, bytes, ".saving");
            error || (ec = copy.ReplaceTarget(backup)))
            throw EZarnError(backup.string() + ": the backup cannot be written (" +
                             (error ? error : ec).message() + "); the page is unchanged");
        result.backup = backup.string();
    }
    TSiblingFile pending;
    std::error_code error = pending.Create(target, updated, ".saving");
    if (!error)
        error = pending.ReplaceTarget(target);
    if (error)
        throw EZarnError(page + ": cannot be written (" + error.message() + "); the page is unchanged");
    result.origin = MakePageOrigin(page, old.offset, encoded);
    result.block = index + 1;
    return result;
}

} // namespace zarn
