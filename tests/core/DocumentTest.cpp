#include "TestUtil.h"

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "profile/Errors.h"
#include "tag/Document.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

namespace fs = std::filesystem;
using test::Ini;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string Template =
    Ini({"[Applet Basic Parameters]", "Code=Demo.class", "TemplateFile=1", "Width=10", "[Applet Parameters]",
         "Param0=v", "[v parameter]", "Class=TAPParamVector", "ValidTemplates=item*", "FieldCount=0",
         "[item template parameter]", "Class=TAPString", "Value=new"});

class DocumentTest : public testing::Test {
protected:
    void SetUp() override {
        ClearProfileCache();
        WriteFile(dir.file("Demo.zrt"), Template);
        document.Load(dir.file("Demo.zrt"));
    }
    TAPParamVector& Vector() { return dynamic_cast<TAPParamVector&>((*document.ParamList)[0]); }

    TempDir dir;
    TDocument document;
};

// A failed load keeps the document as it was; Save As writes through a link to the file it names,
// and what the document reads afterwards (element templates) comes from the file just written.
TEST_F(DocumentTest, LoadAndSaveAsKeepTheDocumentWhole) {
    WriteFile(dir.file("Broken.zrt"),
              Ini({"[Applet Parameters]", "Param0=x", "[x parameter]", "Class=TAPNoSuchKind"}));
    TJavaAppletTag* const before = document.AppletTag.get();
    EXPECT_THROW(document.Load(dir.file("Broken.zrt")), EZarnError);
    EXPECT_EQ(document.AppletTag.get(), before);
    EXPECT_EQ(document.FileName, dir.file("Demo.zrt"));

    ZARN_POSIX_ONLY("links");
    fs::create_directory(dir.path() / "real");
    WriteFile(dir.file("real/doc.zrd"), "old");
    fs::create_symlink("real/doc.zrd", dir.path() / "link.zrd");
    document.BasicParams->Width = 42;
    document.SaveAs(dir.file("link.zrd"), nullptr);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.zrd"));
    EXPECT_EQ(TKelmFile(dir.file("real/doc.zrd")).ReadInteger("Applet Basic Parameters", "Width", 0), 42);
    EXPECT_EQ(ReadFile(dir.file("Demo.zrt")), Template);
    EXPECT_EQ(document.FileName, dir.file("link.zrd"));
    EXPECT_FALSE(document.IsTemplate());

    fs::remove(dir.file("Demo.zrt"));
    EXPECT_EQ(Vector().AddFromTemplate("item").Field->GetValue(), "new");
    EXPECT_EQ(fs::directory_iterator(dir.path() / "real")->path().filename(),
              "doc.zrd"); // nothing left beside it
}

// A template is never replaced by a document: not the one loaded, not another one.
TEST_F(DocumentTest, SaveAsRefusesToReplaceATemplate) {
    WriteFile(dir.file("Other.zrt"), Template);
    for (const char* name : {"Demo.zrt", "Other.zrt"}) {
        try {
            document.SaveAs(dir.file(name), nullptr);
            ADD_FAILURE() << name << " was replaced";
        } catch (const EZarnError& error) {
            EXPECT_EQ(error.Message(), dir.file(name) + " is a template. A document is never saved over a "
                                                        "template: choose another name");
        }
        EXPECT_EQ(ReadFile(dir.file(name)), Template);
    }
    EXPECT_TRUE(document.IsTemplate());
    document.SaveAs(dir.file("doc.zrd"), nullptr);
    document.SaveAs(dir.file("doc.zrd"), nullptr); // a document may be replaced
    EXPECT_EQ(document.FileName, dir.file("doc.zrd"));
}

} // namespace
} // namespace zarn
