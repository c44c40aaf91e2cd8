#include "TestUtil.h"

#include "model/ColorParams.h"
#include "model/KelmFile.h"
#include "model/ScalarParams.h"
#include "plugins/Plugin.h"
#include "support/ScriptedDialogs.h"
#include "tag/AppSettings.h"
#include "views/ColorViews.h"
#include "views/Dialogs.h"
#include "views/Glyphs.h"
#include "views/ParamViews.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace zarn {
namespace {

using test::TempDir;
using test::WriteFile;

// Acts on the next modal dialog once it is visible; fails instead of hanging when none shows.
void onNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if ((modal && modal->isVisible()) || clock->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
            if (modal)
                act(modal);
            else
                ADD_FAILURE() << "no dialog showed";
        }
    });
    timer->start(10);
}

// Types any characters, also those without a key of their own on the test's keyboard.
void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

template <class P> std::unique_ptr<P> Make(const std::string& caption) {
    auto param = std::make_unique<P>();
    param->Name = "p";
    param->UFName = caption;
    param->Visible = true;
    return param;
}

class ParamViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadGlyphs();
        RegisterBaseParamView();
        RegisterScalarViews();
        realNames_ = AppSettings.RealNames;
        AppSettings.RealNames = false;
        QObject::connect(&document, &TEditorDocument::Changed, [this] { ++modified; });
    }
    void TearDown() override {
        panel.reset();
        AppSettings.RealNames = realNames_;
    }

    // The view the registry gives the parameter, on a shown panel of the given width.
    template <class View> View* Show(TAppletParam& param, int width = 600) {
        panel = std::make_unique<QWidget>();
        panel->resize(width, 0);
        const ViewFactory* create = FindParamView(param);
        EXPECT_NE(create, nullptr) << param.ClassName();
        if (!create)
            return nullptr;
        TAppletParamView* view = (*create)(panel.get(), &param, &document);
        AppendView(view, panel.get());
        ArrangeViews(panel.get());
        panel->show();
        auto* typed = dynamic_cast<View*>(view);
        EXPECT_NE(typed, nullptr) << param.ClassName();
        return typed;
    }

    // Every recorded edit changes the document.
    TEditorDocument document;
    std::unique_ptr<QWidget> panel;
    int modified = 0;

private:
    bool realNames_ = false;
};

TEST_F(ParamViewsTest, ShowingAViewWritesNothingAndMarksNothing) {
    auto text = Make<TAPString>("Text");
    text->Value = "hello";
    auto file = Make<TAPFileName>("File");
    file->Value = "/nowhere/logo.gif";
    auto number = Make<TAPNumeric>("Number");
    number->Value = 100000; // beyond 16 bits, with the default limits of a template
    number->Min = -2147483647;
    number->Max = 2147483647;
    number->Step = 10;
    auto outside = Make<TAPNumeric>("Outside");
    outside->Value = 50;
    outside->Max = 10;
    outside->Step = 1;
    auto real = Make<TAPFloat>("Real");
    real->Value = 2.5;
    auto color = Make<TAPColor>("Colour");
    color->Color = RGBColor(1, 2, 3);
    auto combo = Make<TAPColorCombo>("Named");
    combo->Color = RGBColor(192, 192, 192);
    auto option = Make<TAPColorOption>("Option");
    option->Unspecified = true;
    auto flag = Make<TAPBoolean>("Flag");
    flag->Value = true;
    auto list = Make<TAPComboList>("List");
    list->UFItems = list->Items = {"a", "b"};
    list->ItemIndex = 1;

    const std::vector<TAppletParam*> params{text.get(), file.get(),  number.get(), outside.get(),
                                            real.get(), color.get(), combo.get(),  option.get(),
                                            flag.get(), list.get()};
    for (TAppletParam* param : params) {
        const std::string before = param->GetValue();
        ASSERT_NE(Show<TAppletParamView>(*param), nullptr);
        EXPECT_EQ(param->GetValue(), before) << param->ClassName();
        EXPECT_EQ(modified, 0) << param->ClassName();
    }
    EXPECT_EQ(number->Value, 100000);
    EXPECT_EQ(outside->Value, 50);
    EXPECT_TRUE(option->Unspecified);
    EXPECT_EQ(list->ItemIndex, 1);
}

