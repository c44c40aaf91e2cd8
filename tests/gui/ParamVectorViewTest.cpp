#include "TestUtil.h"

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "support/ScriptedDialogs.h"
#include "tag/AppletTag.h"
#include "views/Glyphs.h"
#include "views/PVVTemplateDlg.h"
#include "views/ParamVectorView.h"
#include "views/ParamViews.h"
#include "views/ScreenText.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

namespace zarn {
namespace {

using test::Ini;
using test::TempDir;
using test::WriteFile;

// The dialog and the glyphs outlive single tests but not the application object.
struct ViewEnvironment : testing::Environment {
    void SetUp() override {
        RegisterBaseParamView();
        RegisterScalarViews();
        RegisterVectorView();
        LoadGlyphs();
    }
    void TearDown() override {
        ReleasePVVTemplates();
        ReleaseGlyphs();
    }
};
[[maybe_unused]] testing::Environment* const viewEnvironment =
    testing::AddGlobalTestEnvironment(new ViewEnvironment);

// A vector "v" of string elements ("item*" unless told), followed by a string "after" on one panel.
std::string VectorTemplate(const std::vector<std::string>& vectorKeys, int elements = 0,
                           const std::string& extraSections = {}) {
    std::string text = Ini({"[Applet Parameters]", "Param0=v", "Param1=after", "[v parameter]",
                            "Class=TAPParamVector", "FieldCount=" + std::to_string(elements)});
    for (const std::string& key : vectorKeys)
        text += key + "\r\n";
    for (int i = 0; i < elements; ++i)
        text += Ini({"[v." + std::to_string(i) + " parameter]", "Class=TAPString", "Template=item",
                     "Value=e" + std::to_string(i)});
    return text +
           Ini({"[item template parameter]", "Class=TAPString", "Description=An item", "Value=new",
                "[title template parameter]", "Class=TAPString", "Description=The title",
                "[author template parameter]", "Class=TAPString", "[after parameter]", "Class=TAPString",
                "Value=x"}) +
           extraSections;
}

// A document on one panel, every parameter's view stacked as on a page.
class Page {
public:
    explicit Page(const std::string& text, const std::string& name = "doc.zrd") : path_(dir_.file(name)) {
        WriteFile(path_, text);
        Open();
    }
    explicit Page(const std::filesystem::path& sample) : path_(dir_.file(sample.stem().string() + ".zrd")) {
        std::filesystem::copy_file(sample, path_);
        Open();
    }

    TAPVParamVector& View(std::size_t i = 0) { return *qobject_cast<TAPVParamVector*>(views_.at(i)); }
    TAppletParamView& AnyView(std::size_t i) { return *views_.at(i); }
    TAPParamVector& Vector(std::size_t i = 0) { return *View(i).Vector; }
    QWidget& Panel() { return panel_; }
    TJavaAppletTag& Tag() { return tag_; }
    const std::string& Path() const { return path_; }
    std::string Dir() const { return dir_.path().string(); }

private:
    void Open() {
        ClearProfileCache();
        file_ = std::make_unique<TKelmFile>(path_);
        tag_.Load(*file_);
        panel_.resize(500, 0);
        for (const auto& param : *tag_.ParamList) {
            TAppletParamView* view = CreateParamView(*param, &panel_);
            AppendView(view, &panel_);
            views_.push_back(view);
        }
        ArrangeViews(&panel_);
        panel_.show();
    }

