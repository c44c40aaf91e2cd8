#include "memlet/MLTPlugin.h"

#include "memlet/mlt_form.h"
#include "profile/Codepage.h"
#include "profile/Errors.h"
#include "profile/IniFile.h"

#include <QApplication>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unordered_set>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
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
        if (!IsDigit(key[i]))
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

// A new file of our own in `folder`, never one that exists (nor a link planted there).
std::FILE* createFresh(const std::string& folder, std::string& tempPath) {
    static uint32_t serial = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".mlt%08X.tmp", unsigned(tickCount() * 2654435761u + ++serial));
        tempPath = folder + name;
        if (std::FILE* file = std::fopen(tempPath.c_str(), "wbx"))
            return file;
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

// Writes the data file beside its final name and renames it over that name: a link already there
// is replaced, never written through, and a failed write leaves the old file as it was.
bool replaceDataFile(const std::string& folder, const std::string& path, const std::string& content) {
    namespace fs = std::filesystem;
    std::string tempPath;
    std::FILE* file = createFresh(folder, tempPath);
    if (!file)
        return false;
    bool written =
        std::fwrite(content.data(), 1, content.size(), file) == content.size() && std::fflush(file) == 0;
#ifndef _WIN32
    written = written && ::fsync(::fileno(file)) == 0;
#endif
    written = std::fclose(file) == 0 && written;
    std::error_code ec;
    const fs::file_status existing = fs::symlink_status(path, ec);
    if (written && fs::is_regular_file(existing))
        fs::permissions(tempPath, existing.permissions(), ec); // who may read it stays as it was
    if (written) {
        fs::rename(tempPath, path, ec);
        written = !ec;
    }
    if (!written)
        fs::remove(tempPath, ec);
    return written;
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
    // A leading "." would make a hidden file, the kind a shell or a program reads at start-up.
    if (name.empty() || name.front() == '.' || name.find("..") != std::string::npos)
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

bool IsSafeDataExtension(const std::string& ext) {
    if (ext.empty() || ext.front() != '.')
        return false;
    for (std::size_t i = 1; i < ext.size(); ++i) {
        const char c = ext[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

std::string JoinWebRoot(const std::string& webRoot, const std::string& name) {
    // A POSIX root ("/...") ends with "/" only: a backslash there is part of a folder's name.
    const bool posix = !webRoot.empty() &&
                       (webRoot.front() == '/' ||
                        (webRoot.find('/') != std::string::npos && webRoot.find('\\') == std::string::npos));
    if (webRoot.empty() || webRoot.back() == '/' || (!posix && webRoot.back() == '\\'))
        return webRoot + name;
    return webRoot + (posix ? '/' : '\\') + name;
}

std::vector<int64_t> LineIndexesToRead(int32_t count, const TStrings& keys) {
    std::vector<int64_t> indexes;
    if (count <= 0)
        return indexes;
    int64_t padded = count;
    if (std::size_t(count) > keys.size()) {
        std::vector<int64_t> present;
        for (const auto& key : keys) {
            const int64_t index = lineIndexOf(key);
            if (index >= 0 && index < count)
                present.push_back(index);
        }
        std::sort(present.begin(), present.end());
        present.erase(std::unique(present.begin(), present.end()), present.end());
        // Missing lines read empty while they cost no more than the keys the section holds. A text
        // with more gaps than keys comes from no save of ours, and padding it would let a few bytes
        // ("LineCount" 2147483647 and one far "Line" key) demand gigabytes: its lines then follow
        // one another, so no text is lost.
        if (present.empty() || present.back() >= int64_t(keys.size()))
            return present;
        padded = present.back() + 1;
    }
    indexes.reserve(std::size_t(padded));
    for (int64_t i = 0; i < padded; ++i)
        indexes.push_back(i);
    return indexes;
}

void TMLTPlugin::LoadFromIni(const std::string& fileName, const std::string& section) {
    TIniFile ini(fileName);
    TStrings keys;
    ini.ReadSection(section, keys);
    const std::vector<int64_t> indexes = LineIndexesToRead(ini.ReadInteger(section, "LineCount", 0), keys);
    TStrings lines;
    lines.reserve(indexes.size());
    for (int64_t index : indexes)
        lines.push_back(ini.ReadString(section, lineKey(std::size_t(index)), ""));

    // The data file is written at web root + FName + ext, and the document chooses all three: a
    // name that could leave the web root or make a hidden file gives way to a fresh one, an odd
    // extension to the plain ".".
    std::string fName = ini.ReadString(section, "FName", "");
    if (!IsSafeDataName(fName))
        fName = GenerateDataName();
    std::string ext = ini.ReadString(section, "ext", ".");
    if (!IsSafeDataExtension(ext))
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
    std::string content;
    for (const auto& line : lines_)
        content += line + "\r\n";
    if (!replaceDataFile(path.substr(0, path.size() - name.size()), path, content))
        throw UnableToWrite(path);
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
