#pragma once
// The editor's dialogs answered from a script, for the window tests.

#include "support/ScriptedPrompt.h"
#include "views/Dialogs.h"

#include <deque>
#include <vector>

namespace zarn {

// Answers from queues; an empty queue, an empty name or an invalid colour answers Cancel. Records
// every box and request.
class TScriptedDialogs : public TDialogs {
public:
    ScriptedPrompt prompt;
    std::deque<TAnswer> answers;
    std::deque<QString> files; // for open and save alike
    std::deque<QString> directories;
    std::deque<QColor> colors;
    std::deque<int> choices; // indexes; out of range answers Cancel
    // Templates for New come from `files` (the file answer stands in for the browser) unless the
    // real browser is to run.
    bool realTemplateBrowser = false;

    QStringList questions; // texts of YesNoCancel
    QStringList errors;
    std::vector<TFileRequest> openRequests;
    std::vector<TFileRequest> saveRequests;
    QStringList directoryStarts;
    std::vector<QColor> colorStarts;
    std::vector<QStringList> choiceLists;

    Prompt& Questions() override { return prompt; }
    TAnswer YesNoCancel(const QString& caption, const QString& text) override;
    void Error(const QString& text) override { errors << text; }
    std::optional<QString> OpenFileName(const TFileRequest& request) override;
    std::optional<QString> SaveFileName(const TFileRequest& request) override;
    std::optional<QString> Directory(const QString& caption, const QString& directory) override;
    std::optional<QColor> Color(const QColor& initial) override;
    std::optional<QString> TemplateFile(TFileChooser& browser) override;
    std::optional<int> Choice(const QString& caption, const QString& label,
                              const QStringList& items) override;
};

} // namespace zarn
