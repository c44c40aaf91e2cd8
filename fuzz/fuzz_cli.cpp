// zarn-cli's argument handling: the input is a command line, its arguments separated by NUL bytes.
// Each run starts in a fresh private folder holding a template with its support files, a document
// and a broken template. Arguments cannot name anything outside that folder: an absolute path or a
// ".." step is defused before the command line runs.

#include "FuzzSupport.h"

#include "cli/CliCommands.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

using namespace zarn;
using namespace zarn::fuzz;

namespace {

struct Fixture {
    std::string name;
    std::string content;
};

std::vector<Fixture>& fixtures() {
    static std::vector<Fixture> list;
    return list;
}

std::string dataFile(const std::string& name) {
    return ReadBytes(std::string(ZARN_FUZZ_DATA_DIR) + "/" + name);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Keeps an argument inside the private folder: no root at its start or after "=", no ".." step.
std::string defuse(std::string arg) {
    for (std::size_t i = 0; i < arg.size(); ++i)
        if ((arg[i] == '/' || arg[i] == '\\') && (i == 0 || arg[i - 1] == '='))
            arg[i] = '_';
    while (arg.find("..") != std::string::npos)
        arg = replaceAll(arg, "..", "._");
    return arg;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string sample = dataFile("Sample.zrt");
    std::string document = replaceAll(sample, "TemplateFile=1", "TemplateFile=0");
    document = replaceAll(document, "CodeBase=\r\n", "CodeBase=cb\r\n");
    document = replaceAll(document, "CodeBase=\n", "CodeBase=cb\n");
    fixtures() = {
        {"tpl/t.zrt", sample},
        {"tpl/Sample.class", dataFile("Sample.class")},
        {"tpl/zeta.gif", dataFile("zeta.gif")},
        {"tpl/Alpha.gif", dataFile("Alpha.gif")},
        {"d.zrd", document},
        {"b.zrt", dataFile("Broken.zrt")},
    };
    // Relative names in command lines resolve inside the private folder.
    if (::chdir(FuzzDir().c_str()) != 0)
        Fail("cannot enter " + FuzzDir());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size && args.size() < 32; ++i) {
        if (data[i] == 0) {
            args.push_back(defuse(std::move(current)));
            current.clear();
        } else if (current.size() < 512) {
            current += char(data[i]);
        }
    }
    if (!current.empty() && args.size() < 32)
        args.push_back(defuse(std::move(current)));

    ClearFuzzDir();
    std::error_code ec;
    std::filesystem::create_directory(FuzzPath("tpl"), ec);
    for (const Fixture& fixture : fixtures())
        WriteBytes(FuzzPath(fixture.name), fixture.content);

    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::RunCli(args, out, err);
    Check(code == cli::ExitOk || code == cli::ExitError || code == cli::ExitMissingFiles,
          "an unknown exit code");
    const std::string errors = err.str();
    if (code == cli::ExitError) {
        Check(errors.rfind("zarn-cli: ", 0) == 0, "an error without its one line on stderr");
        Check(errors.find('\n') == errors.size() - 1, "an error message of more than one line");
    }
    Check(ReadBytes(FuzzPath("tpl/t.zrt")) == fixtures()[0].content || code == cli::ExitOk,
          "a failed command changed the template");
    return 0;
}
