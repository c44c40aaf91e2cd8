#pragma once
// A template made from the applet itself: the class files of a jar or a folder are read as data
// (never loaded or run), the applet classes found, and each one's parameters gathered from its code.

#include "profile/TextConv.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

struct TScaffoldParam {
    std::string name;
    std::string type;        // the applet's own type text; empty when it states none
    std::string description; // likewise
};

struct TFoundApplet {
    std::string name;                   // with its package, dotted: "org.example.Viewer"
    std::vector<TScaffoldParam> params; // at most 1,000
    std::string info;                   // what getAppletInfo returns, as far as it is constant
    int width = 300;
    int height = 200;
};

struct TClassBytes {
    std::string entry; // "org/example/Viewer.class"
    std::vector<uint8_t> bytes;
};

struct TAppletSource {
    std::string path;
    bool archive = false;
    TStrings classEntries;             // every class file, in archive or name order
    std::vector<TFoundApplet> applets; // sorted by name
    TStrings problems;                 // class files that could not be read, each with why
};

// Finds the applets among the classes and what they take.
TAppletSource AnalyseClasses(const std::vector<TClassBytes>& classes);

// Reads a jar (zip) or a folder of class files and analyses them. Raises EZarnError when the
// archive or folder cannot be read or holds no class file.
TAppletSource ReadAppletSource(const std::string& path);

// What to read for a chosen file: a jar itself; for a class file, the folder its package starts
// in ("org/example/Viewer.class" in "/site/org/example" gives "/site").
std::string ScaffoldSourceFor(const std::string& chosenFile);

// The applet named `className` (dotted or with slashes, ".class" optional), or the only one when
// the name is empty. Raises EZarnError naming the choices otherwise.
const TFoundApplet& ChooseApplet(const TAppletSource& source, std::string_view className);

// What a parameter's type text says about its kind.
struct TGuessedKind {
    std::string className = "TAPString";
    bool ranged = false;
    int32_t min = 0, max = 0;
    TStrings items;                  // a choice list
    std::string trueText, falseText; // a switch
};
TGuessedKind GuessKind(std::string_view typeText);

// "showToolBar" -> "Show tool bar".
std::string SpelledOut(std::string_view name);

// The template text (Windows-1252, CR LF) for `applet` of `source`.
std::string TemplateText(const TAppletSource& source, const TFoundApplet& applet);

// Writes the template to `outPath` in one step; refuses an existing file unless `replace`.
void WriteTemplate(const TAppletSource& source, const TFoundApplet& applet, const std::string& outPath,
                   bool replace);

} // namespace zarn
