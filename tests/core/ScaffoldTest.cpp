#include "TestUtil.h"
#include "support/ClassBytes.h"
#include "support/ScriptedPrompt.h"
#include "support/TestJars.h"

#include "model/AppletParam.h"
#include "profile/IniFile.h"
#include "tag/AppSettings.h"
#include "tag/AppletTag.h"
#include "tag/ClassFile.h"
#include "tag/Document.h"
#include "tag/Preview.h"
#include "tag/Scaffold.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace zarn;
using namespace zarn::test;

namespace {

TStrings paramNames(const TFoundApplet& applet) {
    TStrings names;
    for (const TScaffoldParam& param : applet.params)
        names.push_back(param.name);
    return names;
}

[[maybe_unused]] std::string asText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TAppletSource analyse(std::vector<TClassBytes> classes) {
    return AnalyseClasses(classes);
}

} // namespace

TEST(ScaffoldTest, CompiledAppletsGiveTemplatesThatLoadCompileAndPreview) {
#ifndef ZARN_SCAFFOLD_JAR
    GTEST_SKIP() << "no Java compiler at configure time";
#else
#ifdef ZARN_ARCHIVES
    const std::string jarPath = ZARN_SCAFFOLD_JAR;
#else
    const std::string jarPath = ZARN_SCAFFOLD_CLASSES;
#endif
    // A jar and the nested folders of its packages give the same applets.
    for (const std::string& path : {jarPath, std::string(ZARN_SCAFFOLD_CLASSES)}) {
        SCOPED_TRACE(path);
        const TAppletSource source = ReadAppletSource(path);
        EXPECT_TRUE(source.problems.empty());
        ASSERT_EQ(source.applets.size(), 3u); // the abstract superclass is no applet of its own
        EXPECT_THROW(ChooseApplet(source, ""), EZarnError);
        EXPECT_THROW(ChooseApplet(source, "org.zarn.test.plain.BaseApplet"), EZarnError);

        const TFoundApplet& info = ChooseApplet(source, "InfoApplet.class");
        EXPECT_EQ(paramNames(info), (TStrings{"speed", "alpha", "scale", "loop", "sound", "bgcolor", "image",
                                              "align", "showToolBar"}));
        EXPECT_EQ(info.info, "Info applet 1.0, written for the ZARN tests");
        EXPECT_EQ(info.width, 420);
        EXPECT_EQ(info.height, 240);

        // Plain calls first, through the helper, then the superclass, then another class; each
        // name once whatever its letter case.
        const TFoundApplet& plain = ChooseApplet(source, "org/zarn/test/plain/PlainApplet");
        EXPECT_EQ(paramNames(plain), (TStrings{"showToolBar", "fontSize", "baseParam", "fromSettings"}));
        EXPECT_EQ(plain.width, 300);
        EXPECT_EQ(plain.height, 200);
        const TFoundApplet& swing = ChooseApplet(source, "org.zarn.test.swing.SwingApplet");
        ASSERT_FALSE(swing.params.empty());
        EXPECT_EQ(swing.params[0].name, "label");
    }

    const TAppletSource source = ReadAppletSource(jarPath);
    TempDir dir;
    for (const TFoundApplet& applet : source.applets) {
        SCOPED_TRACE(applet.name);
        const std::string out = dir.dir() + applet.name + ".zrt";
        WriteTemplate(source, applet, out, false);
        EXPECT_THROW(WriteTemplate(source, applet, out, false), EZarnError);
        TDocument document;
        document.Load(out);
        EXPECT_EQ(document.BasicParams->Code, applet.name);
        EXPECT_EQ(document.ParamList->Count(), applet.params.size());
        EXPECT_EQ(document.AppletTag->PageNames, TStrings{"Parameters"});
        EXPECT_NE(GenerateActualCode(*document.AppletTag).find("<APPLET"), std::string::npos);
        TAppSettings settings;
        ScriptedPrompt prompt;
        TTempFiles tempFiles;
        const TPreviewResult preview =
            WritePreviewPage(*document.AppletTag, out, settings, prompt, tempFiles, dir.dir());
        EXPECT_TRUE(std::filesystem::exists(preview.page));
    }

    // Kinds, captions, description and support files as the template states them.
    const std::string infoPath = dir.dir() + "InfoApplet.zrt";
    TIniFile ini(infoPath);
    const auto key = [&ini](const std::string& section, const std::string& name) {
        return ini.ReadString(section, name, "-");
    };
    const std::vector<std::tuple<std::string, std::string, std::string>> kinds = {
        {"speed", "TAPNumeric", "Scrolling speed"},
        {"alpha", "TAPNumeric", "Opacity"},
        {"scale", "TAPFloat", "Zoom factor"},
        {"loop", "TAPBoolean", "Repeat forever"},
        {"sound", "TAPBoolean", "Sound"},
        {"bgcolor", "TAPColor", "Background"},
        {"image", "TAPFileName", "Picture to show"},
        {"align", "TAPComboList", "Alignment"},
        {"showToolBar", "TAPString", "Show tool bar"}};
    for (const auto& [name, kind, caption] : kinds) {
        EXPECT_EQ(key(name + " parameter", "Class"), kind) << name;
        EXPECT_EQ(key(name + " parameter", "UFName"), caption) << name;
    }
    EXPECT_EQ(key("alpha parameter", "Max"), "255");
    EXPECT_EQ(key("sound parameter", "True"), "yes");
    EXPECT_EQ(key("align parameter", "Items"), "left|center|right");
    EXPECT_EQ(key("Description", "Comment"), "Info applet 1.0, written for the ZARN tests");
#ifdef ZARN_ARCHIVES
    EXPECT_EQ(key("Applet Basic Parameters", "Archive"), "scaffold-applets.jar");
    EXPECT_EQ(key("Applet Basic Parameters", "Copy"), "scaffold-applets.jar");
#endif
#endif
}

