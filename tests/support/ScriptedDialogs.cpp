#include "support/ScriptedDialogs.h"

namespace zarn {

namespace {

std::optional<QString> takeName(std::deque<QString>& queue) {
    if (queue.empty())
        return std::nullopt;
    const QString front = queue.front();
    queue.pop_front();
    if (front.isEmpty())
        return std::nullopt;
    return front;
}

} // namespace

TAnswer TScriptedDialogs::YesNoCancel(const QString&, const QString& text) {
    questions << text;
    if (answers.empty())
        return TAnswer::Cancel;
    const TAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> TScriptedDialogs::OpenFileName(const TFileRequest& request) {
    openRequests.push_back(request);
    return takeName(files);
}

std::optional<QString> TScriptedDialogs::SaveFileName(const TFileRequest& request) {
    saveRequests.push_back(request);
    return takeName(files);
}

std::optional<QString> TScriptedDialogs::Directory(const QString&, const QString& directory) {
    directoryStarts << directory;
    return takeName(directories);
}

std::optional<QColor> TScriptedDialogs::Color(const QColor& initial) {
    colorStarts.push_back(initial);
    if (colors.empty())
        return std::nullopt;
    const QColor front = colors.front();
    colors.pop_front();
    if (!front.isValid())
        return std::nullopt;
    return front;
}

std::optional<QString> TScriptedDialogs::TemplateFile(TFileChooser& browser) {
    if (realTemplateBrowser)
        return TDialogs::TemplateFile(browser);
    return takeName(files);
}

std::optional<int> TScriptedDialogs::Choice(const QString&, const QString&, const QStringList& items) {
    choiceLists.push_back(items);
    if (choices.empty())
        return std::nullopt;
    const int chosen = choices.front();
    choices.pop_front();
    if (chosen < 0 || chosen >= items.size())
        return std::nullopt;
    return chosen;
}

} // namespace zarn
