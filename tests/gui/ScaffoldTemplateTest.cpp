// "New template from applet...": the applet class chosen among several, the template written where
// the user says and opened at once.

#include "TestUtil.h"
#include "support/ScriptedDialogs.h"

#include "model/AppletParam.h"
#include "tag/AppSettings.h"
#include "ui/Main.h"
#include "views/Dialogs.h"
#include "views/ParamViewList.h"

#include <QAction>

#include <gtest/gtest.h>

#include <filesystem>

namespace zarn {
namespace {

TEST(ScaffoldTemplate, ChosenAppletOpensAsItsNewTemplate) {
#ifndef ZARN_SCAFFOLD_JAR
    GTEST_SKIP() << "no Java compiler at configure time";
#else
    RegisterBaseParamView();
    AppSettings = TAppSettings();
    TScriptedDialogs dialogs;
    TScopedDialogs scoped{dialogs};
    TMainForm form;
    form.ShowStep({});
    test::TempDir dir;
    // A class file stands for the folder its package starts in.
    dialogs.files = {
        QString::fromStdString(std::string(ZARN_SCAFFOLD_CLASSES) + "/org/zarn/test/plain/PlainApplet.class"),
        QString::fromStdString(dir.file("plain.zrt"))};
    dialogs.items = {1};
    form.findChild<QAction*>(QStringLiteral("FileScaffoldItem"))->trigger();

    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(QStringLiteral("; ")).toStdString();
    ASSERT_EQ(dialogs.itemLists.size(), 1u);
    EXPECT_EQ(dialogs.itemLists[0].value(1), QStringLiteral("org.zarn.test.plain.PlainApplet (4)"));
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_TRUE(dialogs.saveRequests[0].directory.endsWith(QStringLiteral("PlainApplet.zrt")));
    EXPECT_EQ(form.DocFileName, dir.file("plain.zrt"));
    ASSERT_TRUE(form.ParamList);
    ASSERT_EQ(form.ParamList->Count(), 4u);
    EXPECT_EQ((*form.ParamList)[0].UFName, "Show tool bar");

    // Cancelling the choice writes nothing.
    dialogs.files = {QString::fromStdString(std::string(ZARN_SCAFFOLD_CLASSES))};
    form.findChild<QAction*>(QStringLiteral("FileScaffoldItem"))->trigger();
    EXPECT_EQ(dialogs.itemLists.size(), 2u);
    EXPECT_EQ(dialogs.saveRequests.size(), 1u);
#endif
}

} // namespace
} // namespace zarn
