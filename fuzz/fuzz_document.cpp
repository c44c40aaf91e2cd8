// A template or document from anywhere: loaded with every kind (vectors, plug-in parameters through
// the fuzz tree's stub library), vector elements added, moved and deleted, compiled for each purpose
// and saved into another file. The source file must never change; a saved document must load again.

#include "FuzzSupport.h"

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "plugins/PluginFolders.h"
#include "profile/Errors.h"
#include "startup/CoreStartup.h"
#include "tag/AppletTag.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

using namespace zarn;
using namespace zarn::fuzz;

namespace {

// Works on the vectors the way the vector view does, driven by the input's last bytes.
void editVectors(TJavaAppletTag& tag, FuzzedDataProvider& fdp) {
    for (const auto& param : *tag.ParamList) {
        auto* vector = dynamic_cast<TAPParamVector*>(param.get());
        if (!vector)
            continue;
        for (int step = 0; step < 3 && fdp.remaining_bytes() > 0; ++step) {
            const TStrings addable = vector->AddableTemplates();
            switch (fdp.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                if (!addable.empty()) {
                    const std::string& name =
                        addable[fdp.ConsumeIntegralInRange<std::size_t>(0, addable.size() - 1)];
                    (void)vector->TemplateDescription(name);
                    try {
                        vector->InsertFromTemplate(name, fdp.ConsumeIntegralInRange<std::size_t>(0, 8));
                    } catch (const EZarnError&) {
                    }
                }
                break;
            case 1:
                vector->Delete(fdp.ConsumeIntegralInRange<std::size_t>(0, 8));
                break;
            case 2:
                vector->Move(fdp.ConsumeIntegralInRange<std::size_t>(0, 8),
                             fdp.ConsumeIntegralInRange<std::size_t>(0, 8));
                break;
            default:
                vector->RenameElements();
                break;
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RegisterStandardParamClasses();
    SetPluginSearchPath({ZARN_FUZZ_PLUGIN_DIR});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    ClearFuzzDir();
    ClearProfileCache();
    const std::string source = FuzzPath("source.zrt");
    WriteBytes(source, content);

    TKelmFile file(source);
    TJavaAppletTag tag;
    try {
        tag.Load(file);
    } catch (const EZarnError&) {
        Check(!tag.ParamList, "a failed load left a parameter list behind");
        Check(ReadBytes(source) == content, "a failed load changed the file");
        return 0;
    }
    Check(tag.ParamList != nullptr, "a load succeeded without a parameter list");

    // The last bytes steer the edits: the document itself keeps its meaning.
    const std::size_t steer = size > 16 ? 16 : size;
    FuzzedDataProvider fdp(data + size - steer, steer);
    editVectors(tag, fdp);

    const std::string baseDirectory = FuzzPath("site/");
    for (int purpose : {PurposeDos, PurposeClipboard, PurposeDisplay}) {
        for (const std::string& base : {tag.BasicParams.WebRoot, baseDirectory}) {
            try {
                const std::string html = tag.CompileToHTML(purpose, base);
                Check(html.rfind("<APPLET CODE=", 0) == 0, "a block that does not open with <APPLET");
            } catch (const EZarnError&) {
            }
        }
    }

    // Saving goes to a copy of the file, as Save As does; the source stays as it was.
    const std::string target = FuzzPath("saved.zrd");
    WriteBytes(target, content);
    bool saved = false;
    try {
        TKelmFile out(target);
        tag.Save(out);
        saved = true;
    } catch (const EZarnError&) {
        Check(ReadBytes(target) == content, "a failed save changed the document");
    }
    Check(ReadBytes(source) == content, "loading, compiling or saving changed the source file");

    if (saved) {
        ClearProfileCache();
        TKelmFile again(target);
        TJavaAppletTag reloaded;
        try {
            reloaded.Load(again);
        } catch (const EZarnError& error) {
            Fail("a saved document does not load again: " + error.Message());
        }
    }
    return 0;
}
