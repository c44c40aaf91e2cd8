#include "TestUtil.h"

#include "model/HtmlValue.h"
#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "profile/Codepage.h"
#include "profile/Errors.h"
#include "tag/AppletTag.h"
#include "tag/MacroPass.h"

#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

#include <random>

namespace zarn {
namespace {

using test::Ini;
using test::TempDir;
using test::WriteFile;

TEST(HtmlValue, QuotesWhatWouldEndTheValueOrTheTagEarly) {
    const struct {
        std::string value;
        std::string written;
    } cases[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"a/b.gif", "a/b.gif"},
        {"caf\xE9&eacute;&amp;", "caf\xE9&eacute;&amp;"}, // "&" stays as typed
        {"say \"hi\" now", "\"say &quot;hi&quot; now\""},
        {"x>y", "\"x>y\""},
        {"x<y", "\"x<y\""},
        {"it's", "\"it's\""},
        {"a=b", "\"a=b\""},
        {"`x`", "\"`x`\""},
        {"a\tb", "\"a\tb\""},
        {"a\rb", "\"a\rb\""},
        {"x></APPLET><script>alert(1)</script>", "\"x></APPLET><script>alert(1)</script>\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HtmlValue(c.value), c.written) << c.value;
}

// What a parser reads from a value the generator wrote: the text with its entities decoded, in UTF-8.
struct Piece {
    const char* stored;
    const char* read;
};
constexpr Piece Pieces[] = {
    {" ", " "},
    {"\"", "\""},
    {"'", "'"},
    {"<", "<"},
    {">", ">"},
    {"=", "="},
    {"`", "`"},
    {"\t", "\t"},
    {"a", "a"},
    {"Z9", "Z9"},
    {"/", "/"},
    {"\xE9", "\xC3\xA9"},
    {"\x80", "\xE2\x82\xAC"},
    {"&eacute;", "\xC3\xA9"},
    {"&amp;", "&"},
    {"&lt;", "<"},
    {"&#233;", "\xC3\xA9"},
    {"& ", "& "},
    {"\\\"", "\""},
    {"$ ", "$ "},
    {"</APPLET>", "</APPLET>"},
    {"<script>", "<script>"},
    {"\\n", "\r"},
    {"\x01", "\x01"},
};

std::string Decoded(std::string text) {
    static const std::pair<std::string, std::string> entities[] = {
        {"&eacute;", "\xC3\xA9"}, {"&amp;", "&"}, {"&lt;", "<"}, {"&#233;", "\xC3\xA9"}};
    text = Win1252ToUtf8(text);
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool matched = false;
        for (const auto& [entity, read] : entities)
            if (text.compare(i, entity.size(), entity) == 0) {
                out += read;
                i += entity.size();
                matched = true;
                break;
            }
        if (!matched)
            out += text[i++];
    }
    return out;
}

// The value after the escape pass; the pass never examines a text's last character.
std::string Escaped(const std::string& value) {
    std::string text = ExpandMacros(value + " ", TMacroTable());
    text.pop_back();
    return text;
}

struct ReadBack {
    std::string code, archive;
    std::vector<std::pair<std::string, std::string>> params;
};

std::string Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string text = value ? reinterpret_cast<const char*>(value) : "(none)";
    xmlFree(value);
    return text;
}

void Collect(xmlNode* node, ReadBack& out) {
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) {
            const std::string name = reinterpret_cast<const char*>(node->name);
            if (name == "applet") {
                out.code = Attribute(node, "code");
                out.archive = Attribute(node, "archive");
            } else if (name == "param") {
                out.params.emplace_back(Attribute(node, "name"), Attribute(node, "value"));
            }
        }
        Collect(node->children, out);
    }
}

ReadBack Parse(const std::string& block) {
    htmlDocPtr doc = htmlReadMemory(block.data(), int(block.size()), nullptr, "windows-1252",
                                    HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    ReadBack out;
    Collect(xmlDocGetRootElement(doc), out);
    xmlFreeDoc(doc);
    return out;
}

// Random values through every kind: a parser reads every PARAM and attribute back as the document
// holds it, escapes and entities taken as the pass and the parser take them.
TEST(HtmlValue, EveryValueOfEveryKindReadsBackThroughAnHtmlParser) {
    const std::string kinds[] = {"TAPString",     "TAPFileName",   "TAPNumeric", "TAPFloat",
                                 "TAPComboList",  "TAPBoolean",    "TAPBevel",   "TAPColor",
                                 "TAPColorCombo", "TAPColorOption"};
    std::string text = Ini({"[Applet Basic Parameters]", "Code=X.class", "[Applet Parameters]"});
    const int n = int(std::size(kinds));
    for (int i = 0; i < n; ++i)
        text += "Param" + std::to_string(i) + "=p" + std::to_string(i) + "\r\n";
    text += "Param" + std::to_string(n) + "=v\r\n";
    for (int i = 0; i < n; ++i)
        text += Ini({"[p" + std::to_string(i) + " parameter]", "Class=" + kinds[i], "Value=1"});
    text +=
        Ini({"[v parameter]", "Class=TAPParamVector", "StandaloneFields=1", "FieldCount=2", "[v.0 parameter]",
             "Class=TAPString", "Value=a", "[v.1 parameter]", "Class=TAPString", "Value=b"});
    TempDir dir;
    WriteFile(dir.file("t.zrt"), text);
    TJavaAppletTag tag;
    TKelmFile file(dir.file("t.zrt"));
    tag.Load(file);
    ASSERT_EQ(tag.ParamList->Count(), std::size_t(n + 1));

    std::mt19937 random(20261209);
    const auto randomValue = [&] {
        std::string value;
        for (int k = int(random() % 8); k >= 0; --k)
            value += Pieces[random() % std::size(Pieces)].stored;
        return value;
    };
    auto& vector = dynamic_cast<TAPParamVector&>((*tag.ParamList)[std::size_t(n)]);
    for (int round = 0; round < 300; ++round) {
        tag.BasicParams.Code = randomValue();
        tag.BasicParams.Archive = randomValue();
        for (std::size_t i = 0; i < std::size_t(n); ++i)
            try {
                (*tag.ParamList)[i].SetValue(randomValue());
            } catch (const EZarnError&) {
                // a kind that refuses the value keeps the one it holds
            }
        for (auto& container : vector.Containers)
            container->Field->SetValue(randomValue());

        const std::string block = tag.CompileToHTML(PurposeDos, dir.dir());
        std::vector<std::pair<std::string, std::string>> expected;
        for (const auto& param : *tag.ParamList) {
            std::vector<TParamLine> lines;
            param->CompileParamLines(tag.BasicParams.WebRoot, PurposeDos, lines, nullptr, nullptr);
            for (const auto& line : lines)
                expected.emplace_back(line.Name, Decoded(Escaped(line.Value)));
        }
        const ReadBack read = Parse(block);
        SCOPED_TRACE(block);
        EXPECT_EQ(read.code, Decoded(tag.BasicParams.Code));
        EXPECT_EQ(read.archive,
                  tag.BasicParams.Archive.empty() ? "(none)" : Decoded(tag.BasicParams.Archive));
        EXPECT_EQ(read.params, expected);
        if (HasFailure())
            break;
    }
}

} // namespace
} // namespace zarn
