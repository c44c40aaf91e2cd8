#pragma once
// A dockable pane that shows the applet block as "&Generate actual code" gives it, kept up to date
// while the user types, with what to fix before publishing listed under it.

#include "tag/BlockCheck.h"

#include <QDockWidget>
#include <QSyntaxHighlighter>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QTimer;

namespace zarn {

class TJavaAppletTag;

// Colours HTML: tags, attribute names, attribute values and character entities.
class THTMLHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit THTMLHighlighter(QTextDocument* document);

    QTextCharFormat TagFormat, AttributeFormat, ValueFormat, EntityFormat;

protected:
    void highlightBlock(const QString& text) override;
};

class TLiveHTMLPane : public QDockWidget {
    Q_OBJECT
public:
    // Pause in typing after which the block is made again.
    static constexpr int UpdateDelayMs = 250;

    // `document` gives the tag on show, or null when no document is loaded.
    TLiveHTMLPane(std::function<TJavaAppletTag*()> document, QWidget* parent);

    QPlainTextEdit* Code = nullptr;
    QLabel* WarningsLabel = nullptr;
    QListWidget* Warnings = nullptr;
    QTimer* UpdateTimer = nullptr;

    // An edit: the pane follows after the pause, and only while it is shown.
    void Schedule();
    // A new document: what the pane holds refers to the old one, so it follows at once.
    void Reload();
    void UpdateNow();
    const TBlockLook& Look() const { return look_; }

signals:
    // The user picked a warning: show its parameter's view, or the basic attribute's control.
    void WarningChosen(const zarn::TAppletParam* param, zarn::TBasicField basic);

private:
    void ShowLook();
    void ShowWarnings();
    void ChooseItem(QListWidgetItem* item);

    std::function<TJavaAppletTag*()> document_;
    TBlockLook look_;
    THTMLHighlighter* highlighter_ = nullptr;
};

} // namespace zarn
