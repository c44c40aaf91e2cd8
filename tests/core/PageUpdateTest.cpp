// A document's block written back into messy pages: every byte outside the block stays, the block
// reads back with a real HTML parser as the document's values, and a changed page is refused.

#include "tag/PageUpdate.h"
#include "TestUtil.h"
#include "model/KelmFile.h"
#include "profile/Errors.h"
#include "startup/CoreStartup.h"
#include "tag/AppletTag.h"
#include "tag/PageImport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn::test {
namespace {

const std::string Ticker = std::string(ZARN_SOURCE_DIR) + "/Templates/Text/Ticker.zrt";

TAppletParam& param(TJavaAppletTag& tag, const std::string& name) {
    for (auto& p : tag.ParamList->items())
        if (p->Name == name)
            return *p;
    throw std::runtime_error(name);
}

// The tag as import makes it from block `block` (1-based) of the page file.
void importBlock(TJavaAppletTag& tag, const std::string& page, std::size_t block) {
    RegisterStandardParamClasses();
    TKelmFile file(Ticker);
    tag.Load(file);
    const auto applets = ReadPageFile(page);
    ASSERT_GE(applets.size(), block);
    ImportApplet(tag, applets[block - 1], page);
    ASSERT_FALSE(tag.Origin.Empty());
}

std::string lineEndsIn(const std::string& text) {
    std::string kinds;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            kinds += "W", ++i;
        else if (text[i] == '\r')
            kinds += "M";
        else if (text[i] == '\n')
            kinds += "U";
    }
    return kinds;
}

