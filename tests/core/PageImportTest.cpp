// Applet blocks read from broken pages, and documents made from them that compile back to the page.

#include "tag/PageImport.h"
#include "TestUtil.h"
#include "model/ColorParams.h"
#include "model/KelmFile.h"
#include "model/ScalarParams.h"
#include "profile/Codepage.h"
#include "profile/Errors.h"
#include "startup/CoreStartup.h"
#include "tag/AppletTag.h"
#include "tag/PageBytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

namespace zarn::test {
namespace {

const std::string TemplatesRoot = std::string(ZARN_SOURCE_DIR) + "/Templates";

struct PageCase {
    const char* what;
    std::string page;
    std::size_t blocks;
    std::string code;
    std::string width;
    std::vector<std::pair<std::string, std::string>> params; // of the first block
    std::string alternateText;
};

TEST(PageImport, ReadsBlocksOfBrokenPages) {
    const std::vector<PageCase> cases = {
        {"upper case, entities",
         "<HTML><BODY><APPLET CODE=\"A.class\" WIDTH=10 HEIGHT=20>"
         "<PARAM NAME=\"x\" VALUE=\"a &amp; b &lt;c&gt; &eacute;&#8364;\">No Java</APPLET>",
         1,
         "A.class",
         "10",
         {{"x", "a & b <c> \xE9\x80"}},
         "No Java"},
        {"lower case, single-quoted and unquoted",
         "<applet code='B' width=5 height=6>"
         "<param name=y value='say \"hi\"'><param name=z value=plain></applet>",
         1,
         "B",
         "5",
         {{"y", "say \"hi\""}, {"z", "plain"}},
         ""},
        {"unclosed tags, PARAM inside other markup",
         "<p><b><applet code=C width=1 height=2><p><param name=x value=1>"
         "<i>get\n  Java",
         1,
         "C",
         "1",
         {{"x", "1"}},
         "<p><i>get Java</i></p>"},
        {"several blocks",
         "<applet code=D width=3><param name=a value=1></applet><p>text"
         "<APPLET code=E><PARAM name=b value=2></APPLET>",
         2,
         "D",
         "3",
         {{"a", "1"}},
         ""},
        {"Windows-1252 without a declaration",
         "<applet code=F><param name=q value=\"\x93quoted\x94\"></applet>",
         1,
         "F",
         "",
         {{"q", "\x93quoted\x94"}},
         ""},
        {"no blocks at all", "<<<>>&&\x01</applet><param name=x>", 0, "", "", {}, ""},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto applets = ReadPageApplets(c.page);
        ASSERT_EQ(applets.size(), c.blocks);
        if (applets.empty())
            continue;
        EXPECT_EQ(applets[0].code, c.code);
        EXPECT_EQ(applets[0].width, c.width);
        ASSERT_EQ(applets[0].params.size(), c.params.size());
        for (std::size_t i = 0; i < c.params.size(); ++i) {
            EXPECT_EQ(applets[0].params[i].name, c.params[i].first);
            EXPECT_EQ(applets[0].params[i].value, c.params[i].second);
        }
        EXPECT_EQ(applets[0].alternateText, c.alternateText);
    }
}

TEST(PageImport, CharactersWithoutWindows1252FormAreReportedNotMangled) {
    const auto applets =
        ReadPageApplets("<applet code=Ticker.class><param name=message value=\"&#x4E2D;\"></applet>");
    ASSERT_EQ(applets.size(), 1u);
    EXPECT_FALSE(applets[0].params[0].representable);
    RegisterStandardParamClasses();
    TJavaAppletTag tag;
    TKelmFile file(TemplatesRoot + "/Text/Ticker.zrt");
    tag.Load(file);
    const TStrings lines = NoteLines(ImportApplet(tag, applets[0], "/srv/site/page.html"));
    EXPECT_NE(
        std::find(lines.begin(), lines.end(),
                  "refused: PARAM message: characters that Windows-1252 cannot hold (not taken as it is)"),
        lines.end());
    EXPECT_EQ(tag.ParamList->items()[0]->GetValue().substr(0, 3), "+++"); // the template's text is kept
}

TEST(PageImport, TemplatesAreFoundByTheirCode) {
    EXPECT_EQ(TemplatesForCode(TemplatesRoot, "Ticker.class"), TStrings{TemplatesRoot + "/Text/Ticker.zrt"});
    EXPECT_EQ(TemplatesForCode(TemplatesRoot, "Ticker"), TStrings{TemplatesRoot + "/Text/Ticker.zrt"});
    EXPECT_TRUE(TemplatesForCode(TemplatesRoot, "ticker.class").empty()); // class names keep their case
    EXPECT_TRUE(TemplatesForCode(TemplatesRoot, "Nowhere.class").empty());
}

// Each kind reads back the form it writes; what it cannot take is listed, never dropped.
TEST(PageImport, EachKindReadsItsOwnForm) {
    RegisterStandardParamClasses();
    TempDir dir;
    const std::string page = "<APPLET CODE=Ticker.class WIDTH=300 HEIGHT=30% ALIGN=texttop ARCHIVE=t.jar>"
                             "<PARAM NAME=MESSAGE VALUE='costs $5 \\ more'>"
                             "<PARAM NAME=font VALUE=Courier><PARAM NAME=target VALUE=nowhere>"
                             "<PARAM NAME=bold VALUE=no><PARAM NAME=pauseonmouse VALUE=maybe>"
                             "<PARAM NAME=fgcolor VALUE=#ff0000><PARAM NAME=bgcolor VALUE=0x00ff00>"
                             "<PARAM NAME=separator VALUE=img/sep.gif><PARAM NAME=fontsize VALUE=007>"
                             "<PARAM NAME=easing VALUE=0.50><PARAM NAME=extra VALUE=1></APPLET>";
    const auto applets = ReadPageApplets(page);
    ASSERT_EQ(applets.size(), 1u);
    TJavaAppletTag tag;
    TKelmFile file(TemplatesRoot + "/Text/Ticker.zrt");
    tag.Load(file);
    const TStrings lines = NoteLines(ImportApplet(tag, applets[0], dir.file("page.html")));
    auto param = [&](const std::string& name) -> TAppletParam& {
        for (auto& p : tag.ParamList->items())
            if (p->Name == name)
                return *p;
        throw std::runtime_error(name);
    };
    const struct {
        const char* name;
        std::string value;
    } values[] = {
        {"message", "costs \\$5 \\\\ more"},
        {"font", "2"},
        {"bold", "0"},
        {"pauseonmouse", "1"},
        {"fgcolor", "#FF0000"},
        {"bgcolor", "#00FF00"},
        {"fontsize", "7"},
        {"easing", "0.5"},
        {"target", "0"},
    };
    for (const auto& v : values)
        EXPECT_EQ(param(v.name).GetValue(), v.value) << v.name;
    EXPECT_EQ(param("separator").GetValue(), dir.dir() + "img/sep.gif");
    EXPECT_EQ(tag.BasicParams.Width, 300);
    EXPECT_EQ(tag.BasicParams.Align, 3);
    EXPECT_EQ(tag.BasicParams.WebRoot, dir.dir());
    EXPECT_EQ(tag.BasicParams.Archive, "t.jar");
    const TStrings expected = {
        "refused: HEIGHT=30% (not a whole number of pixels; the template's 24 is kept)",
        "refused: target=nowhere (not a value of this parameter's kind; the template's value is kept)",
        "refused: pauseonmouse=maybe (not a value of this parameter's kind; the template's value is kept)",
        "changed: fontsize=007 (written as 7)",
        "changed: easing=0.50 (written as 0.5)",
        "not taken: extra=1 (no parameter of this name)",
    };
    for (const std::string& line : expected)
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
}

// A block made from a template, hidden in a messy page, comes back as exactly the same block.
TEST(PageImport, BlocksRoundTripThroughMessyPages) {
    RegisterStandardParamClasses();
    const struct {
        const char* name;
        const char* archive;
    } templates[] = {{"Text/Ticker.zrt", ""},
                     {"Vectors/SlideShow.zrt", "slides.jar"},
                     {"Vectors/Gallery.zrt", "lib/gallery.jar,lib/util.jar"},
                     {"Clocks/AnalogClock.zrt", ""},
                     {"Images/ImageFader.zrt", "../shared/fader.jar"}};
    for (const auto& [name, archive] : templates) {
        SCOPED_TRACE(name);
        TempDir dir;
        TJavaAppletTag source;
        TKelmFile file(TemplatesRoot + "/" + name);
        source.Load(file);
        source.BasicParams.Archive = archive;
        source.BasicParams.WebRoot = dir.dir();
        source.BasicParams.CodeBase = dir.dir() + "classes/";
        // The parser gives markup back in its own spelling: plain text keeps the comparison exact.
        source.ObsoleteText->Value = "No Java here &amp; now";
        const std::string block = source.CompileToHTML(PurposeClipboard, dir.dir());
        std::string messy = block;
        for (std::size_t at = messy.find('\r'); at != std::string::npos; at = messy.find('\r', at))
            messy.replace(at, 1, "\n  ");
        const std::string page = "<html><head><title>Old & broken</title><body><p>Before <b>bold\n"
                                 "<applet code=\"Nothing.class\"></applet><table><tr><td>" +
                                 messy + "<p>after";
        WriteFile(dir.file("page.html"), page);
        const auto applets = ReadPageFile(dir.file("page.html"));
        ASSERT_EQ(applets.size(), 2u);
        TJavaAppletTag imported;
        TKelmFile again(TemplatesRoot + "/" + name);
        imported.Load(again);
        const auto notes = ImportApplet(imported, applets[1], dir.file("page.html"));
        EXPECT_EQ(imported.CompileToHTML(PurposeClipboard, imported.BasicParams.WebRoot), block);
        for (const std::string& line : NoteLines(notes))
            ADD_FAILURE() << line;
    }
}

TEST(PageImport, EscapesKeepThePageValue) {
    EXPECT_EQ(EscapeForBlock("a$b\\c"), "a\\$b\\\\c");
    EXPECT_EQ(EscapeForBlock("one\r\ntwo\nthree"), "one\\ntwo\\nthree");
}

TStrings ImportTicker(const std::string& page, TJavaAppletTag& tag, const std::string& pagePath) {
    RegisterStandardParamClasses();
    TKelmFile file(TemplatesRoot + "/Text/Ticker.zrt");
    tag.Load(file);
    const auto applets = ReadPageApplets(page);
    if (applets.empty())
        return {"(no block)"};
    return NoteLines(ImportApplet(tag, applets[0], pagePath));
}

bool HasLine(const TStrings& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

// Only regular files are read, and only up to a size: the check comes before the first byte.
TEST(PageImport, SpecialFilesAreRefusedByName) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo.html").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("folder.html"));
    WriteFile(dir.file("large.html"), "");
    std::filesystem::resize_file(dir.file("large.html"), MaxPageSize + 1);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {dir.file("fifo.html"), ": is not a regular file"},
        {"/dev/zero", ": is not a regular file"},
        {dir.file("folder.html"), ": is a folder"},
        {dir.file("large.html"), ": is larger than 64 MiB"},
        {dir.file("none.html"), ": cannot be read"},
    };
    for (const auto& c : cases) {
        try {
            ReadPageFile(c.path);
            ADD_FAILURE() << c.path << " was read";
        } catch (const EZarnError& error) {
            EXPECT_EQ(error.Message().rfind(c.path + ": ", 0), 0u) << error.Message();
            EXPECT_NE(error.Message().find(c.message), std::string::npos) << error.Message();
        }
    }
}

// What the parser would cut, misread or print is settled and said.
TEST(PageImport, TextIsReadAsABrowserReadsIt) {
    auto utf16 = [](const std::string& ascii, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char c : ascii)
            bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    const std::string block = "<applet code=Ticker.class><param name=message value=\"abc\"></applet>";
    const struct {
        const char* what;
        std::string page;
        std::string message; // the value taken, or "" when the template's is kept
        const char* note;    // a part of a note line
    } cases[] = {
        {"NUL in a value",
         std::string("<applet code=Ticker.class><param name=message value=\"a\0b\"></applet>", 68), "",
         "refused: PARAM message: a NUL"},
        {"UTF-16, little end first", utf16(block, false), "abc", ""},
        {"UTF-16, big end first, declaring another set", utf16("<meta charset=iso-8859-2>" + block, true),
         "abc", ""},
        {"a set the parser cannot convert",
         "<meta charset=\"iso-2022-jp\">" + block.substr(0, 53) + "\xFF\xFE\"></applet>", "\xFF\xFE",
         "refused: the page's character set iso-2022-jp cannot be read"},
        {"a line break in the code base",
         "<applet code=Ticker.class codebase=\"a\nb/\"><param name=message value=abc></applet>", "abc",
         "refused: CODEBASE=\"a\nb/\" (a line break"},
        {"more attributes than the parser is given",
         [] {
             std::string page = "<applet code=Ticker.class";
             for (std::size_t i = 0; i < MaxTagAttributes + 5; ++i)
                 page += " a" + std::to_string(i) + "=1";
             return page + " width=7><param name=message value=abc></applet>";
         }(),
         "abc", "the tag's other 6 attributes: too many to read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TJavaAppletTag tag;
        testing::internal::CaptureStderr();
        const TStrings lines = ImportTicker(c.page, tag, "/srv/site/page.html");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        const std::string value = tag.ParamList->items()[0]->GetValue();
        if (c.message.empty())
            EXPECT_EQ(value.substr(0, 3), "+++");
        else
            EXPECT_EQ(value, c.message);
        if (*c.note) {
            EXPECT_TRUE(HasLine(lines, c.note)) << JoinList(lines, "\n");
        }
        EXPECT_EQ(tag.BasicParams.CodeBase, "/srv/site/");
    }
}

// Random values, written into a page as HTML, read by the importer, compiled into a block and read
// back by an HTML parser: the parser reads what it read from the page.
TEST(PageImport, ValuesRoundTripThroughTheBlock) {
    const char* pieces[] = {"a",  " ",   "&", "&lt;",   "&amp;", "&#65;", "&eacute", "<", ">", "\"", "'",
                            "\\", "\\n", "$", "$Width", "\xE9",  "\x80",  ";",       "=", "`", "#",  "\n"};
    auto html = [](const std::string& text) {
        std::string out;
        for (char c : Win1252ToUtf8(text))
            out += c == '&'   ? "&amp;"
                   : c == '"' ? "&quot;"
                   : c == '<' ? "&lt;"
                   : c == '>' ? "&gt;"
                              : std::string(1, c);
        return out;
    };
    auto oneLineEnd = [](std::string text) {
        for (std::size_t at; (at = text.find('\r')) != std::string::npos;)
            text.replace(at, text.compare(at, 2, "\r\n") == 0 ? 2 : 1, "\n");
        return text;
    };
    std::mt19937 random(20261209);
    for (int round = 0; round < 200; ++round) {
        std::string value = "x";
        for (int k = int(random() % 8); k >= 0; --k)
            value += pieces[random() % std::size(pieces)];
        SCOPED_TRACE(value);
        TJavaAppletTag tag;
        const TStrings lines = ImportTicker("<applet code=Ticker.class><param name=message value=\"" +
                                                html(value) + "\"></applet>",
                                            tag, "/srv/site/page.html");
        EXPECT_FALSE(HasLine(lines, "message")) << JoinList(lines, "\n");
        const std::string block = tag.CompileToHTML(PurposeClipboard, tag.BasicParams.WebRoot);
        const auto read = ReadPageApplets("<meta charset=windows-1252>" + block);
        ASSERT_EQ(read.size(), 1u) << block;
        const auto param = std::find_if(read[0].params.begin(), read[0].params.end(),
                                        [](const TPageParam& p) { return p.name == "message"; });
        ASSERT_NE(param, read[0].params.end()) << block;
        EXPECT_EQ(oneLineEnd(param->value), oneLineEnd(value)) << block;
        if (HasFailure())
            break;
    }
}

// Code bases from the site's root or on another host never become folders of this computer.
TEST(PageImport, CodeBasesOutsideThePageStayOutside) {
    const struct {
        std::string codeBase;
        std::string stored;
        std::string written; // in the block, "" for none
        std::string note;
    } cases[] = {
        {"//cdn.example.com/java/", "//cdn.example.com/java/", "CODEBASE=\"//cdn.example.com/java/\"",
         "kept: CODEBASE=//cdn.example.com/java/ (a URL on another site, kept as written)"},
        {"/applets/", "/srv/site/", "", "refused: CODEBASE=/applets/ (a folder from the site's root"},
        {"http://example.com/a/", "http://example.com/a/", "CODEBASE=\"http://example.com/a/\"", ""},
        {"classes", "/srv/site/classes/", "CODEBASE=\"classes/\"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codeBase);
        TJavaAppletTag tag;
        const TStrings lines =
            ImportTicker("<applet code=Ticker.class codebase=\"" + c.codeBase + "\"></applet>", tag,
                         "/srv/site/page.html");
        EXPECT_EQ(tag.BasicParams.CodeBase, c.stored);
        const std::string block = tag.CompileToHTML(PurposeClipboard, tag.BasicParams.WebRoot);
        if (c.written.empty())
            EXPECT_EQ(block.find("CODEBASE"), std::string::npos) << block;
        else
            EXPECT_NE(block.find(c.written), std::string::npos) << block;
        if (!c.note.empty()) {
            EXPECT_TRUE(HasLine(lines, c.note)) << JoinList(lines, "\n");
        }
    }
}

} // namespace
} // namespace zarn::test
