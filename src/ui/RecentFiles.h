#pragma once
// The documents and templates opened or saved last, offered again in the File menu and kept in the
// settings store between runs.

#include <QObject>
#include <QStringList>

#include <string>

class QMenu;

namespace zarn {

class SettingsStore;

// The name of the extra value the list is kept under, beside the options.
inline constexpr const char* RecentFilesValueName = "RecentFiles";

// The list as one stored text: names separated by "|"; "%", "|" and line ends in a name are written
// as "%" and two hexadecimal digits, so no file name can break the list or the store's lines.
std::string EncodeRecentFiles(const QStringList& files);
QStringList DecodeRecentFiles(const std::string& text);

class TRecentFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxCount = 8;

    // Fills `menu` (a submenu of File) and keeps it in step; reads the list from the store when given.
    TRecentFiles(QMenu* menu, SettingsStore* store, QObject* parent);

    // Puts the file first, once; the ninth falls off. Written to the store at once.
    void Add(const QString& path);
    // Files that no longer exist leave the list.
    void DropMissing();
    const QStringList& Files() const { return files_; }

signals:
    void OpenRequested(const QString& path);

private:
    void Store();
    void FillMenu();

    QMenu* menu_;
    SettingsStore* store_;
    QStringList files_;
};

} // namespace zarn