TEST(PageUpdate, MessyPagesKeepEveryByteOutsideTheBlock) {
    const struct {
        const char* what;
        std::string before, block, after;
        std::size_t number; // of the block among the page's
        char lineEnd;       // 'W' CR LF, 'U' LF, 'M' CR
    } cases[] = {
        {"upper case, CR LF, UTF-8 declared, a block in a comment and a script before",
         "<HTML><HEAD><META CHARSET=\"UTF-8\"><SCRIPT>var s = \"<APPLET>\";</SCRIPT></HEAD>\r\n<BODY>"
         "<!-- <APPLET CODE=Old.class></APPLET> -->\r\n<P>caf\xC3\xA9\r\n",
         "<APPLET CODE=\"Ticker.class\" WIDTH=300 HEIGHT=20>\r\n<PARAM NAME=message "
         "VALUE=\"old\">\r\n</APPLET>",
         "\r\n<P>after \xE2\x82\xAC\r\n</BODY></HTML>\r\n", 1, 'W'},
        {"lower case, LF, Windows-1252 undeclared, unclosed tags, a quoted >",
         "<p><b>\x93quoted\x94\n<table><tr><td title='a > b'>\n",
         "<applet code=Ticker.class width=100 height=10 alt=\"x > y\">\n<param name=message "
         "value=old>\n</applet>",
         "\n<p>tail \x80 unclosed\n", 1, 'U'},
        {"mixed case, bare CR, declared through http-equiv, several blocks",
         "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r"
         "<Applet Code=A.class></aPPLET>\r",
         "<Applet code=\"Ticker.class\" width=1 height=1>\r<Param name=message value=old>\r</aPPlet>",
         "\r<APPLET code=C.class>\r", 2, 'M'},
        {"UTF-8 undeclared, three blocks, the one replaced first", "<p>\xC3\xA9t\xC3\xA9\n",
         "<APPLET code=Ticker.class><param name=message "
         "value=\"\xE2\x80\x9C\x6F\x6C\x64\xE2\x80\x9D\"></APPLET>",
         "\n<applet code=B.class></applet><style>p { content: \"</applet>\" }</style><applet "
         "code=D></applet>\n",
         1, 'U'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string page = dir.file("page.html");
        const std::string old = c.before + c.block + c.after;
        WriteFile(page, old);
        TJavaAppletTag tag;
        importBlock(tag, page, c.number);
        if (HasFailure())
            return;
        EXPECT_EQ(tag.Origin.offset, c.before.size());
        EXPECT_EQ(tag.Origin.block, c.block);
        // Values the page's encoding must carry: quotes, an ampersand and a euro sign.
        param(tag, "message").SetValue("Price \x80 5 & \x93new\x94");
        tag.BasicParams.Width = 333;

        const TPageUpdateResult result = UpdatePage(tag, tag.Origin, {page, 0, true});
        const std::string updated = ReadFile(page);
        EXPECT_EQ(result.block, c.number);
        EXPECT_EQ(ReadFile(page + ".bak"), old);
        ASSERT_GE(updated.size(), c.before.size() + c.after.size());
        EXPECT_EQ(updated.substr(0, c.before.size()), c.before);
        EXPECT_EQ(updated.substr(updated.size() - c.after.size()), c.after);
        const std::string block =
            updated.substr(c.before.size(), updated.size() - c.before.size() - c.after.size());
        EXPECT_EQ(result.origin.block, block);
        const std::string ends = lineEndsIn(block);
        EXPECT_FALSE(ends.empty());
        EXPECT_EQ(ends.find_first_not_of(c.lineEnd), std::string::npos) << ends;

        const auto applets = ReadPageApplets(updated);
        ASSERT_EQ(applets.size(), ReadPageApplets(old).size());
        const TPageApplet& back = applets[c.number - 1];
        EXPECT_EQ(back.code, "Ticker.class");
        EXPECT_EQ(back.width, "333");
        std::string message = "(none)";
        for (const TPageParam& p : back.params)
            if (p.name == "message")
                message = p.value;
        EXPECT_EQ(message, "Price \x80 5 & \x93new\x94");
    }
}

// A page changed under the document: found by the block's old text, or refused with the page untouched.
TEST(PageUpdate, ChangedPagesAreFollowedOrRefused) {
    TempDir dir;
    const std::string page = dir.file("page.html");
    const std::string block =
        "<applet code=Ticker.class width=5 height=5><param name=message value=old></applet>";
    WriteFile(page, "<p>one\n" + block + "\n<p>end\n");
    TJavaAppletTag tag;
    importBlock(tag, page, 1);
    if (HasFailure())
        return;

    const std::string shifted = "<h1>A new heading</h1>\n<p>one\n" + block + "\n<p>end\n";
    WriteFile(page, shifted);
    const TPageUpdateResult moved = UpdatePage(tag, tag.Origin, {page, 0, false});
    EXPECT_EQ(moved.origin.offset, shifted.find("<applet"));
    EXPECT_FALSE(std::filesystem::exists(page + ".bak"));

    const struct {
        const char* what;
        std::string page;
        TPageOrigin origin;
        std::size_t block;
        std::string message;
    } refused[] = {
        {"the block edited by hand", shifted, moved.origin, 0, "no longer in the page"},
        {"the block twice", "<p>" + moved.origin.block + moved.origin.block, moved.origin, 0,
         "in the page 2 times"},
        {"no end tag", "<applet code=Ticker.class><param name=a value=b>", {}, 1, "has no </APPLET>"},
        {"a block number beyond the page", "<applet></applet>", {}, 2, "holds 1 applet block, not a block 2"},
        {"markup the parser reads otherwise",
         "<![CDATA[<applet></applet>]]><applet code=Ticker.class></applet>",
         {},
         1,
         "cannot be told apart"},
        {"several blocks and no origin", "<applet></applet><applet></applet>", {}, 0, "name the block"},
        {"an encoding without the euro sign",
         "<meta charset=iso-8859-1><applet code=Ticker.class></applet>",
         {},
         0,
         "(iso-8859-1) cannot hold \x80"},
    };
    param(tag, "message").SetValue("\x80");
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        WriteFile(page, c.page);
        try {
            UpdatePage(tag, c.origin, {page, c.block, true});
            ADD_FAILURE() << "not refused";
        } catch (const EZarnError& error) {
            EXPECT_NE(error.Message().find(c.message), std::string::npos) << error.Message();
        }
        EXPECT_EQ(ReadFile(page), c.page);
        EXPECT_FALSE(std::filesystem::exists(page + ".bak"));
    }
}

} // namespace
} // namespace zarn::test