TEST_F(ParamViewsTest, TypingWritesTheTextAtTheFirstKeystroke) {
    auto param = Make<TAPString>("Title");
    param->Value = std::string(40000, 'x'); // longer than an edit holds by default
    auto* view = Show<TAPVString>(*param);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->NameLabel->text(), "Title : ");
    EXPECT_EQ(view->NameLabel->buddy(), view->Editor);

    view->Editor->end(false);
    QTest::keyClick(view->Editor, 'a');
    EXPECT_EQ(modified, 1);
    EXPECT_EQ(param->Value, std::string(40000, 'x') + "a");
    view->Editor->clear();
    typeText(view->Editor, QString::fromUtf8("caf\xC3\xA9 \xE4\xB8\xAD"));
    EXPECT_EQ(param->Value, "caf\xE9 ") << "a character no document can hold is refused";
}

TEST_F(ParamViewsTest, NumericViewKeepsTheWholeRangeAndRefusesWhatItCannotStore) {
    struct Case {
        int32_t min, max, step, value;
        const char* typed;
        int32_t expected;
        bool refused;
    } cases[] = {
        {-2147483647, 2147483647, 10, 7, "2147483647", 2147483647, false},
        {-2147483647, 2147483647, 10, 7, "-100000", -100000, false},
        {-2147483647, 2147483647, 10, 7, "$10", 16, false},
        {-2147483647, 2147483647, 10, 7, "12abc", 12, true}, // each keystroke: the last good number stays
        {-2147483647, 2147483647, 10, 7, "", 7, true},
        {0, 10, 1, 5, "11", 1, true},
        {0, 10, 1, 50, "50", 50, false}, // the stored value is in range, even beyond Max
    };
    for (const Case& c : cases) {
        auto param = Make<TAPNumeric>("Count");
        param->Min = c.min, param->Max = c.max, param->Step = c.step, param->Value = c.value;
        auto* view = Show<TAPVNumeric>(*param);
        ASSERT_NE(view, nullptr);
        modified = 0;
        view->Editor->selectAll();
        QTest::keyClick(view->Editor, Qt::Key_Delete);
        QTest::keyClicks(view->Editor, c.typed);
        EXPECT_EQ(param->Value, c.expected) << c.typed;
        EXPECT_EQ(view->Editor->property("refused").toBool(), c.refused) << c.typed;
    }

    auto param = Make<TAPNumeric>("Count");
    param->Min = 0, param->Max = 25, param->Step = 10, param->Value = 5;
    auto* view = Show<TAPVNumeric>(*param);
    modified = 0;
    QTest::mouseClick(view->SpinButton->findChild<QToolButton*>("Up"), Qt::LeftButton);
    EXPECT_EQ(param->Value, 15);
    QTest::keyClick(view->Editor, Qt::Key_Up);
    EXPECT_EQ(param->Value, 25) << "the arrows stop at Max";
    QTest::keyClick(view->Editor, Qt::Key_Down);
    EXPECT_EQ(param->Value, 15);
    EXPECT_EQ(modified, 3);
}

TEST_F(ParamViewsTest, NumericEditIsNeverWiderThanThreeTimesItsHeight) {
    auto param = Make<TAPNumeric>("Count");
    param->Max = 100;
    for (int width : {1200, 160}) {
        auto* view = Show<TAPVNumeric>(*param, width);
        const int height = view->Editor->height();
        const int room = width - view->Editor->x() - view->HGap - view->SpinButton->width();
        EXPECT_EQ(view->Editor->width(), std::min(3 * height, room)) << width;
        EXPECT_EQ(view->SpinButton->x(), view->Editor->x() + view->Editor->width());
        EXPECT_EQ(view->SpinButton->width(), height / 2);
    }
}

TEST_F(ParamViewsTest, FloatViewReadsBothSeparatorsAndRefusesOtherText) {
    auto param = Make<TAPFloat>("Speed");
    param->Value = 1;
    auto* view = Show<TAPVFloat>(*param);
    ASSERT_NE(view, nullptr);
    struct Case {
        const char* typed;
        double expected;
        bool refused;
    } cases[] = {{"2,5", 2.5, false}, {"abc", 2.5, true}, {"-1.25e2", -125, false}, {"", -125, true}};
    for (const Case& c : cases) {
        view->Editor->clear();
        QTest::keyClicks(view->Editor, c.typed);
        EXPECT_DOUBLE_EQ(param->Value, c.expected) << c.typed;
        EXPECT_EQ(view->Editor->property("refused").toBool(), c.refused) << c.typed;
    }
    view->Editor->setText("abc");
    EXPECT_EQ(view->Editor->toolTip(), "'abc' is not a valid floating point value");
}

