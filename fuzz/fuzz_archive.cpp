// The archive reader on bytes from anywhere: a jar a document names may be cut short or not a zip
// file at all. Every input gives entry names or a reason, never both.

#include "FuzzSupport.h"

#include "tag/ClassLookup.h"

using namespace zarn;
using namespace zarn::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const TArchiveEntries entries = ReadArchiveEntries(std::span<const uint8_t>(data, size));
    Check(entries.problem.empty() || entries.names.empty(), "an unreadable archive listed entries");
    Check(!entries.problem.empty() || size > 0, "an empty file was read as an archive");
    return 0;
}
