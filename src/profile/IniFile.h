#pragma once
// Profile (INI) files: sections of key=value lines, names matched without letter case.
//
// Every read sees the file as it is on disk: a parsed copy is kept per file and used only while the
// file's identity, size and modification time are unchanged, so two objects on one file (or a plug-in
// library writing it by name) see each other's writes at once. Each write replaces the file
// atomically; a failed write leaves it exactly as it was. Lines the store does not understand,
// comments, line ends and 8-bit bytes are kept as they are.

#include "profile/FileBytes.h"
#include "profile/TextConv.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zarn {

class TSiblingFile;

class TIniFile {
public:
    explicit TIniFile(std::string fileName);
    virtual ~TIniFile() = default;
    TIniFile(const TIniFile&) = default;
    TIniFile& operator=(const TIniFile&) = default;

    const std::string& FileName() const { return fileName_; }

    // Absent key, section or file: the default. A key present with an empty value: "".
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Raises EWriteError "Unable to write to %s" when the file cannot be written, or when the
    // section, key or value would break the line structure (line breaks, NUL, "=" in a key).
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // As WriteString, but a value with outer blanks keeps them: it is stored between quotes, which
    // reading removes (older files, without them, read as before).
    void WriteText(const std::string& section, const std::string& key, const std::string& value);

    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Key names in file order; an absent section clears the list.
    void ReadSection(const std::string& section, TStrings& list) const;
    // "name=value" entries, keys with empty values left out; the list is not cleared first.
    void ReadSectionValues(const std::string& section, TStrings& list) const;
    // The entries ReadSectionValues would list into an empty list, one by one, without the list:
    // a template's parameter list is as long as the template. `visit` may read the file.
    using ValueVisit = std::function<void(const std::string& key, const std::string& value)>;
    void ForEachSectionValue(const std::string& section, const ValueVisit& visit) const;
    void EraseSection(const std::string& section);
    // Removes the section's keys but keeps its place, header and comment lines: a rewritten list
    // stays where the author put it.
    void ClearSection(const std::string& section);
    // True when the section's lines already stand as ClearSection followed by writing these keys in
    // order would leave them: a save of a long list then writes nothing. `keyAt` gives key i and
    // its value.
    using KeyAt = std::function<void(std::size_t, std::string& key, std::string& value)>;
    bool KeysStandAsWritten(const std::string& section, std::size_t count, const KeyAt& keyAt) const;

    // Writes made while an update is open stay in memory (every object on this file sees them) and
    // reach the disk in one atomic replace at EndUpdate or Flush. Updates nest.
    void BeginUpdate();
    void EndUpdate();
    // Writes pending changes now (before a plug-in library reads the file by name).
    void Flush();
    // Forgets pending changes of an open update: the file keeps what it has on disk.
    void DiscardUpdate();

    // Reads made while a read session is open check the file on disk once, and again only after a
    // write or Flush in this process (a plug-in library writes only after a Flush). Sessions nest.
    void BeginRead();
    void EndRead();

    // Makes this file's content, in memory, a copy of `source` as a read of it sees it; from then
    // on writes to this file stay in memory (Flush still writes them) until WriteHeldContent writes
    // them. False when `source` exists but cannot be read.
    bool HoldCopyOf(const TIniFile& source);
    // The held content as the file's bytes, written into `file` in pieces; this file is read from
    // disk again afterwards. The failure of the write, if any.
    [[nodiscard]] std::error_code WriteHeldContent(TSiblingFile& file);

private:
    void WriteValue(const std::string& section, const std::string& key, const std::string& value,
                    bool keepOuterBlanks);
    friend struct ProfileAccess;
    std::string fileName_;
    std::string path_; // absolute at creation, so a later change of the current folder does not move it
};

// Opens an update on construction and writes it on scope exit when Commit was called;
// otherwise (an exception) the pending changes are discarded.
class TIniUpdate {
public:
    explicit TIniUpdate(TIniFile& file) : file_(file) { file_.BeginUpdate(); }
    ~TIniUpdate();
    TIniUpdate(const TIniUpdate&) = delete;
    TIniUpdate& operator=(const TIniUpdate&) = delete;
    void Commit();

private:
    TIniFile& file_;
    bool done_ = false;
};

// Keeps a read session open on a file for the object's lifetime.
class TIniReadSession {
public:
    explicit TIniReadSession(TIniFile& file) : file_(file) { file_.BeginRead(); }
    ~TIniReadSession() { file_.EndRead(); }
    TIniReadSession(const TIniReadSession&) = delete;
    TIniReadSession& operator=(const TIniReadSession&) = delete;

private:
    TIniFile& file_;
};

// Drops every parsed copy kept in this process (tests, and files changed behind the cache's back
// within one clock tick).
void ClearProfileCache();

} // namespace zarn
