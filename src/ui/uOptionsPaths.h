#pragma once
// "Options": how a preview is shown, what the pages show, and the paths a new document receives.
// Every run starts from AppSettings; OK stores every control and writes the settings at once.

#include "platform/JavaRuntime.h"
#include "ui/DirBsrFm.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QWidget;

namespace zarn {

class TOptionsPaths : public QDialog {
    Q_OBJECT

public:
    enum class TPage { AppletViewer, ZarnOptions };

    explicit TOptionsPaths(QWidget* parent = nullptr);

    // The page the next run opens on.
    void SetPage(TPage page);

    QTabWidget* PC;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QRadioButton* UseAW;
    QLabel* Label1;
    QLineEdit* AVPath;
    QPushButton* AVBsr;
    QGroupBox* PathKind;
    QCheckBox* CloseWait;
    QRadioButton* UseWWW;
    QRadioButton* UseZAV;
    QLabel* JavaNote;
    QCheckBox* RealNames;
    QCheckBox* ShowHints;
    QGroupBox* GBPaths;
    QToolButton* WebBrowse;
    QLineEdit* WebRoot;
    QToolButton* CodeBrowse;
    QLineEdit* CodeBase;
    QCheckBox* UseCheerpJ; // browser previews load an in-browser Java runtime
    QPushButton* Button1;
    QPushButton* Button2;

    // The choosers of the two default paths; each remembers where it was left.
    TDirectoryBrowser WebDB;
    TDirectoryBrowser CodeDB;

    // Where the dialog learns whether the ZARN applet viewer can run (tests put their own).
    std::function<TJavaSearch()> SearchJava = [] { return FindJavaRuntime(); };
    std::function<std::string()> FindViewerJar = ViewerJarPath;

    int PathKindIndex() const;
    void SetPathKindIndex(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void UseAWClick();
    void ShowJavaNote();
    void Button1Click();
    void AVBsrClick();
    void BrowseDirectory(QLineEdit* edit, TDirectoryBrowser& browser);
    void ApplyHints(bool show);
    void BuildViewerPage();
    void BuildOptionsPage();

    QButtonGroup* pathKindGroup_;
    std::vector<std::pair<QWidget*, QString>> hints_;
};

// The applet viewer chooser's filter ("description|pattern" pairs) and whether a chosen program is the usual
// viewer, whose path names are of the third kind.
QString ViewerFileFilter();
bool IsStandardAppletViewer(const QString& path);

} // namespace zarn
