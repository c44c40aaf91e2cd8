// The path and URL functions on two texts from anywhere (a template's code base, a web root, a
// support file's name), with the promises their header makes.

#include "FuzzSupport.h"

#include "paths/PathForms.h"
#include "plugins/PluginFolders.h"
#include "tag/CodeBaseCheck.h"
#include "tag/Preview.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

using namespace zarn;
using namespace zarn::fuzz;

namespace {

bool endsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

bool hasParentStep(const std::string& path) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find_first_of("/\\", start);
        if (path.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider fdp(data, size);
    const std::string a = fdp.ConsumeRandomLengthString(1024);
    const std::string b = fdp.ConsumeRemainingBytesAsString();

    for (const std::string& path : {a, b}) {
        const std::string terminated = WithTrailingBackslash(path);
        Check(path.empty() ? terminated.empty() : endsWithSeparator(terminated),
              "WithTrailingBackslash left no separator");
        Check(terminated.compare(0, path.size(), path) == 0, "WithTrailingBackslash changed the path");
        Check(ExtractFilePath(path) + ExtractFileName(path) == path,
              "the folder and name do not make the path");
        Check(ToDosPath(path).find('/') == std::string::npos, "ToDosPath left a slash");
        (void)IsURL(path);
        (void)IsRelativePath(path);
        (void)IsPosixPath(path);
        (void)ToFileURL(path);
        (void)ToNetscapeURL(path);
        (void)BrowserFileURL(path);
        (void)SplitCommandLine(path);
        for (int kind = 0; kind < 3; ++kind)
            (void)PreviewPathForViewer(path, kind);
        (void)DirectoryExists(path);
        (void)FileExists(path);
        if (IsSafeSupportFileName(path))
            Check(!path.empty() && path.front() != '/' && path.front() != '\\' &&
                      path.find(':') == std::string::npos && !hasParentStep(path),
                  "a support file name leading out of its folder was taken as safe");
        if (IsBarePluginName(path)) {
            Check(path.find_first_of("/\\:") == std::string::npos && path.find("..") == std::string::npos,
                  "a plug-in name with a folder part was taken as bare");
            for (const std::string& file : PluginFileNames(path))
                Check(file.find_first_of("/\\") == std::string::npos,
                      "a plug-in file name with a folder part");
        }
    }

    const std::string relative = MakeRelativePath(a, b);
    Check(relative.empty() || endsWithSeparator(relative), "MakeRelativePath gave no trailing separator");
    (void)MakeRelativePath(b, a);
    (void)RelativeCodeBase(a, b);
    (void)RelativeCodeBase(b, a);
    return 0;
}
