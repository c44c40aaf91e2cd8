#pragma once
// Finding a Java runtime for the ZARN applet viewer, and the viewer's jar.

#include "profile/TextConv.h"

#include <optional>
#include <string>

namespace zarn {

// Java 26 dropped the applet classes the viewer is built on.
inline constexpr int FirstJavaWithoutApplets = 26;

struct TJavaRuntime {
    std::string program; // the java program
    std::string version; // as the kit names it ("17.0.15", "1.8.0_392"); empty when unknown
    int major = 0;       // 8, 17, 26...; 0 when unknown

    // A kit whose version is unknown is tried: a wrong guess ends in the viewer's own message.
    bool Usable() const { return major < FirstJavaWithoutApplets; }
};

struct TJavaSearch {
    std::optional<TJavaRuntime> usable; // the first usable runtime found
    std::vector<TJavaRuntime> unusable; // runtimes passed over, in the order found
};

// "17.0.15" -> 17, "1.8.0_392" -> 8, "26-ea" -> 26; 0 for what is no version.
int JavaMajorVersion(const std::string& version);

// The version a kit names in its "release" file (JAVA_VERSION="..."); empty when there is none.
std::string ReleaseFileVersion(const std::string& releaseFileText);

// The version the java program reports: its kit's release file, else the first quoted text of
// `java -version` (given a few seconds; a program that hangs is stopped).
std::string ReadJavaVersion(const std::string& program);

// The java programs to try, in order, each once: $JAVA_HOME/bin/java, "java" on the PATH, then the
// kits in /usr/lib/jvm (by name). `jvmFolder` stands in for /usr/lib/jvm in tests.
TStrings JavaCandidates(const std::string& jvmFolder = "/usr/lib/jvm");
TJavaSearch FindJavaRuntime(const std::string& jvmFolder = "/usr/lib/jvm");

// Why a runtime cannot run the viewer, for the user.
std::string UnusableJavaMessage(const TJavaRuntime& runtime);
// One line on the runtime the viewer would use, or why there is none.
std::string JavaSearchSummary(const TJavaSearch& search);

// The viewer's jar: beside the program (the build tree), then the installed data folder, then the
// data folder beside an installed program moved elsewhere. Empty when it is nowhere.
std::string ViewerJarPath();

// Whether the runtime takes -Djava.security.manager=allow, which the viewer's sandbox needs from 18 on
// (Java 8 to 11 would take "allow" for a class name; from 24 on there is no security manager).
inline bool AllowsSecurityManagerOption(int major) {
    return major >= 12 && major < 24;
}

// What "Run preview" starts for the ZARN applet viewer: java, its arguments before the page, and a
// message instead when it cannot run.
struct TZarnViewerLaunch {
    std::string java;
    TStrings arguments;
    std::string problem;
};
TZarnViewerLaunch ZarnViewerLaunch();

} // namespace zarn