TEST(ScaffoldTest, KindsAndCaptionsAreGuessedConservatively) {
    const std::vector<std::tuple<std::string, std::string, int, int>> kinds = {
        {"int", "TAPNumeric", 0, 0},
        {"Integer", "TAPNumeric", 0, 0},
        {"0-255", "TAPNumeric", 0, 255},
        {"int, -10..10", "TAPNumeric", -10, 10},
        {"float", "TAPFloat", 0, 0},
        {"double", "TAPFloat", 0, 0},
        {"boolean", "TAPBoolean", 0, 0},
        {"Yes/No", "TAPBoolean", 0, 0},
        {"colour", "TAPColor", 0, 0},
        {"Color", "TAPColor", 0, 0},
        {"url", "TAPFileName", 0, 0},
        {"image file", "TAPFileName", 0, 0},
        {"a|b", "TAPComboList", 0, 0},
        {"String", "TAPString", 0, 0},
        {"", "TAPString", 0, 0},
        {"printable", "TAPString", 0, 0},
        {"99999999999-1", "TAPString", 0, 0},
        {"|", "TAPString", 0, 0}};
    for (const auto& [text, className, min, max] : kinds) {
        const TGuessedKind kind = GuessKind(text);
        EXPECT_EQ(kind.className, className) << text;
        EXPECT_EQ(kind.min, min) << text;
        EXPECT_EQ(kind.max, max) << text;
    }
    const TGuessedKind yesNo = GuessKind("Yes/No");
    EXPECT_EQ(yesNo.trueText, "Yes");
    EXPECT_EQ(yesNo.falseText, "No");
    EXPECT_EQ(GuessKind("false|true").trueText, "true");
    EXPECT_EQ(GuessKind(" left | center |right").items, (TStrings{"left", "center", "right"}));

    const std::vector<std::pair<std::string, std::string>> captions = {
        {"showToolBar", "Show tool bar"}, {"speed", "Speed"},      {"bg_color", "Bg color"},
        {"imageURL", "Image URL"},        {"URLBase", "URL base"}, {"font2size", "Font2size"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(SpelledOut(name), caption) << name;
}

TEST(ScaffoldTest, BytecodePatternsAreFollowed) {
    const std::string getParameterType = "(Ljava/lang/String;)Ljava/lang/String;";
    // A helper calling a helper, called with its name after other arguments, past instructions of
    // every variable length.
    TClassBuilder applet("demo/Demo", "java/applet/Applet");
    const uint16_t getParameter = applet.Method("demo/Demo", "getParameter", getParameterType);
    const uint16_t inner = applet.Method("demo/Demo", "inner", getParameterType);
    const uint16_t outer = applet.Method("demo/Demo", "outer", "(ZLjava/lang/String;)Ljava/lang/String;");
    const uint16_t resize = applet.Method("demo/Demo", "resize", "(II)V");
    applet.AddMethod("inner", getParameterType,
                     {0x2a, 0x2b, 0xb6, uint8_t(getParameter >> 8), uint8_t(getParameter), 0xb0});
    applet.AddMethod("outer", "(ZLjava/lang/String;)Ljava/lang/String;",
                     {0x2a, 0x2c, 0xb6, uint8_t(inner >> 8), uint8_t(inner), 0xb0});
    const std::vector<uint8_t> switches = {
        0x03, 0xaa, 0,    0, 0, 0, 0x10, 0,    0, 0, 0,   0, 0, 0, 1, 0, 0, 0, 0x10, 0,
        0,    0,    0x10,                                                                  // tableswitch
        0x03, 0xab, 0,    0, 0, 0, 0,    0x10, 0, 0, 0,   1, 0, 0, 0, 7, 0, 0, 0,    0x10, // lookupswitch
        0xc4, 0x84, 0,    1, 0, 2, 0xc4, 0x15, 0, 1, 0x57}; // wide iinc, wide iload
    applet.AddMethod("init", "()V",
                     TClassBuilder::Join({{0x2a, 0x11, 0x01, 0x90, 0x10, 100},
                                          TClassBuilder::Invoke(resize),
                                          switches,
                                          {0x2a, 0x04},
                                          TClassBuilder::Ldc(applet.String("viaHelpers")),
                                          TClassBuilder::Invoke(outer),
                                          {0x57},
                                          {0x2a},
                                          TClassBuilder::Ldc(applet.String("direct")),
                                          TClassBuilder::Invoke(getParameter),
                                          {0x57, 0xb1}}));
    // A name kept in a local first.
    TClassBuilder other("demo/Other", "java/lang/Object");
    const uint16_t appletGet = other.Method("java/applet/Applet", "getParameter", getParameterType);
    other.AddMethod("read", "(Ljava/applet/Applet;)V",
                    TClassBuilder::Join({TClassBuilder::Ldc(other.String("fromLocal")),
                                         {0x4d, 0x2b, 0x2c},
                                         TClassBuilder::Invoke(appletGet),
                                         {0x57, 0xb1}}));
    const TAppletSource source =
        analyse({{"demo/Demo.class", applet.Bytes()}, {"demo/Other.class", other.Bytes()}});
    ASSERT_EQ(source.applets.size(), 1u);
    EXPECT_EQ(paramNames(source.applets[0]), (TStrings{"viaHelpers", "direct", "fromLocal"}));
    EXPECT_EQ(source.applets[0].width, 400);
    EXPECT_EQ(source.applets[0].height, 100);
}

TEST(ScaffoldTest, MalformedInputEndsInMessages) {
    const std::vector<uint8_t> valid = AppletAsking("Ok", "java/applet/Applet", {"a", "b"});
    ASSERT_EQ(AnalyseClasses({{"Ok.class", valid}}).applets.size(), 1u);
    // Every cut of a class file is refused, never read past its end.
    for (std::size_t length = 0; length < valid.size(); ++length) {
        const std::span<const uint8_t> cut(valid.data(), length);
        EXPECT_THROW(ReadClassFile(cut), EClassFormat) << length;
    }
    // Corrupt bytes, each in the first place that matters.
    const std::vector<std::pair<std::size_t, uint8_t>> corruptions = {
        {0, 0x00},  // signature
        {8, 0x00},  // pool count 0 (high byte stays 0)
        {10, 0x63}, // an unknown constant kind
    };
    for (const auto& [at, byte] : corruptions) {
        std::vector<uint8_t> bytes = valid;
        bytes[at] = byte;
        if (at == 8)
            bytes[9] = 0;
        EXPECT_THROW(ReadClassFile(bytes), EClassFormat) << at;
    }
    // A superclass chain that runs in a circle is no applet; the readable class still is.
    const TAppletSource cyclic = analyse({{"A.class", AppletAsking("A", "B", {"x"})},
                                          {"B.class", AppletAsking("B", "A", {"y"})},
                                          {"C.class", AppletAsking("C", "C", {"z"})},
                                          {"Bad.class", {0xCA, 0xFE}},
                                          {"Ok.class", valid}});
    ASSERT_EQ(cyclic.applets.size(), 1u);
    EXPECT_EQ(cyclic.problems, TStrings{"Bad.class: not a class file (no class file signature)"});

    // The largest constant pool, and a class file of 10 MB, are read whole and quickly.
    TClassBuilder full("Full", "java/applet/Applet");
    while (full.PoolCount() < 65535)
        full.Utf8(std::to_string(full.PoolCount()));
    TClassBuilder large("Large", "java/applet/Applet");
    const std::string chunk(65535, 'x');
    for (int i = 0; i < 160; ++i)
        large.Utf8(chunk);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadClassFile(full.Bytes()).pool.size(), 65535u);
    EXPECT_EQ(AnalyseClasses({{"Large.class", large.Bytes()}}).applets.size(), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    std::vector<uint8_t> huge = large.Bytes();
    huge.resize(MaxClassFileSize + 1);
    EXPECT_THROW(ReadClassFile(huge), EClassFormat);

    // A chain of 3,000 helpers, each handing its name to the one before, ends in time with its name.
    TClassBuilder chain("Chain", "java/applet/Applet");
    const std::string helperType = "(Ljava/lang/String;)Ljava/lang/String;";
    uint16_t previous = chain.Method("Chain", "getParameter", helperType);
    for (int i = 0; i < 3000; ++i) {
        chain.AddMethod("h" + std::to_string(i), helperType,
                        TClassBuilder::Join({{0x2a, 0x2b}, TClassBuilder::Invoke(previous), {0xb0}}));
        previous = chain.Method("Chain", "h" + std::to_string(i), helperType);
    }
    chain.AddMethod("init", "()V",
                    TClassBuilder::Join({{0x2a},
                                         TClassBuilder::Ldc(chain.String("deep")),
                                         TClassBuilder::Invoke(previous),
                                         {0x57, 0xb1}}));
    EXPECT_EQ(paramNames(AnalyseClasses({{"Chain.class", chain.Bytes()}}).applets.at(0)), TStrings{"deep"});

    // Archives and folders that cannot serve.
    TempDir dir;
    WriteFile(dir.dir() + "empty.jar", "");
    WriteFile(dir.dir() + "junk.jar", "PK\x03\x04 not a zip at all");
    std::filesystem::create_directory(dir.dir() + "none");
    for (const char* name : {"empty.jar", "junk.jar", "none", "missing"})
        EXPECT_THROW(ReadAppletSource(dir.dir() + name), EZarnError) << name;
#ifdef ZARN_ARCHIVES
    const std::string jar = dir.dir() + "whole.jar";
    ASSERT_TRUE(zarn::test::WriteJarWith(jar, {{"Ok.class", asText(valid)}, {"Bad.class", "\xCA\xFE"}}));
    const TAppletSource fromJar = ReadAppletSource(jar);
    EXPECT_EQ(fromJar.applets.size(), 1u);
    EXPECT_EQ(fromJar.problems.size(), 1u);
    // A jar cut short anywhere is refused or read in part, never a crash.
    const std::string bytes = ReadFile(jar);
    for (std::size_t length : {std::size_t(30), bytes.size() / 2, bytes.size() - 10}) {
        WriteFile(dir.dir() + "cut.jar", bytes.substr(0, length));
        try {
            ReadAppletSource(dir.dir() + "cut.jar");
        } catch (const EZarnError& error) {
            EXPECT_FALSE(error.Message().empty());
        }
    }
#endif
}
