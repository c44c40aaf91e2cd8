// The class file reader and the scaffold's analysis on bytes from anywhere: a jar handed to
// "scaffold" may hold anything under a ".class" name. Every input is read or refused, never read
// past its end, and what is read gives a template text.

#include "FuzzSupport.h"

#include "tag/ClassFile.h"
#include "tag/Scaffold.h"

using namespace zarn;
using namespace zarn::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    try {
        const TClassFile file = ReadClassFile(bytes);
        Check(!file.name.empty(), "a class without a name was read");
        for (const TClassMethod& method : file.methods)
            for (std::size_t pos = 0, length = 1; pos < method.code.size() && length; pos += length)
                length = InstructionLength(method.code, pos);
    } catch (const EClassFormat& error) {
        Check(!error.Message().empty(), "a refusal without a message");
    }
    const TAppletSource source =
        AnalyseClasses({{"Fuzz.class", std::vector<uint8_t>(bytes.begin(), bytes.end())}});
    for (const TFoundApplet& applet : source.applets)
        Check(TemplateText(source, applet).find("[Applet Parameters]") != std::string::npos,
              "a template without its parameter list");
    return 0;
}