TEST_F(ParamViewsTest, ComboListWidthAndPicking) {
    struct Case {
        int32_t width;
        int expectedFromRight; // -1: exactly Width
    } cases[] = {{120, -1}, {-1, 4}, {0, 4}, {5000, 4}};
    for (const Case& c : cases) {
        auto param = Make<TAPComboList>("Mode");
        param->UFItems = {"Slow", "Fast"};
        param->Items = {"s", "f"};
        param->Width = c.width;
        param->ItemIndex = 7; // out of range: no selection
        auto* view = Show<TAPVComboList>(*param, 800);
        ASSERT_NE(view, nullptr);
        const QComboBox* list = view->ItemList;
        if (c.expectedFromRight < 0)
            EXPECT_EQ(list->width(), c.width);
        else
            EXPECT_EQ(800 - list->x() - list->width(), c.expectedFromRight) << c.width;
        EXPECT_EQ(list->currentIndex(), -1);
    }
    auto param = Make<TAPComboList>("Mode");
    param->UFItems = {"Slow", "Fast"};
    param->Items = {"s", "f"};
    auto* view = Show<TAPVComboList>(*param);
    QTest::keyClick(view->ItemList, Qt::Key_Down);
    EXPECT_EQ(param->ItemIndex, 1);
    EXPECT_EQ(modified, 1);
}

TEST_F(ParamViewsTest, ColorComboFindsTheFirstNameOfAValue) {
    struct Case {
        TColor color;
        const char* name;
    } cases[] = {{RGBColor(192, 192, 192), "silver"},
                 {RGBColor(128, 128, 128), "gray"},
                 {RGBColor(255, 255, 255), "white"},
                 {RGBColor(1, 2, 3), ""}};
    for (const Case& c : cases) {
        auto param = Make<TAPColorCombo>("Back");
        param->Color = c.color;
        auto* view = Show<TAPVColorCombo>(*param);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->ColorList->currentText(), c.name);
        EXPECT_EQ(view->ColorList->count(), 18);
        EXPECT_EQ(view->Swatch->Fill(), QColor(RedOf(c.color), GreenOf(c.color), BlueOf(c.color)));
        EXPECT_EQ(view->Swatch->size(), QSize(100, 25));
    }
    auto param = Make<TAPColorCombo>("Back");
    param->Color = RGBColor(192, 192, 192);
    auto* view = Show<TAPVColorCombo>(*param);
    QTest::keyClick(view->ColorList, Qt::Key_Down);
    EXPECT_EQ(param->Color, RGBColor(255, 0, 0));
    EXPECT_EQ(view->Swatch->Fill(), QColor(Qt::red));
    EXPECT_EQ(modified, 1);
}

TEST_F(ParamViewsTest, ColorDialogOkWritesAndCancelChangesNothing) {
    auto param = Make<TAPColor>("Fore");
    param->Color = RGBColor(0x12, 0x34, 0x56);
    auto* view = Show<TAPVColor>(*param);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->ValueLabel->text(), "#123456");
    EXPECT_EQ(view->SelectButton->text(), "&Select color...");
    EXPECT_EQ(view->GetPreferredHeight(), 33);

    {
        TScriptedDialogs dialogs;
        TScopedDialogs scoped(dialogs);
        QTest::mouseClick(view->SelectButton, Qt::LeftButton);
        EXPECT_EQ(dialogs.colorStarts, std::vector<QColor>{QColor(0x12, 0x34, 0x56)});
        EXPECT_EQ(param->Color, RGBColor(0x12, 0x34, 0x56));
        EXPECT_EQ(modified, 0);

        dialogs.colors = {QColor(255, 128, 0)};
        QTest::mouseClick(view->SelectButton, Qt::LeftButton);
        EXPECT_EQ(param->Color, RGBColor(255, 128, 0));
        EXPECT_EQ(view->ValueLabel->text(), "#FF8000");
        EXPECT_EQ(modified, 1);
    }

    // The real dialog, cancelled by the user.
    onNextModal([](QWidget* dialog) { dynamic_cast<QDialog*>(dialog)->reject(); });
    QTest::mouseClick(view->SelectButton, Qt::LeftButton);
    EXPECT_EQ(param->Color, RGBColor(255, 128, 0));
    EXPECT_EQ(modified, 1);
}

