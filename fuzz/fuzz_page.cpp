// The page reader on bytes from anywhere: old pages are broken in every way. Every block it finds
// is described, and every value passes the block's escape pass, and the parser after it, unchanged
// once escaped.

#include "FuzzSupport.h"

#include "tag/MacroPass.h"
#include "tag/PageImport.h"

#include <string>

using namespace zarn;
using namespace zarn::fuzz;

namespace {

// What an escaped value gives in a block: its line breaks become the block's carriage returns.
std::string blockForm(const std::string& value) {
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' || value[i] == '\n') {
            if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
                ++i;
            result += '\r';
        } else {
            result += value[i];
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    for (const TPageApplet& applet : ReadPageApplets(page)) {
        (void)DescribeApplet(applet);
        for (const TPageParam& param : applet.params) {
            std::string compiled = ExpandMacros(EscapeValueForBlock(param.value) + " ", TMacroTable());
            compiled.pop_back();
            Check(ParsedBlockValue(compiled) == blockForm(param.value),
                  "an escaped value changed in the block: " + param.value);
        }
    }
    return 0;
}
