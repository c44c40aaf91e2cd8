#pragma once
// Writing a document's applet block back into an HTML page: the block found by a scanner over the
// page's raw bytes, replaced by the document's, every other byte of the page kept as it was.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

class TIniFile;
class TJavaAppletTag;

// One APPLET block of a page, from its "<" to the ">" of its end tag. Blocks are numbered as
// ReadPageApplets lists them: in page order, outside comments, scripts and styles.
struct TPageBlock {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool closed = true; // false: no end tag before the next block or the end of the page
};

struct TPageScan {
    std::vector<TPageBlock> blocks;
    std::string charset; // the first one a META tag declares, in lower case; empty when none
};

TPageScan ScanPage(std::string_view bytes);

// Where a document's block came from: the page (absolute), and the block's bytes as the page held
// them at that offset.
struct TPageOrigin {
    std::string page;
    std::size_t offset = 0;
    std::string block;

    bool Empty() const { return page.empty(); }
};

// The "[Imported From]" section; an absent or damaged section gives an empty origin.
TPageOrigin ReadPageOrigin(const TIniFile& file);
void WritePageOrigin(TIniFile& file, const TPageOrigin& origin);
// The origin of a block the page `pagePath` holds at `offset`; empty when the name cannot be
// stored (a line break in it).
TPageOrigin MakePageOrigin(const std::string& pagePath, std::size_t offset, std::string block);

struct TPageUpdate {
    std::string page;
    std::size_t block = 0; // 1-based; 0: the origin's block, else the page's only one
    bool backup = true;    // the old page kept as PAGE.bak
};

struct TPageUpdateResult {
    TPageOrigin origin; // the block as now written
    std::size_t block = 0;
    std::string backup; // the backup's name; empty without one
};

// Replaces the chosen block of the page with the tag's "Generate actual code" block (relative to
// the page's folder, in the page's line ends and encoding). With `origin` naming the page and no
// block number, the block is the one at the remembered offset when it still reads as remembered,
// else the one that does anywhere in the page. Raises EZarnError, with the page untouched, when
// the block cannot be found, is not closed, or holds characters the page's encoding lacks.
TPageUpdateResult UpdatePage(TJavaAppletTag& tag, const TPageOrigin& origin, const TPageUpdate& request);

// The number of APPLET blocks of the page; raises EZarnError when it cannot be read.
std::size_t CountPageBlocks(const std::string& page);

} // namespace zarn