TEST_F(ParamViewsTest, UnspecifiedPutsTheColourOutOfUseAndKeepsIt) {
    auto param = Make<TAPColorOption>("Border");
    param->Color = RGBColor(0, 0, 128);
    auto* view = Show<TAPVColorOption>(*param);
    ASSERT_NE(view, nullptr);
    for (bool unspecified : {true, false}) {
        QTest::mouseClick(view->UnspecifiedBox, Qt::LeftButton);
        EXPECT_EQ(param->Unspecified, unspecified);
        EXPECT_EQ(view->Swatch->isVisible(), !unspecified);
        EXPECT_EQ(view->SelectButton->isEnabled(), !unspecified);
        EXPECT_EQ(view->ValueLabel->isEnabled(), !unspecified);
        EXPECT_EQ(param->Color, RGBColor(0, 0, 128));
    }
    EXPECT_EQ(modified, 2);
}

TEST_F(ParamViewsTest, CheckBoxTakesTheCaptionsPlace) {
    struct Case {
        const char* ufName;
        bool dontShowUFName;
        const char* caption;
    } cases[] = {{"Use sound", false, "Use sound"}, {"Use sound", true, ""}, {"Loop : ", false, "Loop"}};
    for (const Case& c : cases) {
        auto param = Make<TAPBoolean>(c.ufName);
        param->DontShowUFName = c.dontShowUFName;
        auto* view = Show<TAPVBoolean>(*param);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->CheckBox->text(), c.caption) << c.ufName;
        EXPECT_FALSE(view->NameLabel->isVisible());
        EXPECT_EQ(view->CheckBox->pos(), view->NameLabel->pos());
    }
    auto param = Make<TAPBoolean>("Use sound");
    auto* view = Show<TAPVBoolean>(*param);
    QTest::mouseClick(view->CheckBox, Qt::LeftButton);
    EXPECT_TRUE(param->Value);
    EXPECT_EQ(modified, 1);
}

TEST_F(ParamViewsTest, BevelIsATwoPixelSunkenLine) {
    auto param = Make<TAPBevel>("");
    param->DontShowName = param->DontShowUFName = true;
    auto* view = Show<TAPVBevel>(*param);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->height(), 2);
    EXPECT_EQ(panel->height(), 2);
    EXPECT_FALSE(view->NameLabel->isVisible());
    const QImage line = view->grab().toImage();
    EXPECT_NE(line.pixelColor(300, 0), line.pixelColor(300, 1)) << "shadow above, light below";
}

