#include "TestUtil.h"

#include "ui/Main.h"
#include "ui/toolbar/MSIEToolbar.h"
#include "views/ParamViewList.h"

#include <QFrame>
#include <QTest>

#include <gtest/gtest.h>

namespace zarn {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr std::uint32_t SaveOff = 4, PreviewOff = 16, ForGood = 8 | 32;

void ClickButton(TMSIEToolbar* bar, int index) {
    const QPoint at = bar->ButtonRect(index).center();
    QTest::mouseMove(bar, at);
    QTest::mousePress(bar, Qt::LeftButton, {}, at);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, at);
}

// The window's toolbar follows the document: Save while modified, Preview once something is
// loaded, and its Save button saves.
TEST(MainToolbar, FollowsTheDocumentAndRunsItsCommands) {
    RegisterBaseParamView();
    TempDir dir;
    std::string text = ReadFile(std::string(ZARN_SOURCE_DIR) + "/Templates/Clocks/AnalogClock.zrt");
    const auto at = text.find("TemplateFile=1");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 14, "TemplateFile=0");
    const std::string doc = dir.file("clock.zrd");
    WriteFile(doc, text);

    TMainForm form;
    auto* bar = form.findChild<TMSIEToolbar*>("Toolbar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->parentWidget(), form.Panel1);
    EXPECT_EQ(bar->Captions(), QStringList({"New", "Open", "Save", "", "Preview"}));
    EXPECT_EQ(bar->ButtonCount(), 6);
    form.resize(724, 400);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(bar->height(), 37);
    EXPECT_EQ(bar->width(), form.Panel1->width() - 4);

    struct Step {
        const char* what;
        std::function<void()> act;
        std::uint32_t disabled;
    } steps[] = {
        {"created", [] {}, ForGood | PreviewOff},
        {"shown", [&] { form.ShowStep({}); }, ForGood | SaveOff | PreviewOff},
        {"loaded", [&] { ASSERT_TRUE(form.LoadDocument(doc)); }, ForGood | SaveOff},
        {"modified", [&] { form.SetModified(); }, ForGood},
        {"saved from the toolbar", [&] { ClickButton(bar, 2); }, ForGood | SaveOff},
        {"Save is disabled now", [&] { ClickButton(bar, 2); }, ForGood | SaveOff},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(bar->DisabledItems(), step.disabled) << step.what;
    }
    EXPECT_FALSE(form.Modified);
}

} // namespace
} // namespace zarn
