#include "platform/JavaRuntime.h"

#include "paths/InstallPaths.h"

#include "platform/ProgramFolder.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#ifndef _WIN32
extern char** environ;
#endif

namespace zarn {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr char PathListSeparator = ';';
const char* const JavaProgram = "java.exe";
bool IsProgram(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}
#else
constexpr char PathListSeparator = ':';
const char* const JavaProgram = "java";
bool IsProgram(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}
#endif

std::string ReadSmallFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) {
        text.resize(64 * 1024);
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<size_t>(in.gcount()));
    }
    return text;
}

// The first text between double quotes, as `java -version` and release files give the version.
std::string FirstQuoted(const std::string& text) {
    const size_t open = text.find('"');
    const size_t close = open == std::string::npos ? open : text.find('"', open + 1);
    return close == std::string::npos ? std::string() : text.substr(open + 1, close - open - 1);
}

// The output of `program -version`; empty when it does not answer within the time.
#ifdef _WIN32
// Every kit since 9 has its release file; on Windows the version is read from there only.
std::string RunVersion(const std::string&) {
    return {};
}
#else
std::string RunVersion(const std::string& program) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    std::string programCopy = program, option = "-version";
    char* argv[] = {programCopy.data(), option.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    std::string output;
    if (spawned == 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        char buffer[4096];
        while (output.size() < 64 * 1024) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd poller{pipeEnds[0], POLLIN, 0};
            if (left.count() <= 0 || ::poll(&poller, 1, static_cast<int>(left.count())) <= 0) {
                if (errno == EINTR && left.count() > 0)
                    continue;
                ::kill(pid, SIGKILL);
                output.clear();
                break;
            }
            const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            output.append(buffer, static_cast<size_t>(got));
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(pipeEnds[0]);
    return output;
}
#endif

void AddCandidate(TStrings& list, TStrings& seen, const fs::path& path) {
    if (!IsProgram(path))
        return;
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    const std::string key = ec ? path.string() : real.string();
    if (std::find(seen.begin(), seen.end(), key) != seen.end())
        return;
    seen.push_back(key);
    list.push_back(path.string());
}

} // namespace

int JavaMajorVersion(const std::string& version) {
    size_t i = 0;
    int first = 0;
    while (i < version.size() && std::isdigit(static_cast<unsigned char>(version[i])) && first < 1000)
        first = first * 10 + (version[i++] - '0');
    if (i == 0)
        return 0;
    // Up to Java 8 the major version came second: "1.8.0".
    if (first == 1 && i + 1 < version.size() && version[i] == '.') {
        int second = 0;
        size_t j = i + 1;
        while (j < version.size() && std::isdigit(static_cast<unsigned char>(version[j])) && second < 1000)
            second = second * 10 + (version[j++] - '0');
        return j > i + 1 ? second : 0;
    }
    return first;
}

std::string ReleaseFileVersion(const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("JAVA_VERSION=", 0) == 0)
            return FirstQuoted(line);
    return {};
}

std::string ReadJavaVersion(const std::string& program) {
    std::error_code ec;
    const fs::path real = fs::canonical(program, ec);
    if (!ec) {
        // bin/java of a kit, or jre/bin/java of an old one.
        const fs::path home = real.parent_path().parent_path();
        for (const fs::path& release : {home / "release", home.parent_path() / "release"})
            if (std::string version = ReleaseFileVersion(ReadSmallFile(release)); !version.empty())
                return version;
    }
    return FirstQuoted(RunVersion(program));
}

TStrings JavaCandidates(const std::string& jvmFolder) {
    TStrings list, seen;
    if (const char* home = std::getenv("JAVA_HOME"); home && *home)
        AddCandidate(list, seen, fs::path(home) / "bin" / JavaProgram);
    if (const char* path = std::getenv("PATH")) {
        std::istringstream folders(path);
        for (std::string folder; std::getline(folders, folder, PathListSeparator);)
            if (!folder.empty() && fs::path(folder).is_absolute())
                AddCandidate(list, seen, fs::path(folder) / JavaProgram);
    }
    std::error_code ec;
    std::vector<fs::path> kits;
    for (fs::directory_iterator it(jvmFolder, ec), end; !ec && it != end; it.increment(ec))
        kits.push_back(it->path());
    std::sort(kits.begin(), kits.end());
    for (const fs::path& kit : kits)
        AddCandidate(list, seen, kit / "bin" / JavaProgram);
    return list;
}

TJavaSearch FindJavaRuntime(const std::string& jvmFolder) {
    TJavaSearch search;
    for (const std::string& program : JavaCandidates(jvmFolder)) {
        TJavaRuntime runtime{program, ReadJavaVersion(program), 0};
        runtime.major = JavaMajorVersion(runtime.version);
        if (!runtime.Usable()) {
            search.unusable.push_back(std::move(runtime));
        } else {
            search.usable = std::move(runtime);
            break;
        }
    }
    return search;
}

std::string UnusableJavaMessage(const TJavaRuntime& runtime) {
    return "Java " + runtime.version + " (" + runtime.program + ") cannot run the ZARN applet viewer: Java " +
           std::to_string(FirstJavaWithoutApplets) + " and later have no applet classes. Install Java 8 to " +
           std::to_string(FirstJavaWithoutApplets - 1) + " (on Debian: openjdk-17-jre).";
}

std::string JavaSearchSummary(const TJavaSearch& search) {
    if (search.usable)
        return "Java " +
               (search.usable->version.empty() ? std::string("(version unknown)") : search.usable->version) +
               ": " + search.usable->program;
    if (!search.unusable.empty())
        return UnusableJavaMessage(search.unusable.front());
    return "No Java runtime found (JAVA_HOME, PATH, /usr/lib/jvm); the ZARN applet viewer needs Java 8 to " +
           std::to_string(FirstJavaWithoutApplets - 1) + " (on Debian: openjdk-17-jre).";
}

std::string ViewerJarPath() {
    return FindViewerJar(ProgramFolder(), "zarn-viewer.jar");
}

TZarnViewerLaunch ZarnViewerLaunch() {
    TZarnViewerLaunch launch;
    const std::string jar = ViewerJarPath();
    if (jar.empty()) {
        launch.problem = "The ZARN applet viewer (zarn-viewer.jar) is not installed beside ZARN.";
        return launch;
    }
    const TJavaSearch search = FindJavaRuntime();
    if (!search.usable) {
        launch.problem = JavaSearchSummary(search);
        return launch;
    }
    launch.java = search.usable->program;
    launch.arguments = {"-jar", jar};
    if (AllowsSecurityManagerOption(search.usable->major))
        launch.arguments.insert(launch.arguments.begin(), "-Djava.security.manager=allow");
    return launch;
}

} // namespace zarn
