#pragma once
// "New applet tag ...": the tree of the template folder, from which every new document starts.

#include "views/Dialogs.h"

#include <QIcon>
#include <QString>

#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zarn {

// One folder or template of the template tree.
struct TTemplateEntry {
    QString caption;      // folder name, or file name without its extension
    QString relativePath; // from the template folder, "/"-separated, the file's real name
    bool isTemplate = false;
    std::vector<TTemplateEntry> children;
};

// Deepest folder level walked below the template folder.
inline constexpr int MaxTemplateFolderDepth = 32;

// The folders and templates (".zrt" in any letter case) below `root`, each level sorted by caption
// in locale order with letter case counting. Folders without a template anywhere below are left
// out. Folder links are followed, but a folder whose real location was walked already is skipped,
// so a link back up the tree cannot make the walk endless.
std::vector<TTemplateEntry> ReadTemplateFolder(const QString& root);

class TTemplateBrowser : public TFileChooser {
    Q_OBJECT

public:
    explicit TTemplateBrowser(QWidget* parent = nullptr);

    // The folder shown; "Templates" beside the program unless set.
    void SetTemplatesFolder(const QString& folder) { templatesFolder_ = folder; }
    const QString& TemplatesFolder() const { return templatesFolder_; }
    // After OK: the chosen template relative to the template folder ("Clocks/Analog.zrt").
    QString ResultPath() const;
    // After OK: the chosen template's full path.
    QString TemplatePath() const;
    // After OK with a template chosen: its full path.
    QString ChosenFile() const override;

    void FillTree();

    QTreeWidget* tv;
    QPushButton* Button1;
    QPushButton* Button2;
    QGroupBox* Props;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Author;
    QLabel* ZARNifier;
    QLabel* Label3;
    QLabel* Comments;
    QLabel* Result;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void tvChange(QTreeWidgetItem* node);
    void tvDblClick(QTreeWidgetItem* node);
    void AddEntries(const std::vector<TTemplateEntry>& entries, QTreeWidgetItem* parent);

    QString templatesFolder_;
    QIcon folderIcon_;
    QIcon templateIcon_;
};

} // namespace zarn