    TempDir dir_;
    std::string path_;
    std::unique_ptr<TKelmFile> file_;
    TJavaAppletTag tag_;
    QWidget panel_;
    std::vector<TAppletParamView*> views_;
};

// Answers the "Add...." dialog from a script and records the lines it offered; -1 cancels.
struct DialogScript {
    std::deque<int> answers;
    std::vector<QStringList> asked;
    DialogScript() {
        TPVVTemplates::SetRunHook([this](TPVVTemplates& dialog) {
            QStringList lines;
            for (int i = 0; i < dialog.TLB->count(); ++i)
                lines << dialog.TLB->item(i)->text();
            asked.push_back(lines);
            const int answer = answers.empty() ? -1 : answers.front();
            if (!answers.empty())
                answers.pop_front();
            if (answer < 0)
                return int(QDialog::Rejected);
            dialog.TLB->setCurrentRow(answer);
            return int(QDialog::Accepted);
        });
    }
    ~DialogScript() { TPVVTemplates::SetRunHook({}); }
};

// The vector views' messages, shown as warnings through the dialog seam.
struct Messages {
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    QStringList texts() const {
        QStringList shown;
        for (const ScriptedPrompt::Entry& entry : dialogs.prompt.Entries())
            if (entry.kind == ScriptedPrompt::Kind::Warning)
                shown << FromAnsi(entry.text);
        return shown;
    }
};

std::vector<std::string> Templates(const TAPParamVector& vector) {
    std::vector<std::string> names;
    for (const auto& container : vector.Containers)
        names.push_back(container->Template);
    return names;
}

std::vector<std::string> Values(const TAPParamVector& vector) {
    std::vector<std::string> values;
    for (const auto& container : vector.Containers)
        values.push_back(container->Field->GetValue());
    return values;
}

void ExpectNamesAndRows(TAPVParamVector& view) {
    const TAPParamVector& vector = *view.Vector;
    ASSERT_EQ(view.ElementViews().size(), vector.Containers.size());
    for (std::size_t i = 0; i < vector.Containers.size(); ++i) {
        EXPECT_EQ(vector.Containers[i]->Field->Name, vector.ElementStem(i));
        EXPECT_EQ(view.ElementViews()[i]->Param, vector.Containers[i]->Field.get()) << "view " << i;
        // Rows line up with the views inside the grid's border.
        const int top = view.ElementViews()[i]->y();
        EXPECT_EQ(view.RowGrid->CellRect(1, int(i)).top(), i == 0 ? TRowGrid::BorderWidth : top)
            << "row " << i;
    }
}

TEST(ParamVectorViewTest, AddOffersTheTemplatesLeft) {
    struct Case {
        const char* validTemplates;
        std::deque<int> answers;
        int adds;
        std::vector<QStringList> asked;
        std::vector<std::string> templates;
        bool addEnabledAfter;
    };
    const Case cases[] = {
        {"item*", {}, 3, {}, {"item", "item", "item"}, true},
        // The dialog shows "Description", else the name without "*"; a used template is gone.
        {"title|author", {0}, 3, {{"The title", "author"}}, {"title", "author"}, false},
        {"author*|title", {1, 0}, 3, {{"author", "The title"}}, {"title", "author", "author"}, true},
        {"title|author", {-1}, 1, {{"The title", "author"}}, {}, true},
        {"", {}, 1, {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.validTemplates);
        DialogScript dialog;
        dialog.answers = c.answers;
        Page page(VectorTemplate({std::string("ValidTemplates=") + c.validTemplates}));
        for (int i = 0; i < c.adds; ++i)
            page.View().AddClick();
        EXPECT_EQ(dialog.asked, c.asked);
        EXPECT_EQ(Templates(page.Vector()), c.templates);
        ExpectNamesAndRows(page.View());
        EXPECT_EQ(page.View().AddButton->isEnabled(), c.addEnabledAfter);
        EXPECT_EQ(page.View().AddButton->toolTip().isEmpty(), c.addEnabledAfter);
    }
}

TEST(ParamVectorViewTest, AddAndDeleteKeepTheSelectionOnARealRow) {
    enum Action { Add, Del };
    struct Case {
        const char* name;
        int elements;
        int selected;
        Action action;
        std::vector<std::string> values;
        int selectedAfter;
    };
    const Case cases[] = {
        {"first element", 0, -1, Add, {"new"}, 0},
        {"after row 2", 3, 1, Add, {"e0", "e1", "new", "e2"}, 2},
        {"no selection appends", 3, -1, Add, {"e0", "e1", "e2", "new"}, 3},
        {"no selection deletes nothing", 3, -1, Del, {"e0", "e1", "e2"}, -1},
        {"delete keeps the next row", 3, 0, Del, {"e1", "e2"}, 0},
        {"delete of the last row selects the one before", 3, 2, Del, {"e0", "e1"}, 1},
        {"delete of the only element", 1, 0, Del, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Page page(VectorTemplate({"ValidTemplates=item*"}, c.elements));
        TAPVParamVector& view = page.View();
        view.RowGrid->SelectRow(c.selected);
        c.action == Add ? view.AddClick() : view.DelClick();
        EXPECT_EQ(Values(page.Vector()), c.values);
        EXPECT_EQ(view.RowGrid->SelectedRow(), c.selectedAfter);
        EXPECT_EQ(view.RowGrid->RowCount() > 0 && !view.RowGrid->isHidden(), !c.values.empty());
        ExpectNamesAndRows(view);
    }
}

TEST(ParamVectorViewTest, AfterALoadTheFirstRowIsCurrentAndDelRemovesIt) {
    Page page(VectorTemplate({"ValidTemplates=item*"}, 3));
    TAPVParamVector& view = page.View();
    EXPECT_EQ(view.RowGrid->CurrentRow(), 0);
    view.DelButton->click();
    EXPECT_EQ(Values(page.Vector()), (std::vector<std::string>{"e1", "e2"}));
}

TEST(ParamVectorViewTest, HeightFollowsTheElementsAndThePageFollowsTheView) {
    Page page(VectorTemplate({"ValidTemplates=item*"}, 1));
    TAPVParamVector& view = page.View();
    const int elementHeight = view.ElementViews()[0]->height();
    EXPECT_EQ(view.height(), elementHeight + 37);
    EXPECT_EQ(page.AnyView(1).y(), view.height());

    view.AddClick();
    EXPECT_EQ(view.height(), 2 * elementHeight + 37);
    EXPECT_EQ(view.RowGrid->height(), view.ElementPanel->height());
    EXPECT_EQ(page.AnyView(1).y(), view.height());

    view.RowGrid->SelectRow(0);
    view.DelClick();
    view.DelClick();
    EXPECT_TRUE(view.RowGrid->isHidden());
    EXPECT_EQ(view.height(), 37);
    EXPECT_EQ(page.AnyView(1).y(), 37);
    EXPECT_EQ(page.Panel().height(), 37 + page.AnyView(1).height());
}

TEST(ParamVectorViewTest, CaptionRowShowsWhatTheVectorAllows) {
    struct Case {
        std::vector<std::string> keys;
        bool add, del, edit, border;
    };
    const Case cases[] = {
        {{}, true, true, false, true},
        {{"CanAdd=0", "CanDelete=0"}, false, false, false, true},
        {{"CanAdd=0", "CanDelete=0", "CanBeforeListText=1"}, false, false, true, true},
        {{"ShowBevel=0", "DelTitle=Remove entry"}, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys.empty() ? "defaults" : c.keys.front());
        Page page(VectorTemplate(c.keys, 2));
        TAPVParamVector& view = page.View();
        EXPECT_EQ(!view.AddButton->isHidden(), c.add);
        EXPECT_EQ(!view.DelButton->isHidden(), c.del);
        EXPECT_EQ(!view.BeforeListEdit->isHidden(), c.edit);
        // Hidden controls keep their place: the buttons end HGap from the right edge.
        EXPECT_EQ(view.DelButton->geometry().right() + 1, view.width() - view.HGap);
        // Each button holds its glyph, the gaps and the whole caption.
        for (TGlyphButton* button : {view.AddButton, view.DelButton}) {
            const int caption = button->fontMetrics().horizontalAdvance(button->text());
            const int glyph = button->GlyphPicture().deviceIndependentSize().toSize().width();
            EXPECT_EQ(button->width(), TGlyphButton::GlyphLeft + glyph + TGlyphButton::GlyphGap + caption +
                                           TGlyphButton::CaptionRight);
            EXPECT_GE(button->width() - caption, glyph + 6) << button->text().toStdString();
        }
        EXPECT_EQ(view.NameLabel->geometry().bottom(), view.GetBaseline() - 1);
        const QImage shot = view.grab().toImage();
        const QRgb background = page.Panel().palette().color(QPalette::Window).rgb();
        EXPECT_EQ(shot.pixel(0, 0) != background, c.border);
        // Rows can be selected whatever the buttons show.
        QTest::mouseClick(view.RowGrid, Qt::LeftButton, {}, view.RowGrid->CellRect(1, 1).center());
        EXPECT_EQ(view.RowGrid->SelectedRow(), 1);
    }
}

TEST(ParamVectorViewTest, DraggingANumberCellReordersTheElements) {
    struct Case {
        const char* keys;
        int from, to;
        std::vector<std::string> values;
        const char* html;
    };
    const Case cases[] = {
        {"CanMove=1", 0, 2, {"e1", "e2", "e0"}, "=e1 | =e2 | =e0"},
        {"CanMove=1", 2, 0, {"e2", "e0", "e1"}, "=e2 | =e0 | =e1"},
        {"CanMove=1", 1, 1, {"e0", "e1", "e2"}, "=e0 | =e1 | =e2"},
        {"CanMove=0", 0, 2, {"e0", "e1", "e2"}, "=e0 | =e1 | =e2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keys << " " << c.from << "->" << c.to);
        Page page(VectorTemplate({c.keys}, 3));
        TAPVParamVector& view = page.View();
        TRowGrid* grid = view.RowGrid;
        grid->SelectRow(c.from);
        QTest::mousePress(grid, Qt::LeftButton, {}, grid->CellRect(0, c.from).center());
        QTest::mouseMove(grid, grid->CellRect(0, c.to).center());
        QTest::mouseRelease(grid, Qt::LeftButton, {}, grid->CellRect(0, c.to).center());
        EXPECT_EQ(Values(page.Vector()), c.values);
        EXPECT_EQ(page.Vector().GetHTMLValue("", 0), c.html);
        EXPECT_EQ(grid->SelectedRow(), std::string(c.keys) == "CanMove=1" ? c.to : c.from)
            << "selection follows";
        ExpectNamesAndRows(view);
    }
}

// An element reads as its own caption, else its template's, with its row number; stored
// element names ("v.0") never show.
TEST(ParamVectorViewTest, ElementCaptionsFollowTheirRows) {
    DialogScript dialog;
    Page page(Ini({"[Applet Parameters]",
                   "Param0=v",
                   "[v parameter]",
                   "Class=TAPParamVector",
                   "ValidTemplates=item*|title*",
                   "FieldCount=3",
                   "[v.0 parameter]",
                   "Class=TAPString",
                   "Template=item",
                   "[v.1 parameter]",
                   "Class=TAPFileName",
                   "Template=item",
                   "UFName=Own",
                   "[v.2 parameter]",
                   "Class=TAPString",
                   "Template=item",
                   "[item template parameter]",
                   "Class=TAPString",
                   "[title template parameter]",
                   "Class=TAPString",
                   "UFName=Title"}));
    TAPVParamVector& view = page.View();
    const auto captions = [&] {
        QStringList shown;
        for (TAppletParamView* element : view.ElementViews()) {
            shown << element->NameLabel->text();
            // The controls move aside for a longer caption.
            auto* file = qobject_cast<TAPVFileName*>(element);
            const QWidget* first =
                file ? static_cast<QWidget*>(file->BrowseButton) : element->findChild<QLineEdit*>();
            EXPECT_GT(first->x(), element->NameLabel->geometry().right());
        }
        return shown;
    };
    EXPECT_EQ(captions(), QStringList({"1. item : ", "2. Own : ", "3. item : "}));
    view.RowMoved(0, 2);
    EXPECT_EQ(captions(), QStringList({"1. Own : ", "2. item : ", "3. item : "}));
    dialog.answers = {1};
    view.RowGrid->SelectRow(-1);
    view.AddClick();
    EXPECT_EQ(captions(), QStringList({"1. Own : ", "2. item : ", "3. item : ", "4. Title : "}));
    view.RowGrid->SelectRow(0);
    view.DelClick();
    EXPECT_EQ(captions(), QStringList({"1. item : ", "2. item : ", "3. Title : "}));
    // What undo and redo run.
    view.ShowElements(0);
    EXPECT_EQ(captions(), QStringList({"1. item : ", "2. item : ", "3. Title : "}));
}

TEST(ParamVectorViewTest, RowNumbersFitTheirColumn) {
    Page page(VectorTemplate({"ValidTemplates=item*"}, 9));
    TAPVParamVector& view = page.View();
    const int narrow = view.RowGrid->NumberColumnWidth();
    view.AddClick();
    for (int rows : {10, 100}) {
        while (view.RowGrid->RowCount() < rows)
            view.AddClick();
        const int needed = view.RowGrid->fontMetrics().horizontalAdvance(QString::number(rows)) + 3;
        EXPECT_GE(view.RowGrid->NumberColumnWidth(), needed);
        EXPECT_GT(view.RowGrid->NumberColumnWidth(), narrow);
        // The element panel moves right with the wider grid.
        EXPECT_EQ(view.ElementPanel->x(), view.RowGrid->x() + view.RowGrid->width());
    }
}

// Vectors of vectors: a "box*" template whose elements are boxes again.
std::string NestedTemplate(int outerBoxes) {
    std::string text =
        Ini({"[Applet Parameters]", "Param0=v", "Param1=after", "[v parameter]", "Class=TAPParamVector",
             "ValidTemplates=box*", "FieldCount=" + std::to_string(outerBoxes)});
    for (int i = 0; i < outerBoxes; ++i)
        text += Ini({"[v." + std::to_string(i) + " parameter]", "Class=TAPParamVector", "Template=box",
                     "ValidTemplates=box*|leaf*", "FieldCount=0"});
    return text + Ini({"[box template parameter]", "Class=TAPParamVector", "ValidTemplates=box*|leaf*",
                       "[leaf template parameter]", "Class=TAPString", "Value=l", "[after parameter]",
                       "Class=TAPString"});
}

TEST(ParamVectorViewTest, InnerVectorsGrowOutward) {
    DialogScript dialog;
    Page page(NestedTemplate(2));
    TAPVParamVector& outer = page.View();
    auto* inner = qobject_cast<TAPVParamVector*>(outer.ElementViews()[0]);
    ASSERT_NE(inner, nullptr);
    const int innerBefore = inner->height();
    const int outerBefore = outer.height();
    dialog.answers = {1};
    inner->AddClick();
    const int grown = inner->ElementViews().at(0)->height();
    EXPECT_EQ(inner->height(), innerBefore + grown);
    EXPECT_EQ(outer.height(), outerBefore + grown);
    EXPECT_EQ(outer.ElementViews()[1]->y(), inner->height());
    EXPECT_EQ(outer.RowGrid->RowHeight(0), inner->height() - 3);
    EXPECT_EQ(outer.RowGrid->height(), outer.ElementPanel->height());
    EXPECT_EQ(page.AnyView(1).y(), outer.height());
    EXPECT_EQ(inner->NestingDepth(), 2);
}

TEST(ParamVectorViewTest, AddRefusesTheLevelThatCouldNotBeOpened) {
    DialogScript dialog;
    Messages messages;
    Page page(NestedTemplate(0));
    TAPVParamVector* innermost = &page.View();
    for (int level = 2; level <= MaxVectorNesting; ++level) {
        dialog.answers = {0};
        innermost->AddClick();
        ASSERT_EQ(innermost->ElementViews().size(), 1u) << "level " << level;
        innermost = qobject_cast<TAPVParamVector*>(innermost->ElementViews()[0]);
        ASSERT_NE(innermost, nullptr);
    }
    EXPECT_EQ(innermost->NestingDepth(), MaxVectorNesting);
    EXPECT_TRUE(messages.texts().isEmpty());

    dialog.answers = {0};
    innermost->AddClick();
    EXPECT_TRUE(innermost->Vector->Containers.empty());
    EXPECT_TRUE(innermost->ElementViews().empty());
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].contains(QString::number(MaxVectorNesting + 1)))
        << messages.texts()[0].toStdString();
    // A scalar element still fits at the deepest level.
    dialog.answers = {1};
    innermost->AddClick();
    EXPECT_EQ(innermost->Vector->Containers.size(), 1u);

    TKelmFile file(page.Path());
    page.Tag().Save(file);
    ClearProfileCache();
    TJavaAppletTag reopened;
    TKelmFile again(page.Path());
    EXPECT_NO_THROW(reopened.Load(again));
}

TEST(ParamVectorViewTest, DialogIsOneWindowThatRunsModally) {
    TPVVTemplates& dialog = PVVTemplates();
    EXPECT_EQ(&PVVTemplates(), &dialog);
    EXPECT_EQ(dialog.windowTitle(), "Add....");
    EXPECT_EQ(dialog.Button1->text(), "&OK");
    EXPECT_TRUE(dialog.Button1->isDefault());
    EXPECT_EQ(dialog.Button2->text(), "&Cancel");
    struct Case {
        const char* button;
        int key;
        int expected;
    };
    for (const Case& c : {Case{"Button1", 0, 1}, Case{"Button2", 0, -1}, Case{nullptr, Qt::Key_Return, 0}}) {
        QTimer act;
        act.setSingleShot(true);
        QObject::connect(&act, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_EQ(modal, &dialog);
            if (c.button) {
                dialog.TLB->setCurrentRow(1);
                QTest::mouseClick(dialog.findChild<QPushButton*>(c.button), Qt::LeftButton);
            } else {
                QTest::keyClick(dialog.TLB, Qt::Key(c.key));
            }
        });
        act.start(50);
        // Never hangs: a dialog nobody answers is cancelled.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &dialog, &QDialog::reject);
        guard.start(5000);
        EXPECT_EQ(dialog.Choose({"one", "two"}), c.expected);
    }
}

// The program's own output for a file: what a user pasting the block would get.
QString CliBlock(const std::string& path) {
    QProcess cli;
    cli.start(QStringLiteral(ZARN_BIN_DIR "/zarn-cli"),
              {QStringLiteral("html"), QString::fromStdString(path)});
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
TEST(ParamVectorViewTest, EditedSamplesCompileAsShown) {
    struct Case {
        const char* sample;
        std::function<void(Page&)> edit;
        const char* block;
    };
    const Case cases[] = {
        {"SlideShow",
         [](Page& v) {
             TAPVParamVector& img = v.View(0);
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
         [](Page& v) {
             TAPVParamVector& menu = v.View(0);
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
             TAPVParamVector& style = v.View(1);
             style.AddClick();
         },
         "<APPLET CODE=\"MenuBar.class\" WIDTH=600 HEIGHT=28 ALIGN=TOP HSPACE=0 VSPACE=2 >\r\n"
         "<PARAM NAME=menu VALUE=\"items:{Home=index.html};{Contact=contact.html};{Link=shop.html}\">\r\n"
         "<PARAM NAME=style VALUE=\"font:Helvetica; size:12; color:000080\">\r\n"
         "<PARAM NAME=background VALUE=file:DIR/menu-bg.gif>\r\n"
         "<A HREF=\"index.html\">Home</A> | <A HREF=\"news.html\">News</A> | <A "
         "HREF=\"contact.html\">Contact</A>\r\n"
         "</APPLET>\r\n"},
        {"Gallery",
         [](Page& v) {
             TAPVParamVector& album = v.View(0);
             Inner(album, 1).AddClick();
             SetValue(Inner(album, 1), 1, "><trees.gif");
             Inner(album, 0).RowMoved(1, 0);
             album.AddClick();
         },
         "<APPLET CODE=\"org.zarn.samples.gallery.Gallery\" ARCHIVE=\"gallery.jar\" WIDTH=480 HEIGHT=360 "
         "HSPACE=4 VSPACE=4 >\r\n"
         "<PARAM NAME=albumCount VALUE=3>\r\n"
         "<PARAM NAME=album1 VALUE=file:DIR/dunes.gif|file:DIR/beach.gif>\r\n"
         "<PARAM NAME=album2 VALUE=file:DIR/forest.gif|file:DIR/trees.gif>\r\n"
         "<PARAM NAME=album3 VALUE=file:DIR/beach.gif>\r\n"
         "\r\n"
         "<PARAM NAME=title VALUE=\"Holiday pictures\">\r\n"
         "<IMG SRC=\"beach.gif\" ALT=\"Picture gallery (3 albums)\">\r\n"
         "</APPLET>\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        Page page(std::filesystem::path(ZARN_SOURCE_DIR) / "Templates" / "Vectors" /
                  (std::string(c.sample) + ".zrt"));
        c.edit(page);
        TKelmFile file(page.Path());
        page.Tag().Save(file);
        // File names are made absolute from the document's folder.
        EXPECT_EQ(CliBlock(page.Path())
                      .replace(QString::fromStdString(page.Dir()), QStringLiteral("DIR"))
                      .toStdString(),
                  c.block);
    }
}

} // namespace
} // namespace zarn
