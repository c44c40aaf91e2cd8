#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "tag/AppletTag.h"
#include "views/Glyphs.h"
#include "views/PVVTemplateDlg.h"
#include "views/ParamVectorView.h"
#include "views/ParamViews.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace zarn {
namespace {

// The program's own output for a file: what a user pasting the block would get.
QString CliBlock(const std::string& path) {
    QProcess cli;
    cli.start(QStringLiteral(ZARN_BIN_DIR "/zarn-cli"), {QStringLiteral("html"), QString::fromStdString(path)});
    if (!cli.waitForFinished(60000)) {
        cli.kill();
        cli.waitForFinished();
        ADD_FAILURE() << "zarn-cli did not finish";
    }
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    return QString::fromUtf8(cli.readAllStandardOutput());
}

TAPVParamVector& Inner(TAPVParamVector& outer, std::size_t i) {
    return *qobject_cast<TAPVParamVector*>(outer.ElementViews().at(i));
}

void SetValue(TAPVParamVector& view, std::size_t i, const std::string& value) {
    view.Vector->Containers.at(i)->Field->SetValue(value);
}

// A sample template copied to a new document, edited in the vector views, saved and compiled.
TEST(VectorSamplesTest, EditedSamplesCompileAsShown) {
    struct Case {
        const char* sample;
        std::function<void(std::vector<TAPVParamVector*>&)> edit;
        const char* block;
    };
    const Case cases[] = {
        {"SlideShow",
         [](std::vector<TAPVParamVector*>& v) {
             TAPVParamVector& img = *v[0];
             img.AddClick();
             SetValue(img, 3, "><last.gif");
             img.RowGrid->SelectRow(0);
             img.DelClick();
             img.RowMoved(2, 0);
         },
         "<APPLET CODE=\"SlideShow.class\" WIDTH=400 HEIGHT=300 >\r\n"
         "<PARAM NAME=imgCount VALUE=3>\r\n"
         "<PARAM NAME=img1 VALUE=file:DIR/last.gif>\r\n"
         "<PARAM NAME=img2 VALUE=file:DIR/slide2.gif>\r\n"
         "<PARAM NAME=img3 VALUE=file:DIR/slide3.gif>\r\n"
         "\r\n"
         "<PARAM NAME=delay VALUE=4000>\r\n"
         "<PARAM NAME=loop VALUE=yes>\r\n"
         "<PARAM NAME=transition VALUE=dissolve>\r\n"
         "<IMG SRC=\"slide1.gif\" WIDTH=400 HEIGHT=300 ALT=\"Slide show of 3 pictures\">\r\n"
         "</APPLET>\r\n"},
        {"MenuBar",
         [](std::vector<TAPVParamVector*>& v) {
             TAPVParamVector& menu = *v[0];
             menu.RowGrid->SelectRow(1);
             menu.DelClick();
             TPVVTemplates::SetRunHook([](TPVVTemplates& dialog) {
                 dialog.TLB->setCurrentRow(1);
                 return int(QDialog::Accepted);
             });
             menu.AddClick();
             TPVVTemplates::SetRunHook({});
             SetValue(menu, 2, "shop.html");
             menu.BeforeListEdit->selectAll();
             QTest::keyClicks(menu.BeforeListEdit, "items:");
             TAPVParamVector& style = *v[1];
             style.AddClick();
         },
         "<APPLET CODE=\"MenuBar.class\" WIDTH=600 HEIGHT=28 ALIGN=TOP HSPACE=0 VSPACE=2 >\r\n"
         "<PARAM NAME=menu VALUE=items:{Home=index.html};{Contact=contact.html};{Link=shop.html}>\r\n"
         "<PARAM NAME=style VALUE=\"font:Helvetica; size:12; color:000080\">\r\n"
         "<PARAM NAME=background VALUE=file:DIR/menu-bg.gif>\r\n"
         "<A HREF=\"index.html\">Home</A> | <A HREF=\"news.html\">News</A> | <A HREF=\"contact.html\">Contact</A>\r\n"
         "</APPLET>\r\n"},
        {"Gallery",
         [](std::vector<TAPVParamVector*>& v) {
             TAPVParamVector& album = *v[0];
             Inner(album, 1).AddClick();
             SetValue(Inner(album, 1), 1, "><trees.gif");
             Inner(album, 0).RowMoved(1, 0);
             album.AddClick();
         },
         "<APPLET CODE=\"Gallery.class\" WIDTH=480 HEIGHT=360 HSPACE=4 VSPACE=4 >\r\n"
         "<PARAM NAME=albumCount VALUE=3>\r\n"
         "<PARAM NAME=album1 VALUE=file:DIR/dunes.gif|file:DIR/beach.gif>\r\n"
         "<PARAM NAME=album2 VALUE=file:DIR/forest.gif|file:DIR/trees.gif>\r\n"
         "<PARAM NAME=album3 VALUE=file:DIR/beach.gif>\r\n"
         "\r\n"
         "<PARAM NAME=title VALUE=\"Holiday pictures\">\r\n"
         "<IMG SRC=\"beach.gif\" ALT=\"Picture gallery (3 albums)\">\r\n"
         "</APPLET>\r\n"},
    };
    RegisterBaseParamView();
    RegisterScalarViews();
    RegisterVectorView();
    LoadGlyphs();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        QTemporaryDir dir;
        const std::string templatePath = std::string(ZARN_SOURCE_DIR) + "/Templates/Vectors/" + c.sample + ".zrt";
        const std::string document = dir.filePath(QString(c.sample) + ".zrd").toStdString();
        std::filesystem::copy_file(templatePath, document);
        ClearProfileCache();
        TKelmFile file(document);
        TJavaAppletTag tag;
        tag.Load(file);
        QWidget panel;
        panel.resize(500, 0);
        std::vector<TAPVParamVector*> vectors;
        for (const auto& param : *tag.ParamList) {
            TAppletParamView* view = CreateParamView(*param, &panel);
            AppendView(view, &panel);
            if (auto* vector = qobject_cast<TAPVParamVector*>(view))
                vectors.push_back(vector);
        }
        ArrangeViews(&panel);
        c.edit(vectors);
        tag.Save(file);
        // File names are made absolute from the document's folder.
        EXPECT_EQ(CliBlock(document).replace(dir.path(), QStringLiteral("DIR")).toStdString(), c.block);
    }
}

} // namespace
} // namespace zarn
