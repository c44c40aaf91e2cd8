#pragma once
// A look at the applet block while it is being edited: the block as "&Generate actual code" gives
// it and what a web author should fix before publishing it. Looking writes nothing anywhere.

#include "profile/TextConv.h"
#include "tag/BasicAttributes.h"

#include <string>
#include <vector>

namespace zarn {

class TAppletParam;
class TJavaAppletTag;

enum class TBlockWarningKind {
    UnresolvedMacro,
    MissingSupportFile,
    MissingClassFile,
    UnreadableArchive,
    RefusedValue,
    FileOutsideWebRoot,
    CompileFailed
};

struct TBlockWarning {
    TBlockWarningKind kind = TBlockWarningKind::CompileFailed;
    std::string text;
    // The top-level parameter (or the alternate text) the warning is about; null for a basic attribute.
    const TAppletParam* param = nullptr;
    // The basic attribute it is about when it names no parameter.
    TBasicField basic = TBasicField::CodeBase;
};

struct TBlockLook {
    std::string code; // bare carriage returns as line ends; empty when the compile failed
    std::vector<TBlockWarning> warnings;
};

// Only reads: plug-ins compile without a web root, the code base check lists and never copies.
TBlockLook LookAtBlock(TJavaAppletTag& tag);

} // namespace zarn
