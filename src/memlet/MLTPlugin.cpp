#include "memlet/MLTPlugin.h"

#include "memlet/mlt_form.h"
#include "model/Codepage.h"
#include "model/Errors.h"
#include "model/IniFile.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <unordered_set>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zarn {

namespace {

uint32_t tickCount() {
#ifdef _WIN32
    return GetTickCount();
#else
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
#endif
}

std::string lineKey(std::size_t index) {
    return "Line" + std::to_string(index);
}

// The index of a "Line%d" key ("Line7", any letter case), or -1 for another key. Leading zeros
// are not what "Line%d" writes, so "Line07" is not line 7.
int64_t lineIndexOf(const std::string& key) {
    if (key.size() < 5 || key.size() > 14 || !SameText(key.substr(0, 4), "Line"))
        return -1;
    if (key[4] == '0' && key.size() > 5)
        return -1;
    int64_t index = 0;
    for (std::size_t i = 4; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9')
            return -1;
        index = index * 10 + (key[i] - '0');
    }
    return index;
}

// Keys taken from the template go back as read, so a section written afresh (an element of a
// vector) keeps them; a line that already says the same is left untouched.
void writeBack(TIniFile& ini, const std::string& section, const char* key, const std::string& value,
               const std::string& absentMeaning) {
    if (ini.ReadString(section, key, absentMeaning) != value)
        ini.WriteString(section, key, value);
}

} // namespace

std::string GenerateDataName() {
    static std::unordered_set<uint32_t> handedOut;
    uint32_t value = tickCount() & 0xFFFFF;
    if (handedOut.size() <= 0xFFFFF)
        while (!handedOut.insert(value).second)
            value = (value + 1) & 0xFFFFF;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "MLT%X", unsigned(value));
    return buffer;
}

bool IsSafeDataName(const std::string& name) {
    if (name.empty() || name.find("..") != std::string::npos)
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

std::string JoinWebRoot(const std::string& webRoot, const std::string& name) {
    if (webRoot.empty() || webRoot.back() == '/' || webRoot.back() == '\\')
        return webRoot + name;
    const bool posix = webRoot.front() == '/' ||
                       (webRoot.find('/') != std::string::npos && webRoot.find('\\') == std::string::npos);
    return webRoot + (posix ? '/' : '\\') + name;
}

int32_t BoundedLineCount(int32_t count, const TStrings& keys) {
    if (count <= 0)
        return 0;
    if (std::size_t(count) <= keys.size())
        return count;
    int64_t last = -1;
    for (const auto& key : keys) {
        int64_t index = lineIndexOf(key);
        if (index < count && index > last)
            last = index;
    }
    return int32_t(last + 1);
}

void TMLTPlugin::LoadFromIni(const std::string& fileName, const std::string& section) {
    TIniFile ini(fileName);
    TStrings keys;
    ini.ReadSection(section, keys);
    const int32_t count = BoundedLineCount(ini.ReadInteger(section, "LineCount", 0), keys);
    TStrings lines;
    lines.reserve(std::size_t(count));
    for (int32_t i = 0; i < count; ++i)
        lines.push_back(ini.ReadString(section, lineKey(std::size_t(i)), ""));

    // The data file is written at web root + FName + ext: a name that could leave the web root
    // gives way to a fresh one.
    std::string fName = ini.ReadString(section, "FName", "");
    if (!IsSafeDataName(fName))
        fName = GenerateDataName();
    std::string ext = ini.ReadString(section, "ext", ".");
    if (!ext.empty() && !IsSafeDataName(ext))
        ext = ".";

    lines_ = std::move(lines);
    fName_ = std::move(fName);
    ext_ = std::move(ext);
    caption_ = ini.ReadString(section, "Caption", caption_);
    hasData_ = true;
}

void TMLTPlugin::SaveToIni(const std::string& fileName, const std::string& section) {
    if (!hasData_)
        return;
    TIniFile ini(fileName);
    TIniUpdate update(ini);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        ini.WriteString(section, lineKey(i), lines_[i]);
    ini.WriteInteger(section, "LineCount", int32_t(lines_.size()));
    ini.WriteString(section, "FName", fName_);
    writeBack(ini, section, "ext", ext_, ".");
    writeBack(ini, section, "Caption", caption_, DesignCaption);
    update.Commit();
}

std::string TMLTPlugin::CompileToHTML(const std::string& webRoot, const std::string& /*secondText*/) {
    if (!hasData_)
        return {};
    const std::string name = fName_ + ext_;
    // Without a web root there is no place the file belongs: writing it into whatever folder is
    // current would scatter files. The name still goes to the applet.
    if (webRoot.empty())
        return name;
    const std::string path = JoinWebRoot(webRoot, name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const auto& line : lines_) {
        out.write(line.data(), std::streamsize(line.size()));
        out.write("\r\n", 2);
    }
    out.close();
    if (!out)
        throw EWriteError(FormatText("Unable to write to %s", path));
    return name;
}

bool TMLTPlugin::EditProperties() {
    // A command-line host loads Qt with this library but runs no application: no window then.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw EZarnError("The text editor needs a window; this program has none");
    Tmlt_main form;
    form.setWindowTitle(QString::fromStdString(Win1252ToUtf8(caption_)));
    form.SetLines(lines_);
    if (form.exec() != QDialog::Accepted)
        return false;
    lines_ = form.Lines();
    if (!IsSafeDataName(fName_))
        fName_ = GenerateDataName();
    hasData_ = true;
    return true;
}

} // namespace zarn