TEST_F(ParamViewsTest, FileDialogFilterInTheDialogsForm) {
    struct Case {
        const char* filterExt;
        QStringList filters;
    } cases[] = {
        {"Any file (*.*)|*.*", {"Any file (*)"}},
        {"Images|*.gif;*.jpg|Text (*.txt)|*.txt|", {"Images (*.gif *.jpg)", "Text (*.txt)"}},
        {"", {"All Files (*)"}},
        {"Images", {"All Files (*)"}},
        {"Images|", {"All Files (*)"}},
        {"Images| ; |Text|*.txt", {"All Files (*)"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileDialogFilters(c.filterExt), c.filters) << c.filterExt;
}

TEST_F(ParamViewsTest, BrowseOkPutsTheFileInAndCancelChangesNothing) {
    TempDir dir;
    const std::string existing = dir.file("logo.gif");
    WriteFile(existing, "GIF89a");
    auto param = Make<TAPFileName>("Image");
    param->Value = existing;
    param->FilterExt = "Pictures|*.gif";
    auto* view = Show<TAPVFileName>(*param);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->BrowseButton->size(), QSize(25, view->Editor->height() + 4));
    EXPECT_EQ(view->Editor->x(), view->BrowseButton->x() + 25 + view->HGap);

    {
        TScriptedDialogs dialogs;
        TScopedDialogs scoped(dialogs);
        QTest::mouseClick(view->BrowseButton, Qt::LeftButton);
        ASSERT_EQ(dialogs.openRequests.size(), 1u);
        EXPECT_EQ(dialogs.openRequests[0].NameFilters(), QStringList{"Pictures (*.gif)"});
        EXPECT_EQ(dialogs.openRequests[0].directory, QString::fromStdString(existing))
            << "starts on the file";
        EXPECT_EQ(param->Value, existing);
        EXPECT_EQ(modified, 0);

        dialogs.files = {"/site/img/a.gif"};
        QTest::mouseClick(view->BrowseButton, Qt::LeftButton);
        EXPECT_EQ(param->Value, "/site/img/a.gif");
        EXPECT_GE(modified, 1);
        // No such file on disk: the chooser starts on the view's previous choice.
        QTest::mouseClick(view->BrowseButton, Qt::LeftButton);
        ASSERT_EQ(dialogs.openRequests.size(), 3u);
        EXPECT_EQ(dialogs.openRequests[2].directory, "/site/img/a.gif");
    }

    // The real dialog, cancelled by the user.
    modified = 0;
    onNextModal([](QWidget* dialog) { dynamic_cast<QDialog*>(dialog)->reject(); });
    QTest::mouseClick(view->BrowseButton, Qt::LeftButton);
    EXPECT_EQ(param->Value, "/site/img/a.gif");
    EXPECT_EQ(modified, 0);
}

TEST_F(ParamViewsTest, PluginEditOkChangesTheBlockAndCancelChangesNothing) {
    TempDir dir;
    const std::string doc = dir.file("doc.zrd");
    WriteFile(doc, test::Ini({"[Applet Parameters]", "Param0=text", "[text parameter]", "Class=TAPPlugin",
                              "UFName=Notes", "Plugin=memlet.dll", "LineCount=1", "Line0=old", "FName=t",
                              "ext=.txt"}));
    TKelmFile file(doc);
    auto list = file.LoadParamList();
    auto& param = dynamic_cast<TAPPlugin&>((*list)[0]);
    param.Visible = true;
    auto* view = Show<TAPVPlugin>(param);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->PropertiesButton->text(), "&Properties...");
    EXPECT_EQ(view->GetPreferredHeight(), 33);

    const auto block = [&] { return param.CompileParam(dir.dir(), 0, true, nullptr, nullptr); };
    const auto answer = [](const char* text, const char* button) {
        return [text, button](QWidget* dialog) {
            auto* edit = dialog->findChild<QPlainTextEdit*>("edit");
            ASSERT_NE(edit, nullptr);
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
        };
    };
    // The block names the data file; compiling writes the text into it.
    const std::string line = block();
    EXPECT_NE(line.find("t.txt"), std::string::npos) << line;
    onNextModal(answer("thrown away", "Button2"));
    QTest::mouseClick(view->PropertiesButton, Qt::LeftButton);
    EXPECT_EQ(block(), line);
    EXPECT_EQ(test::ReadFile(dir.file("t.txt")), "old\r\n");
    EXPECT_EQ(modified, 0);

    onNextModal(answer("new text", "Button1"));
    QTest::mouseClick(view->PropertiesButton, Qt::LeftButton);
    EXPECT_EQ(block(), line);
    EXPECT_EQ(test::ReadFile(dir.file("t.txt")), "new text\r\n");
    EXPECT_EQ(modified, 1);
    file.SaveParamList(*list);
    EXPECT_EQ(file.ReadString("text parameter", "Line0", ""), "new text");
}

TEST_F(ParamViewsTest, PluginThatCannotLoadIsReportedAndChangesNothing) {
    TScriptedDialogs dialogs;
    TScopedDialogs scoped(dialogs);
    auto param = Make<TAPPlugin>("Notes");
    param->Plugin = "nosuchplugin.dll";
    param->PClass = "Edit";
    auto* view = Show<TAPVPlugin>(*param);
    ASSERT_NE(view, nullptr);
    QTest::mouseClick(view->PropertiesButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].startsWith("could not load plugin nosuchplugin.dll"))
        << dialogs.errors[0].toStdString();
    EXPECT_EQ(modified, 0);
}

TEST_F(ParamViewsTest, GlyphsAreLoadedInTheirOrderAndSizes) {
    struct Case {
        TGlyph glyph;
        QSize size;
    } cases[] = {{TGlyph::Add, {16, 16}},
                 {TGlyph::Del, {16, 16}},
                 {TGlyph::Color, {16, 16}},
                 {TGlyph::Folder, {32, 16}},
                 {TGlyph::Dot, {8, 8}}};
    for (const Case& c : cases)
        EXPECT_EQ(Glyph(c.glyph).size(), c.size) << int(c.glyph);
    const QImage folder = Glyph(TGlyph::Folder).toImage();
    EXPECT_NE(folder.copy(0, 0, 16, 16), folder.copy(16, 0, 16, 16)) << "enabled and disabled differ";
    EXPECT_EQ(Glyph(TGlyph::Dot).toImage().pixelColor(0, 0).alpha(), 0);
    EXPECT_NE(Glyph(TGlyph::Add).toImage(), Glyph(TGlyph::Del).toImage());
}

} // namespace
} // namespace zarn
